// What the registry and the command list share: a connection of their own
// (their wxSQLite3Database base part is never opened), opened with the missing
// tables created and a checked backup copy taken, whole-file restore and
// backup, statements whose parameters are bound by position, never pasted
// into SQL, and one object per process. GUI thread only; failures throw
// wxSQLite3Exception.
#pragma once

#include <wx/string.h>
#include <wx/wxsqlite3.h>

#include <initializer_list>
#include <variant>
#include <vector>

class LocalDatabase : public wxSQLite3Database {
public:
    // Whether the open that connected took its backup copy; when not, the
    // copy is older than this run (or missing) and BackupError says why.
    bool BackupTaken() const { return m_backupTaken; }
    const wxString& BackupError() const { return m_backupError; }
    // The database was found missing or empty (zero bytes) at open while its
    // copy held rows: the copy was kept rather than replaced with nothing.
    bool EarlierCopyKept() const { return m_earlierCopyKept; }
    // Whether the backup copy can bring back a state of this database: the
    // one taken at this open, or the earlier one kept.
    bool CanRevert() const { return m_backupTaken || m_earlierCopyKept; }
    // The open file, or its folder, cannot be written: statements that
    // change the database fail.
    bool ReadOnly() const { return m_readOnly; }
    // Why the open file is not a database of ours (another program's, or our
    // tables without our columns); empty when it is. Such a file is left as
    // it is, its copy is not replaced, and every statement throws this text.
    const wxString& NotOurs() const { return m_notOurs; }

    // Replaces the whole database with the content of a database file. A file
    // that is missing, not a valid database or not one of ours is refused
    // before anything is changed.
    void RestoreFrom(const wxString& fileName);
    // Copies the whole database into a file, replacing its content.
    void BackupTo(const wxString& fileName);

    wxSQLite3ResultSet ExecuteQuery(wxSQLite3Statement& statement);

    // The connection, not this object's own (never opened) base.
    bool IsOpen() const;
    void Close();

protected:
    // what names the database in messages, kind what its files hold ("... is
    // not a <kind> of this program"); backupName is the file of its copy.
    LocalDatabase(const wxString& what, const wxString& kind, const wxString& backupName);
    ~LocalDatabase() override;
    LocalDatabase(const LocalDatabase&) = delete;
    LocalDatabase& operator=(const LocalDatabase&) = delete;

    // Creates the connection object when there is none; opens nothing.
    void CreateConnection();
    // Does nothing when connected. Otherwise opens the file (creating it when
    // missing), creates the missing tables and takes the backup copy, unless
    // the file was found missing or empty and the copy holds rows. A file
    // that is not a database, or is locked or unreadable, leaves the
    // connection closed and throws (OpenFailed then holds until an open
    // succeeds); a failed backup leaves it open and throws.
    void Connect(const wxString& fileName);
    bool OpenFailed() const { return m_openFailed; }
    // True once after each successful open: the time to tell the user what
    // the open found.
    bool TakeOpenNoticeDue();
    // Our tables with their columns ("name TYPE"); the first is the one a
    // file of ours always has (unless it has no table at all).
    struct OwnTable {
        const char* name;
        std::vector<const char*> columns;
    };
    virtual std::vector<OwnTable> OwnTables() const = 0;
    // Creates the tables that the file lacks; leaves existing ones alone.
    void CreateMissingTables();
    // The connection, once the file is known to be ours.
    wxSQLite3Database& Ours();

    using Param = std::variant<int, wxString>;
    void Update(const char* sql, std::initializer_list<Param> params);
    wxSQLite3ResultSet Query(const char* sql, std::initializer_list<Param> params);
    // The first column of the first row as text; empty when there is no row.
    wxString FirstText(const char* sql, const wxString& param);

    wxSQLite3Database* m_db = nullptr;

private:
    wxSQLite3Statement Statement(const char* sql, std::initializer_list<Param> params);
    // Why db, open on fileName, is not ours; empty when it is.
    wxString Foreign(wxSQLite3Database& db, const wxString& fileName) const;

    const wxString m_what;
    const wxString m_kind;
    const wxString m_backupName;
    bool m_backupTaken = false;
    bool m_earlierCopyKept = false;
    bool m_readOnly = false;
    bool m_openFailed = false;
    bool m_openNoticeDue = false;
    wxString m_backupError;
    wxString m_notOurs;
};

// The one object of a database class T per process. GetInstance creates it
// and registers it before its Init; when the file could not be opened (locked
// by another program, say), the next GetInstance runs Init again, and throws
// again while the file stays unusable.
template <class T>
class SingleDatabase : public LocalDatabase {
public:
    static T* GetInstance()
    {
        if (!s_instance) {
            s_instance = new T();
            s_instance->Init();
        } else if (s_instance->OpenFailed()) {
            s_instance->Init();
        }
        return s_instance;
    }
    // Closes the connection when there is an open one; never opens.
    static void CloseIfOpen()
    {
        if (s_instance && s_instance->IsOpen())
            s_instance->Close();
    }
    // Tests only: closes and deletes the object, so that the next GetInstance
    // starts afresh (for example in another working folder).
    static void ResetForTests()
    {
        delete s_instance;
        s_instance = nullptr;
    }

protected:
    using LocalDatabase::LocalDatabase;

private:
    static inline T* s_instance = nullptr;
};
