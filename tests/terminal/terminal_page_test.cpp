// The terminal page in the real main window against test modules on loopback.
#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/clipbrd.h>
#include <wx/combobox.h>
#include <wx/dcclient.h>
#include <wx/frame.h>
#include <wx/listbox.h>
#include <wx/radiobox.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numeric>
#include <sstream>
#include <thread>

#include "DbCommands.h"
#include "TerminalThreads.h"
#include "TerminalView.h"
#include "TestConnection.h"
#include "UartDialog.h"
#include "VantrelTerminalPanel.h"
#include "app_fixture.h"
#include "test_module.h"
#include "wxIPCtrl.h"

using namespace apptest;
using testmod::Bytes;
using testmod::Fault;
using testmod::TestModule;
using Clock = std::chrono::steady_clock;

namespace {

// Bounds far above what leaving the page or handling an event needs, also in
// a sanitizer build on a loaded machine. Leaving stays under the 3 s the page
// gives workers that do not end.
constexpr int LeaveBoundMs = 2000;
constexpr int AnswerBoundMs = 5000;

// Entries of a folder of /proc/self: "fd" open descriptors, "task" threads.
long Count(const char* what)
{
    const std::filesystem::directory_iterator entries(std::string("/proc/self/") + what);
    return std::distance(begin(entries), end(entries));
}

long MsSince(Clock::time_point begin)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - begin).count();
}

// A control event, as a click or a choice sends it.
void Send(wxWindow* page, wxEventType type, int id, int value = 0)
{
    wxWindow* control = page->FindWindow(id);
    ASSERT_NE(control, nullptr) << id;
    if (auto* radio = dynamic_cast<wxRadioBox*>(control))
        radio->SetSelection(value);
    if (auto* box = dynamic_cast<wxCheckBox*>(control))
        box->SetValue(value != 0);
    wxCommandEvent event(type, id);
    event.SetInt(value);
    event.SetEventObject(control);
    control->ProcessWindowEvent(event);
}

// The child of a kind whose label or tool tip starts with `text`.
template <class T>
T* Child(wxWindow* page, const wxString& text)
{
    for (wxWindow* child : page->GetChildren())
        if (auto* w = dynamic_cast<T*>(child))
            if (w->GetLabel().StartsWith(text) || w->GetToolTipText().StartsWith(text))
                return w;
    return nullptr;
}

class Terminal : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        module.SetDataService(true);
        Main();  // the window and the command list stay open for the run
        DbCommands::GetInstance()->Open("localcmd.sqlite");
        guitest::Pump();
    }
    VantrelTerminalPanel* Page()
    {
        return dynamic_cast<VantrelTerminalPanel*>(Main()->GetPanel(PANEL_TERMINAL));
    }
    VantrelTerminalPanel* Open(const TestModule& m)
    {
        Main()->ShowTerminalPanel(m.Address(), m.Address(), "", m.PortText(), -1);
        return Page();
    }
    bool AllGone(long fds)
    {
        return guitest::WaitFor([&] { return TerminalWorkersRunning() == 0 && Count("fd") == fds; }, 3000);
    }
    TestModule module{"127.0.0.31"};
};

// Refused, or given up by the user while the module never accepts (No to the
// question keeps waiting): the start page, with no socket and no worker left.
TEST_F(Terminal, AFailedOrCancelledConnectionFallsBackToTheStartPage)
{
    const wxString question = "End Connection?: Do you really want to cancel connection?";
    struct Case {
        Fault fault;
        std::vector<int> answers;  // to Cancel, pressed every 150 ms
        std::vector<wxString> messages;
    } cases[] = {
        {Fault::Refuse, {}, {"Error: Vantrel module unreachable"}},
        {Fault::NeverAccept, {wxID_NO, wxID_YES}, {question, question, "Error: Connection aborted by user"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.fault));
        TestModule peer("127.0.0.32");
        peer.SetFault(c.fault);
        ASSERT_TRUE(peer.Start());
        sock_set_connect_timeout(c.fault == Fault::NeverAccept ? 5 : 1);
        for (int answer : c.answers)
            dialogs->Answer(answer);
        wxTimer presser;
        presser.Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
            for (wxWindow* top : wxTopLevelWindows)
                if (top->IsShown())
                    Click(top, wxID_CANCEL);
        });
        if (!c.answers.empty())
            presser.Start(150);
        const long fds = Count("fd");
        dialogs->Clear();
        EXPECT_EQ(Open(peer), nullptr);
        presser.Stop();
        EXPECT_EQ(dialogs->Messages(), c.messages);
        EXPECT_EQ(Main()->currentPanel, PANEL_START);
        EXPECT_TRUE(AllGone(fds));
    }
}

TEST_F(Terminal, BackAndFiftyOpenAndCloseCyclesLeaveNoSocketAndNoThread)
{
    TestModule config("127.0.0.31");  // the module page that Back returns to
    config.SetIdentity("1.4.0", 'A', "tank");
    ASSERT_TRUE(module.Start() && config.Start());
    Main()->ShowTerminalPanel(module.Address(), module.Address(), config.PortText(), module.PortText(), 'A');
    Command(ID_BACK);
    EXPECT_EQ(Main()->currentPanel, PANEL_MODULE) << testing::PrintToString(dialogs->Messages());
    Main()->ShowStartPanel();
    ASSERT_TRUE(
        guitest::WaitFor([&] { return !module.DataConnected() && TerminalWorkersRunning() == 0; }, 2000));
    guitest::PumpFor(200);
    const long fds = Count("fd"), threads = Count("task");
    for (int cycle = 0; cycle < 50; ++cycle) {
        SCOPED_TRACE(cycle);
        VantrelTerminalPanel* page = Open(module);
        ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
        ASSERT_TRUE(guitest::WaitFor([&] { return module.DataConnected(); }, 2000));
        if (cycle == 0) {
            Command(ID_BACK);  // nothing to go back to
            EXPECT_EQ(Page(), page);
        }
        // Left idle, while the peer sends, after the peer closed, or while a
        // periodic send waits out its period with the reception paused.
        std::atomic<bool> sending{cycle % 4 == 1};
        std::thread sender;
        if (sending) {
            sender = std::thread([&] {
                while (sending && module.SendData(Bytes(4096, 0x5A))) {
                }
            });
            guitest::PumpFor(20);
        } else if (cycle % 4 == 2) {
            module.CloseData();
        } else if (cycle % 4 == 3) {
            if (page->GetCommands().empty()) {
                Send(page, wxEVT_RADIOBOX, ID_TERM_TX_FORMAT, FORMAT_ASCII);
                page->GetInputField(FORMAT_ASCII)->SetValue("hi");
                Send(page, wxEVT_BUTTON, ID_TERM_ADD);
            }
            page->GetCommandList()->SetSelection(0);
            Send(page, wxEVT_CHECKBOX, ID_TERM_PERIODIC_CHECK, 1);
            Child<wxTextCtrl>(page, "Set frequency")->SetValue("999");
            Child<wxComboBox>(page, "")->SetSelection(1);  // seconds
            Send(page, wxEVT_BUTTON, ID_TERM_PERIODIC_START);
            Send(page, wxEVT_BUTTON, ID_TERM_STOP_LOG);
            ASSERT_TRUE(page->IsSendingPeriodically()) << testing::PrintToString(dialogs->Messages());
        }
        // Its workers end at once: the page never waits out the 3 s it
        // gives workers that do not.
        const auto begin = Clock::now();
        Main()->ShowStartPanel();
        EXPECT_LT(MsSince(begin), LeaveBoundMs);
        sending = false;
        if (sender.joinable())
            sender.join();
        EXPECT_EQ(Page(), nullptr);
        EXPECT_TRUE(AllGone(fds) && guitest::WaitFor([&] { return !module.DataConnected(); }, 1000) &&
                    Count("task") <= threads)
            << "fds " << Count("fd") << " of " << fds << ", threads " << Count("task") << " of " << threads;
    }
    EXPECT_TRUE(dialogs->Shown().empty()) << testing::PrintToString(dialogs->Messages());
}

TEST_F(Terminal, TheDialogChecksAddressAndPortBeforeItOpens)
{
    ASSERT_TRUE(module.Start());
    struct Case {
        const char* firstOctet;
        wxString port;
        const char *ipError, *portError;
    } cases[] = {{"0", module.PortText(), "Invalid IP", ""},  {"127", "", "", "Invalid Port"},
                 {"0", "", "Invalid IP", "Invalid Port"},     {"127", "65536", "", "Port must be 1 to 65535"},
                 {"127", "0", "", "Port must be 1 to 65535"}, {"127", module.PortText(), "", ""}};
    Command(ID_TERMINAL);
    UartDialog* dialog = nullptr;
    for (wxWindow* w : wxTopLevelWindows)
        if (auto* d = dynamic_cast<UartDialog*>(w); d && d->IsShown())
            dialog = d;
    ASSERT_NE(dialog, nullptr);
    guitest::PumpFor(100);  // on screen, as before a person can press OK
    EXPECT_EQ(dialog->GetIpCtrl()->GetValue(), "192.168.100.10");  // read, never reached
    EXPECT_EQ(dialog->GetPortText()->GetValue(), "65100");
    auto* octet = dynamic_cast<wxTextCtrl*>(dialog->FindWindow(2004));
    ASSERT_NE(octet, nullptr);
    dialog->GetIpCtrl()->SetValue("127.0.0.31");  // only the first octet changes below
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
}

class TerminalTraffic : public Terminal {
protected:
    void SetUp() override
    {
        Terminal::SetUp();
        ASSERT_TRUE(module.Start());
        page = Open(module);
        ASSERT_NE(page, nullptr);
        ASSERT_TRUE(guitest::WaitFor([&] { return module.DataConnected(); }, 2000));
    }
    wxString View(int format) { return page->GetReceiveView(format)->GetValue(); }
    void AddCommand(int format, const wxString& text)
    {
        Send(page, wxEVT_RADIOBOX, ID_TERM_TX_FORMAT, format);
        page->GetInputField(format)->SetValue(text);
        Send(page, wxEVT_BUTTON, ID_TERM_ADD);
    }
    Clock::duration StopPeriodic()  // how long the window waited
    {
        const auto begin = Clock::now();
        Send(page, wxEVT_BUTTON, ID_TERM_PERIODIC_STOP);
        return Clock::now() - begin;
    }
    VantrelTerminalPanel* page = nullptr;
};

TEST_F(TerminalTraffic, BackToBackSendingStopsInTimeAndReportsAStalledPeerOnce)
{
    AddCommand(FORMAT_HEX, "aa bb cc dd");
    page->GetCommandList()->SetSelection(0);
    Send(page, wxEVT_CHECKBOX, ID_TERM_PERIODIC_CHECK, 1);
    Child<wxCheckBox>(page, "Use msg counter")->SetValue(true);
    // An empty period sends back to back.
    Send(page, wxEVT_BUTTON, ID_TERM_PERIODIC_START);
    ASSERT_TRUE(page->IsSendingPeriodically()) << testing::PrintToString(dialogs->Messages());
    // A 1 ms period would send fewer than 1000 in a second.
    guitest::PumpFor(1000);
    EXPECT_LT(StopPeriodic(), std::chrono::milliseconds(400));
    EXPECT_FALSE(page->IsSendingPeriodically());
    guitest::PumpFor(50);
    const Bytes got = module.DataReceived();
    ASSERT_GT(got.size(), 4u * 1500) << "not back to back";
    ASSERT_EQ(got.size() % 4, 0u);
    for (size_t i = 0; i < got.size(); i += 4)  // counters 1, 2, ... in order: no frame lost or mixed
        ASSERT_EQ(Bytes(got.begin() + i, got.begin() + i + 4),
                  CounterFrame({0xAA, 0xBB, 0xCC, 0xDD}, i / 4 + 1));
    // The start and the end in the view of the message's format, the count last.
    const wxString hex = View(FORMAT_HEX);
    EXPECT_NE(hex.Find(" [START Periodical TX] - aa bb cc dd\n"), wxNOT_FOUND) << hex.Right(200);
    EXPECT_TRUE(hex.EndsWith(
        wxString::Format(" [END Periodical TX] - aa bb cc dd\n Sent %zu messages\n", got.size() / 4)))
        << hex.Right(200);
    EXPECT_TRUE(dialogs->Shown().empty()) << testing::PrintToString(dialogs->Messages());

    // A peer that stops reading: one report while it lasts, and Stop still
    // ends the sender at once.
    module.SetDataReading(false);
    Child<wxTextCtrl>(page, "Set frequency")->SetValue("0");
    Child<wxTextCtrl>(page, "Define")->SetValue("999");
    Send(page, wxEVT_BUTTON, ID_TERM_PERIODIC_START);
    ASSERT_TRUE(guitest::WaitFor([&] { return !dialogs->Shown().empty(); }, 5000));
    guitest::PumpFor(3 * PeriodicJob::StallMs);
    EXPECT_EQ(dialogs->Messages(),
              std::vector<wxString>{"Error: Periodic send failed: the module takes no data"});
    EXPECT_LT(StopPeriodic(), std::chrono::milliseconds(400));
    EXPECT_TRUE(guitest::WaitFor([] { return TerminalWorkersRunning() == 1; }, 1000))
        << "the receive worker only";
    module.SetDataReading(true);
}

// While a module streams data, the window still handles its events; so it
// does while a view hidden all along is shown and wraps everything held, a
// part at a time.
TEST_F(TerminalTraffic, TheWindowKeepsAnsweringWhileAModuleStreamsData)
{
    const uint64_t total = 32u << 20;
    std::atomic<bool> streamed{false};
    std::atomic<uint64_t> sent{0};
    std::thread streamer([&] {
        Bytes chunk(16384);
        std::iota(chunk.begin(), chunk.end(), uint8_t{0});
        const auto end = Clock::now() + std::chrono::seconds(60);
        while (sent < total && Clock::now() < end && module.SendData(chunk))
            sent += chunk.size();
        streamed = true;
    });
    // How long a call posted to the window waits until it has run.
    const auto answer = [&](int view) {
        bool answered = false;
        const auto begin = Clock::now();
        page->CallAfter([&answered, view, this] {
            if (view >= 0)
                Send(page, wxEVT_RADIOBOX, ID_TERM_RX_FORMAT, view);
            answered = true;
        });
        guitest::WaitFor([&] { return answered; }, 2 * AnswerBoundMs);
        return MsSince(begin);
    };
    for (int round = 0; !streamed; ++round) {
        SCOPED_TRACE(round);
        guitest::PumpFor(100);
        EXPECT_LT(answer(-1), AnswerBoundMs) << sent << " bytes sent";
    }
    streamer.join();
    EXPECT_EQ(sent, total);
    ASSERT_TRUE(guitest::WaitFor([&] { return page->RenderedBytes() == sent; }, 10000))
        << page->RenderedBytes() << " of " << sent;
    for (int view : {FORMAT_BINARY, FORMAT_DECIMAL}) {
        EXPECT_LT(answer(view), AnswerBoundMs) << view;
        const uint64_t rows = page->GetReceiveView(view)->Rows();
        EXPECT_TRUE(
            guitest::WaitFor([&] { return page->GetReceiveView(view)->Rows() > rows; }, AnswerBoundMs))
            << view << ": all " << rows << " rows at once";
        EXPECT_LT(answer(-1), AnswerBoundMs) << view;
    }
    // A view hidden before it has wrapped all it holds asks for no idle
    // time until it is shown again.
    TerminalView* hex = page->GetReceiveView(FORMAT_HEX);
    Send(page, wxEVT_RADIOBOX, ID_TERM_RX_FORMAT, FORMAT_HEX);
    Send(page, wxEVT_RADIOBOX, ID_TERM_RX_FORMAT, FORMAT_ASCII);
    const uint64_t part = hex->Rows();
    wxIdleEvent idle;
    hex->ProcessWindowEvent(idle);
    EXPECT_FALSE(idle.MoreRequested());
    guitest::PumpFor(100);
    EXPECT_EQ(hex->Rows(), part);
    EXPECT_TRUE(dialogs->Shown().empty()) << testing::PrintToString(dialogs->Messages());
}

TEST_F(TerminalTraffic, TheShownViewIsSelectedCopiedPausedAndExported)
{
    Send(page, wxEVT_RADIOBOX, ID_TERM_RX_FORMAT, FORMAT_HEX);
    Bytes bytes(40);
    std::iota(bytes.begin(), bytes.end(), 0x41);
    module.SendData(bytes);
    TerminalView* view = page->GetReceiveView(FORMAT_HEX);
    ASSERT_TRUE(guitest::WaitFor([&] { return view->Rows() >= 3; }, 2000)) << View(FORMAT_HEX);
    for (int i = 0; i < TerminalFormatCount; ++i)
        EXPECT_EQ(page->GetReceiveView(i)->IsShown(), i == FORMAT_HEX) << i;
    EXPECT_TRUE(SaveScreenshot("terminal-hex.png"));

    // A drag from the first character into the second row, then Ctrl+C.
    Main()->frame->Raise();
    guitest::PumpFor(100);
    wxUIActionSimulator mouse;
    mouse.MouseMove(view->ClientToScreen(wxPoint(1, 2)));
    mouse.MouseDown();
    mouse.MouseMove(view->ClientToScreen(wxPoint(60, 20)));
    mouse.MouseUp();
    ASSERT_TRUE(guitest::WaitFor([&] { return view->GetSelectedText().length() > 30; }, 2000));
    wxKeyEvent ctrlC(wxEVT_KEY_DOWN);
    ctrlC.m_keyCode = 'C';
    ctrlC.m_controlDown = true;
    view->ProcessWindowEvent(ctrlC);
    wxTextDataObject clip;
    ASSERT_TRUE(wxTheClipboard->Open());
    EXPECT_TRUE(wxTheClipboard->GetData(clip));
    wxTheClipboard->Close();
    EXPECT_EQ(clip.GetText(), view->GetSelectedText());
    EXPECT_TRUE(View(FORMAT_HEX).StartsWith("41 42 43 " + clip.GetText().Mid(9))) << clip.GetText();
    EXPECT_LT(clip.GetText().length(), View(FORMAT_HEX).length());
    // A selection keeps the focus in the view; a plain click hands it back.
    EXPECT_EQ(wxWindow::FindFocus(), view);
    mouse.MouseClick();
    EXPECT_TRUE(
        guitest::WaitFor([&] { return wxWindow::FindFocus() == page->GetInputField(FORMAT_ASCII); }, 2000));
    EXPECT_EQ(view->GetSelectedText(), "");

    // Stop log: nothing is taken meanwhile; Start log: all of it comes.
    Send(page, wxEVT_BUTTON, ID_TERM_STOP_LOG);
    const uint64_t held = page->RenderedBytes();
    module.SendData(Bytes(100, 0x30));
    guitest::PumpFor(100);
    EXPECT_EQ(page->RenderedBytes(), held);
    Send(page, wxEVT_BUTTON, ID_TERM_START_LOG);
    EXPECT_TRUE(guitest::WaitFor([&] { return page->RenderedBytes() == held + 100; }, 2000));

    // An export asked for before the view has caught up: bytes the receive
    // worker holds (its news still queued, no event handled) go to the file.
    ASSERT_TRUE(guitest::WaitFor([] { return !wxTheApp->HasPendingEvents(); }, 2000));
    module.SendData(Bytes(60, 0x5A));
    for (const auto end = Clock::now() + std::chrono::seconds(5); !wxTheApp->HasPendingEvents();) {
        ASSERT_LT(Clock::now(), end) << "the receive worker never reported";
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(page->RenderedBytes(), held + 100);
    dialogs->FilePath(dir->File("view.txt"));
    Send(page, wxEVT_BUTTON, ID_TERM_EXPORT_VIEW);
    std::stringstream saved;
    saved << std::ifstream(dir->File("view.txt")).rdbuf();
    EXPECT_TRUE(guitest::WaitFor([&] { return page->RenderedBytes() == held + 160; }, 2000));
    EXPECT_EQ(saved.str(), View(FORMAT_HEX).utf8_string());
    EXPECT_TRUE(View(FORMAT_HEX).EndsWith(" 5a 5a ")) << View(FORMAT_HEX);

    Send(page, wxEVT_BUTTON, ID_TERM_CLEAR_RECEIVED);
    EXPECT_EQ(View(FORMAT_ASCII), "");

    // A double-click selects the word under the pointer, also one that ends
    // with its row: in the ASCII view, rows as wide as the view.
    Send(page, wxEVT_RADIOBOX, ID_TERM_RX_FORMAT, FORMAT_ASCII);
    view = page->GetReceiveView(FORMAT_ASCII);
    std::string line = "ab ";
    while (line.size() < 150)
        line += "0123456789";
    module.SendData(Bytes(line.begin(), line.end()));
    ASSERT_TRUE(guitest::WaitFor([&] { return View(FORMAT_ASCII) == line && view->Rows() >= 2; }, 2000));
    view->SelectRows(0, 0, INT_MAX);
    const wxString row = view->GetSelectedText();
    wxClientDC dc(view);
    dc.SetFont(wxFontInfo(9).Family(wxFONTFAMILY_TELETYPE));  // the view's font, a 3-pixel margin
    const int width = dc.GetTextExtent("0").x, height = dc.GetCharHeight() + 1;
    ASSERT_EQ((view->GetClientSize().x - 6) / width, static_cast<int>(row.length())) << row;
    const std::pair<int, wxString> clicks[] = {
        {0, "ab"}, {2, " "}, {4, row.Mid(3)}, {row.length() - 1, row.Mid(3)}};
    for (const auto& [column, word] : clicks) {
        wxMouseEvent click(wxEVT_LEFT_DCLICK);
        click.SetPosition(wxPoint(3 + column * width + width / 2, height / 2));
        click.SetEventObject(view);
        view->ProcessWindowEvent(click);
        EXPECT_EQ(view->GetSelectedText(), word) << column;
    }

    // The peer closing leads to the start page.
    dialogs->Clear();
    module.CloseData();
    ASSERT_TRUE(guitest::WaitFor([&] { return Main()->currentPanel == PANEL_START; }, 3000));
    EXPECT_EQ(dialogs->Messages(),
              std::vector<wxString>{"Connection Lost!: Connection Lost, redirecting to Home."});
    EXPECT_EQ(Page(), nullptr);
}

TEST_F(TerminalTraffic, TheCommandListGoesOutAndComesBackInTheSameOrder)
{
    AddCommand(FORMAT_ASCII, "ab");
    AddCommand(FORMAT_HEX, "0a ff");
    Send(page, wxEVT_RADIOBOX, ID_TERM_TX_FORMAT, FORMAT_DECIMAL);
    page->GetInputField(FORMAT_DECIMAL)->SetValue("7 8");
    wxCommandEvent enter(wxEVT_TEXT_ENTER, ID_TERM_INPUT);  // Enter adds as the button does
    page->GetInputField(FORMAT_DECIMAL)->ProcessWindowEvent(enter);
    ASSERT_TRUE(guitest::WaitFor([&] { return page->GetCommands().size() == 3; }, 1000));
    const auto rows = [&] {
        std::vector<wxString> out;
        for (unsigned i = 0; i < page->GetCommandList()->GetCount(); ++i)
            out.push_back(page->GetCommandList()->GetString(i));
        return out;
    };
    const std::vector<wxString> shown = {"7 8 (Decimal)", "0a ff (Hex)", "ab (ASCII)"};
    ASSERT_EQ(rows(), shown);
    EXPECT_TRUE(SaveScreenshot("terminal.png"));

    // Send: the chosen entry's bytes once each, its text in its own view.
    for (int row : {1, 0}) {
        page->GetCommandList()->SetSelection(row);
        Send(page, wxEVT_BUTTON, ID_TERM_SEND);
    }
    EXPECT_TRUE(guitest::WaitFor(
        [&] {
            return module.DataReceived() == Bytes{0x0A, 0xFF, 0x07, 0x08};
        },
        2000))
        << testing::PrintToString(module.DataReceived());
    EXPECT_EQ(View(FORMAT_HEX), "0a ff\n");
    EXPECT_EQ(View(FORMAT_DECIMAL), "7 8\n");
    EXPECT_EQ(View(FORMAT_ASCII), "");

    // A file named like the working list, in another folder, is written too.
    const std::string list = dir->File("elsewhere/localcmd.sqlite");
    std::filesystem::create_directory(dir->File("elsewhere"));
    dialogs->FilePath(list);
    Send(page, wxEVT_BUTTON, ID_TERM_EXPORT_LIST);
    EXPECT_EQ(Sql("SELECT cmd, type FROM commandList ORDER BY rowid", list),
              (std::vector<wxString>{"ab|0", "0a ff|1", "7 8|3"}));
    EXPECT_TRUE(Sql("SELECT * FROM commandList", "localcmd.sqlite").empty());
    Send(page, wxEVT_BUTTON, ID_TERM_CLEAR_ALL);
    EXPECT_TRUE(rows().empty());
    dialogs->FilePath(list);
    Send(page, wxEVT_BUTTON, ID_TERM_IMPORT_LIST);
    EXPECT_EQ(rows(), shown);

    // A file without a list, or with rows of an unknown format, is reported;
    // empty or NULL texts are entries of no bytes.
    Sql("CREATE TABLE other (x)", dir->File("nolist.sqlite"));
    Sql("CREATE TABLE commandList (cmd TEXT, type INTEGER)", dir->File("odd.sqlite"));
    Sql("INSERT INTO commandList VALUES ('zz', 7), ('', 0), (NULL, 1), ('5', 3)", dir->File("odd.sqlite"));
    dialogs->Clear();
    for (const char* file : {"nolist.sqlite", "odd.sqlite"}) {
        dialogs->FilePath(dir->File(file));
        Send(page, wxEVT_BUTTON, ID_TERM_IMPORT_LIST);
    }
    EXPECT_EQ(
        dialogs->Messages(),
        (std::vector<wxString>{"Import file: ", "Error: No command list in " + dir->File("nolist.sqlite"),
                               "Import file: ", "Error: 1 commands of an unknown format were not imported"}));
    EXPECT_EQ(rows().front(), "5 (Decimal)");
    for (size_t i : {3, 4}) {
        Bytes bytes = {0x99};
        EXPECT_EQ(CommandBytes(page->GetCommands()[i].text, page->GetCommands()[i].format, &bytes), "");
        EXPECT_EQ(bytes, Bytes{});
    }

    // Removing the top row removes the newest entry.
    const std::vector<wxString> before = rows();
    page->GetCommandList()->SetSelection(0);
    Send(page, wxEVT_BUTTON, ID_TERM_CLEAR_SELECTED);
    EXPECT_EQ(rows(), std::vector<wxString>(before.begin() + 1, before.end()));
    EXPECT_EQ(page->GetCommands().back().text, "");
    EXPECT_EQ(page->GetCommandList()->GetSelection(), 0);
}

}  // namespace
