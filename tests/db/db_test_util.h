// Shared bits of the database tests: a fresh working folder per test and
// whole-file reads for "nothing was overwritten" checks.
#pragma once

#include <gtest/gtest.h>
#include <wx/string.h>
#include <wx/wxsqlite3.h>

#include <ostream>
#include <string>
#include <vector>

// Failure messages show wxString values as text.
inline void PrintTo(const wxString& s, std::ostream* os)
{
    *os << '"' << s.utf8_string() << '"';
}

namespace dbtest {

// Makes a fresh temporary folder the working folder; the destructor goes
// back and removes it.
class TempWorkDir {
public:
    TempWorkDir();
    ~TempWorkDir();
    const std::string& Path() const { return path_; }

private:
    std::string old_;
    std::string path_;
};

std::string ReadFile(const std::string& name);
void WriteFile(const std::string& name, const std::string& bytes);
bool FileExists(const std::string& name);

// Every row of a query, each column read as text by name.
std::vector<std::vector<wxString>> Rows(wxSQLite3ResultSet rows, const std::vector<const char*>& columns);

// Runs SQL on a file through a connection of its own (to prepare files).
void ExecuteOn(const std::string& file, const std::vector<const char*>& statements);
// Rows of a query on a file through a connection of its own.
std::vector<std::vector<wxString>> QueryFile(const std::string& file, const char* sql,
                                             const std::vector<const char*>& columns);

// UTF-8 text as a wxString, whatever the C locale.
inline wxString U8(const char* text)
{
    return wxString::FromUTF8(text);
}

}  // namespace dbtest
