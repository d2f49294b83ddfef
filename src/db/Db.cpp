#include "Db.h"

const wxString Db::FileName = wxS("vantrel-conf.db");
const wxString Db::BackupName = wxS("last_backup.db");

Db::Db() : SingleDatabase("registry", "module list", BackupName) {}

void Db::Init()
{
    CreateConnection();
    Open();
}

void Db::Open()
{
    try {
        Connect(FileName);
    } catch (const wxSQLite3Exception&) {
        if (!IsOpen())
            throw;
        // Only the copy failed: the modules are still there to be listed.
    }
}

wxString Db::TakeOpenNotice()
{
    if (!IsOpen() || !TakeOpenNoticeDue())
        return wxString();
    // What is wrong with the file is said by every statement on it.
    if (!NotOurs().empty())
        return CanRevert() ? "Revert DB Changes brings back the modules of its copy \"" + BackupName + "\"."
                           : wxString();
    const wxString registry = "The registry \"" + FileName + "\"";
    if (ReadOnly())
        return registry +
               " cannot be written in this folder: the modules are listed, but changes cannot be " +
               (CanRevert() ? "saved." : "saved or reverted.");
    if (EarlierCopyKept())
        return registry + " was empty when the program started, so its copy \"" + BackupName +
               "\" from an earlier run was kept: Revert DB Changes brings its modules back.";
    if (!BackupTaken())
        return "No copy of the registry could be taken at start (" + BackupError() +
               "): changes made in this run cannot be reverted.";
    return wxString();
}

std::vector<LocalDatabase::OwnTable> Db::OwnTables() const
{
    return {{"vemtor_vantrel",
             {"ip TEXT", "ssid TEXT", "netmask TEXT", "gw TEXT", "nwtype INTEGER", "macaddress TEXT",
              "idtype INTEGER", "security INTEGER", "pwd TEXT", "descri TEXT"}},
            {"vemtor_vantrel_uart", {"macaddress TEXT", "parity TEXT", "stopbits TEXT", "baudrate TEXT"}}};
}

wxSQLite3ResultSet Db::GetAll()
{
    return Ours().ExecuteQuery("SELECT * FROM vemtor_vantrel");
}

int Db::DeleteAll()
{
    return Ours().ExecuteUpdate("DELETE FROM vemtor_vantrel");
}

wxSQLite3ResultSet Db::GetByMac(const wxString& mac)
{
    return Query("SELECT * FROM vemtor_vantrel where macaddress = ?", {mac});
}

void Db::DeleteByMac(const wxString& mac)
{
    Update("delete from vemtor_vantrel where macaddress = ?", {mac});
}

void Db::InsertModule(const wxString& ip, const wxString& ssid, const wxString& netmask, const wxString& gw,
                      int nwtype, const wxString& mac, int security, const wxString& pwd)
{
    Update(
        "INSERT INTO vemtor_vantrel (ip,ssid,netmask,gw,nwtype,macaddress,idtype,security,pwd) VALUES "
        "(?,?,?,?,?,?,?,?,?)",
        {ip, ssid, netmask, gw, nwtype, mac, 1, security, pwd});
}

void Db::UpdateModule(const wxString& ip, const wxString& ssid, const wxString& netmask, const wxString& gw,
                      int nwtype, const wxString& mac, int security, const wxString& pwd)
{
    Update(
        "UPDATE vemtor_vantrel SET ip=?,ssid=?,netmask=?,gw=?,nwtype=?,security=?,pwd=? WHERE macaddress=?",
        {ip, ssid, netmask, gw, nwtype, security, pwd, mac});
}

void Db::InsertUart(const wxString& mac, const wxString& parity, const wxString& stopbits,
                    const wxString& baudrate)
{
    Update("INSERT INTO vemtor_vantrel_uart (macaddress, parity, stopbits, baudrate) VALUES (?,?,?,?)",
           {mac, parity, stopbits, baudrate});
}

void Db::UpdateUart(const wxString& mac, const wxString& parity, const wxString& stopbits,
                    const wxString& baudrate)
{
    Update("UPDATE vemtor_vantrel_uart SET parity=?,stopbits=?,baudrate=? WHERE macaddress=?",
           {parity, stopbits, baudrate, mac});
}

wxString Db::Exists(const wxString& mac, bool inUart)
{
    return FirstText(inUart ? "SELECT macaddress FROM vemtor_vantrel_uart WHERE macaddress=?"
                            : "SELECT ip FROM vemtor_vantrel WHERE macaddress=?",
                     mac);
}

void Db::SaveDescription(const wxString& ip, const wxString& mac, const wxString& descri)
{
    if (!Exists(mac, false).empty())
        Update("UPDATE vemtor_vantrel SET ip=?,descri=? WHERE macaddress=?", {ip, descri, mac});
    else
        Update("INSERT INTO vemtor_vantrel (ip,macaddress,idtype,descri) VALUES (?,?,?,?)",
               {ip, mac, 1, descri});
}

wxString Db::GetDescription(const wxString& mac)
{
    return FirstText("SELECT descri FROM vemtor_vantrel WHERE macaddress=?", mac);
}
