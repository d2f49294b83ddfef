#include "LocalDatabase.h"

#include "DbFile.h"

LocalDatabase::LocalDatabase(const wxString& what, const wxString& backupName)
    : m_what(what), m_backupName(backupName)
{
}

LocalDatabase::~LocalDatabase()
{
    if (m_db && m_db->IsOpen())
        m_db->Close();
    delete m_db;
}

void LocalDatabase::CreateConnection()
{
    if (!m_db)
        m_db = new wxSQLite3Database();
}

void LocalDatabase::Connect(const wxString& fileName)
{
    if (m_db->IsOpen())
        return;
    m_backupTaken = m_earlierCopyKept = m_readOnly = false;
    // Looked at before the open, which creates a missing file.
    const bool foundEmpty = dbfile::MissingOrEmpty(fileName);
    try {
        m_db->Open(fileName, wxEmptyString, WXSQLITE_OPEN_READWRITE | WXSQLITE_OPEN_CREATE);
        m_db->SetBusyTimeout(dbfile::BusyTimeoutMs);
        m_readOnly = m_db->IsReadOnly() || !dbfile::FolderWritable(fileName);
        try {
            CreateMissingTables();
        } catch (const wxSQLite3Exception&) {
            // What cannot be written can still be read: statements on a
            // missing table fail on their own.
            if (!m_readOnly)
                throw;
        }
    } catch (const wxSQLite3Exception& e) {
        // Not a database, damaged, locked, unreadable: write nothing into it,
        // and let the next use try again.
        if (m_db->IsOpen())
            m_db->Close();
        wxSQLite3Exception failure = dbfile::Wrapped(e, m_what + " \"" + fileName + "\" cannot be used");
        m_backupError = failure.GetMessage();
        m_openFailed = true;
        throw failure;
    }
    m_openFailed = false;
    m_openNoticeDue = true;
    // A copy of nothing would replace the last good copy.
    if (foundEmpty && dbfile::HoldsRows(m_backupName)) {
        m_earlierCopyKept = true;
        m_backupError = "\"" + fileName + "\" was empty";
        return;
    }
    try {
        dbfile::BackupChecked(*m_db, m_backupName);
    } catch (const wxSQLite3Exception& e) {
        m_backupError = e.GetMessage();
        throw;
    }
    m_backupTaken = true;
    m_backupError.clear();
}

bool LocalDatabase::TakeOpenNoticeDue()
{
    const bool due = m_openNoticeDue;
    m_openNoticeDue = false;
    return due;
}

void LocalDatabase::RestoreFrom(const wxString& fileName)
{
    if (!IsOpen())
        throw wxSQLite3Exception(WXSQLITE_ERROR, "the " + m_what + " database is not open");
    dbfile::CheckDatabaseFile(fileName);
    m_db->Restore(fileName);
    // A valid database of another kind still leaves a usable one.
    CreateMissingTables();
}

void LocalDatabase::BackupTo(const wxString& fileName)
{
    if (!IsOpen())
        throw wxSQLite3Exception(WXSQLITE_ERROR, "the " + m_what + " database is not open");
    // A copy onto the open file itself would wait for ever for the lock that
    // its own reading holds.
    if (dbfile::SameFile(fileName, m_db->GetDatabaseFilename("main")))
        throw wxSQLite3Exception(WXSQLITE_ERROR,
                                 "\"" + fileName + "\" is the " + m_what + " database itself");
    m_db->Backup(fileName);
}

wxSQLite3ResultSet LocalDatabase::ExecuteQuery(wxSQLite3Statement& statement)
{
    return statement.ExecuteQuery();
}

bool LocalDatabase::IsOpen() const
{
    return m_db && m_db->IsOpen();
}

void LocalDatabase::Close()
{
    if (m_db)
        m_db->Close();
}

wxSQLite3Statement LocalDatabase::Statement(const char* sql, std::initializer_list<Param> params)
{
    wxSQLite3Statement st = m_db->PrepareStatement(sql);
    int index = 0;
    for (const Param& param : params) {
        ++index;
        std::visit([&](const auto& value) { st.Bind(index, value); }, param);
    }
    return st;
}

void LocalDatabase::Update(const char* sql, std::initializer_list<Param> params)
{
    Statement(sql, params).ExecuteUpdate();
}

wxSQLite3ResultSet LocalDatabase::Query(const char* sql, std::initializer_list<Param> params)
{
    return Statement(sql, params).ExecuteQuery();
}

wxString LocalDatabase::FirstText(const char* sql, const wxString& param)
{
    wxSQLite3ResultSet rows = Query(sql, {param});
    return rows.Eof() ? wxString() : rows.GetAsString(0);
}
