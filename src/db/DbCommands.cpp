#include "DbCommands.h"

#include "DbFile.h"

const wxString DbCommands::BackupName = wxS("commands_backup.db");

DbCommands* DbCommands::s_instance = nullptr;

DbCommands* DbCommands::GetInstance()
{
    if (!s_instance) {
        s_instance = new DbCommands();
        s_instance->Init();
    }
    return s_instance;
}

void DbCommands::ResetForTests()
{
    delete s_instance;
    s_instance = nullptr;
}

DbCommands::~DbCommands()
{
    if (m_db && m_db->IsOpen())
        m_db->Close();
    delete m_db;
}

void DbCommands::Init()
{
    if (!m_db)
        m_db = new wxSQLite3Database();
}

void DbCommands::Open(const wxString& fileName)
{
    m_fileName = fileName;
    if (m_db->IsOpen())
        return;
    m_backupTaken = false;
    try {
        m_db->Open(fileName, wxEmptyString, WXSQLITE_OPEN_READWRITE | WXSQLITE_OPEN_CREATE);
        m_db->SetBusyTimeout(dbfile::BusyTimeoutMs);
        CreateMissingTable();
    } catch (const wxSQLite3Exception& e) {
        // Not a database, damaged, locked, unreadable: write nothing into it,
        // and let later statements fail instead.
        if (m_db->IsOpen())
            m_db->Close();
        wxSQLite3Exception failure = dbfile::Wrapped(e, "command list \"" + fileName + "\" cannot be used");
        m_backupError = failure.GetMessage();
        throw failure;
    }
    try {
        dbfile::BackupChecked(*m_db, BackupName);
    } catch (const wxSQLite3Exception& e) {
        m_backupError = e.GetMessage();
        throw;
    }
    m_backupTaken = true;
    m_backupError.clear();
}

void DbCommands::CreateMissingTable()
{
    m_db->ExecuteUpdate("CREATE TABLE IF NOT EXISTS commandList (cmd TEXT, type INTEGER)");
}

void DbCommands::RestoreFrom(const wxString& fileName)
{
    if (!m_db->IsOpen())
        throw wxSQLite3Exception(WXSQLITE_ERROR, "the command list database is not open");
    dbfile::CheckDatabaseFile(fileName);
    m_db->Restore(fileName);
    CreateMissingTable();
}

void DbCommands::BackupTo(const wxString& fileName)
{
    m_db->Backup(fileName);
}

wxSQLite3ResultSet DbCommands::GetAll()
{
    // Without an order SQLite may scan an index instead of the table, and the
    // list would come back sorted.
    return m_db->ExecuteQuery("SELECT * FROM commandList ORDER BY rowid");
}

int DbCommands::DeleteAll()
{
    return m_db->ExecuteUpdate("DELETE FROM commandList");
}

wxSQLite3ResultSet DbCommands::ExecuteQuery(wxSQLite3Statement& statement)
{
    return statement.ExecuteQuery();
}

void DbCommands::Insert(const wxString& cmd, int type)
{
    wxSQLite3Statement st = m_db->PrepareStatement("INSERT INTO commandList (cmd,type) VALUES (?,?)");
    st.Bind(1, cmd);
    st.Bind(2, type);
    st.ExecuteUpdate();
}

bool DbCommands::IsOpen() const
{
    return m_db && m_db->IsOpen();
}
