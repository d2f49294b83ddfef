// The module registry: creation on a new machine, every statement, the
// backup copy at open, export, import and revert, and failures that must
// leave the user's files alone.
#include "Db.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "db_test_util.h"

using dbtest::ExecuteOn;
using dbtest::FileExists;
using dbtest::QueryFile;
using dbtest::ReadFile;
using dbtest::Rows;
using dbtest::U8;
using dbtest::WriteFile;

namespace {

const std::vector<const char*> kModuleColumns = {"ip",         "ssid",   "netmask",  "gw",  "nwtype",
                                                 "macaddress", "idtype", "security", "pwd", "descri"};
const std::vector<const char*> kUartColumns = {"macaddress", "parity", "stopbits", "baudrate"};

using Table = std::vector<std::vector<wxString>>;

// A registry file as an earlier run left it.
void MakeRegistry(const std::string& file, const std::vector<const char*>& rows)
{
    std::vector<const char*> sql = {
        "CREATE TABLE vemtor_vantrel (ip, ssid, netmask, gw, nwtype, macaddress, idtype, security, pwd, "
        "descri)",
        "CREATE TABLE vemtor_vantrel_uart (macaddress, parity, stopbits, baudrate)"};
    sql.insert(sql.end(), rows.begin(), rows.end());
    ExecuteOn(file, sql);
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { Db::ResetForTests(); }
    void TearDown() override { Db::ResetForTests(); }

    Table Modules() { return Rows(Db::GetInstance()->GetAll(), kModuleColumns); }
    Table Uarts()
    {
        return QueryFile("vantrel-conf.db", "SELECT * FROM vemtor_vantrel_uart ORDER BY rowid", kUartColumns);
    }

    dbtest::TempWorkDir dir_;
};

TEST_F(RegistryTest, FirstRunCreatesTablesAndBackup)
{
    Db* db = Db::GetInstance();
    EXPECT_TRUE(db->IsOpen());
    EXPECT_TRUE(db->BackupTaken());
    EXPECT_TRUE(db->BackupError().empty());
    EXPECT_TRUE(Modules().empty());
    EXPECT_EQ(db->DeleteAll(), 0);
    EXPECT_EQ(db->Exists("00:11", true), "");

    ASSERT_TRUE(FileExists("last_backup.db"));
    EXPECT_FALSE(FileExists("last_backup.db.tmp"));
    // The copy is a registry of its own, with both tables.
    EXPECT_TRUE(QueryFile("last_backup.db", "SELECT * FROM vemtor_vantrel", kModuleColumns).empty());
    EXPECT_TRUE(QueryFile("last_backup.db", "SELECT * FROM vemtor_vantrel_uart", kUartColumns).empty());

    // Later calls give the same object.
    EXPECT_EQ(Db::GetInstance(), db);
}

TEST_F(RegistryTest, ExistingRegistryIsLeftAsItIs)
{
    MakeRegistry("vantrel-conf.db", {"INSERT INTO vemtor_vantrel VALUES ('10.0.0.1','net','255.0.0.0',"
                                     "'10.0.0.254',1,'AA',1,2,'pw','old')"});
    const std::string before = ReadFile("vantrel-conf.db");
    Db* db = Db::GetInstance();
    EXPECT_EQ(ReadFile("vantrel-conf.db"), before);
    EXPECT_EQ(db->Exists("AA", false), "10.0.0.1");
    EXPECT_EQ(db->GetDescription("AA"), "old");
}

TEST_F(RegistryTest, ModuleStatements)
{
    Db* db = Db::GetInstance();
    db->InsertModule("192.168.1.5", "home", "255.255.255.0", "192.168.1.1", 2, "AA:01", 3, "secret");
    db->InsertModule("192.168.1.6", "lab", "255.255.0.0", "192.168.0.1", 0, "AA:02", 0, "");
    Table rows = Modules();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (std::vector<wxString>{"192.168.1.5", "home", "255.255.255.0", "192.168.1.1", "2",
                                              "AA:01", "1", "3", "secret", ""}));

    db->UpdateModule("192.168.1.50", "office", "255.0.0.0", "10.0.0.1", 1, "AA:01", 4, "newpw");
    Table one = Rows(db->GetByMac("AA:01"), kModuleColumns);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0], (std::vector<wxString>{"192.168.1.50", "office", "255.0.0.0", "10.0.0.1", "1", "AA:01",
                                             "1", "4", "newpw", ""}));
    // The other module is untouched.
    EXPECT_EQ(Rows(db->GetByMac("AA:02"), kModuleColumns)[0][0], "192.168.1.6");

    EXPECT_EQ(db->Exists("AA:01", false), "192.168.1.50");
    EXPECT_EQ(db->Exists("AA:09", false), "");
    EXPECT_EQ(db->Exists("AA:01", true), "");  // no UART row yet

    db->DeleteByMac("AA:01");
    EXPECT_EQ(db->Exists("AA:01", false), "");
    EXPECT_EQ(Modules().size(), 1u);

    db->InsertModule("1.1.1.1", "x", "", "", 0, "AA:03", 0, "");
    EXPECT_EQ(db->DeleteAll(), 2);
    EXPECT_TRUE(Modules().empty());
    EXPECT_EQ(db->DeleteAll(), 0);
}

TEST_F(RegistryTest, UartStatements)
{
    Db* db = Db::GetInstance();
    db->InsertUart("AA:01", "0", "1", "115200");
    db->InsertUart("AA:02", "2", "2", "9600");
    EXPECT_EQ(db->Exists("AA:01", true), "AA:01");
    EXPECT_EQ(db->Exists("AA:01", false), "");  // no module row

    db->UpdateUart("AA:01", "1", "2", "57600");
    EXPECT_EQ(Uarts(), (Table{{"AA:01", "1", "2", "57600"}, {"AA:02", "2", "2", "9600"}}));

    // Clearing the module list keeps the UART rows.
    db->InsertModule("1.2.3.4", "", "", "", 0, "AA:01", 0, "");
    db->DeleteAll();
    EXPECT_EQ(Uarts().size(), 2u);
}

TEST_F(RegistryTest, SaveDescriptionUpdatesOrInserts)
{
    Db* db = Db::GetInstance();
    // A new MAC: a row with ip, macaddress, idtype 1 and descri only.
    db->SaveDescription("10.0.0.7", "BB:01", "pump");
    Table rows = Modules();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (std::vector<wxString>{"10.0.0.7", "", "", "", "", "BB:01", "1", "", "", "pump"}));

    // A known MAC: address and description change, the rest stays.
    db->UpdateModule("10.0.0.7", "net", "255.0.0.0", "10.0.0.1", 1, "BB:01", 2, "pw");
    db->SaveDescription("10.0.0.8", "BB:01", "valve");
    rows = Modules();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], "10.0.0.8");
    EXPECT_EQ(rows[0][1], "net");
    EXPECT_EQ(rows[0][9], "valve");
    EXPECT_EQ(db->GetDescription("BB:01"), "valve");
    EXPECT_EQ(db->GetDescription("BB:99"), "");

    // A row whose ip is empty counts as absent: a second row comes in.
    db->SaveDescription("", "BB:02", "no address");
    EXPECT_EQ(db->Exists("BB:02", false), "");
    db->SaveDescription("10.0.0.9", "BB:02", "found");
    EXPECT_EQ(Rows(db->GetByMac("BB:02"), kModuleColumns).size(), 2u);
}

TEST_F(RegistryTest, TextIsStoredAndReadBackUnchanged)
{
    const wxString texts[] = {
        "it's",
        "say \"hi\"",
        "a;b;c",
        "x'); DROP TABLE vemtor_vantrel; --",
        "?",
        "%s %d %%",
        "back\\slash",
        U8("Caf\xC3\xA9 K\xC3\xBC"
           "che"),
        U8("\xE6\x9D\xB1\xE4\xBA\xAC"),
        U8("\xF0\x9F\x93\xA1 \xC2\xB0"),
        "tab\there",
        "",
    };
    Db* db = Db::GetInstance();
    int n = 0;
    for (const wxString& text : texts) {
        SCOPED_TRACE(text.utf8_string());
        const wxString mac = wxString::Format("M%d", n++) + text;
        db->InsertModule("1.2.3.4", text, "255.0.0.0", "1.2.3.1", 1, mac, 2, text);
        db->SaveDescription("1.2.3.4", mac, text);
        db->InsertUart(mac, text, "1", "9600");
        Table row = Rows(db->GetByMac(mac), kModuleColumns);
        ASSERT_EQ(row.size(), 1u);
        EXPECT_EQ(row[0][1], text);  // ssid
        EXPECT_EQ(row[0][5], mac);
        EXPECT_EQ(row[0][8], text);  // pwd
        EXPECT_EQ(row[0][9], text);  // descri
        EXPECT_EQ(db->GetDescription(mac), text);
        EXPECT_EQ(db->Exists(mac, true), mac);
    }
    EXPECT_EQ(Modules().size(), std::size(texts));
}

TEST_F(RegistryTest, ExportImportRoundTripKeepsEveryRow)
{
    Db* db = Db::GetInstance();
    for (int i = 0; i < 50; ++i)
        db->InsertModule(wxString::Format("10.0.%d.1", i), U8("n\xC3\xA9t"), "255.0.0.0", "", i % 3,
                         wxString::Format("MAC%02d", i), i % 5, "p'w");
    db->InsertUart("MAC01", "0", "1", "115200");
    const Table modules = Modules();
    const Table uarts = Uarts();

    db->BackupTo("export.db");
    db->DeleteAll();
    db->InsertModule("9.9.9.9", "other", "", "", 0, "ZZ", 0, "");
    db->UpdateUart("MAC01", "2", "2", "300");

    db->RestoreFrom("export.db");
    EXPECT_EQ(Modules(), modules);
    EXPECT_EQ(Uarts(), uarts);

    // The exported file is a registry any run can open.
    EXPECT_EQ(QueryFile("export.db", "SELECT * FROM vemtor_vantrel", kModuleColumns), modules);
}

TEST_F(RegistryTest, RevertGoesBackToTheStartOfTheRun)
{
    MakeRegistry("vantrel-conf.db",
                 {"INSERT INTO vemtor_vantrel VALUES ('10.0.0.1','a','','',0,'AA',1,0,'','one')",
                  "INSERT INTO vemtor_vantrel VALUES ('10.0.0.2','b','','',0,'BB',1,0,'','two')",
                  "INSERT INTO vemtor_vantrel_uart VALUES ('AA','0','1','9600')"});
    Db* db = Db::GetInstance();
    ASSERT_TRUE(db->BackupTaken());
    const Table atStart = Modules();
    const Table uartsAtStart = Uarts();

    db->DeleteByMac("AA");
    db->SaveDescription("10.0.0.3", "CC", "three");
    db->UpdateUart("AA", "1", "1", "1200");

    db->RestoreFrom(Db::BackupName);
    EXPECT_EQ(Modules(), atStart);
    EXPECT_EQ(Uarts(), uartsAtStart);
    // Twice in a run restores the same copy.
    db->DeleteAll();
    db->RestoreFrom(Db::BackupName);
    EXPECT_EQ(Modules(), atStart);
}

TEST_F(RegistryTest, BackupHoldsTheStateAtTheLatestStart)
{
    Db::GetInstance()->SaveDescription("10.0.0.1", "AA", "first run");
    Db::ResetForTests();  // the program ends

    Db* db = Db::GetInstance();  // and starts again
    ASSERT_TRUE(db->BackupTaken());
    db->SaveDescription("10.0.0.2", "BB", "second run");
    EXPECT_EQ(QueryFile("last_backup.db", "SELECT descri FROM vemtor_vantrel", {"descri"}),
              (Table{{"first run"}}));
}

TEST_F(RegistryTest, ImportRefusesFilesThatAreNoDatabase)
{
    Db* db = Db::GetInstance();
    db->SaveDescription("10.0.0.1", "AA", "keep me");
    const Table before = Modules();
    WriteFile("notes.db", std::string(4096, 'x'));
    WriteFile("header-only.db", "SQLite format 3");  // a header and nothing else

    for (const char* file : {"notes.db", "missing.db", "header-only.db"}) {
        SCOPED_TRACE(file);
        try {
            db->RestoreFrom(file);
            ADD_FAILURE() << "import accepted";
        } catch (const wxSQLite3Exception& e) {
            EXPECT_NE(e.GetMessage().Find(file), wxNOT_FOUND) << e.GetMessage().utf8_string();
        }
        EXPECT_EQ(Modules(), before);
    }
    EXPECT_FALSE(FileExists("missing.db"));  // not created by the attempt
}

TEST_F(RegistryTest, ImportOfAnotherKindOfDatabaseLeavesAUsableRegistry)
{
    ExecuteOn("other.db", {"CREATE TABLE commandList (cmd TEXT, type INTEGER)"});
    Db* db = Db::GetInstance();
    db->SaveDescription("10.0.0.1", "AA", "gone after import");
    db->RestoreFrom("other.db");
    EXPECT_TRUE(Modules().empty());
    db->SaveDescription("10.0.0.2", "BB", "works");
    EXPECT_EQ(db->GetDescription("BB"), "works");
}

// A registry file that cannot be used: the program reports it, and neither
// the file nor the backup of the previous run is touched.
TEST_F(RegistryTest, UnusableRegistryIsReportedAndNothingIsOverwritten)
{
    struct Case {
        const char* name;
        std::string registry;
    } cases[] = {
        {"text file", std::string("module list\n") + std::string(3000, 'z')},
        {"broken header", "SQLite format 3" + std::string(5000, '\x01')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Db::ResetForTests();
        std::filesystem::remove("last_backup.db");
        MakeRegistry("last_backup.db", {"INSERT INTO vemtor_vantrel (macaddress) VALUES ('SAFE')"});
        const std::string goodBackup = ReadFile("last_backup.db");
        WriteFile("vantrel-conf.db", c.registry);

        EXPECT_THROW(Db::GetInstance(), wxSQLite3Exception);
        EXPECT_EQ(ReadFile("vantrel-conf.db"), c.registry);
        EXPECT_EQ(ReadFile("last_backup.db"), goodBackup);

        Db* db = Db::GetInstance();  // no second try, no crash
        EXPECT_FALSE(db->IsOpen());
        EXPECT_FALSE(db->BackupTaken());
        EXPECT_FALSE(db->BackupError().empty());
        EXPECT_THROW(db->GetAll(), wxSQLite3Exception);
        EXPECT_THROW(db->SaveDescription("1.2.3.4", "AA", "x"), wxSQLite3Exception);
        EXPECT_THROW(db->RestoreFrom(Db::BackupName), wxSQLite3Exception);
        EXPECT_EQ(ReadFile("vantrel-conf.db"), c.registry);
        EXPECT_EQ(ReadFile("last_backup.db"), goodBackup);
    }
}

TEST_F(RegistryTest, DirectoryInPlaceOfTheRegistryGivesAnError)
{
    std::filesystem::create_directory("vantrel-conf.db");
    MakeRegistry("last_backup.db", {});
    const std::string goodBackup = ReadFile("last_backup.db");
    try {
        Db::GetInstance();
        ADD_FAILURE() << "opened a directory";
    } catch (const wxSQLite3Exception& e) {
        EXPECT_FALSE(e.GetMessage().empty());
    }
    EXPECT_EQ(ReadFile("last_backup.db"), goodBackup);
}

TEST_F(RegistryTest, LockedRegistryGivesAnErrorAndOpensOnceFree)
{
    MakeRegistry("vantrel-conf.db", {"INSERT INTO vemtor_vantrel (ip, macaddress) VALUES ('1.1.1.1', 'AA')"});
    MakeRegistry("last_backup.db", {});
    const std::string goodBackup = ReadFile("last_backup.db");
    {
        wxSQLite3Database other;
        other.Open("vantrel-conf.db");
        other.ExecuteUpdate("BEGIN EXCLUSIVE");
        try {
            Db::GetInstance();
            ADD_FAILURE() << "opened a locked file";
        } catch (const wxSQLite3Exception& e) {
            EXPECT_NE(e.GetMessage().Lower().Find("locked"), wxNOT_FOUND) << e.GetMessage().utf8_string();
        }
        EXPECT_EQ(ReadFile("last_backup.db"), goodBackup);
        other.ExecuteUpdate("ROLLBACK");
    }
    // An explicit open tries again.
    Db* db = Db::GetInstance();
    db->Open();
    EXPECT_TRUE(db->BackupTaken());
    EXPECT_EQ(db->Exists("AA", false), "1.1.1.1");
}

TEST_F(RegistryTest, DamagedRegistryNeverReplacesTheBackup)
{
    std::vector<const char*> sql = {"BEGIN"};
    std::vector<std::string> inserts;
    for (int i = 0; i < 800; ++i)
        inserts.push_back("INSERT INTO vemtor_vantrel (ip, macaddress, descri) VALUES ('10.0.0." +
                          std::to_string(i % 250) + "', 'M" + std::to_string(i) + "', '" +
                          std::string(60, 'd') + "')");
    for (const std::string& s : inserts)
        sql.push_back(s.c_str());
    sql.push_back("COMMIT");
    MakeRegistry("vantrel-conf.db", sql);
    MakeRegistry("last_backup.db", {"INSERT INTO vemtor_vantrel (macaddress) VALUES ('SAFE')"});
    const std::string goodBackup = ReadFile("last_backup.db");
    // Scribble over the middle of the table's pages.
    std::string bytes = ReadFile("vantrel-conf.db");
    ASSERT_GT(bytes.size(), 8 * 4096u);
    std::fill(bytes.begin() + 5 * 4096 + 100, bytes.begin() + 5 * 4096 + 3100, '\x5a');
    WriteFile("vantrel-conf.db", bytes);

    try {
        Db::GetInstance();
        ADD_FAILURE() << "damage not noticed";
    } catch (const wxSQLite3Exception& e) {
        EXPECT_NE(e.GetMessage().Find("last_backup.db"), wxNOT_FOUND) << e.GetMessage().utf8_string();
    }
    EXPECT_EQ(ReadFile("last_backup.db"), goodBackup);
    EXPECT_FALSE(FileExists("last_backup.db.tmp"));
    EXPECT_FALSE(Db::GetInstance()->BackupTaken());
}

TEST_F(RegistryTest, FailedBackupLeavesTheRegistryUsable)
{
    MakeRegistry("last_backup.db", {"INSERT INTO vemtor_vantrel (macaddress) VALUES ('OLD')"});
    const std::string oldBackup = ReadFile("last_backup.db");
    // The temporary copy cannot be written.
    std::filesystem::create_directories("last_backup.db.tmp/blocked");

    EXPECT_THROW(Db::GetInstance(), wxSQLite3Exception);
    Db* db = Db::GetInstance();
    EXPECT_TRUE(db->IsOpen());
    EXPECT_FALSE(db->BackupTaken());
    EXPECT_NE(db->BackupError().Find("last_backup.db"), wxNOT_FOUND);
    EXPECT_EQ(ReadFile("last_backup.db"), oldBackup);

    db->SaveDescription("10.0.0.1", "AA", "still works");
    EXPECT_EQ(db->GetDescription("AA"), "still works");
    db->Open();  // already open: no new attempt
    EXPECT_FALSE(db->BackupTaken());
}

}  // namespace
