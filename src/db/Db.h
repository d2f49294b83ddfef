// The module registry: "vantrel-conf.db" in the working folder, copied to
// "last_backup.db" each time it is opened. One object per process, GUI thread
// only. Every method throws wxSQLite3Exception when the wrapper or SQLite
// fails; user and module texts are bound as parameters, never pasted into SQL.
#pragma once

#include <wx/string.h>
#include <wx/wxsqlite3.h>

class Db : public wxSQLite3Database {
public:
    // The one registry. The first call creates it and opens the file; when
    // that open throws, later calls return the same object without trying
    // again (its statements then throw).
    static Db* GetInstance();
    // Tests only: closes and deletes the object so that the next
    // GetInstance starts afresh (for example in another working folder).
    static void ResetForTests();

    // Creates the connection object, then Open.
    void Init();
    // Opens the registry (creating the file and its tables when missing) and
    // takes the backup copy. Does nothing when already open. A file that is
    // not a database, or is locked or unreadable, leaves the connection closed
    // and throws; a failed backup leaves the registry open and throws.
    void Open();
    // Whether the backup copy of this run was taken by the last Open; when
    // not, "last_backup.db" is older than this run (or missing) and
    // BackupError says why.
    bool BackupTaken() const { return m_backupTaken; }
    const wxString& BackupError() const { return m_backupError; }

    // Replaces the whole registry with the content of a database file. A file
    // that is missing or not a valid database is refused before anything is
    // changed.
    void RestoreFrom(const wxString& fileName);
    // Copies the whole registry into a file, replacing its content.
    void BackupTo(const wxString& fileName);

    wxSQLite3ResultSet GetAll();
    int DeleteAll();
    wxSQLite3ResultSet ExecuteQuery(wxSQLite3Statement& statement);
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

    // The registry connection, not this object's own (never opened) base.
    bool IsOpen() const;
    void Close();

    static const wxString FileName;    // "vantrel-conf.db"
    static const wxString BackupName;  // "last_backup.db"

private:
    Db() = default;
    ~Db() override;
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;

    // Creates the tables that the file lacks; leaves existing ones alone.
    void CreateMissingTables();

    static Db* s_instance;
    wxSQLite3Database* m_db = nullptr;
    bool m_backupTaken = false;
    wxString m_backupError;
};
