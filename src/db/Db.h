// The module registry: "vantrel-conf.db" in the working folder, copied to
// "last_backup.db" each time it is opened. One object per process, GUI thread
// only. Every method throws wxSQLite3Exception when the wrapper or SQLite
// fails; user and module texts are bound as parameters, never pasted into SQL.
#pragma once

#include <wx/string.h>
#include <wx/wxsqlite3.h>

#include "LocalDatabase.h"

// Db::GetInstance gives the one registry: the first call creates it and opens
// the file; when that open throws, the next call tries again.
class Db : public SingleDatabase<Db> {
public:
    // Creates the connection object, then Open.
    void Init();
    // Opens the registry (creating the file and its tables when missing) and
    // takes the backup copy. Does nothing when already open. A file that is
    // not a database, or is locked or unreadable, leaves the connection closed
    // and throws. A copy that cannot be taken leaves the registry open and
    // usable: TakeOpenNotice then says what this run cannot do.
    void Open();
    // Once after each open, what the user must know about it: a registry
    // that cannot be changed here, a copy not taken (no revert), or an
    // earlier copy kept because the registry was found empty. Empty when all
    // is well, and on every later call.
    wxString TakeOpenNotice();

    wxSQLite3ResultSet GetAll();
    int DeleteAll();
    wxSQLite3ResultSet GetByMac(const wxString& mac);
    void DeleteByMac(const wxString& mac);
    void InsertModule(const wxString& ip, const wxString& ssid, const wxString& netmask, const wxString& gw,
                      int nwtype, const wxString& mac, int security, const wxString& pwd);
    void UpdateModule(const wxString& ip, const wxString& ssid, const wxString& netmask, const wxString& gw,
                      int nwtype, const wxString& mac, int security, const wxString& pwd);
    void InsertUart(const wxString& mac, const wxString& parity, const wxString& stopbits,
                    const wxString& baudrate);
    void UpdateUart(const wxString& mac, const wxString& parity, const wxString& stopbits,
                    const wxString& baudrate);
    // The module row's ip (inUart false) or the UART row's macaddress (inUart
    // true) of the first row with that MAC; empty when there is none.
    wxString Exists(const wxString& mac, bool inUart);
    // Updates ip and descri of the module's rows, or inserts a row when the
    // MAC has no row with a non-empty ip.
    void SaveDescription(const wxString& ip, const wxString& mac, const wxString& descri);
    wxString GetDescription(const wxString& mac);

    static const wxString FileName;    // "vantrel-conf.db"
    static const wxString BackupName;  // "last_backup.db"

private:
    friend class SingleDatabase<Db>;
    Db();
    ~Db() override = default;

    std::vector<OwnTable> OwnTables() const override;
};
