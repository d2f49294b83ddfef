// The terminal's saved command list (table commandList: cmd, type), by
// default "localcmd.sqlite", copied to "commands_backup.db" when it is opened.
// One object per process, GUI thread only. Every method that reaches the
// database throws wxSQLite3Exception on failure; texts are bound as
// parameters.
#pragma once

#include <wx/string.h>
#include <wx/wxsqlite3.h>

class DbCommands : public wxSQLite3Database {
public:
    // The one command-list database; the first call creates it without
    // opening a file.
    static DbCommands* GetInstance();
    // Tests only: closes and deletes the object.
    static void ResetForTests();

    // Creates the connection object (no file is opened).
    void Init();
    // Remembers fileName; unless a file is open already, opens it (creating
    // the file and its table when missing) and takes the backup copy. A later
    // call while open changes only the remembered name. A file that is not a
    // database leaves the connection closed, so the next Open tries again.
    void Open(const wxString& fileName);
    // The name last given to Open (empty until then).
    const wxString& GetFileName() const { return m_fileName; }
    // Whether the open that connected took its backup copy; when not,
    // BackupError says why.
    bool BackupTaken() const { return m_backupTaken; }
    const wxString& BackupError() const { return m_backupError; }

    // Replaces the whole list database with a file's content (import); a
    // missing or invalid file is refused before anything changes.
    void RestoreFrom(const wxString& fileName);
    // Copies the whole list database into a file (export).
    void BackupTo(const wxString& fileName);

    // Rows in the order in which they were inserted.
    wxSQLite3ResultSet GetAll();
    int DeleteAll();
    wxSQLite3ResultSet ExecuteQuery(wxSQLite3Statement& statement);
    void Insert(const wxString& cmd, int type);

    bool IsOpen() const;

    static const wxString BackupName;  // "commands_backup.db"

private:
    DbCommands() = default;
    ~DbCommands() override;
    DbCommands(const DbCommands&) = delete;
    DbCommands& operator=(const DbCommands&) = delete;

    void CreateMissingTable();

    static DbCommands* s_instance;
    wxSQLite3Database* m_db = nullptr;
    wxString m_fileName;
    bool m_backupTaken = false;
    wxString m_backupError;
};
