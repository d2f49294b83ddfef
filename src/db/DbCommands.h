// The terminal's saved command list (table commandList: cmd, type), by
// default "localcmd.sqlite", copied to "commands_backup.db" when it is opened.
// One object per process, GUI thread only. Every method that reaches the
// database throws wxSQLite3Exception on failure; texts are bound as
// parameters.
#pragma once

#include <wx/string.h>
#include <wx/wxsqlite3.h>

#include "LocalDatabase.h"

// DbCommands::GetInstance gives the one command-list database; the first call
// creates it without opening a file.
class DbCommands : public SingleDatabase<DbCommands> {
public:
    // Creates the connection object (no file is opened).
    void Init();
    // Remembers fileName; unless a file is open already, opens it (creating
    // the file and its table when missing) and takes the backup copy. A later
    // call while open changes only the remembered name. A file that is not a
    // database leaves the connection closed, so the next Open tries again.
    void Open(const wxString& fileName);
    // The name last given to Open (empty until then).
    const wxString& GetFileName() const { return m_fileName; }

    // Rows in the order in which they were inserted.
    wxSQLite3ResultSet GetAll();
    int DeleteAll();
    void Insert(const wxString& cmd, int type);

    static const wxString BackupName;  // "commands_backup.db"

private:
    friend class SingleDatabase<DbCommands>;
    DbCommands();
    ~DbCommands() override = default;

    std::vector<OwnTable> OwnTables() const override;

    wxString m_fileName;
};
