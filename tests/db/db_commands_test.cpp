// The terminal's command list: open with its backup copy, order, import and
// export, and files that must be refused.
#include <gtest/gtest.h>

#include "DbCommands.h"
#include "db_test_util.h"

using dbtest::ExecuteOn;
using dbtest::FileExists;
using dbtest::QueryFile;
using dbtest::ReadFile;
using dbtest::Rows;
using dbtest::U8;
using dbtest::WriteFile;

namespace {

using Table = std::vector<std::vector<wxString>>;
const std::vector<const char*> kColumns = {"cmd", "type"};

class CommandListTest : public ::testing::Test {
protected:
    void SetUp() override { DbCommands::ResetForTests(); }
    void TearDown() override { DbCommands::ResetForTests(); }

    Table List() { return Rows(DbCommands::GetInstance()->GetAll(), kColumns); }

    dbtest::TempWorkDir dir_;
};

TEST_F(CommandListTest, GetInstanceOpensNothing)
{
    DbCommands* db = DbCommands::GetInstance();
    EXPECT_FALSE(db->IsOpen());
    EXPECT_TRUE(db->GetFileName().empty());
    EXPECT_THROW(db->GetAll(), wxSQLite3Exception);
    EXPECT_FALSE(FileExists("localcmd.sqlite"));
    EXPECT_EQ(DbCommands::GetInstance(), db);
}

TEST_F(CommandListTest, FirstOpenCreatesTableAndBackupOnlyOnce)
{
    DbCommands* db = DbCommands::GetInstance();
    db->Open("localcmd.sqlite");
    EXPECT_TRUE(db->BackupTaken());
    EXPECT_EQ(db->GetFileName(), "localcmd.sqlite");
    EXPECT_TRUE(List().empty());
    ASSERT_TRUE(FileExists("commands_backup.db"));
    EXPECT_TRUE(QueryFile("commands_backup.db", "SELECT * FROM commandList", kColumns).empty());

    db->Insert("AT", 0);
    // The terminal is opened again: same file, no new backup.
    db->Open("localcmd.sqlite");
    db->Open("elsewhere.sqlite");
    EXPECT_EQ(db->GetFileName(), "elsewhere.sqlite");
    EXPECT_FALSE(FileExists("elsewhere.sqlite"));
    EXPECT_TRUE(QueryFile("commands_backup.db", "SELECT * FROM commandList", kColumns).empty());
    EXPECT_EQ(List(), (Table{{"AT", "0"}}));
}

TEST_F(CommandListTest, ListKeepsInsertionOrderAndText)
{
    const std::vector<std::pair<wxString, int>> commands = {
        {"zz last alphabetically", 0},
        {"0A 0D FF", 1},
        {"01000001", 2},
        {"65 66 67", 3},
        {"a;b", 0},
        {"it's \"quoted\"", 0},
        {"'); DELETE FROM commandList; --", 0},
        {U8("\xC3\xA5ngstr\xC3\xB6m \xE2\x82\xAC"), 0},
        {"", 1},
        {"AAA first alphabetically", 3},
    };
    DbCommands* db = DbCommands::GetInstance();
    db->Open("localcmd.sqlite");
    // An index that an unordered scan could follow instead of the table.
    ExecuteOn("localcmd.sqlite", {"CREATE INDEX by_text ON commandList (cmd, type)"});
    for (const auto& c : commands)
        db->Insert(c.first, c.second);
    Table expected;
    for (const auto& c : commands)
        expected.push_back({c.first, wxString::Format("%d", c.second)});
    EXPECT_EQ(List(), expected);

    // Rewriting the list, as the terminal does, keeps the new order.
    EXPECT_EQ(db->DeleteAll(), int(commands.size()));
    for (auto it = commands.rbegin(); it != commands.rend(); ++it)
        db->Insert(it->first, it->second);
    std::reverse(expected.begin(), expected.end());
    EXPECT_EQ(List(), expected);
}

TEST_F(CommandListTest, ExportImportRoundTrip)
{
    DbCommands* db = DbCommands::GetInstance();
    db->Open("localcmd.sqlite");
    for (int i = 0; i < 30; ++i)
        db->Insert(wxString::Format("cmd %d", 29 - i), i % 4);
    const Table saved = List();

    db->BackupTo("export.sqlite");
    db->DeleteAll();
    db->Insert("something else", 1);
    db->RestoreFrom("export.sqlite");
    EXPECT_EQ(List(), saved);
    EXPECT_EQ(QueryFile("export.sqlite", "SELECT * FROM commandList ORDER BY rowid", kColumns), saved);
}

TEST_F(CommandListTest, ImportRefusesFilesThatAreNoDatabase)
{
    DbCommands* db = DbCommands::GetInstance();
    db->Open("localcmd.sqlite");
    db->Insert("keep", 0);
    WriteFile("list.sqlite", "cmd;type\nAT;0\n");
    for (const char* file : {"list.sqlite", "missing.sqlite"}) {
        SCOPED_TRACE(file);
        EXPECT_THROW(db->RestoreFrom(file), wxSQLite3Exception);
        EXPECT_EQ(List(), (Table{{"keep", "0"}}));
    }
    EXPECT_FALSE(FileExists("missing.sqlite"));
}

TEST_F(CommandListTest, BadFileIsReportedAndTheNextOpenTriesAgain)
{
    ExecuteOn("commands_backup.db", {"CREATE TABLE commandList (cmd TEXT, type INTEGER)",
                                     "INSERT INTO commandList VALUES ('saved', 0)"});
    const std::string goodBackup = ReadFile("commands_backup.db");
    const std::string garbage(2048, '\x7f');
    WriteFile("localcmd.sqlite", garbage);

    DbCommands* db = DbCommands::GetInstance();
    EXPECT_THROW(db->Open("localcmd.sqlite"), wxSQLite3Exception);
    EXPECT_FALSE(db->IsOpen());
    EXPECT_FALSE(db->BackupTaken());
    EXPECT_EQ(ReadFile("localcmd.sqlite"), garbage);
    EXPECT_EQ(ReadFile("commands_backup.db"), goodBackup);

    db->Open("fresh.sqlite");
    EXPECT_TRUE(db->IsOpen());
    EXPECT_TRUE(db->BackupTaken());
    db->Insert("works", 2);
    EXPECT_EQ(List(), (Table{{"works", "2"}}));
}

}  // namespace
