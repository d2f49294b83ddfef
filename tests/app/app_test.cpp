// The application shell in the real main window: the tip of the day, the
// registry and its menu, the update check's parser, navigation and login.
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <wx/button.h>
#include <wx/filename.h>
#include <wx/filesys.h>
#include <wx/frame.h>
#include <wx/listbox.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>
#include <wx/wxsqlite3.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "Common.h"
#include "CompactStyle.h"
#include "Db.h"
#include "LoginDialog.h"
#include "StartPanel.h"
#include "Startup.h"
#include "UartDialog.h"
#include "UpdateCheck.h"
#include "VantrelToolBar.h"
#include "app_fixture.h"
#include "cmd_error.h"
#include "wxIPCtrl.h"

using namespace apptest;
using Texts = std::vector<wxString>;

namespace {

using Shell = AppTest;

// Every message box shown has the buttons, default button and icon of its
// kind, told by its caption.
void ExpectBoxStyles(const guitest::DialogScript& dialogs)
{
    const std::pair<const char*, long> kinds[] = {
        {"Error", wxOK | wxICON_ERROR},
        {"Revert DB?", wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION},
        {"Restore completed", wxOK},
        {"Export completed", wxOK},
        {"Revert completed", wxOK},
        {"Info", wxOK},
        {"About VEMTOR", wxOK},
        {"New update available!", wxOK | wxICON_INFORMATION},
        {"New update required!", wxOK | wxICON_INFORMATION},
    };
    for (const guitest::ShownDialog& d : dialogs.Shown()) {
        if (!d.style)
            continue;  // not a message box
        const auto kind = std::find_if(std::begin(kinds), std::end(kinds),
                                       [&](const auto& k) { return d.title == k.first; });
        ASSERT_NE(kind, std::end(kinds)) << d.title;
        EXPECT_EQ(d.style, kind->second) << d.title;
    }
}

TEST_F(Shell, TipOfTheDayFollowsConfigIni)
{
    struct Case {
        const char* config;  // null: no config.ini
        bool keepTicked;
        int tips;
        const char* after;  // null: as it was
    } cases[] = {
        // clang-format off
        {"startup_tip=true\n", true, 1, nullptr}, {"startup_tip=true\nlang=en\n", false, 1, "startup_tip=false\nlang=en\n"},
        {"startup_tip=false\n", false, 0, nullptr}, {"startup_tip=True\n", false, 0, nullptr}, {nullptr, false, 0, nullptr},
        // clang-format on
    };
    std::ofstream("tips.txt") << "Connect first, then configure.\nScan to find a module.\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.config ? c.config : "no config.ini");
        std::remove("config.ini");
        if (c.config)
            std::ofstream("config.ini") << c.config;
        dialogs->Clear();
        dialogs->Tick(c.keepTicked);
        Main();
        EXPECT_EQ(dialogs->Shown().size(), size_t(c.tips)) << "the tip and nothing else";
        EXPECT_TRUE(dialogs->Shown().empty() || dialogs->Shown()[0].ticked == 1) << "its box comes ticked";
        EXPECT_TRUE(dialogs->Shown().empty() || dialogs->Shown()[0].field == "Connect first, then configure.")
            << "the first tip first";
        MainWindow::DestroyForTests();
        std::stringstream after;
        after << std::ifstream("config.ini").rdbuf();
        EXPECT_EQ(after.str(), c.after ? c.after : c.config ? c.config : "");
    }
}

TEST_F(Shell, DbMenuKeepsEveryRowAndReportsFailures)
{
    const auto rows = [] { return Sql("SELECT * FROM vemtor_vantrel ORDER BY rowid"); };
    for (const char* n : {"1", "2", "3"})
        AddModule(wxString("127.0.0.") + n, wxString("00:00:00:00:00:0") + n, "unit");
    const Texts seeded = rows();
    Main();
    EXPECT_TRUE(SaveScreenshot("main-window.png"));
    dialogs->FilePath(dir->File("backup"));
    Command(ID_EXPORT_DB);
    EXPECT_EQ(dialogs->Messages(), (Texts{"Export to file: ", "Export completed: DB Export completed"}));
    EXPECT_EQ(Sql("SELECT * FROM vemtor_vantrel ORDER BY rowid", dir->File("backup.db")), seeded);
    std::ofstream(dir->File("notes.db")) << "not a database\n";
    const wxString revert = "Revert DB?: Are you sure to revert database to last access?", error = "Error: ";
    const wxString import = "Import file: ", exportTo = "Export to file: ";
    const wxString restored = "Restore completed: DB Restore completed", exported = "Export completed: DB Export completed";
    // The start of the run, under another name in another folder than the working one.
    std::filesystem::create_directory(dir->File("sub"));
    std::filesystem::copy_file(dir->File("backup.db"), dir->File("sub/start.db"));
    struct Case {
        int command;
        std::string path;  // the file chosen
        int answer;        // to the revert question
        Texts messages;    // an error's own words cut off
        bool restored;     // to the rows the registry held when the run began
        const char* written = nullptr;  // the file an export makes, holding the registry's rows
    } cases[] = {
        {ID_IMPORT_DB, dir->File("backup.db"), 0, {import, restored}, true},
        {ID_REVERT_DB, "", wxID_NO, {revert}, false},
        {ID_EXPORT_DB, dir->File("copy.DB"), 0, {exportTo, exported}, false, "copy.DB.db"},
        {ID_EXPORT_DB, dir->File("sub/copy"), 0, {exportTo, exported}, false, "sub/copy.db"},
        {ID_IMPORT_DB, dir->File("sub/start.db"), 0, {import, restored}, true},
        {ID_REVERT_DB, "", wxID_YES, {revert, "Revert completed: DB Revert completed"}, true},
        {ID_IMPORT_DB, dir->File("notes.db"), 0, {import, error}, false},
        {ID_EXPORT_DB, dir->File("no/such/folder/x.db"), 0, {exportTo, error}, false},
        // The registry's own file: refused, not a backup that waits for ever.
        {ID_EXPORT_DB, dir->File("vantrel-conf.db"), 0, {exportTo, error}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        Sql("DELETE FROM vemtor_vantrel WHERE rowid = 1");
        AddModule("127.0.0.9", "00:00:00:00:00:09", "added");
        Main()->startPanel->RefreshModuleList();
        const Texts changed = rows();
        dialogs->Clear();
        if (!c.path.empty())
            dialogs->FilePath(c.path);
        if (c.answer)
            dialogs->Answer(c.answer);
        Command(c.command);
        Texts shown = dialogs->Messages();
        for (wxString& m : shown)
            if (m.StartsWith(error))
                m = error;
        EXPECT_EQ(shown, c.messages);
        ExpectBoxStyles(*dialogs);
        EXPECT_EQ(rows(), c.restored ? seeded : changed);
        EXPECT_EQ(Main()->startPanel->ModuleList()->GetCount(), rows().size());
        const wxArrayString listed = Main()->startPanel->ModuleList()->GetStrings();
        EXPECT_EQ(Texts(listed.begin(), listed.end()),
                  Sql("SELECT macaddress || ' - ' || descri FROM vemtor_vantrel ORDER BY rowid"));
        if (c.written) {
            EXPECT_TRUE(std::filesystem::exists(dir->File(c.written)));
            if (std::filesystem::exists(dir->File(c.written))) {
                EXPECT_EQ(Sql("SELECT * FROM vemtor_vantrel ORDER BY rowid", dir->File(c.written)), changed);
            }
        }
    }
}

std::string Bytes(const char* file)
{
    std::ifstream in(file, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "(missing)";
}

// Root passes every permission check: without these capabilities this
// thread meets a folder's mode as any user does. Restored on leaving.
class WithoutFileOverride {
public:
    WithoutFileOverride() : saved_(Effective(~kBits, 0)) {}
    ~WithoutFileOverride() { Effective(0, saved_); }

private:
    static constexpr uint32_t kBits = 1u << CAP_DAC_OVERRIDE | 1u << CAP_DAC_READ_SEARCH | 1u << CAP_FOWNER;
    // Makes the effective set (old & keep) | add, of those permitted; the old set.
    static uint32_t Effective(uint32_t keep, uint32_t add)
    {
        __user_cap_header_struct h = {_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct d[2] = {};
        syscall(SYS_capget, &h, d);
        const uint32_t old = d[0].effective;
        d[0].effective = ((old & keep) | add) & d[0].permitted;
        syscall(SYS_capset, &h, d);
        return old;
    }
    const uint32_t saved_;
};

// The registry in bad conditions at start: the start page lists what it can
// and says once what this run cannot do, the registry stays byte for byte,
// and Revert works only where a copy was taken. A registry locked at start
// is opened at its next use (here Home).
TEST_F(Shell, RegistryInBadConditionsStaysListedAndSaysOnceWhatThisRunCannotDo)
{
    Sql("CREATE TABLE vemtor_vantrel_uart (macaddress TEXT, parity TEXT, stopbits TEXT, baudrate TEXT)");
    AddModule("127.0.0.1", "00:00:00:00:00:01", "unit");
    AddModule("127.0.0.2", "00:00:00:00:00:02", "unit");
    const std::string seeded = Bytes("vantrel-conf.db");
    const Texts rows = Sql("SELECT * FROM vemtor_vantrel ORDER BY rowid");
    const wxString failed = "Error: DB Revert failed", done = "Revert completed: DB Revert completed";
    enum Setup { ReadOnlyFolder, ReadOnlyFile, CopyBlocked, Locked };
    struct Case {
        Setup setup;
        wxString notice;    // in the one message at start
        size_t listed;      // rows listed at start
        wxString reverted;  // the start of the message after Revert's question
    } cases[] = {
        {ReadOnlyFolder,
         "The registry \"vantrel-conf.db\" cannot be written in this folder: the modules are listed, "
         "but changes cannot be saved or reverted.",
         2, failed},
        // Its copy is taken, but the registry cannot take that copy back either.
        {ReadOnlyFile,
         "cannot be written in this folder: the modules are listed, but changes cannot be saved.", 2,
         "Error: "},
        {CopyBlocked, "No copy of the registry could be taken at start (", 2, failed},
        {Locked, "registry \"vantrel-conf.db\" cannot be used: database is locked", 0, done},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.notice);
        MainWindow::DestroyForTests();
        Db::ResetForTests();
        dialogs->Clear();
        std::filesystem::remove_all("last_backup.db");
        std::ofstream("vantrel-conf.db", std::ios::binary) << seeded;
        if (c.setup == CopyBlocked)
            std::filesystem::create_directory("last_backup.db");
        wxSQLite3Database lock;
        if (c.setup == Locked) {
            lock.Open("vantrel-conf.db");
            lock.Begin(WXSQLITE_TRANSACTION_EXCLUSIVE);
        }
        std::optional<WithoutFileOverride> plainUser;
        const char* const readOnly = c.setup == ReadOnlyFolder ? "." : "vantrel-conf.db";
        if (c.setup == ReadOnlyFolder || c.setup == ReadOnlyFile) {
            plainUser.emplace();
            std::filesystem::permissions(readOnly, std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::remove);
        }

        Main();
        ASSERT_EQ(dialogs->Messages().size(), 1u);
        EXPECT_TRUE(dialogs->Messages()[0].StartsWith("Error: ") && dialogs->Messages()[0].Contains(c.notice))
            << dialogs->Messages()[0];
        EXPECT_EQ(Main()->startPanel->ModuleList()->GetCount(), c.listed);
        EXPECT_TRUE(Bytes("vantrel-conf.db") == seeded) << "the registry was changed";
        if (c.setup == Locked)
            lock.Close();
        Command(ID_HOME);
        EXPECT_EQ(dialogs->Messages().size(), 1u) << "said once";
        EXPECT_EQ(Main()->startPanel->ModuleList()->GetCount(), 2u);

        dialogs->Answer(wxID_YES);
        Command(ID_REVERT_DB);
        ASSERT_EQ(dialogs->Messages().size(), 3u);
        EXPECT_TRUE(dialogs->Messages()[2].StartsWith(c.reverted)) << dialogs->Messages()[2];
        EXPECT_EQ(Sql("SELECT * FROM vemtor_vantrel ORDER BY rowid"), rows);
        EXPECT_EQ(Main()->startPanel->ModuleList()->GetCount(), 2u);
        EXPECT_TRUE(c.reverted == done || Bytes("vantrel-conf.db") == seeded) << "a failed Revert wrote";
        if (plainUser) {
            std::filesystem::permissions(readOnly, std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add);
            plainUser.reset();
            EXPECT_EQ(std::filesystem::exists("last_backup.db"), c.setup == ReadOnlyFile);
        }
    }
}

TEST(UpdateParse, EveryTextGivesTheRightNoticeOrNone)
{
    using namespace std::string_literals;
    // Available only for "1.5.0;0"; the digits joined (1.4.10 is 1410, but
    // "1.4.10;1" has its flag cut off by the 7 bytes read); separators skipped
    // as strtok does; the flag read as a number ("01" is 1, "10" no flag).
    // Nothing for: not newer (15 < 143), malformed, long versions, garbage,
    // zero bytes.
    const std::pair<std::string, const char*> cases[] = {
        // clang-format off
        {"1.5.0;0", "1.5.0"}, {"1.5.0;1", "1.5.0"}, {"1410;1", "1410"}, {";;150;1\n", "150"},
        {"1.5.0;1234567", "1.5.0"}, {"1.4.3;0", ""}, {"1.5;0", ""}, {"1.4.10;1", ""}, {"", ""}, {";", ""},
        {"1.5.0;", ""}, {"1.5.0;2", ""}, {"14100;1", ""}, {"123456789;1", ""}, {"\xff\xfe\x01;1", ""},
        {"150\0;1"s, ""}, {"150;01", "150"}, {"150;001", "150"}, {"150;10", ""},
        // clang-format on
    };
    for (const auto& [text, version] : cases) {
        SCOPED_TRACE("\"" + text + "\"");
        // A copy without a terminator: the parse must stay inside the bytes given.
        const std::vector<char> bytes(text.begin(), text.end());
        const UpdateNotice n = ParseUpdateText(bytes.data(), bytes.size(), "1.4.3");
        const bool required = text != "1.5.0;0";
        EXPECT_EQ(n.kind, !*version  ? UpdateKind::None
                          : required ? UpdateKind::Required
                                     : UpdateKind::Available);
        EXPECT_EQ(n.version, version);
        if (n.kind != UpdateKind::None) {
            EXPECT_EQ(UpdateMessage(n), (required ? "A new update is required. Please download it at "
                                                  : "A new update is available. Download it at ") +
                                            UpdateDownloadPage +
                                            ".\nCurrent version: 1.4.3 - New version: " + version);
        }
    }
}

enum class Fail { No, Text, StdException, DbException, Null };

// Notes the commands handed to it. It may fail while being built, after
// making a child, as a real page whose first read fails does.
class Page : public wxPanel {
public:
    explicit Page(Fail fail = Fail::No) : wxPanel(MainWindow::GetInstance()->frame)
    {
        new wxButton(this, wxID_ANY, "child");
        if (fail == Fail::Text)
            throw wxString("no page");
        if (fail == Fail::StdException)
            throw std::runtime_error("no page");
        if (fail == Fail::DbException)
            throw wxSQLite3Exception(WXSQLITE_ERROR, "no page");
        Bind(wxEVT_MENU, &Page::OnCommand, this, ID_IMPORT_CONF, ID_BACK);
    }
    void OnCommand(wxCommandEvent& e)
    {
        got.push_back(e.GetId());
        if (e.GetId() == ID_BACK && onBack)
            onBack();
    }
    std::vector<int> got;
    std::function<void()> onBack;  // runs inside the page's own handler
};

std::vector<PageArgs> builds;

// A Page in a slot; the network page switches the configuration tools on
// while it is built, as the real one does.
void Register(PanelIndex index, Fail fail = Fail::No)
{
    MainWindow::RegisterPage(index, [=](const PageArgs& args) -> wxWindow* {
        builds.push_back(args);
        if (index == PANEL_NET)
            MainWindow::GetInstance()->toolBar->EnableConfigTools(true);
        return fail == Fail::Null ? nullptr : new Page(fail);
    });
}

class Navigation : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        for (int i = PANEL_START + 1; i < PANEL_SLOT_COUNT; ++i)
            Register(static_cast<PanelIndex>(i));
        Main();
        builds.clear();
    }
    Page* Shown() { return dynamic_cast<Page*>(Main()->GetPanel(Main()->currentPanel)); }
    bool ToolsOn() { return Main()->toolBar->frameToolBar->GetToolEnabled(ID_IMPORT_CONF); }
    // The start page has no slot; any other page shown is the one page held.
    void ExpectOnePage()
    {
        int filled = 0;
        for (wxWindow* slot : Main()->slots)
            filled += slot != nullptr;
        EXPECT_EQ(filled, Main()->currentPanel == PANEL_START ? 0 : 1);
        EXPECT_TRUE(Main()->currentPanel == PANEL_START || Main()->GetPanel(Main()->currentPanel));
    }
};

TEST_F(Navigation, EveryShowBuildsItsPageOrFallsBack)
{
    const wxString ip = "127.0.0.7", port = "65011", mac = "00:11:22:33:44:55";
    const wxString cfg = "127.0.0.7|65011||", hub = "127.0.0.7:65011";
    struct Case {
        PanelIndex index;
        std::function<void(MainWindow*)> show;
        wxString args;  // what the page gets: ip|port|mac|dataPort
        char type;
        int firmware;
        bool hidesStart;
        Fail fail;          // how the page fails the second time
        wxString fallback;  // "ip:port" of the hub built after the failure; "": the start page
    };
    const Case cases[] = {
        {PANEL_MODULE, [&](auto m) { m->ShowModulePanel(ip, port); }, cfg, 0, 0, true, Fail::Text, ""},
        {PANEL_DETAILS, [&](auto m) { m->ShowDetailsPanel(mac); }, "||" + mac + "|", 0, 0, true, Fail::Text,
         ""},
        {PANEL_SCAN, [&](auto m) { m->ShowScanPanel(); }, "|||", 0, 0, true, Fail::DbException, ""},
        {PANEL_SOCKET, [&](auto m) { m->ShowSocketPanel(ip, port, 'C'); }, cfg, 'C', 0, false, Fail::Null,
         hub},
        {PANEL_UART, [&](auto m) { m->ShowUartPanel(ip, port, mac, 'S', 143); },
         "127.0.0.7|65011|" + mac + "|", 'S', 143, false, Fail::StdException, hub},
        {PANEL_TERMINAL, [&](auto m) { m->ShowTerminalPanel("127.0.0.5", ip, port, "65300", 'A'); },
         cfg + "65300", 'A', 0, true, Fail::Text, "127.0.0.5:65011"},
        {PANEL_TERMINAL, [&](auto m) { m->ShowTerminalPanel("127.0.0.5", ip, "", "65100", -1); },
         "127.0.0.7|||65100", -1, 0, true, Fail::Text, ""},
        // One macro makes every configuration page's show; the network page
        // alone takes the file tools.
        {PANEL_NET, [&](auto m) { m->ShowNetPanel(ip, port, 'S', 141); }, cfg, 'S', 141, false, Fail::Text,
         hub},
        {PANEL_SOCKET_NEW, [&](auto m) { m->ShowSocketNewPanel(ip, port, 'C', 142); }, cfg, 'C', 142, false,
         Fail::Null, hub},
        {PANEL_ADVANCED, [&](auto m) { m->ShowAdvancedPanel(ip, port, 'A', 122); }, cfg, 'A', 122, false,
         Fail::Text, hub},
        {PANEL_IO, [&](auto m) { m->ShowIOPanel(ip, port, '4', 150); }, cfg, '4', 150, false, Fail::Text, hub},
        {PANEL_ADC, [&](auto m) { m->ShowADCPanel(ip, port, '5', 151); }, cfg, '5', 151, false, Fail::Text, hub},
        {PANEL_I2C, [&](auto m) { m->ShowI2CPanel(ip, port, 'I', 152); }, cfg, 'I', 152, false, Fail::Text, hub},
        {PANEL_POWERSAVE, [&](auto m) { m->ShowPowersavePanel(ip, port, 'D', 153); }, cfg, 'D', 153, false,
         Fail::Text, hub},
        {PANEL_BATCH_CONF, [&](auto m) { m->ShowBatchConf(ip, port, 'E', 154); }, cfg, 'E', 154, false,
         Fail::StdException, hub},
        {PANEL_CANBUS, [&](auto m) { m->ShowCanbusPanel(ip, port, 'a', 155); }, cfg, 'a', 155, false,
         Fail::Text, hub},
        {PANEL_CANBUS_ACTUATION, [&](auto m) { m->ShowCanbusActuactionPanel(ip, port, 'B', 156); }, cfg, 'B',
         156, false, Fail::DbException, hub},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        Register(c.index);
        Main()->ShowStartPanel();
        builds.clear();
        c.show(Main());
        ASSERT_EQ(builds.size(), 1u);
        const PageArgs& got = builds[0];
        EXPECT_EQ(got.ip + "|" + got.port + "|" + got.mac + "|" + got.dataPort, c.args);
        EXPECT_EQ(got.type, c.type);
        EXPECT_EQ(got.firmware, c.firmware);
        EXPECT_EQ(Main()->currentPanel, c.index);
        EXPECT_EQ(Main()->startPanel->IsShown(), !c.hidesStart);
        ExpectOnePage();
        // The configuration-file tools: on, and handed over, only on the
        // network page; Back reaches every page shown.
        EXPECT_EQ(ToolsOn(), c.index == PANEL_NET);
        Command(ID_IMPORT_CONF);
        Command(ID_LOAD_LAST_CONF);
        Command(ID_BACK);
        EXPECT_EQ(Shown()->got, (c.index == PANEL_NET ? std::vector<int>{ID_IMPORT_CONF, ID_LOAD_LAST_CONF, ID_BACK}
                                                      : std::vector<int>{ID_BACK}));

        // The same page failing: reported (never fatal), then its fallback.
        Register(c.index, c.fail);
        Main()->ShowStartPanel();
        builds.clear();
        dialogs->Clear();
        c.show(Main());
        const Texts shown = dialogs->Messages();
        ASSERT_EQ(shown.size(), c.fail == Fail::Null ? 0u : 1u);
        EXPECT_TRUE(shown.empty() || (shown[0].StartsWith("Error: ") && shown[0].Contains("no page")))
            << shown[0];
        EXPECT_EQ(Main()->currentPanel, c.fallback.empty() ? PANEL_START : PANEL_MODULE);
        EXPECT_EQ(Main()->startPanel->IsShown(), c.fallback.empty());
        EXPECT_FALSE(ToolsOn());
        ExpectOnePage();
        ASSERT_EQ(builds.size(), c.fallback.empty() ? 1u : 2u);
        if (!c.fallback.empty()) {
            EXPECT_EQ(builds[1].ip + ":" + builds[1].port, c.fallback);
        }
        Register(c.index);
    }
}

TEST_F(Navigation, BackReachesThePageShownWhichOutlivesItsHandler)
{
    Main()->ShowModulePanel("127.0.0.7", "65000");
    Page* hub = Shown();
    wxWeakRef<wxWindow> hubRef = hub;
    // The next page's construction runs the event loop, as a progress wait does.
    MainWindow::RegisterPage(PANEL_NET, [](const PageArgs&) -> wxWindow* {
        guitest::PumpFor(20);
        return new Page();
    });
    bool aliveInHandler = false;
    hub->onBack = [&] {
        Main()->ShowNetPanel("127.0.0.7", "65000", 'S', 150);
        aliveInHandler = hubRef && hub->GetChildren().size() == 1;  // not freed under its own handler
    };
    Command(ID_BACK);
    EXPECT_EQ(hub->got, std::vector<int>{ID_BACK}) << "menu item and tool share one route";
    EXPECT_TRUE(aliveInHandler);
    EXPECT_EQ(Main()->currentPanel, PANEL_NET);
    EXPECT_TRUE(guitest::WaitFor([&] { return !hubRef; }, 2000)) << "destroyed once the event loop ran";

    // A page that does not handle Back: its parent, the frame, must not hand
    // the command round again.
    MainWindow::RegisterPage(PANEL_SCAN, [](const PageArgs&) -> wxWindow* {
        return new wxPanel(MainWindow::GetInstance()->frame);
    });
    Main()->ShowScanPanel();
    Command(ID_BACK);
    EXPECT_EQ(Main()->currentPanel, PANEL_SCAN);
}

TEST_F(Navigation, LoginWithTheRightPairRebuildsTheHub)
{
    const struct {
        const char *user, *password;
        bool onHub;  // else on the network page, where a login only sets the flag
    } tries[] = {{"Kestru", "plovik#7", true},
                 {"kestru ", "plovik#7", true},
                 {"kestru", "plovik#8", true},
                 {"kestru", "plovik#7", true},
                 {"kestru", "plovik#7", false}};
    for (const auto& t : tries) {
        SCOPED_TRACE(std::string(t.user) + "/" + t.password + (t.onHub ? " on the hub" : ""));
        const bool right = t.user == LoginUserName && t.password == LoginPassword;
        if (t.onHub)
            Main()->ShowModulePanel("127.0.0.7", "65012");
        else
            Main()->ShowNetPanel("127.0.0.7", "65012", 'S', 150);
        builds.clear();
        Command(ID_LOGIN);
        auto* login = dynamic_cast<LoginDialog*>(Main()->frame->GetChildren().back());
        ASSERT_NE(login, nullptr);
        EXPECT_TRUE(login->PasswordCtrl()->HasFlag(wxTE_PASSWORD)) << "the password is never shown";
        login->UserNameCtrl()->ChangeValue(t.user);
        login->PasswordCtrl()->ChangeValue(t.password);
        Click(login, wxID_OK);
        EXPECT_EQ(login->IsShown(), !right);
        EXPECT_EQ(Main()->loggedIn, right);
        EXPECT_EQ(Main()->currentPanel, t.onHub ? PANEL_MODULE : PANEL_NET);
        ASSERT_EQ(builds.size(), right && t.onHub ? 1u : 0u);
        if (!builds.empty()) {
            EXPECT_EQ(builds[0].ip + ":" + builds[0].port, "127.0.0.7:65012");
        }
    }
    EXPECT_TRUE(dialogs->Shown().empty()) << "a wrong pair is not reported";
}

// The reboot prompt: Yes (not the default) goes to the hub of the same
// module, No to the start page; without the offer it only tells.
TEST_F(Navigation, RebootPromptAsksOrTellsThenLeavesThePage)
{
    const wxString head = "Updated: Module configuration updated.\n\nREBOOT your Vantrel-S-UART";
    struct Case {
        bool askMore;
        int answer;
        const char* tail;
        long style;
        PanelIndex after;
    } cases[] = {
        {true, wxID_YES, " module after configuration.\n\nDo you want to configure other settings?",
         wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION, PANEL_MODULE},
        {true, wxID_NO, " module after configuration.\n\nDo you want to configure other settings?",
         wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION, PANEL_START},
        {false, wxID_OK, " now!", wxOK | wxICON_EXCLAMATION, PANEL_START},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        Main()->ShowUartPanel("127.0.0.7", "65013", "00:11:22:33:44:55", 'S', 150);
        builds.clear();
        dialogs->Clear();
        dialogs->Answer(c.answer);
        MainWindow::AskConfigureMore("Vantrel-S-UART", "127.0.0.7", "65013", c.askMore);
        ASSERT_EQ(dialogs->Shown().size(), 1u);
        EXPECT_EQ(dialogs->Messages()[0], head + c.tail);
        EXPECT_EQ(dialogs->Shown()[0].style, c.style);
        EXPECT_EQ(Main()->currentPanel, c.after);
        ExpectOnePage();
        ASSERT_EQ(builds.size(), c.after == PANEL_MODULE ? 1u : 0u);
        if (!builds.empty()) {
            EXPECT_EQ(builds[0].ip + ":" + builds[0].port, "127.0.0.7:65013");
        }
    }
}

// An empty text is replaced by the library's own text for one of its codes
// and by "Vantrel module unreachable" for any other code; a text of the
// caller's own is told as it is. Shown in the error box or thrown.
TEST_F(Shell, ErrorsAreToldInTheErrorBoxOrThrown)
{
    Main();
    struct Case {
        int code;  // the library's last error
        const char* message;
        bool throwIt;
        const char* told;
    } cases[] = {
        {CMD_ERR_CONNECT_TIMEOUT, "", false, "socket connection timeout"},
        {CMD_ERR_NOT_SUPPORTED, "", false, "function is not supported for the selected Vantrel Module"},
        {0, "", false, "Vantrel module unreachable"},
        {ECONNREFUSED, "", false, "Vantrel module unreachable"},
        {CMD_ERR_RECV_TIMEOUT, "Configuration not saved!", false, "Configuration not saved!"},
        {CMD_ERR_RECV_TIMEOUT, "", true, "socket reciv timeout"},
        {ECONNREFUSED, "", true, "Vantrel module unreachable"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        cmd_set_error(c.code);
        dialogs->Clear();
        wxString thrown;
        try {
            Main()->ReportError(c.message, c.throwIt);
        } catch (const wxString& text) {
            thrown = text;
        }
        EXPECT_EQ(thrown, c.throwIt ? c.told : "");
        EXPECT_EQ(dialogs->Messages(), c.throwIt ? Texts{} : Texts{wxString("Error: ") + c.told});
        ExpectBoxStyles(*dialogs);
        EXPECT_EQ(cmd_get_error(), c.code) << "the last error is left as it was";
    }
    cmd_set_error(0);
}

// The check file named by the environment (here a file: address, so
// nothing leaves the machine) decides the notice; an empty address is none.
TEST_F(Shell, UpdateCheckTellsWhatTheFileItIsPointedAtSays)
{
    const std::string file = dir->File("checkglimra3.ini");
    const wxString url = wxFileSystem::FileNameToURL(wxFileName(file));
    struct Case {
        const char* text;  // null: no file
        UpdateKind kind;
        const char* caption;
    } cases[] = {
        {"1.5.0;0", UpdateKind::Available, "New update available!"},
        {"1.5.0;1", UpdateKind::Required, "New update required!"},
        {"1.4.3;1", UpdateKind::None, nullptr},
        {nullptr, UpdateKind::None, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text ? c.text : "no file");
        std::remove(file.c_str());
        if (c.text)
            std::ofstream(file) << c.text;
        setenv(UpdateUrlVariable, url.utf8_string().c_str(), 1);
        dialogs->Clear();
        EXPECT_EQ(RunUpdateCheck(), c.kind);
        ASSERT_EQ(dialogs->Shown().size(), c.caption ? 1u : 0u);
        if (c.caption) {
            EXPECT_EQ(dialogs->Shown()[0].title, c.caption);
            EXPECT_TRUE(dialogs->Shown()[0].message.EndsWith("Current version: 1.4.3 - New version: 1.5.0"));
            ExpectBoxStyles(*dialogs);
        }
    }
    for (const char* set : {"", "http://127.0.0.1:9/other.ini"}) {
        setenv(UpdateUrlVariable, set, 1);
        bool fromEnvironment = !*set;
        EXPECT_EQ(UpdateCheckUrl(&fromEnvironment), *set ? wxString(set) : UpdateCheckDefaultUrl);
        EXPECT_EQ(fromEnvironment, *set != 0) << set;
    }
}

// The tools in their order, the configuration tools off until the network
// page; Info, About and the terminal's dialog from the menu.
TEST_F(Shell, ToolsAndMenuCommandsDoWhatTheySay)
{
    Main();
    const struct {
        int id;  // -1: a separator
        const char* label;
        bool enabled;
    } tools[] = {
        {ID_BACK, "Back", true},
        {ID_HOME, "Home", true},
        {-1, "", false},
        {ID_QUIT, "Exit", true},
        {-1, "", false},
        {ID_IMPORT_CONF, "Import configuration", false},
        {ID_EXPORT_CONF, "Export current configuration", false},
        {ID_LOAD_LAST_CONF, "Load Last configuration", false},
    };
    wxToolBar* bar = Main()->toolBar->frameToolBar;
    ASSERT_EQ(bar->GetToolsCount(), std::size(tools));
    for (size_t i = 0; i < std::size(tools); ++i) {
        const wxToolBarToolBase* tool = bar->GetToolByPos(int(i));
        EXPECT_EQ(tool->IsSeparator(), tools[i].id < 0) << i;
        if (tools[i].id < 0)
            continue;
        EXPECT_EQ(tool->GetId(), tools[i].id) << i;
        EXPECT_EQ(tool->GetLabel(), tools[i].label);
        EXPECT_EQ(bar->GetToolEnabled(tools[i].id), tools[i].enabled) << tools[i].label;
    }

    Command(ID_INFO);
    Command(ID_ABOUT);
    ASSERT_EQ(dialogs->Shown().size(), 2u);
    EXPECT_EQ(dialogs->Messages()[0], "Info: Vantrel Glimra ver. 1.4.3");
    EXPECT_EQ(dialogs->Shown()[1].title, "About VEMTOR");
    ExpectBoxStyles(*dialogs);

    // Not a module's: the default address, the serial data port, no hub to go back to.
    Command(ID_TERMINAL);
    auto* terminal = dynamic_cast<UartDialog*>(Main()->frame->GetChildren().back());
    ASSERT_NE(terminal, nullptr);
    EXPECT_EQ(terminal->GetIpCtrl()->GetValue(), "192.168.100.10");
    EXPECT_EQ(terminal->GetPortText()->GetValue(), "65100");
}

// Sizes, styles and weights of the five shared fonts.
TEST_F(Shell, SharedFontsAreBuiltOnce)
{
    Main();
    const struct {
        const wxFont& font;
        int points;
        wxFontStyle style;
        wxFontWeight weight;
    } fonts[] = {
        {FontBold11, 11, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD},
        {FontBold10, 10, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD},
        {FontBold9, 9, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD},
        {FontBold8, 8, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD},
        {FontItalic8, 8, wxFONTSTYLE_ITALIC, wxFONTWEIGHT_NORMAL},
    };
    for (const auto& f : fonts) {
        SCOPED_TRACE(f.points);
        ASSERT_TRUE(f.font.IsOk());
        EXPECT_EQ(f.font.GetPointSize(), f.points);
        EXPECT_EQ(f.font.GetStyle(), f.style);
        EXPECT_EQ(f.font.GetWeight(), f.weight);
        EXPECT_FALSE(f.font.GetUnderlined());
    }
}

// A window put aside is hidden at once and destroyed once the event loop
// runs; when its parent goes first, nothing is left to do.
TEST_F(Shell, DestroyLaterHidesNowAndDestroysAfterTheHandler)
{
    for (bool parentFirst : {false, true}) {
        auto* parent = new wxPanel(Main()->frame);
        wxWeakRef<wxWindow> child = new wxButton(parent, wxID_ANY, "child");
        DestroyLater(child);
        EXPECT_FALSE(child->IsShown());
        EXPECT_TRUE(child) << "alive until the handler has returned";
        if (parentFirst)
            parent->Destroy();
        EXPECT_TRUE(guitest::WaitFor([&] { return !child; }, 2000)) << parentFirst;
        if (!parentFirst)
            parent->Destroy();
    }
}

// The short, maximized frame only on a display exactly 600 pixels high.
TEST(Startup, FrameLayoutByDisplayHeight)
{
    const long fixed = wxCAPTION | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxCLOSE_BOX;
    const struct {
        int height;
        int frameHeight;
        bool maximized;
    } cases[] = {{599, 600, false}, {600, 570, true}, {601, 600, false}, {1024, 600, false}};
    for (const auto& c : cases) {
        const FrameLayout layout = ChooseFrameLayout(c.height);
        EXPECT_EQ(layout.size, wxSize(800, c.frameHeight)) << c.height;
        EXPECT_EQ(layout.maximized, c.maximized) << c.height;
        EXPECT_EQ(layout.style, c.maximized ? fixed | wxMAXIMIZE_BOX | wxMAXIMIZE : fixed) << c.height;
    }
}

// Labels sized before their font: each gets the room its text needs, at any
// depth, where it stands; one that fits keeps its size.
TEST_F(Shell, FitTextsGivesEveryLabelTheRoomOfItsText)
{
    auto* top = new wxPanel(Main()->frame);
    auto* inner = new wxPanel(new wxPanel(top));
    const struct {
        wxWindow* parent;
        wxSize size;
    } labels[] = {{top, {10, 60}}, {inner, {10, 60}}, {inner, {400, 4}}, {top, {400, 60}}};
    std::vector<wxStaticText*> made;
    for (const auto& l : labels) {
        made.push_back(new wxStaticText(l.parent, wxID_ANY, "Connection in progress", wxPoint(5, 7), l.size,
                                        wxST_NO_AUTORESIZE));
        made.back()->SetFont(FontBold11);
    }
    FitTexts(top);
    for (size_t i = 0; i < made.size(); ++i) {
        SCOPED_TRACE(i);
        const wxSize text = made[i]->GetTextExtent(made[i]->GetLabel());
        EXPECT_EQ(made[i]->GetPosition(), wxPoint(5, 7));
        EXPECT_EQ(made[i]->GetSize(), wxSize(std::max(labels[i].size.x, text.x), std::max(labels[i].size.y, text.y)));
    }
    top->Destroy();
}

}  // namespace
