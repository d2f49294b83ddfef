// The socket table of modules with firmware up to 1.1.9: local ports as numbers.
#pragma once

#include "SocketPage.h"

class VantrelSocketPanel : public SocketPage {
public:
    // Reads the module while it is built; throws the error text.
    VantrelSocketPanel(const wxString& ip, const wxString& port, char type);
};
