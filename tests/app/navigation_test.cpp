// One page at a time: the show operations with real and test-only pages,
// their fallbacks, Back, the configuration-file tools, login's rebuild of the
// hub, and the deferred destruction of the page that asked for the change.
#include <wx/frame.h>
#include <wx/listbox.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>

#include "Db.h"
#include "LoginDialog.h"
#include "Pages.h"
#include "StartPanel.h"
#include "VantrelDetailsPanel.h"
#include "app_test_util.h"
#include "cmd_error.h"
#include "test_pages.h"

using namespace apptest;

namespace {

class NavigationTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        UnregisterAll();
        Main();
        dialogs->Clear();
    }
    void TearDown() override
    {
        UnregisterAll();
        ShellTest::TearDown();
    }

    ProbePage* Shown() { return AsProbe(Main()->GetPanel(Main()->currentPanel)); }
    bool ToolEnabled(int id) { return Main()->toolBar->frameToolBar->GetToolEnabled(id); }
};

// Every show operation of a configuration page, called the way the hub does.
struct ConfigShow {
    PanelIndex index;
    const char* name;
    std::function<void(MainWindow*)> show;
    bool passesFirmware;
    bool passesMac;
};

std::vector<ConfigShow> ConfigShows()
{
    const wxString ip = "127.0.0.7";
    const wxString port = "65011";
    return {
        {PANEL_NET, "net", [=](MainWindow* m) { m->ShowNetPanel(ip, port, 'S', 141); }, true, false},
        {PANEL_SOCKET, "socket", [=](MainWindow* m) { m->ShowSocketPanel(ip, port, 'S'); }, false, false},
        {PANEL_SOCKET_NEW, "socket new", [=](MainWindow* m) { m->ShowSocketNewPanel(ip, port, 'S', 141); },
         true, false},
        {PANEL_UART, "uart",
         [=](MainWindow* m) { m->ShowUartPanel(ip, port, "00:11:22:33:44:55", 'S', 141); }, true, true},
        {PANEL_ADVANCED, "advanced", [=](MainWindow* m) { m->ShowAdvancedPanel(ip, port, 'S', 141); }, true,
         false},
        {PANEL_IO, "io", [=](MainWindow* m) { m->ShowIOPanel(ip, port, 'S', 141); }, true, false},
        {PANEL_ADC, "adc", [=](MainWindow* m) { m->ShowADCPanel(ip, port, 'S', 141); }, true, false},
        {PANEL_I2C, "i2c", [=](MainWindow* m) { m->ShowI2CPanel(ip, port, 'S', 141); }, true, false},
        {PANEL_POWERSAVE, "powersave", [=](MainWindow* m) { m->ShowPowersavePanel(ip, port, 'S', 141); },
         true, false},
        {PANEL_BATCH_CONF, "batch", [=](MainWindow* m) { m->ShowBatchConf(ip, port, 'S', 141); }, true,
         false},
        {PANEL_CANBUS, "canbus", [=](MainWindow* m) { m->ShowCanbusPanel(ip, port, 'S', 141); }, true, false},
        {PANEL_CANBUS_ACTUATION, "canbus actuation",
         [=](MainWindow* m) { m->ShowCanbusActuactionPanel(ip, port, 'S', 141); }, true, false},
    };
}

TEST_F(NavigationTest, EachConfigurationPageIsBuiltInItsSlotWithItsArguments)
{
    for (int i = 1; i < PANEL_SLOT_COUNT; ++i)
        RegisterProbe(static_cast<PanelIndex>(i));
    Main()->ShowModulePanel("127.0.0.7", "65011");
    for (const ConfigShow& c : ConfigShows()) {
        Builds().clear();
        c.show(Main());
        ASSERT_EQ(Builds().size(), 1u) << c.name;
        EXPECT_EQ(Builds()[0].index, c.index) << c.name;
        EXPECT_EQ(Main()->currentPanel, c.index) << c.name;
        ExpectOnePage(c.name);
        ProbePage* page = Shown();
        ASSERT_NE(page, nullptr) << c.name;
        EXPECT_EQ(page->args.ip, "127.0.0.7") << c.name;
        EXPECT_EQ(page->args.port, "65011") << c.name;
        EXPECT_EQ(page->args.type, 'S') << c.name;
        EXPECT_EQ(page->args.firmware, c.passesFirmware ? 141 : 0) << c.name;
        EXPECT_EQ(page->args.mac, c.passesMac ? "00:11:22:33:44:55" : "") << c.name;
        EXPECT_TRUE(page->IsShown()) << c.name;
        EXPECT_NE(Main()->sizer->GetItem(page), nullptr) << c.name;
        // Reached from the hub, the start page stays hidden.
        EXPECT_FALSE(Main()->startPanel->IsShown()) << c.name;
    }
    EXPECT_TRUE(dialogs->Shown().empty());
}

TEST_F(NavigationTest, AFailingConfigurationPageFallsBackToTheHubOfTheSameModule)
{
    RegisterProbe(PANEL_MODULE);
    for (const ConfigShow& c : ConfigShows()) {
        RegisterFailing(c.index, Failure::Text, wxString("read of ") + c.name + " failed");
        Main()->ShowStartPanel();
        Builds().clear();
        dialogs->Clear();
        c.show(Main());
        ASSERT_EQ(Builds().size(), 2u) << c.name;
        EXPECT_EQ(Builds()[1].index, PANEL_MODULE) << c.name;
        EXPECT_EQ(Builds()[1].args.ip, "127.0.0.7") << c.name;
        EXPECT_EQ(Builds()[1].args.port, "65011") << c.name;
        EXPECT_EQ(Messages(*dialogs),
                  std::vector<wxString>{wxString("Error: read of ") + c.name + " failed"});
        EXPECT_EQ(Main()->currentPanel, PANEL_MODULE) << c.name;
        ExpectOnePage(c.name);
        EXPECT_EQ(Main()->hubIp, "127.0.0.7");
        EXPECT_EQ(Main()->hubPort, "65011");
        MainWindow::RegisterPage(c.index, nullptr);
    }
}

TEST_F(NavigationTest, FailuresReportTheirTextAndRunTheFallbackChain)
{
    struct Case {
        const char* name;
        std::function<void()> arrange;
        std::function<void(MainWindow*)> show;
        std::vector<wxString> errors;
        int panel;
        std::vector<int> builds;
    };
    const Case cases[] = {
        {"net fails, hub unreachable too",
         [] {
             RegisterFailing(PANEL_NET, Failure::Text, "Connection aborted by user");
             RegisterFailing(PANEL_MODULE, Failure::Text, "socket connection timeout");
         },
         [](MainWindow* m) { m->ShowNetPanel("127.0.0.7", "65000", 'S', 150); },
         {"Error: Connection aborted by user", "Error: socket connection timeout"},
         PANEL_START,
         {PANEL_NET, PANEL_MODULE}},
        {"hub fails",
         [] { RegisterFailing(PANEL_MODULE, Failure::Text, "Vantrel module unreachable"); },
         [](MainWindow* m) { m->ShowModulePanel("127.0.0.7", "65000"); },
         {"Error: Vantrel module unreachable"},
         PANEL_START,
         {PANEL_MODULE}},
        {"empty text takes the last error",
         [] {
             cmd_set_error(CMD_ERR_RECV_TIMEOUT);
             RegisterFailing(PANEL_MODULE, Failure::EmptyText, "");
         },
         [](MainWindow* m) { m->ShowModulePanel("127.0.0.7", "65000"); },
         {"Error: socket reciv timeout"},
         PANEL_START,
         {PANEL_MODULE}},
        {"details fails: report only",
         [] { RegisterFailing(PANEL_DETAILS, Failure::Text, "no details"); },
         [](MainWindow* m) { m->ShowDetailsPanel("00:11:22:33:44:55"); },
         {"Error: no details"},
         PANEL_START,
         {PANEL_DETAILS}},
        {"scan fails: report only",
         [] { RegisterFailing(PANEL_SCAN, Failure::Text, "no scan"); },
         [](MainWindow* m) { m->ShowScanPanel(); },
         {"Error: no scan"},
         PANEL_START,
         {PANEL_SCAN}},
        {"terminal from the menu falls back to the start page",
         [] {
             RegisterFailing(PANEL_TERMINAL, Failure::Text, "Thread run error");
             RegisterProbe(PANEL_MODULE);
         },
         [](MainWindow* m) { m->ShowTerminalPanel("192.168.100.10", "127.0.0.8", "", "65100", -1); },
         {"Error: Thread run error"},
         PANEL_START,
         {PANEL_TERMINAL}},
        {"terminal from the hub falls back to the hub",
         [] {
             RegisterFailing(PANEL_TERMINAL, Failure::Text, "Connection aborted by user");
             RegisterProbe(PANEL_MODULE);
         },
         [](MainWindow* m) { m->ShowTerminalPanel("127.0.0.7", "127.0.0.8", "65000", "65100", 'S'); },
         {"Error: Connection aborted by user"},
         PANEL_MODULE,
         {PANEL_TERMINAL, PANEL_MODULE}},
        {"a runtime exception is reported, not fatal",
         [] {
             RegisterFailing(PANEL_IO, Failure::StdException, "bad_alloc or worse");
             RegisterProbe(PANEL_MODULE);
         },
         [](MainWindow* m) { m->ShowIOPanel("127.0.0.7", "65000", 'D', 150); },
         {"Error: bad_alloc or worse"},
         PANEL_MODULE,
         {PANEL_IO, PANEL_MODULE}},
        {"a database exception is reported, not fatal",
         [] { RegisterFailing(PANEL_DETAILS, Failure::DbException, "disk I/O error"); },
         [](MainWindow* m) { m->ShowDetailsPanel("00:11:22:33:44:55"); },
         {},
         PANEL_START,
         {PANEL_DETAILS}},
        {"a page that builds nothing falls back silently",
         [] {
             RegisterFailing(PANEL_ADC, Failure::NullPage, "");
             RegisterProbe(PANEL_MODULE);
         },
         [](MainWindow* m) { m->ShowADCPanel("127.0.0.7", "65000", 'D', 150); },
         {},
         PANEL_MODULE,
         {PANEL_ADC, PANEL_MODULE}},
    };
    const int16_t savedError = cmd_get_error();
    for (const Case& c : cases) {
        UnregisterAll();
        Main()->ShowStartPanel();
        c.arrange();
        dialogs->Clear();
        c.show(Main());
        std::vector<int> built;
        for (const Build& b : Builds())
            built.push_back(b.index);
        EXPECT_EQ(built, c.builds) << c.name;
        if (c.errors.empty() && c.builds[0] == PANEL_DETAILS) {
            // The wrapper composes its own text around the message.
            ASSERT_EQ(dialogs->Shown().size(), 1u) << c.name;
            EXPECT_EQ(dialogs->Shown()[0].title, "Error");
            EXPECT_NE(dialogs->Shown()[0].message.Find("disk I/O error"), wxNOT_FOUND) << c.name;
        } else {
            EXPECT_EQ(Messages(*dialogs), c.errors) << c.name;
        }
        EXPECT_EQ(Main()->currentPanel, c.panel) << c.name;
        EXPECT_EQ(Main()->startPanel->IsShown(), c.panel == PANEL_START) << c.name;
        ExpectOnePage(c.name);
        // The half-built page left nothing behind in the frame.
        guitest::Pump();
        for (wxWindow* child : Main()->frame->GetChildren())
            EXPECT_EQ(dynamic_cast<FailingPage*>(child), nullptr) << c.name;
    }
    cmd_set_error(savedError);
}

TEST_F(NavigationTest, AShowOperationWithoutAPageLeavesThePageShown)
{
    RegisterProbe(PANEL_MODULE);
    Main()->ShowModulePanel("127.0.0.7", "65000");
    wxWindow* hub = Main()->GetPanel(PANEL_MODULE);
    Main()->ShowNetPanel("127.0.0.7", "65000", 'S', 150);
    Main()->ShowScanPanel();
    Main()->ShowTerminalPanel("127.0.0.7", "127.0.0.7", "65000", "65100", 'S');
    EXPECT_EQ(Main()->currentPanel, PANEL_MODULE);
    EXPECT_EQ(Main()->GetPanel(PANEL_MODULE), hub);
    EXPECT_TRUE(hub->IsShown());
    ExpectOnePage("unregistered pages");
}

TEST_F(NavigationTest, BackReachesOnlyThePageShown)
{
    RegisterProbe(PANEL_MODULE);
    // On the start page Back does nothing, from the menu or the tool.
    Command(ID_BACK);
    EXPECT_EQ(Main()->currentPanel, PANEL_START);

    Main()->ShowModulePanel("127.0.0.7", "65000");
    ProbePage* hub = Shown();
    ASSERT_NE(hub, nullptr);
    Command(ID_BACK);
    EXPECT_EQ(hub->backs, 1) << "menu item and tool share one route: exactly one delivery";
    wxWeakRef<wxWindow> hubRef = hub;

    // A page that does not handle Back must not send it round again: its
    // parent, the frame, would hand it straight back to the main window.
    MainWindow::RegisterPage(PANEL_SCAN, [](const PageArgs&) -> wxWindow* {
        return new wxPanel(MainWindow::GetInstance()->frame, wxID_ANY);
    });
    Main()->ShowScanPanel();
    ASSERT_EQ(Main()->currentPanel, PANEL_SCAN);
    Command(ID_BACK);
    EXPECT_EQ(Main()->currentPanel, PANEL_SCAN);
    ASSERT_TRUE(hubRef) << "not yet idle: the replaced hub still exists";
    EXPECT_EQ(hub->backs, 1) << "the replaced hub gets nothing";
}

TEST_F(NavigationTest, BackFromAPageReplacesItOnlyAfterItsHandlerReturned)
{
    RegisterProbe(PANEL_MODULE);
    Main()->ShowModulePanel("127.0.0.7", "65000");
    ProbePage* hub = Shown();
    bool aliveAfterCall = false;
    hub->onBack = [&](ProbePage& self) {
        wxWeakRef<wxWindow> me = &self;
        MainWindow::GetInstance()->ShowStartPanel();
        // Still inside the page's own handler: it must not be freed yet.
        self.backs += 100;
        aliveAfterCall = me && self.GetChildren().size() == 1;
    };
    wxWeakRef<wxWindow> ref = hub;
    Command(ID_BACK);
    EXPECT_TRUE(aliveAfterCall);
    EXPECT_EQ(Main()->currentPanel, PANEL_START);
    EXPECT_FALSE(hub->IsShown());
    EXPECT_EQ(Main()->sizer->GetItem(hub), nullptr) << "out of the sizer at once";
    EXPECT_TRUE(guitest::WaitFor([&] { return !ref; }, 2000)) << "destroyed once the event loop ran";
}

TEST_F(NavigationTest, ReplacedPagesOutliveANestedShowAndGoWithTheFrame)
{
    RegisterProbe(PANEL_MODULE);
    RegisterProbe(PANEL_NET);
    Main()->ShowModulePanel("127.0.0.7", "65000");
    wxWeakRef<wxWindow> hub = Main()->GetPanel(PANEL_MODULE);
    // The net page's construction runs the event loop (as a progress wait
    // does): the hub that asked for it must still exist meanwhile.
    bool hubAliveDuringBuild = false;
    MainWindow::RegisterPage(PANEL_NET, [&](const PageArgs& a) -> wxWindow* {
        guitest::PumpFor(20);
        hubAliveDuringBuild = bool(hub);
        return new ProbePage(PANEL_NET, a, true);
    });
    Main()->ShowNetPanel("127.0.0.7", "65000", 'S', 150);
    EXPECT_TRUE(hubAliveDuringBuild);
    // Retired pages scheduled, then the frame destroyed before any idle
    // time: each page must be freed exactly once.
    wxWeakRef<wxWindow> net = Main()->GetPanel(PANEL_NET);
    Main()->ShowStartPanel();
    MainWindow::DestroyForTests();
    EXPECT_FALSE(net);
    EXPECT_FALSE(hub);
}

TEST_F(NavigationTest, ConfigToolsLiveOnlyWithTheNetworkPage)
{
    RegisterProbe(PANEL_MODULE);
    RegisterProbe(PANEL_NET);
    for (int id : {56, 57, 58})
        EXPECT_FALSE(ToolEnabled(id));

    Main()->ShowModulePanel("127.0.0.7", "65000");
    ProbePage* hub = Shown();
    for (int id : {56, 57, 58})
        Command(id);
    EXPECT_TRUE(hub->configTools.empty()) << "dropped off the network page";

    Main()->ShowNetPanel("127.0.0.7", "65000", 'S', 150);
    ProbePage* net = Shown();
    for (int id : {56, 57, 58})
        EXPECT_TRUE(ToolEnabled(id));
    for (int id : {58, 56, 57})
        Command(id);
    EXPECT_EQ(net->configTools, (std::vector<int>{58, 56, 57}));

    // Back to the hub: disabled again.
    Main()->ShowModulePanel("127.0.0.7", "65000");
    for (int id : {56, 57, 58})
        EXPECT_FALSE(ToolEnabled(id));
    // A network page that fails to read switched them on while it was built;
    // the fallback's clearing switches them off.
    MainWindow::RegisterPage(PANEL_NET, [](const PageArgs&) -> wxWindow* {
        MainWindow::GetInstance()->toolBar->EnableConfigTools(true);
        throw wxString("Configuration not read");
    });
    Main()->ShowNetPanel("127.0.0.7", "65000", 'S', 150);
    EXPECT_EQ(Main()->currentPanel, PANEL_MODULE);
    for (int id : {56, 57, 58})
        EXPECT_FALSE(ToolEnabled(id));
}

TEST_F(NavigationTest, ShowingTheStartPageRefreshesItsList)
{
    RegisterProbe(PANEL_MODULE);
    Main()->ShowModulePanel("127.0.0.7", "65000");
    EXPECT_FALSE(Main()->startPanel->IsShown());
    const unsigned before = Main()->startPanel->ModuleList()->GetCount();
    Db::GetInstance()->SaveDescription("127.0.0.7", "00:11:22:33:44:55", "lab bench");
    Command(ID_HOME);
    EXPECT_EQ(Main()->currentPanel, PANEL_START);
    EXPECT_TRUE(Main()->startPanel->IsShown());
    EXPECT_EQ(Main()->startPanel->ModuleList()->GetCount(), before + 1);
    ExpectOnePage("home");
    // Home on the start page only refreshes.
    Db::GetInstance()->SaveDescription("127.0.0.6", "00:11:22:33:44:66", "shelf");
    Command(ID_HOME);
    EXPECT_EQ(Main()->startPanel->ModuleList()->GetCount(), before + 2);
}

TEST_F(NavigationTest, DetailsPageShowsAStoredModuleAndBackLeadsHome)
{
    RegisterPages();
    Db::GetInstance()->InsertModule("127.0.0.5", "workshop", "255.255.255.0", "127.0.0.1", 1,
                                    "00:AA:BB:CC:DD:EE", 3, "secret");
    Main()->ShowDetailsPanel("00:AA:BB:CC:DD:EE");
    ASSERT_EQ(Main()->currentPanel, PANEL_DETAILS);
    wxWindow* page = Main()->GetPanel(PANEL_DETAILS);
    ASSERT_NE(dynamic_cast<VantrelDetailsPanel*>(page), nullptr);
    EXPECT_FALSE(Main()->startPanel->IsShown());
    std::vector<wxString> texts;
    for (wxWindow* child : page->GetChildren())
        texts.push_back(child->GetLabel());
    for (const char* expected : {"00:AA:BB:CC:DD:EE", "127.0.0.5", "workshop", "Infrastructure", "WEP"})
        EXPECT_NE(std::find(texts.begin(), texts.end(), wxString(expected)), texts.end()) << expected;
    wxWeakRef<wxWindow> ref = page;
    Command(ID_BACK);
    EXPECT_EQ(Main()->currentPanel, PANEL_START);
    EXPECT_TRUE(Main()->startPanel->IsShown());
    EXPECT_TRUE(guitest::WaitFor([&] { return !ref; }, 2000));
    EXPECT_TRUE(dialogs->Shown().empty());
}

TEST_F(NavigationTest, LoginWithTheRightPairRebuildsTheHubAndAWrongPairDoesNothing)
{
    RegisterProbe(PANEL_MODULE);
    RegisterProbe(PANEL_SCAN);
    struct Pair {
        const char* user;
        const char* password;
    };
    const Pair wrong[] = {
        {"Kestru", "plovik#7"},
        {"kestru ", "plovik#7"},
        {"kestru", "plovik#8"},
        {"kestru", "Plovik#7"},
        {"", ""},
        {"plovik#7", "kestru"},
        {"kestru", ""},
    };
    auto openLogin = [&]() -> LoginDialog* {
        const wxWindowList before = Main()->frame->GetChildren();
        Command(ID_LOGIN);
        for (wxWindow* child : Main()->frame->GetChildren())
            if (auto* d = dynamic_cast<LoginDialog*>(child); d && !before.Find(child))
                return d;
        return nullptr;
    };
    auto pressOk = [](LoginDialog* d) {
        wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
        ok.SetEventObject(d);
        d->ProcessWindowEvent(ok);
    };

    Main()->ShowModulePanel("127.0.0.7", "65012");
    for (const Pair& p : wrong) {
        LoginDialog* d = openLogin();
        ASSERT_NE(d, nullptr);
        EXPECT_TRUE(d->IsShown());
        EXPECT_EQ(d->GetTitle(), "Login");
        EXPECT_TRUE(d->PasswordCtrl()->HasFlag(wxTE_PASSWORD));
        d->UserNameCtrl()->ChangeValue(p.user);
        d->PasswordCtrl()->ChangeValue(p.password);
        pressOk(d);
        EXPECT_TRUE(d->IsShown()) << p.user << "/" << p.password;
        EXPECT_EQ(d->UserNameCtrl()->GetValue(), p.user) << "typed text stays";
        EXPECT_FALSE(Main()->loggedIn) << p.user << "/" << p.password;
    }
    EXPECT_EQ(Builds().size(), 1u);
    EXPECT_TRUE(dialogs->Shown().empty()) << "a wrong pair is not reported";

    // Right pair with the hub shown: flag set, hub rebuilt for the same module.
    wxWeakRef<wxWindow> oldHub = Main()->GetPanel(PANEL_MODULE);
    LoginDialog* d = openLogin();
    d->UserNameCtrl()->ChangeValue("kestru");
    d->PasswordCtrl()->ChangeValue("plovik#7");
    pressOk(d);
    EXPECT_FALSE(d->IsShown());
    EXPECT_TRUE(Main()->loggedIn);
    ASSERT_EQ(Builds().size(), 2u);
    EXPECT_EQ(Builds()[1].index, PANEL_MODULE);
    EXPECT_EQ(Builds()[1].args.ip, "127.0.0.7");
    EXPECT_EQ(Builds()[1].args.port, "65012");
    EXPECT_EQ(Main()->currentPanel, PANEL_MODULE);
    EXPECT_NE(Main()->GetPanel(PANEL_MODULE), oldHub.get());
    ExpectOnePage("after login");
    EXPECT_TRUE(guitest::WaitFor([&] { return !oldHub; }, 2000));

    // Again, on another page: only the flag, no rebuild.
    Main()->ShowScanPanel();
    Builds().clear();
    d = openLogin();
    d->UserNameCtrl()->ChangeValue("kestru");
    d->PasswordCtrl()->ChangeValue("plovik#7");
    pressOk(d);
    EXPECT_FALSE(d->IsShown());
    EXPECT_TRUE(Main()->loggedIn);
    EXPECT_TRUE(Builds().empty());
    EXPECT_EQ(Main()->currentPanel, PANEL_SCAN);
}

}  // namespace
