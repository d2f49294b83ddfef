// The registry and the command list in a fresh working folder.
#include "Db.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "DbCommands.h"

namespace {

namespace fs = std::filesystem;
using Table = std::vector<std::vector<std::string>>;

std::string ReadFile(const wxString& name)
{
    std::ifstream in(name.utf8_string(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

Table Rows(wxSQLite3ResultSet rows)
{
    Table out;
    while (rows.NextRow())
        for (int i = 0; i < rows.GetColumnCount(); ++i)
            (i ? out.back() : out.emplace_back()).push_back(rows.GetAsString(i).utf8_string());
    return out;
}

// Runs statements on a file through a connection of its own; the last one's rows.
Table OnFile(const wxString& file, const std::vector<std::string>& statements)
{
    wxSQLite3Database db;
    db.Open(file);
    Table rows;
    for (const std::string& sql : statements)
        rows = Rows(db.ExecuteQuery(sql.c_str()));
    return rows;
}

class LocalDbTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string dir = (fs::temp_directory_path() / "vantrel-db-XXXXXX").string();
        ASSERT_NE(mkdtemp(dir.data()), nullptr);
        fs::current_path(dir_ = dir);
    }
    void TearDown() override
    {
        Db::ResetForTests();
        DbCommands::ResetForTests();
        fs::current_path(old_);
        fs::remove_all(dir_);
    }
    fs::path old_ = fs::current_path(), dir_;
};

// Each parameter gets a value of its own, so two swapped ones cannot pass.
TEST_F(LocalDbTest, EveryParameterLandsInItsOwnColumn)
{
    Db* db = Db::GetInstance();
    DbCommands* list = DbCommands::GetInstance();
    list->Open("localcmd.sqlite");
    const wxString nonAscii = wxString::FromUTF8("Caf\xC3\xA9 \xE6\x9D\xB1 \xF0\x9F\x93\xA1");
    const wxString texts[] = {"it's \"quoted\"", "a;b;", "x'); DROP TABLE x; --", "", nonAscii};
    Table commands, uarts;
    for (const wxString& text : texts) {
        const int n = int(commands.size());
        const auto v = [&](const char* column) { return text + column; };
        const auto u = [&](const char* column) { return v(column).utf8_string(); };
        const wxString mac = wxString::Format("M%d", n) + text;
        const std::string m = mac.utf8_string(), i = std::to_string(n);
        db->InsertModule(v("ip"), v("ssid"), v("mask"), v("gw"), 10 + n, mac, 20 + n, v("pwd"));
        EXPECT_EQ(Rows(db->GetByMac(mac)),
                  (Table{{u("ip"), u("ssid"), u("mask"), u("gw"), "1" + i, m, "1", "2" + i, u("pwd"), ""}}));
        db->UpdateModule(v("ip2"), v("ssid2"), v("mask2"), v("gw2"), 30 + n, mac, 40 + n, v("pwd2"));
        db->SaveDescription(v("ip3"), mac, v("descri"));  // a known MAC: ip and descri change
        EXPECT_EQ(Rows(db->GetByMac(mac)), (Table{{u("ip3"), u("ssid2"), u("mask2"), u("gw2"), "3" + i, m,
                                                   "1", "4" + i, u("pwd2"), u("descri")}}));
        db->InsertUart(mac, v("par"), v("stop"), v("baud"));
        db->UpdateUart(mac, v("par2"), v("stop2"), v("baud2"));
        EXPECT_EQ(db->Exists(mac, false), v("ip3"));
        EXPECT_EQ(db->Exists(mac, true), mac);
        EXPECT_EQ(db->GetDescription(mac), v("descri"));
        uarts.push_back({m, u("par2"), u("stop2"), u("baud2")});
        list->Insert(v("cmd"), 50 + n);
        commands.push_back({u("cmd"), "5" + i});
    }
    EXPECT_EQ(Rows(list->GetAll()), commands);
    EXPECT_EQ(OnFile(Db::FileName, {"SELECT * FROM vemtor_vantrel_uart"}), uarts);
    // A MAC whose row has no ip counts as absent: a second row is inserted,
    // holding only ip, MAC, idtype 1 and descri.
    db->InsertModule("", "", "", "", 0, "NEW", 0, "");
    EXPECT_EQ(db->Exists("NEW", false), "");
    EXPECT_EQ(db->Exists("NEW", true), "");
    db->SaveDescription("10.0.0.9", "NEW", "d");
    EXPECT_EQ(Rows(db->GetByMac("NEW")), (Table{{"", "", "", "", "0", "NEW", "1", "0", "", ""},
                                                {"10.0.0.9", "", "", "", "", "NEW", "1", "", "", "d"}}));
    db->DeleteByMac("NEW");
    EXPECT_EQ(Rows(db->GetByMac("NEW")), Table{});
    EXPECT_EQ(db->DeleteAll(), int(std::size(texts)));
}

// At a later start: a registry that is no database is refused, and tried
// again at its next use, so a mended file opens; one whose copy would be
// damaged stays open, keeps the old copy and cannot be reverted; an empty one
// keeps a copy that holds rows, and replaces one that holds none.
TEST_F(LocalDbTest, OpenNeverReplacesAGoodCopyWithABadOrEmptyOne)
{
    EXPECT_TRUE(Db::GetInstance()->BackupTaken());
    OnFile(Db::FileName, {"INSERT INTO vemtor_vantrel (ip) VALUES ('1')"});
    const std::string good = ReadFile(Db::FileName);
    Db::ResetForTests();
    Db::GetInstance();  // takes the copy that holds the row
    const std::string backup = ReadFile(Db::BackupName);
    enum Damage { HeaderScribbled, TableScribbled, Empty, EmptyBesideEmptyCopy, LeftoverTemporaryCopy };
    const struct {
        Damage damage;
        bool copyTaken, copyKept;
        const char* notice;  // what the notice says; empty: none
    } cases[] = {
        {HeaderScribbled, true, false, ""},
        {TableScribbled, false, false,
         "backup copy \"last_backup.db\" not taken: \"last_backup.db.tmp\" is damaged: "},
        {Empty, false, true,
         "The registry \"vantrel-conf.db\" was empty when the program started, so its copy "
         "\"last_backup.db\" from an earlier run was kept: Revert DB Changes brings its modules back."},
        {EmptyBesideEmptyCopy, true, false, ""},
        // A copy an interrupted run left half written is no reason to keep none.
        {LeftoverTemporaryCopy, true, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.damage);
        Db::ResetForTests();
        std::ofstream(Db::FileName.utf8_string(), std::ios::binary) << good;
        std::ofstream(Db::BackupName.utf8_string(), std::ios::binary) << backup;
        if (c.damage == TableScribbled)
            OnFile(Db::FileName,
                   {"WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < 800) "
                    "INSERT INTO vemtor_vantrel (descri) SELECT hex(zeroblob(40)) FROM s"});
        if (c.damage == HeaderScribbled || c.damage == TableScribbled)
            std::fstream(Db::FileName.utf8_string(), std::ios::in | std::ios::out)
                    .seekp(c.damage == TableScribbled ? 5 * 4096 + 100 : 0)
                << std::string(3000, 'Z');
        if (c.damage == Empty || c.damage == EmptyBesideEmptyCopy)
            std::ofstream(Db::FileName.utf8_string(), std::ios::trunc);
        if (c.damage == EmptyBesideEmptyCopy)
            OnFile(Db::BackupName, {"DELETE FROM vemtor_vantrel"});
        if (c.damage == LeftoverTemporaryCopy)
            std::ofstream("last_backup.db.tmp") << std::string(5000, 'Z');
        const std::string registry = ReadFile(Db::FileName), copy = ReadFile(Db::BackupName);
        if (c.damage == HeaderScribbled) {
            EXPECT_THROW(Db::GetInstance(), wxSQLite3Exception);
            EXPECT_THROW(Db::GetInstance(), wxSQLite3Exception) << "the next use tries again";
            EXPECT_TRUE(ReadFile(Db::FileName) == registry && ReadFile(Db::BackupName) == copy);
            std::ofstream(Db::FileName.utf8_string(), std::ios::binary) << good;
        }
        Db* db = Db::GetInstance();  // for a refused file, its next use
        EXPECT_TRUE(db->IsOpen());
        EXPECT_EQ(db->BackupTaken(), c.copyTaken);
        EXPECT_EQ(db->EarlierCopyKept(), c.copyKept);
        EXPECT_EQ(db->CanRevert(), c.copyTaken || c.copyKept);
        const std::string notice = db->TakeOpenNotice().utf8_string();
        EXPECT_NE(notice.find(c.notice), std::string::npos) << notice;
        EXPECT_EQ(notice.empty(), !*c.notice) << notice;
        EXPECT_EQ(db->TakeOpenNotice(), "") << "said once";
        EXPECT_FALSE(fs::exists("last_backup.db.tmp"));
        EXPECT_TRUE(c.copyTaken || ReadFile(Db::BackupName) == copy);
        EXPECT_TRUE(c.damage != TableScribbled || ReadFile(Db::FileName) == registry);
    }
}

// A file of another program, or ours with a column missing, beside a copy
// that holds rows: both stay byte for byte, every statement names the file
// and what is wrong, an import of it is refused, and Revert brings the rows
// back. Column names in another letter case are ours.
TEST_F(LocalDbTest, AFileOfAnotherProgramIsNeitherChangedNorCopied)
{
    const std::string uart = "CREATE TABLE vemtor_vantrel_uart (macaddress, parity, stopbits, baudrate)";
    const std::string modules =
        "CREATE TABLE vemtor_vantrel (ip, ssid, netmask, gw, nwtype, macaddress, idtype, "
        "security, pwd, descri)";
    const struct {
        std::vector<std::string> schema;
        std::string wrong;
        size_t copyRows;  // 0: a copy with our tables and no row, nothing to revert to
    } cases[] = {
        {{"CREATE TABLE notes (body TEXT)"}, "it has no table vemtor_vantrel", 1},
        {{"CREATE TABLE vemtor_vantrel (ip, mac, descri)"}, "its table vemtor_vantrel has no column ssid", 1},
        {{modules, uart.substr(0, uart.size() - 11) + ")"},
         "its table vemtor_vantrel_uart has no column baudrate",
         1},
        {{"CREATE TABLE notes (body TEXT)"}, "it has no table vemtor_vantrel", 0},
        {{"CREATE TABLE vemtor_vantrel (IP, SSID, NETMASK, GW, NWTYPE, MACADDRESS, IDTYPE, SECURITY, PWD, "
          "Descri)"},
         "",
         1},
    };
    for (const auto& [schema, wrong, copyRows] : cases) {
        SCOPED_TRACE(schema.back() + " beside a copy of " + std::to_string(copyRows) + " rows");
        Db::ResetForTests();
        fs::remove(Db::FileName.utf8_string());
        fs::remove(Db::BackupName.utf8_string());
        OnFile(Db::BackupName, {modules, copyRows ? "INSERT INTO vemtor_vantrel (macaddress) VALUES ('M')"
                                                  : "DELETE FROM vemtor_vantrel"});
        OnFile(Db::FileName, schema);
        fs::copy_file(Db::FileName.utf8_string(), "other.db", fs::copy_options::overwrite_existing);
        const std::string fileBytes = ReadFile(Db::FileName), copyBytes = ReadFile(Db::BackupName);
        Db* db = Db::GetInstance();
        if (wrong.empty()) {
            EXPECT_TRUE(db->NotOurs().empty());
            EXPECT_EQ(Rows(db->GetAll()), Table{});
            continue;
        }
        const std::string why =
            "\"" + Db::FileName.utf8_string() + "\" is not a module list of this program: " + wrong;
        try {
            db->GetAll();
            ADD_FAILURE() << "listed";
        } catch (const wxSQLite3Exception& e) {
            EXPECT_NE(e.GetMessage().utf8_string().find(why), std::string::npos) << e.GetMessage();
        }
        EXPECT_THROW(db->BackupTo("export.db"), wxSQLite3Exception);
        EXPECT_EQ(db->CanRevert(), copyRows > 0);
        // Without a copy to go back to, what is wrong is said by every use.
        EXPECT_EQ(db->TakeOpenNotice(), copyRows ? "Revert DB Changes brings back the modules of its copy "
                                                   "\"last_backup.db\"."
                                                 : "");
        EXPECT_TRUE(ReadFile(Db::FileName) == fileBytes && ReadFile(Db::BackupName) == copyBytes);

        try {
            db->RestoreFrom("other.db");
            ADD_FAILURE() << "imported";
        } catch (const wxSQLite3Exception& e) {
            EXPECT_NE(e.GetMessage().utf8_string().find("\"other.db\" is not a module list"),
                      std::string::npos);
        }
        db->RestoreFrom(Db::BackupName);
        EXPECT_EQ(Rows(db->GetAll()).size(), copyRows);
    }
}

// Each database copies itself into a file of its own at open, and a later
// Open of the command list only changes the name it remembers. The command
// list comes back from its export; an import of a file without tables leaves
// the registry with its tables, empty and usable.
TEST_F(LocalDbTest, EachDatabaseKeepsItsOwnCopyAndImportsAFileWithoutTables)
{
    OnFile(Db::FileName, {"CREATE TABLE vemtor_vantrel (ip, ssid, netmask, gw, nwtype, macaddress, idtype, "
                          "security, pwd, descri)",
                          "INSERT INTO vemtor_vantrel (macaddress) VALUES ('REG')"});
    OnFile("localcmd.sqlite",
           {"CREATE TABLE commandList (cmd, type)", "INSERT INTO commandList VALUES ('ping', 2)"});
    Db* db = Db::GetInstance();
    DbCommands* list = DbCommands::GetInstance();
    EXPECT_FALSE(list->IsOpen());
    list->Open("localcmd.sqlite");
    list->Open("other.sqlite");
    EXPECT_EQ(list->GetFileName(), "other.sqlite");
    EXPECT_FALSE(fs::exists("other.sqlite"));
    list->Insert("next", 3);
    const Table commands = {{"ping", "2"}, {"next", "3"}};
    EXPECT_EQ(OnFile("localcmd.sqlite", {"SELECT * FROM commandList"}), commands);
    EXPECT_EQ(OnFile("last_backup.db", {"SELECT macaddress FROM vemtor_vantrel"}), Table{{"REG"}});
    EXPECT_EQ(OnFile("commands_backup.db", {"SELECT * FROM commandList"}), (Table{{"ping", "2"}}));
    list->BackupTo("export.sqlite");
    EXPECT_EQ(list->DeleteAll(), 2);
    list->RestoreFrom("export.sqlite");
    EXPECT_EQ(Rows(list->GetAll()), commands);

    OnFile("empty.db", {"CREATE TABLE t (x)", "DROP TABLE t"});
    db->RestoreFrom("empty.db");
    EXPECT_EQ(Rows(db->GetAll()), Table{});
    db->InsertUart("M", "N", "1", "9600");
    EXPECT_EQ(db->Exists("M", true), "M");
}

}  // namespace
