// The "DB Function" menu on a real registry in a fresh working folder.
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/frame.h>
#include <wx/listbox.h>
#include <wx/wxsqlite3.h>

#include <algorithm>
#include <filesystem>

#include "Db.h"
#include "StartPanel.h"
#include "app_test_util.h"

using namespace apptest;

namespace {

using Rows = std::vector<std::string>;

Rows ReadRows(wxSQLite3Database& db)
{
    Rows rows;
    wxSQLite3ResultSet r = db.ExecuteQuery("SELECT * FROM vemtor_vantrel");
    while (r.NextRow()) {
        std::string row;
        for (int i = 0; i < r.GetColumnCount(); ++i)
            row += r.GetAsString(i).utf8_string() + "|";
        rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

Rows FileRows(const std::string& path)
{
    wxSQLite3Database db;
    db.Open(wxString::FromUTF8(path), wxEmptyString, WXSQLITE_OPEN_READONLY);
    Rows rows = ReadRows(db);
    db.Close();
    return rows;
}

// Records what the file dialogs ask before answering them.
class FileDialogSpy : public guitest::DialogScript {
public:
    struct Asked {
        wxString message;
        wxString wildcard;
        long style;
        bool parentIsFrame;
    };
    std::vector<Asked> asked;

protected:
    int Enter(wxDialog* dialog) override
    {
        if (auto* f = dynamic_cast<wxFileDialog*>(dialog))
            asked.push_back({f->GetMessage(), f->GetWildcard(), f->GetWindowStyle(),
                             f->GetParent() == MainWindow::GetInstance()->frame});
        return DialogScript::Enter(dialog);
    }
};

Rows RegistryRows()
{
    return FileRows(Db::FileName.utf8_string());
}

void Seed(int first, int count)
{
    Db* db = Db::GetInstance();
    for (int i = first; i < first + count; ++i) {
        const wxString n = wxString::Format("%02d", i);
        db->InsertModule("127.0.0." + n, "ssid-" + n, "255.255.255.0", "127.0.0.1", i % 2,
                         "00:00:00:00:00:" + n, i % 4, "pw" + n);
        db->SaveDescription("127.0.0." + n, "00:00:00:00:00:" + n, wxString::FromUTF8("module ") + n);
    }
}

class DbMenuTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        // The registry holds three modules when this run opens it.
        Seed(1, 3);
        Db::ResetForTests();
        seeded = RegistryRows();
        ASSERT_EQ(seeded.size(), 3u);
        dialogs.reset();
        auto owned = std::make_unique<FileDialogSpy>();
        files = owned.get();
        dialogs = std::move(owned);
        Main();
        dialogs->Clear();
    }

    // The message boxes after the file dialog.
    std::vector<wxString> Boxes()
    {
        std::vector<wxString> out;
        for (const guitest::ShownDialog& d : dialogs->Shown())
            if (d.kind != "wxFileDialog")
                out.push_back(d.title + ": " + d.message);
        return out;
    }

    FileDialogSpy* files = nullptr;

    unsigned Listed() { return Main()->startPanel->ModuleList()->GetCount(); }

    Rows seeded;
};

TEST_F(DbMenuTest, ExportWritesEveryRowAndCompletesTheDbSuffix)
{
    struct Case {
        const char* chosen;
        const char* written;
    };
    const Case cases[] = {
        {"backup", "backup.db"},
        {"backup.DB", "backup.DB.db"},
        {"copy.db", "copy.db"},
        {"a.d", "a.d.db"},
    };
    for (const Case& c : cases) {
        dialogs->Clear();
        dialogs->FilePath(dir->File(c.chosen));
        Command(ID_EXPORT_DB);
        EXPECT_EQ(Boxes(), std::vector<wxString>{"Export completed: DB Export completed"}) << c.chosen;
        EXPECT_EQ(dialogs->Shown()[0].kind, "wxFileDialog");
        EXPECT_EQ(dialogs->Shown()[1].style & (wxOK | wxYES_NO | wxICON_MASK), wxOK);
        ASSERT_FALSE(files->asked.empty());
        EXPECT_EQ(files->asked.back().message, "Export to file");
        EXPECT_EQ(files->asked.back().wildcard, "*.db");
        EXPECT_TRUE(files->asked.back().style & wxFD_SAVE);
        EXPECT_TRUE(files->asked.back().style & wxFD_OVERWRITE_PROMPT);
        EXPECT_TRUE(files->asked.back().parentIsFrame);
        ASSERT_TRUE(FileExists(dir->File(c.written))) << c.written;
        EXPECT_EQ(FileRows(dir->File(c.written)), seeded) << c.written;
    }
    // Over an existing file: its content is replaced.
    WriteFile(dir->File("old.db"), "");
    dialogs->Clear();
    dialogs->FilePath(dir->File("old.db"));
    Command(ID_EXPORT_DB);
    EXPECT_EQ(FileRows(dir->File("old.db")), seeded);
    // Cancelled: nothing written, nothing said.
    dialogs->Clear();
    dialogs->Answer(wxID_CANCEL);
    dialogs->FilePath(dir->File("never"));
    Command(ID_EXPORT_DB);
    EXPECT_EQ(dialogs->Shown().size(), 1u);
    EXPECT_FALSE(FileExists(dir->File("never.db")));
}

TEST_F(DbMenuTest, ImportReplacesTheRegistryAndRefreshesTheKeptStartPage)
{
    dialogs->FilePath(dir->File("three.db"));
    Command(ID_EXPORT_DB);
    Seed(4, 2);
    Db::GetInstance()->DeleteByMac("00:00:00:00:00:01");
    Main()->startPanel->RefreshModuleList();
    ASSERT_EQ(Listed(), 4u);
    // Import while another page would be shown still refreshes the list.
    Main()->startPanel->Show(false);

    dialogs->Clear();
    dialogs->FilePath(dir->File("three.db"));
    Command(ID_IMPORT_DB);
    EXPECT_EQ(Boxes(), std::vector<wxString>{"Restore completed: DB Restore completed"});
    ASSERT_FALSE(files->asked.empty());
    EXPECT_EQ(files->asked.back().message, "Import file");
    EXPECT_EQ(files->asked.back().wildcard, "*.db");
    EXPECT_TRUE(files->asked.back().style & wxFD_OPEN);
    EXPECT_TRUE(files->asked.back().parentIsFrame);
    EXPECT_EQ(RegistryRows(), seeded);
    EXPECT_EQ(Listed(), 3u);
}

TEST_F(DbMenuTest, RevertGoesBackToTheStartOfTheRunOnlyAfterYes)
{
    Seed(4, 2);
    Db::GetInstance()->DeleteAll();
    Seed(9, 1);
    const Rows changed = RegistryRows();
    Main()->startPanel->RefreshModuleList();

    dialogs->Answer(wxID_NO);
    Command(ID_REVERT_DB);
    ASSERT_EQ(dialogs->Shown().size(), 1u);
    EXPECT_EQ(dialogs->Shown()[0].title, "Revert DB?");
    EXPECT_EQ(dialogs->Shown()[0].message, "Are you sure to revert database to last access?");
    EXPECT_EQ(dialogs->Shown()[0].style, wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION);
    EXPECT_EQ(RegistryRows(), changed);

    for (int round = 0; round < 2; ++round) {
        dialogs->Clear();
        dialogs->Answer(wxID_YES);
        Command(ID_REVERT_DB);
        EXPECT_EQ(Messages(*dialogs),
                  (std::vector<wxString>{"Revert DB?: Are you sure to revert database to last access?",
                                         "Revert completed: DB Revert completed"}))
            << round;
        EXPECT_EQ(RegistryRows(), seeded) << round;
        EXPECT_EQ(Listed(), 3u) << round;
        Seed(7, 1);
    }
}

TEST_F(DbMenuTest, DatabaseFailuresAreReportedAndChangeNothing)
{
    WriteFile(dir->File("notes.db"), "these are not the rows you are looking for\n");
    struct Case {
        const char* name;
        int command;
        std::string path;
        const char* completion;
    };
    const Case cases[] = {
        {"import of a file that is no database", ID_IMPORT_DB, dir->File("notes.db"), "DB Restore completed"},
        {"import of a missing file", ID_IMPORT_DB, dir->File("gone.db"), "DB Restore completed"},
        {"export into a missing folder", ID_EXPORT_DB, dir->File("no/such/folder/x.db"),
         "DB Export completed"},
    };
    for (const Case& c : cases) {
        dialogs->Clear();
        dialogs->FilePath(c.path);
        Command(c.command);
        ASSERT_EQ(dialogs->Shown().size(), 2u) << c.name;
        EXPECT_EQ(dialogs->Shown()[1].title, "Error") << c.name;
        EXPECT_EQ(dialogs->Shown()[1].style, wxOK | wxICON_ERROR) << c.name;
        EXPECT_FALSE(dialogs->Shown()[1].message.empty()) << c.name;
        EXPECT_FALSE(dialogs->Saw(c.completion)) << c.name;
        EXPECT_EQ(RegistryRows(), seeded) << c.name;
        EXPECT_EQ(Listed(), 3u) << c.name;
    }
}

TEST(DbMenuRevert, WithoutThisRunsCopyRevertReportsInsteadOfRestoringAnOldOne)
{
    guitest::TempWorkDir dir;
    PrepareIcons();
    ScopedEnv url("VANTREL_UPDATE_URL", RefusedUrl());
    Db::ResetForTests();
    // A copy from an earlier run, and a folder in the way of this run's copy:
    // the copy at open fails and the earlier one stays.
    Seed(1, 1);
    Db::GetInstance()->BackupTo(Db::BackupName);
    Seed(2, 1);
    Db::ResetForTests();
    std::filesystem::create_directories(Db::BackupName.utf8_string() + ".tmp/keep");
    const Rows before = RegistryRows();
    ASSERT_EQ(before.size(), 2u);
    ASSERT_EQ(FileRows(Db::BackupName.utf8_string()).size(), 1u);

    guitest::DialogScript dialogs;
    MainWindow* main = MainWindow::GetInstance();
    ASSERT_NE(main->frame, nullptr);
    dialogs.Clear();
    dialogs.Answer(wxID_YES);
    wxCommandEvent revert(wxEVT_MENU, ID_REVERT_DB);
    main->frame->ProcessWindowEvent(revert);
    ASSERT_EQ(dialogs.Shown().size(), 2u);
    EXPECT_EQ(dialogs.Shown()[1].title, "Error");
    EXPECT_FALSE(dialogs.Saw("DB Revert completed"));
    EXPECT_EQ(RegistryRows(), before);
    MainWindow::DestroyForTests();
    Db::ResetForTests();
}

}  // namespace
