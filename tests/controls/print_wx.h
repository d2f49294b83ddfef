// Lets failure messages show wxString values as text.
#pragma once

#include <wx/string.h>

#include <ostream>

inline void PrintTo(const wxString& s, std::ostream* os)
{
    *os << '"' << s.utf8_string() << '"';
}
