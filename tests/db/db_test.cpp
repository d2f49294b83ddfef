// The registry and the command list in a fresh working folder: statements,
// backup copies, export, import and revert, and files that must be refused.
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

// Runs statements on a file through a connection of its own: the last one's rows.
Table OnFile(const wxString& file, const std::vector<std::string>& statements)
{
    wxSQLite3Database db;
    db.Open(file);
    Table rows;
    for (const std::string& sql : statements)
        rows = Rows(db.ExecuteQuery(sql.c_str()));
    return rows;
}

const std::string kAll = "SELECT * FROM vemtor_vantrel LEFT JOIN vemtor_vantrel_uart USING (macaddress)";

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

// An existing registry is used as it is; texts that pasted SQL would break come
// back unchanged; export, clear, import and revert keep every row; no bad import.
TEST_F(LocalDbTest, StatementsAndWholeFileCopies)
{
    OnFile(Db::FileName, {"CREATE TABLE vemtor_vantrel (ip, ssid, netmask, gw, nwtype, macaddress, idtype, "
                          "security, pwd, descri)",
                          "CREATE TABLE vemtor_vantrel_uart (macaddress, parity, stopbits, baudrate)",
                          "INSERT INTO vemtor_vantrel (ip, macaddress) VALUES ('10.0.0.1', 'OLD')"});
    const std::string registry = ReadFile(Db::FileName);
    Db* db = Db::GetInstance();
    EXPECT_TRUE(ReadFile(Db::FileName) == registry);  // tables are made only when missing
    const Table atOpen = OnFile(Db::FileName, {kAll});
    DbCommands* list = DbCommands::GetInstance();
    list->Open("localcmd.sqlite");
    const wxString nonAscii = wxString::FromUTF8("Caf\xC3\xA9 \xE6\x9D\xB1 \xF0\x9F\x93\xA1");
    const wxString texts[] = {"zz", "it's \"quoted\"", "a;b;", "x'); DROP TABLE x; --", "", nonAscii};
    Table commands, uarts;
    for (const wxString& text : texts) {
        const std::string t = text.utf8_string(), n = std::to_string(commands.size()), ip = "10.0.0." + n;
        const wxString mac = "M" + n + text;
        db->InsertModule("10.0.0.1", "x", "x", "x", 0, mac, 0, "x");
        db->UpdateModule("10.0.0.2", text, text, text, 2, mac, 3, text);
        db->SaveDescription(ip, mac, text);  // a known MAC: ip and descri change
        db->InsertUart(mac, "x", "x", "x");
        db->UpdateUart(mac, text, text, text);
        EXPECT_EQ(Rows(db->GetByMac(mac)), (Table{{ip, t, t, t, "2", mac.utf8_string(), "1", "3", t, t}}));
        EXPECT_EQ(db->Exists(mac, true), mac);
        EXPECT_EQ(db->GetDescription(mac), text);
        list->Insert(text, int(commands.size() % 4));
        commands.push_back({t, std::to_string(commands.size() % 4)});
        uarts.push_back({mac.utf8_string(), t, t, t});
    }
    EXPECT_EQ(Rows(list->GetAll()), commands);
    EXPECT_EQ(OnFile(Db::FileName, {"SELECT * FROM vemtor_vantrel_uart"}), uarts);
    db->SaveDescription("10.0.0.9", "NEW", "d");  // a new MAC: a row of its own
    EXPECT_EQ(Rows(db->GetByMac("NEW")), (Table{{"10.0.0.9", "", "", "", "", "NEW", "1", "", "", "d"}}));
    db->DeleteByMac("NEW");
    EXPECT_EQ(db->Exists("NEW", false), "");
    const Table saved = OnFile(Db::FileName, {kAll});
    db->BackupTo("export.db");
    EXPECT_EQ(db->DeleteAll(), int(saved.size()));
    db->RestoreFrom("export.db");
    EXPECT_EQ(OnFile(Db::FileName, {kAll}), saved);
    db->RestoreFrom(Db::BackupName);
    EXPECT_EQ(OnFile(Db::FileName, {kAll}), atOpen);
    std::ofstream("notes.db") << "ip;mac\n1.2.3.4;AA\n";
    for (const char* bad : {"notes.db", "missing.db"}) {
        EXPECT_THROW(db->RestoreFrom(bad), wxSQLite3Exception) << bad;
        EXPECT_EQ(OnFile(Db::FileName, {kAll}), atOpen);
    }
}

// A fresh folder gets a registry and its copy; at a later start, a registry that
// is no database, or whose copy would be damaged, is reported and nothing changes.
TEST_F(LocalDbTest, UnusableRegistryLeavesTheFilesAlone)
{
    EXPECT_TRUE(Db::GetInstance()->BackupTaken());
    EXPECT_EQ(OnFile(Db::BackupName, {"SELECT name FROM sqlite_master ORDER BY name"}),
              (Table{{"vemtor_vantrel"}, {"vemtor_vantrel_uart"}}));
    const std::string backup = ReadFile(Db::BackupName);
    for (const bool damaged : {true, false}) {  // scribbled over its table, or over its header
        Db::ResetForTests();
        if (damaged)
            OnFile(Db::FileName,
                   {"WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < 800) "
                    "INSERT INTO vemtor_vantrel (descri) SELECT hex(zeroblob(40)) FROM s"});
        std::fstream(Db::FileName.utf8_string(), std::ios::in | std::ios::out)
                .seekp(damaged ? 5 * 4096 + 100 : 0)
            << std::string(3000, 'Z');
        const std::string registry = ReadFile(Db::FileName);
        EXPECT_THROW(Db::GetInstance(), wxSQLite3Exception);
        Db* db = Db::GetInstance();  // no second try
        EXPECT_EQ(db->IsOpen(), damaged);
        EXPECT_FALSE(db->BackupTaken());
        EXPECT_NE(db->BackupError().Find(damaged ? Db::BackupName : Db::FileName), wxNOT_FOUND);
        EXPECT_TRUE(ReadFile(Db::FileName) == registry);
        EXPECT_TRUE(ReadFile(Db::BackupName) == backup);
    }
}

}  // namespace
