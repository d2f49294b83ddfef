// The terminal page in the real main window against test modules on loopback
// (the module's data service): connecting and its fallbacks, open and close
// cycles that leave no socket and no thread behind, the peer closing, the
// connection dialog, the hub's terminal button and the watchdog.
#include <dirent.h>
#include <wx/frame.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "DbCommands.h"
#include "HubLogic.h"
#include "StartPanel.h"
#include "TerminalThreads.h"
#include "TestConnection.h"
#include "UartDialog.h"
#include "VantrelPanel.h"
#include "VantrelTerminalPanel.h"
#include "app_fixture.h"
#include "test_module.h"
#include "wxIPCtrl.h"

using namespace apptest;
using testmod::Bytes;
using testmod::Fault;
using testmod::TestModule;

namespace {

int Entries(const char* dir)
{
    int n = 0;
    if (DIR* d = opendir(dir)) {
        while (readdir(d))
            ++n;
        closedir(d);
    }
    return n;
}
int OpenFds()
{
    return Entries("/proc/self/fd");
}
int Threads()
{
    return Entries("/proc/self/task");
}

// Presses Cancel on whatever progress dialog is shown, as the user would.
struct CancelPresser : wxTimer {
    CancelPresser()
    {
        Bind(wxEVT_TIMER, [](wxTimerEvent&) {
            for (wxWindow* top : wxTopLevelWindows)
                if (wxWindow* cancel = top->IsShown() ? top->FindWindow(wxID_CANCEL) : nullptr) {
                    wxCommandEvent click(wxEVT_BUTTON, wxID_CANCEL);
                    click.SetEventObject(cancel);
                    cancel->ProcessWindowEvent(click);
                }
        });
    }
};

class Terminal : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        module.SetDataService(true);
        // What stays open for the rest of the run once built: the window,
        // and the command list that the first page opens.
        Main();
        DbCommands::GetInstance()->Open("localcmd.sqlite");
        guitest::Pump();
    }
    VantrelTerminalPanel* Page()
    {
        return dynamic_cast<VantrelTerminalPanel*>(Main()->GetPanel(PANEL_TERMINAL));
    }
    // Opens the terminal as the connection dialog does; the page, or null.
    VantrelTerminalPanel* Open(const TestModule& m)
    {
        Main()->ShowTerminalPanel(m.Address(), m.Address(), "", m.PortText(), -1);
        return Page();
    }
    // Closes it as Home does; the time the close took.
    std::chrono::milliseconds Close()
    {
        const auto begin = std::chrono::steady_clock::now();
        Main()->ShowStartPanel();
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                     begin);
    }
    TestModule module{"127.0.0.31"};
};

TEST_F(Terminal, ConnectsOrFallsBackToTheStartPage)
{
    const wxString aborted = "Error: Connection aborted by user";
    const wxString question = "End Connection?: Do you really want to cancel connection?";
    struct Case {
        Fault fault;
        std::vector<int> answers;  // to the cancel question, pressed every 150 ms
        std::vector<wxString> messages;
    } cases[] = {
        {Fault::None, {}, {}},
        {Fault::Refuse, {}, {"Error: Vantrel module unreachable"}},
        {Fault::NeverAccept, {wxID_NO, wxID_YES}, {question, question, aborted}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.fault));
        TestModule peer("127.0.0.32");
        peer.SetDataService(true);
        peer.SetFault(c.fault);
        ASSERT_TRUE(peer.Start());
        sock_set_connect_timeout(c.fault == Fault::NeverAccept ? 5 : 1);
        dialogs->Clear();
        for (int answer : c.answers)
            dialogs->Answer(answer);
        CancelPresser presser;
        if (!c.answers.empty())
            presser.Start(150);
        const int fds = OpenFds();
        VantrelTerminalPanel* page = Open(peer);
        presser.Stop();
        EXPECT_EQ(dialogs->Messages(), c.messages);
        if (c.fault != Fault::None) {
            EXPECT_EQ(page, nullptr);
            EXPECT_EQ(Main()->currentPanel, PANEL_START);
            EXPECT_TRUE(Main()->startPanel->IsShown());
            EXPECT_TRUE(
                guitest::WaitFor([&] { return TerminalWorkersRunning() == 0 && OpenFds() == fds; }, 2000));
            continue;
        }
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->GetConnected(), 1);
        EXPECT_TRUE(page->IsReceiving());
        EXPECT_GE(page->GetSocket(), 0);
        EXPECT_EQ(page->GetDataPort(), peer.Port());
        EXPECT_TRUE(ShowsText(page, "Unknown JIX-Terminal"));
        EXPECT_TRUE(guitest::WaitFor([&] { return peer.DataConnected(); }, 1000));
        EXPECT_TRUE(SaveScreenshot("terminal.png"));
        // Back does nothing without a module to go back to.
        Command(ID_BACK);
        EXPECT_EQ(Page(), page);
        Close();
    }
}

TEST_F(Terminal, FiftyOpenAndCloseCyclesLeaveNoSocketAndNoThread)
{
    ASSERT_TRUE(module.Start());
    // The first page makes the toolkit start what it keeps for the run.
    ASSERT_NE(Open(module), nullptr);
    Close();
    ASSERT_TRUE(guitest::WaitFor([] { return TerminalWorkersRunning() == 0; }, 2000));
    guitest::PumpFor(200);
    const int fds = OpenFds();
    const int threads = Threads();

    for (int cycle = 0; cycle < 50; ++cycle) {
        SCOPED_TRACE(cycle);
        VantrelTerminalPanel* page = Open(module);
        ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
        ASSERT_TRUE(guitest::WaitFor([&] { return module.DataConnected(); }, 2000));
        std::atomic<bool> sending{false};
        std::thread sender;
        switch (cycle % 3) {
            case 1:  // the peer is still sending while the page closes
                sending = true;
                sender = std::thread([&] {
                    const Bytes chunk(4096, 0x5A);
                    while (sending && module.SendData(chunk)) {
                    }
                });
                guitest::PumpFor(20);
                break;
            case 2:  // the peer has just closed
                module.CloseData();
                break;
        }
        EXPECT_LT(Close().count(), 3100);
        sending = false;
        if (sender.joinable())
            sender.join();
        EXPECT_EQ(Page(), nullptr);
        EXPECT_TRUE(guitest::WaitFor(
            [&] {
                // The toolkit's own pool threads may end meanwhile.
                return TerminalWorkersRunning() == 0 && !module.DataConnected() && OpenFds() == fds &&
                       Threads() <= threads;
            },
            3000))
            << "fds " << OpenFds() << " of " << fds << ", threads " << Threads() << " of " << threads;
    }
    EXPECT_TRUE(dialogs->Shown().empty()) << testing::PrintToString(dialogs->Messages());
}

TEST_F(Terminal, ThePeerClosingLeadsToTheStartPage)
{
    ASSERT_TRUE(module.Start());
    const int fds = OpenFds();
    ASSERT_NE(Open(module), nullptr);
    ASSERT_TRUE(guitest::WaitFor([&] { return module.DataConnected(); }, 2000));
    module.SendData({'b', 'y', 'e'});
    module.CloseData();
    ASSERT_TRUE(guitest::WaitFor([&] { return Main()->currentPanel == PANEL_START; }, 3000));
    EXPECT_EQ(dialogs->Messages(),
              std::vector<wxString>{"Connection Lost!: Connection Lost, redirecting to Home."});
    EXPECT_EQ(dialogs->Shown()[0].style & (wxOK | wxICON_ERROR), wxOK | wxICON_ERROR);
    EXPECT_EQ(Page(), nullptr);
    EXPECT_TRUE(Main()->startPanel->IsShown());
    EXPECT_TRUE(guitest::WaitFor([&] { return TerminalWorkersRunning() == 0 && OpenFds() == fds; }, 2000));
}

UartDialog* ShownDialog()
{
    for (wxWindow* w : wxTopLevelWindows)
        if (auto* d = dynamic_cast<UartDialog*>(w); d && d->IsShown())
            return d;
    return nullptr;
}

TEST_F(Terminal, TheDialogChecksAddressAndPortBeforeItOpens)
{
    ASSERT_TRUE(module.Start());
    struct Case {
        const char* firstOctet;
        wxString port;
        const char* ipError;
        const char* portError;
    } cases[] = {
        {"0", module.PortText(), "Invalid IP", ""},  {"127", "", "", "Invalid Port"},
        {"0", "", "Invalid IP", "Invalid Port"},     {"127", "65536", "", "Port must be 1 to 65535"},
        {"127", "0", "", "Port must be 1 to 65535"}, {"127", module.PortText(), "", ""},
    };
    Command(ID_TERMINAL);
    UartDialog* dialog = ShownDialog();
    ASSERT_NE(dialog, nullptr);
    guitest::PumpFor(100);  // on screen, as before a person can press OK
    EXPECT_EQ(dialog->GetTitle(), "JIX-Terminal");
    EXPECT_EQ(dialog->GetIpCtrl()->GetValue(), "192.168.100.10");
    EXPECT_EQ(dialog->GetPortText()->GetValue(), "65100");
    auto* octet = dynamic_cast<wxTextCtrl*>(dialog->FindWindow(2004));
    ASSERT_NE(octet, nullptr);
    dialog->GetIpCtrl()->SetValue("1.0.0.31");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.firstOctet + (" port " + c.port));
        octet->SetValue(c.firstOctet);
        dialog->GetPortText()->SetValue(c.port);
        ASSERT_TRUE(Click(dialog, wxID_OK));
        EXPECT_EQ(dialog->GetIpError(), c.ipError);
        EXPECT_EQ(dialog->GetPortError(), c.portError);
        const bool opens = !*c.ipError && !*c.portError;
        EXPECT_EQ(dialog->IsShown(), !opens);
        EXPECT_EQ(Page() != nullptr, opens);
        EXPECT_EQ(module.Connections(), opens ? 1 : 0);
    }
    EXPECT_TRUE(dialogs->Shown().empty()) << testing::PrintToString(dialogs->Messages());
}

TEST_F(Terminal, TheHubOpensTheDataPortOfItsTypeAndBackReturnsToIt)
{
    TestModule config("127.0.0.33", ConfigPort);  // what the hub hands to the terminal for Back
    config.SetIdentity("1.4.0", 'A', "tank");     // a CAN model: data port 65300
    ASSERT_TRUE(config.Start());
    TestModule data("127.0.0.33", CanDataPort);
    data.SetDataService(true);
    ASSERT_TRUE(data.Start());
    Main()->ShowModulePanel(config.Address(), config.PortText());
    auto* hub = dynamic_cast<VantrelPanel*>(Main()->GetPanel(PANEL_MODULE));
    ASSERT_NE(hub, nullptr) << testing::PrintToString(dialogs->Messages());
    ASSERT_TRUE(Click(hub, ID_HUB_TERMINAL));
    VantrelTerminalPanel* page = Page();
    ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
    EXPECT_EQ(page->GetDataPort(), CanDataPort);
    EXPECT_TRUE(guitest::WaitFor([&] { return data.DataConnected(); }, 1000));
    EXPECT_TRUE(ShowsText(page, MainWindow::GetModelName('A') + " JIX-Terminal"));

    Command(ID_BACK);
    EXPECT_EQ(Main()->currentPanel, PANEL_MODULE);
    EXPECT_EQ(Page(), nullptr);
    EXPECT_TRUE(
        guitest::WaitFor([&] { return !data.DataConnected() && TerminalWorkersRunning() == 0; }, 2000));
    EXPECT_TRUE(dialogs->Shown().empty()) << testing::PrintToString(dialogs->Messages());
}

TEST_F(Terminal, TheWatchdogReportsOnTheGuiThreadOnlyWhenTheModuleStopsAnswering)
{
    TestModule watched("127.0.0.34");
    ASSERT_TRUE(watched.Start());
    wxEvtHandler handler;
    int events = 0;
    bool onGuiThread = false;
    handler.Bind(wxEventTypeTag<wxCommandEvent>(EVT_UART_READ_FAILED), [&](wxCommandEvent& e) {
        ++events;
        onGuiThread = wxThread::IsMain() && e.GetId() == EVT_UART_READ_FAILED;
    });
    auto job = TestConnection::Start(&handler, watched.Address(), watched.Port(), 20);
    ASSERT_NE(job, nullptr);
    EXPECT_TRUE(guitest::WaitFor([&] { return job->Passes() >= 3; }, 3000));
    EXPECT_EQ(events, 0);
    watched.Stop();  // connections are refused from now on
    EXPECT_TRUE(guitest::WaitFor([&] { return events == 1; }, 3000));
    EXPECT_TRUE(onGuiThread);
    EXPECT_TRUE(job->WaitFinished(1000));

    // A stop ends it at once, without an event.
    TestModule again("127.0.0.34");
    ASSERT_TRUE(again.Start());
    job = TestConnection::Start(&handler, again.Address(), again.Port(), 60000);
    job->Stop();
    EXPECT_TRUE(job->WaitFinished(1000));
    guitest::PumpFor(50);
    EXPECT_EQ(events, 1);
}

}  // namespace
