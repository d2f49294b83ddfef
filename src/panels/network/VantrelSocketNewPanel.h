// The socket table of modules with firmware above 1.1.9: local ports chosen
// among the module's service channels, row 0 the configuration socket.
#pragma once

#include "SocketPage.h"

class VantrelSocketNewPanel : public SocketPage {
public:
    // Reads the module while it is built; throws the error text.
    VantrelSocketNewPanel(const wxString& ip, const wxString& port, char type, int firmware);
};
