#include "DbCommands.h"

const wxString DbCommands::BackupName = wxS("commands_backup.db");

DbCommands::DbCommands() : SingleDatabase("command list", "command list", BackupName) {}

void DbCommands::Init()
{
    CreateConnection();
}

void DbCommands::Open(const wxString& fileName)
{
    m_fileName = fileName;
    Connect(fileName);
}

std::vector<LocalDatabase::OwnTable> DbCommands::OwnTables() const
{
    return {{"commandList", {"cmd TEXT", "type INTEGER"}}};
}

wxSQLite3ResultSet DbCommands::GetAll()
{
    // Without an order SQLite may scan an index instead of the table, and the
    // list would come back sorted.
    return Ours().ExecuteQuery("SELECT * FROM commandList ORDER BY rowid");
}

int DbCommands::DeleteAll()
{
    return Ours().ExecuteUpdate("DELETE FROM commandList");
}

void DbCommands::Insert(const wxString& cmd, int type)
{
    Update("INSERT INTO commandList (cmd,type) VALUES (?,?)", {cmd, type});
}
