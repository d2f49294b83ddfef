#include "Db.h"

#include "DbFile.h"

const wxString Db::FileName = wxS("vantrel-conf.db");
const wxString Db::BackupName = wxS("last_backup.db");

Db* Db::s_instance = nullptr;

Db* Db::GetInstance()
{
    if (!s_instance) {
        // Registered before opening: a failed open is not retried.
        s_instance = new Db();
        s_instance->Init();
    }
    return s_instance;
}

void Db::ResetForTests()
{
    delete s_instance;
    s_instance = nullptr;
}

Db::~Db()
{
    if (m_db && m_db->IsOpen())
        m_db->Close();
    delete m_db;
}

void Db::Init()
{
    if (!m_db)
        m_db = new wxSQLite3Database();
    Open();
}

void Db::Open()
{
    if (m_db->IsOpen())
        return;
    m_backupTaken = false;
    try {
        m_db->Open(FileName, wxEmptyString, WXSQLITE_OPEN_READWRITE | WXSQLITE_OPEN_CREATE);
        m_db->SetBusyTimeout(dbfile::BusyTimeoutMs);
        CreateMissingTables();
    } catch (const wxSQLite3Exception& e) {
        // Not a database, damaged, locked, unreadable: write nothing into it,
        // and let later statements fail instead.
        if (m_db->IsOpen())
            m_db->Close();
        wxSQLite3Exception failure = dbfile::Wrapped(e, "registry \"" + FileName + "\" cannot be used");
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

void Db::CreateMissingTables()
{
    m_db->ExecuteUpdate(
        "CREATE TABLE IF NOT EXISTS vemtor_vantrel (ip TEXT, ssid TEXT, netmask TEXT, gw TEXT, "
        "nwtype INTEGER, macaddress TEXT, idtype INTEGER, security INTEGER, pwd TEXT, descri TEXT)");
    m_db->ExecuteUpdate(
        "CREATE TABLE IF NOT EXISTS vemtor_vantrel_uart (macaddress TEXT, parity TEXT, stopbits TEXT, "
        "baudrate TEXT)");
}

void Db::RestoreFrom(const wxString& fileName)
{
    if (!m_db->IsOpen())
        throw wxSQLite3Exception(WXSQLITE_ERROR, "the registry database is not open");
    dbfile::CheckDatabaseFile(fileName);
    m_db->Restore(fileName);
    // A valid database of another kind still leaves a usable registry.
    CreateMissingTables();
}

void Db::BackupTo(const wxString& fileName)
{
    m_db->Backup(fileName);
}

wxSQLite3ResultSet Db::GetAll()
{
    return m_db->ExecuteQuery("SELECT * FROM vemtor_vantrel");
}

int Db::DeleteAll()
{
    return m_db->ExecuteUpdate("DELETE FROM vemtor_vantrel");
}

wxSQLite3ResultSet Db::ExecuteQuery(wxSQLite3Statement& statement)
{
    return statement.ExecuteQuery();
}

wxSQLite3ResultSet Db::GetByMac(const wxString& mac)
{
    wxSQLite3Statement st = m_db->PrepareStatement("SELECT * FROM vemtor_vantrel where macaddress = ?");
    st.Bind(1, mac);
    return st.ExecuteQuery();
}

void Db::DeleteByMac(const wxString& mac)
{
    wxSQLite3Statement st = m_db->PrepareStatement("delete from vemtor_vantrel where macaddress = ?");
    st.Bind(1, mac);
    st.ExecuteUpdate();
}

void Db::InsertModule(const wxString& ip, const wxString& ssid, const wxString& netmask, const wxString& gw,
                      int nwtype, const wxString& mac, int security, const wxString& pwd)
{
    wxSQLite3Statement st = m_db->PrepareStatement(
        "INSERT INTO vemtor_vantrel (ip,ssid,netmask,gw,nwtype,macaddress,idtype,security,pwd) VALUES "
        "(?,?,?,?,?,?,?,?,?)");
    st.Bind(1, ip);
    st.Bind(2, ssid);
    st.Bind(3, netmask);
    st.Bind(4, gw);
    st.Bind(5, nwtype);
    st.Bind(6, mac);
    st.Bind(7, 1);
    st.Bind(8, security);
    st.Bind(9, pwd);
    st.ExecuteUpdate();
}

void Db::UpdateModule(const wxString& ip, const wxString& ssid, const wxString& netmask, const wxString& gw,
                      int nwtype, const wxString& mac, int security, const wxString& pwd)
{
    wxSQLite3Statement st = m_db->PrepareStatement(
        "UPDATE vemtor_vantrel SET ip=?,ssid=?,netmask=?,gw=?,nwtype=?,security=?,pwd=? WHERE macaddress=?");
    st.Bind(1, ip);
    st.Bind(2, ssid);
    st.Bind(3, netmask);
    st.Bind(4, gw);
    st.Bind(5, nwtype);
    st.Bind(6, security);
    st.Bind(7, pwd);
    st.Bind(8, mac);
    st.ExecuteUpdate();
}

void Db::InsertUart(const wxString& mac, const wxString& parity, const wxString& stopbits,
                    const wxString& baudrate)
{
    wxSQLite3Statement st = m_db->PrepareStatement(
        "INSERT INTO vemtor_vantrel_uart (macaddress, parity, stopbits, baudrate) VALUES (?,?,?,?)");
    st.Bind(1, mac);
    st.Bind(2, parity);
    st.Bind(3, stopbits);
    st.Bind(4, baudrate);
    st.ExecuteUpdate();
}

void Db::UpdateUart(const wxString& mac, const wxString& parity, const wxString& stopbits,
                    const wxString& baudrate)
{
    wxSQLite3Statement st = m_db->PrepareStatement(
        "UPDATE vemtor_vantrel_uart SET parity=?,stopbits=?,baudrate=? WHERE macaddress=?");
    st.Bind(1, parity);
    st.Bind(2, stopbits);
    st.Bind(3, baudrate);
    st.Bind(4, mac);
    st.ExecuteUpdate();
}

wxString Db::Exists(const wxString& mac, bool inUart)
{
    wxSQLite3Statement st =
        m_db->PrepareStatement(inUart ? "SELECT macaddress FROM vemtor_vantrel_uart WHERE macaddress=?"
                                      : "SELECT ip FROM vemtor_vantrel WHERE macaddress=?");
    st.Bind(1, mac);
    wxSQLite3ResultSet rows = st.ExecuteQuery();
    return rows.Eof() ? wxString() : rows.GetAsString(0);
}

void Db::SaveDescription(const wxString& ip, const wxString& mac, const wxString& descri)
{
    if (!Exists(mac, false).empty()) {
        wxSQLite3Statement st =
            m_db->PrepareStatement("UPDATE vemtor_vantrel SET ip=?,descri=? WHERE macaddress=?");
        st.Bind(1, ip);
        st.Bind(2, descri);
        st.Bind(3, mac);
        st.ExecuteUpdate();
    } else {
        wxSQLite3Statement st = m_db->PrepareStatement(
            "INSERT INTO vemtor_vantrel (ip,macaddress,idtype,descri) VALUES (?,?,?,?)");
        st.Bind(1, ip);
        st.Bind(2, mac);
        st.Bind(3, 1);
        st.Bind(4, descri);
        st.ExecuteUpdate();
    }
}

wxString Db::GetDescription(const wxString& mac)
{
    wxSQLite3Statement st = m_db->PrepareStatement("SELECT descri FROM vemtor_vantrel WHERE macaddress=?");
    st.Bind(1, mac);
    wxSQLite3ResultSet rows = st.ExecuteQuery();
    return rows.Eof() ? wxString() : rows.GetAsString(0);
}

bool Db::IsOpen() const
{
    return m_db && m_db->IsOpen();
}

void Db::Close()
{
    if (m_db)
        m_db->Close();
}
