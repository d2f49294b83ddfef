#include "LocalDatabase.h"

#include "DbFile.h"

LocalDatabase::LocalDatabase(const wxString& what, const wxString& kind, const wxString& backupName)
    : m_what(what), m_kind(kind), m_backupName(backupName)
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
        m_notOurs = Foreign(*m_db, fileName);
        try {
            if (m_notOurs.empty())
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
    // Another program's file is no copy of ours: the copy there is kept, and
    // is what a revert brings back.
    if (!m_notOurs.empty()) {
        m_earlierCopyKept = dbfile::HoldsRows(m_backupName);
        m_backupError = m_notOurs;
        return;
    }
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
    wxString foreign;
    {
        wxSQLite3Database source;
        source.Open(fileName, wxEmptyString, WXSQLITE_OPEN_READONLY);
        foreign = Foreign(source, fileName);
    }
    if (!foreign.empty())
        throw wxSQLite3Exception(WXSQLITE_ERROR, foreign);
    m_db->Restore(fileName);
    m_notOurs.clear();
    // A file without any table still leaves a usable database.
    CreateMissingTables();
}

void LocalDatabase::BackupTo(const wxString& fileName)
{
    Ours();
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

wxSQLite3Database& LocalDatabase::Ours()
{
    if (!IsOpen())
        throw wxSQLite3Exception(WXSQLITE_ERROR, "the " + m_what + " database is not open");
    if (!m_notOurs.empty())
        throw wxSQLite3Exception(WXSQLITE_ERROR, m_notOurs + "; it is left as it is");
    return *m_db;
}

void LocalDatabase::CreateMissingTables()
{
    for (const OwnTable& table : OwnTables()) {
        wxString sql = wxString("CREATE TABLE IF NOT EXISTS ") + table.name + " (";
        for (const char* column : table.columns)
            sql += wxString(column) + (column == table.columns.back() ? ")" : ", ");
        m_db->ExecuteUpdate(sql);
    }
}

wxString LocalDatabase::Foreign(wxSQLite3Database& db, const wxString& fileName) const
{
    const wxString head = "\"" + fileName + "\" is not a " + m_kind + " of this program: ";
    const std::vector<OwnTable> tables = OwnTables();
    if (!db.TableExists(tables.front().name)) {
        // A new file, or one emptied, is given our tables.
        if (db.ExecuteScalar(
                "SELECT count(*) FROM sqlite_master WHERE name NOT LIKE 'sqlite^_%' ESCAPE '^'") == 0)
            return wxString();
        return head + "it has no table " + tables.front().name;
    }
    for (const OwnTable& table : tables) {
        if (!db.TableExists(table.name))
            continue;
        wxArrayString have;
        wxSQLite3ResultSet info = db.ExecuteQuery(wxString("PRAGMA table_info(") + table.name + ")");
        while (info.NextRow())
            have.Add(info.GetAsString("name").Lower());
        info.Finalize();
        for (const char* column : table.columns) {
            const wxString name = wxString(column).BeforeFirst(' ');
            if (have.Index(name) == wxNOT_FOUND)
                return head + "its table " + table.name + " has no column " + name;
        }
    }
    return wxString();
}

wxSQLite3Statement LocalDatabase::Statement(const char* sql, std::initializer_list<Param> params)
{
    wxSQLite3Statement st = Ours().PrepareStatement(sql);
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
