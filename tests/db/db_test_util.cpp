#include "db_test_util.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace dbtest {

TempWorkDir::TempWorkDir()
{
    old_ = std::filesystem::current_path().string();
    std::string tmpl = (std::filesystem::temp_directory_path() / "vantrel-db-XXXXXX").string();
    char* made = mkdtemp(tmpl.data());
    if (!made)
        throw std::runtime_error("mkdtemp failed");
    path_ = made;
    std::filesystem::current_path(path_);
}

TempWorkDir::~TempWorkDir()
{
    std::error_code ec;
    std::filesystem::current_path(old_, ec);
    std::filesystem::remove_all(path_, ec);
}

std::string ReadFile(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& name, const std::string& bytes)
{
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

bool FileExists(const std::string& name)
{
    return std::filesystem::exists(name);
}

std::vector<std::vector<wxString>> Rows(wxSQLite3ResultSet rows, const std::vector<const char*>& columns)
{
    std::vector<std::vector<wxString>> out;
    while (rows.NextRow()) {
        std::vector<wxString> row;
        for (const char* column : columns)
            row.push_back(rows.GetAsString(wxString(column)));
        out.push_back(row);
    }
    return out;
}

void ExecuteOn(const std::string& file, const std::vector<const char*>& statements)
{
    wxSQLite3Database db;
    db.Open(wxString::FromUTF8(file));
    for (const char* sql : statements)
        db.ExecuteUpdate(sql);
    db.Close();
}

std::vector<std::vector<wxString>> QueryFile(const std::string& file, const char* sql,
                                             const std::vector<const char*>& columns)
{
    wxSQLite3Database db;
    db.Open(wxString::FromUTF8(file), wxEmptyString, WXSQLITE_OPEN_READONLY);
    std::vector<std::vector<wxString>> out = Rows(db.ExecuteQuery(sql), columns);
    db.Close();
    return out;
}

}  // namespace dbtest
