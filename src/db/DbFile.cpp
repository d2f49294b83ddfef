#include "DbFile.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/wxsqlite3.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace dbfile {

namespace {

// SQLite's result codes, for exceptions of our own.
constexpr int kSqliteCorrupt = 11;
constexpr int kSqliteCantOpen = 14;
constexpr int kSqliteNotADb = 26;

wxString Quoted(const wxString& fileName)
{
    return "\"" + fileName + "\"";
}

// The wrapper puts "<code text>[<code>]: " in front of every message; keep
// only the reason when a message is wrapped into another.
wxString Reason(const wxSQLite3Exception& e)
{
    const wxString message = e.GetMessage();
    int cut = message.Find("]: ");
    return cut == wxNOT_FOUND ? message : message.Mid(cut + 3);
}

}  // namespace

wxSQLite3Exception Wrapped(const wxSQLite3Exception& e, const wxString& what)
{
    return wxSQLite3Exception(e.GetExtendedErrorCode(), what + ": " + Reason(e));
}

void CheckDatabaseFile(const wxString& fileName)
{
    if (!wxFileExists(fileName))
        throw wxSQLite3Exception(kSqliteCantOpen, "database file " + Quoted(fileName) + " not found");
    wxSQLite3Database check;
    wxString verdict;
    try {
        check.Open(fileName, wxEmptyString, WXSQLITE_OPEN_READONLY);
        // Reading the schema makes a file that is no database fail here.
        check.ExecuteScalar("SELECT count(*) FROM sqlite_master");
        wxSQLite3ResultSet rows = check.ExecuteQuery("PRAGMA quick_check");
        verdict = rows.Eof() ? wxString() : rows.GetAsString(0);
        rows.Finalize();
        check.Close();
    } catch (const wxSQLite3Exception& e) {
        throw wxSQLite3Exception(kSqliteNotADb, Quoted(fileName) + " is not a valid database: " + Reason(e));
    }
    if (verdict != "ok")
        throw wxSQLite3Exception(kSqliteCorrupt,
                                 Quoted(fileName) + " is damaged: " + verdict.BeforeFirst('\n'));
}

bool SameFile(const wxString& a, const wxString& b)
{
    struct stat sa, sb;
    if (a.empty() || b.empty() || stat(a.fn_str(), &sa) != 0 || stat(b.fn_str(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool MissingOrEmpty(const wxString& fileName)
{
    struct stat st;
    return stat(fileName.fn_str(), &st) != 0 || st.st_size == 0;
}

bool FolderWritable(const wxString& fileName)
{
    const wxString folder = wxFileName(fileName).GetPath();
    std::string probe =
        std::string((folder.empty() ? wxString(".") : folder).fn_str()) + "/.write-check-XXXXXX";
    const int fd = mkstemp(probe.data());
    if (fd < 0)
        return false;
    close(fd);
    unlink(probe.c_str());
    return true;
}

bool HoldsRows(const wxString& fileName)
{
    try {
        CheckDatabaseFile(fileName);
        wxSQLite3Database db;
        db.Open(fileName, wxEmptyString, WXSQLITE_OPEN_READONLY);
        wxArrayString tables;
        wxSQLite3ResultSet names = db.ExecuteQuery("SELECT name FROM sqlite_master WHERE type = 'table'");
        while (names.NextRow())
            tables.Add(names.GetAsString(0));
        names.Finalize();
        for (wxString table : tables) {
            table.Replace("\"", "\"\"");
            if (db.ExecuteScalar("SELECT EXISTS (SELECT 1 FROM \"" + table + "\")") != 0)
                return true;
        }
    } catch (const wxSQLite3Exception&) {
        // Not a database that holds anything worth keeping.
    }
    return false;
}

void BackupChecked(wxSQLite3Database& db, const wxString& target)
{
    const wxString temp = target + ".tmp";
    // A leftover of an interrupted run would make the copy fail.
    std::remove(temp.fn_str());
    try {
        db.Backup(temp);
        CheckDatabaseFile(temp);
    } catch (const wxSQLite3Exception& e) {
        std::remove(temp.fn_str());
        throw Wrapped(e, "backup copy " + Quoted(target) + " not taken");
    }
    // rename() replaces target in one step, so target is never half written.
    if (std::rename(temp.fn_str(), target.fn_str()) != 0) {
        const int err = errno;
        std::remove(temp.fn_str());
        throw wxSQLite3Exception(kSqliteCantOpen, "backup copy " + Quoted(target) + " not taken: " +
                                                      wxString::FromUTF8(std::strerror(err)));
    }
}

}  // namespace dbfile
