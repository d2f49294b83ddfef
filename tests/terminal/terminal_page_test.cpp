// The terminal page in the real main window against test modules on loopback.
#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/clipbrd.h>
#include <wx/combobox.h>
#include <wx/dcclient.h>
#include <wx/frame.h>
#include <wx/listbox.h>
#include <wx/radiobox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/uiaction.h>
#include <wx/valtext.h>

#include <array>
#include <atomic>
#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numeric>
#include <regex>
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

// A time stamp as the views show it, as a regular expression.
const std::string kStamp = "\\w{3} \\w{3} [ \\d]\\d \\d\\d:\\d\\d:\\d\\d \\d{4}:\\d{3}";

// A key as the keyboard sends it to a window.
void Key(wxWindow* window, int code, bool ctrl = false, bool shift = false)
{
    wxKeyEvent key(wxEVT_KEY_DOWN);
    key.m_keyCode = code;
    key.m_controlDown = ctrl;
    key.m_shiftDown = shift;
    window->ProcessWindowEvent(key);
}

// Pixels of a window as the X server shows it: how many are mainly green,
// white and red (the colours of received, sent and periodic lines).
enum { SHOWN_GREEN, SHOWN_WHITE, SHOWN_RED };
std::array<int, 3> ShownColours(wxWindow* window)
{
    window->Refresh();
    window->Update();
    // The client area only: the scroll bar has colours of its own.
    const wxRect r(window->ClientToScreen(wxPoint(0, 0)), window->GetClientSize());
    std::array<int, 3> counts = {0, 0, 0};
    GdkPixbuf* shot = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), r.x, r.y, r.width, r.height);
    if (!shot)
        return counts;
    const int channels = gdk_pixbuf_get_n_channels(shot), stride = gdk_pixbuf_get_rowstride(shot);
    const guchar* pixels = gdk_pixbuf_get_pixels(shot);
    for (int y = 0; y < gdk_pixbuf_get_height(shot); ++y)
        for (int x = 0; x < gdk_pixbuf_get_width(shot); ++x) {
            const guchar* p = pixels + y * stride + x * channels;
            if (p[1] > 120 && p[0] < 60 && p[2] < 60)
                ++counts[SHOWN_GREEN];
            else if (p[0] > 120 && p[1] > 120 && p[2] > 120)
                ++counts[SHOWN_WHITE];
            else if (p[0] > 120 && p[1] < 60 && p[2] < 60)
                ++counts[SHOWN_RED];
        }
    g_object_unref(shot);
    return counts;
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
        const char* port = nullptr;  // the module's own when null
    } cases[] = {
        {Fault::Refuse, {}, {"Error: Vantrel module unreachable"}},
        {Fault::NeverAccept, {}, {"Error: socket connection timeout"}},
        {Fault::NeverAccept, {wxID_NO, wxID_YES}, {question, question, "Error: Connection aborted by user"}},
        {Fault::None, {}, {"Error: Invalid Port"}, "65536"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.fault));
        TestModule peer("127.0.0.32");
        peer.SetFault(c.fault);
        ASSERT_TRUE(peer.Start());
        sock_set_connect_timeout(c.answers.empty() ? 1 : 5);
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
        Main()->ShowTerminalPanel(peer.Address(), peer.Address(), "", c.port ? c.port : peer.PortText(), -1);
        EXPECT_EQ(Page(), nullptr);
        presser.Stop();
        EXPECT_EQ(dialogs->Messages(), c.messages);
        EXPECT_EQ(peer.Connections(), 0);
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
    // No model and no module page: Back stays.
    VantrelTerminalPanel* page = Page();
    ASSERT_NE(page, nullptr);
    auto* title = Child<wxStaticText>(page, "Unknown");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->GetLabel(), "Unknown JIX-Terminal");
    Command(ID_BACK);
    EXPECT_EQ(Page(), page);
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
    // The command list as shown, top first.
    std::vector<wxString> Rows()
    {
        std::vector<wxString> out;
        for (unsigned i = 0; i < page->GetCommandList()->GetCount(); ++i)
            out.push_back(page->GetCommandList()->GetString(i));
        return out;
    }
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
    // A one-shot send meanwhile waits a moment for the connection, then
    // tells why it sends nothing.
    dialogs->Clear();
    Send(page, wxEVT_BUTTON, ID_TERM_SEND);
    EXPECT_EQ(dialogs->Messages(),
              std::vector<wxString>{"Error: Send error: the periodic send holds the connection, try again"});
    dialogs->Clear();
    // Reading again, the module takes what waited and more; when it stops
    // once more, that is told once more.
    const size_t taken = module.DataReceived().size();
    module.SetDataReading(true);
    ASSERT_TRUE(guitest::WaitFor([&] { return module.DataReceived().size() > taken + (16 << 20); }, 10000));
    module.SetDataReading(false);
    EXPECT_TRUE(guitest::WaitFor([&] { return dialogs->Shown().size() == 1; }, 5000))
        << testing::PrintToString(dialogs->Messages());
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
    Key(view, 'C', true);
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
    const std::vector<wxString> shown = {"7 8 (Decimal)", "0a ff (Hex)", "ab (ASCII)"};
    ASSERT_EQ(Rows(), shown);
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
    // With the stamp: the time, " [TX] - " and the text as typed.
    auto* stamp = Child<wxCheckBox>(page, "Write Timestamp");
    ASSERT_NE(stamp, nullptr);
    stamp->SetValue(true);
    page->GetCommandList()->SetSelection(1);
    Send(page, wxEVT_BUTTON, ID_TERM_SEND);
    stamp->SetValue(false);
    EXPECT_TRUE(std::regex_match(View(FORMAT_HEX).utf8_string(),
                                 std::regex("0a ff\n" + kStamp + " \\[TX\\] - 0a ff\n")))
        << View(FORMAT_HEX);

    // A file named like the working list, in another folder, is written too.
    const std::string list = dir->File("elsewhere/localcmd.sqlite");
    std::filesystem::create_directory(dir->File("elsewhere"));
    dialogs->FilePath(list);
    Send(page, wxEVT_BUTTON, ID_TERM_EXPORT_LIST);
    EXPECT_EQ(Sql("SELECT cmd, type FROM commandList ORDER BY rowid", list),
              (std::vector<wxString>{"ab|0", "0a ff|1", "7 8|3"}));
    EXPECT_TRUE(Sql("SELECT * FROM commandList", "localcmd.sqlite").empty());
    Send(page, wxEVT_BUTTON, ID_TERM_CLEAR_ALL);
    EXPECT_TRUE(Rows().empty());
    dialogs->FilePath(list);
    Send(page, wxEVT_BUTTON, ID_TERM_IMPORT_LIST);
    EXPECT_EQ(Rows(), shown);

    // A file without a list, or with rows of an unknown format, is reported;
    // empty or NULL texts are entries of no bytes.
    Sql("CREATE TABLE other (x)", dir->File("nolist.sqlite"));
    Sql("CREATE TABLE commandList (cmd TEXT, type INTEGER)", dir->File("odd.sqlite"));
    Sql("INSERT INTO commandList VALUES ('zz', 7), ('', 0), (NULL, 1), ('4x', 4), ('5', 3)",
        dir->File("odd.sqlite"));
    dialogs->Clear();
    for (const char* file : {"nolist.sqlite", "odd.sqlite"}) {
        dialogs->FilePath(dir->File(file));
        Send(page, wxEVT_BUTTON, ID_TERM_IMPORT_LIST);
    }
    EXPECT_EQ(
        dialogs->Messages(),
        (std::vector<wxString>{"Import file: ", "Error: No command list in " + dir->File("nolist.sqlite"),
                               "Import file: ", "Error: 2 commands of an unknown format were not imported"}));
    EXPECT_EQ(Rows().front(), "5 (Decimal)");
    // An entry of no bytes is not sent periodically.
    dialogs->Clear();
    page->GetCommandList()->SetSelection(1);
    Send(page, wxEVT_CHECKBOX, ID_TERM_PERIODIC_CHECK, 1);
    Send(page, wxEVT_BUTTON, ID_TERM_PERIODIC_START);
    EXPECT_FALSE(page->IsSendingPeriodically());
    EXPECT_EQ(dialogs->Messages(), std::vector<wxString>{"Error: Nothing to send: the message is empty"});
    for (size_t i : {3, 4}) {
        Bytes bytes = {0x99};
        EXPECT_EQ(CommandBytes(page->GetCommands()[i].text, page->GetCommands()[i].format, &bytes), "");
        EXPECT_EQ(bytes, Bytes{});
    }

    // Removing the top row removes the newest entry.
    const std::vector<wxString> before = Rows();
    page->GetCommandList()->SetSelection(0);
    Send(page, wxEVT_BUTTON, ID_TERM_CLEAR_SELECTED);
    EXPECT_EQ(Rows(), std::vector<wxString>(before.begin() + 1, before.end()));
    EXPECT_EQ(page->GetCommands().back().text, "");
    EXPECT_EQ(page->GetCommandList()->GetSelection(), 0);

    // An export into a folder that does not exist is told.
    dialogs->Clear();
    dialogs->FilePath(dir->File("missing/list.sqlite"));
    Send(page, wxEVT_BUTTON, ID_TERM_EXPORT_LIST);
    ASSERT_EQ(dialogs->Messages().size(), 2u);
    EXPECT_TRUE(dialogs->Messages()[1].StartsWith("Error: ")) << dialogs->Messages()[1];
    EXPECT_GT(dialogs->Messages()[1].length(), 8u);
}

TEST_F(TerminalTraffic, TheControlsFollowThePeriodicCheckAndTheChosenFormat)
{
    // The seven periodic settings start disabled, with "ms"; the check box
    // enables and disables them together.
    auto* unit = Child<wxComboBox>(page, "");
    ASSERT_NE(unit, nullptr);
    EXPECT_EQ(unit->GetSelection(), 0);
    const std::vector<wxWindow*> periodic = {
        Child<wxTextCtrl>(page, "Set frequency"),       unit,
        page->FindWindow(ID_TERM_PERIODIC_START),       Child<wxCheckBox>(page, "Use msg counter"),
        Child<wxStaticText>(page, "Total size (byte)"), Child<wxTextCtrl>(page, "Define"),
        Child<wxStaticText>(page, "(use padding)")};
    for (bool enabled : {false, true, false}) {
        for (size_t i = 0; i < periodic.size(); ++i) {
            ASSERT_NE(periodic[i], nullptr) << i;
            EXPECT_EQ(periodic[i]->IsEnabled(), enabled) << i;
        }
        Send(page, wxEVT_CHECKBOX, ID_TERM_PERIODIC_CHECK, !enabled);
    }

    // Each transmission type shows its own field and hint; a field admits
    // the characters of its format and the blank, at most 128 of them.
    const char* const hints[4] = {"Insert ASCII characters",
                                  "Insert group of hex (max 2 digits) separated by blank",
                                  "Insert group of binary (max 8 digits) separated by blank",
                                  "Insert group of decimal (max 255) separated by blank"};
    struct Field {
        int format;
        const char *admitted, *refused;
    } fields[] = {{FORMAT_HEX, "09 af", "A"},
                  {FORMAT_BINARY, "0 1", "2"},
                  {FORMAT_DECIMAL, "0 9", "a"},
                  {FORMAT_ASCII, "Az ~", ""}};
    for (const Field& f : fields) {
        SCOPED_TRACE(f.format);
        Send(page, wxEVT_RADIOBOX, ID_TERM_TX_FORMAT, f.format);
        for (int i = 0; i < TerminalFormatCount; ++i) {
            auto* hint = Child<wxStaticText>(page, hints[i]);
            ASSERT_NE(hint, nullptr) << i;
            EXPECT_EQ(hint->IsShown(), i == f.format) << i;
            EXPECT_EQ(page->GetInputField(i)->IsShown(), i == f.format) << i;
        }
        wxTextCtrl* field = page->GetInputField(f.format);
        auto* filter = dynamic_cast<wxTextValidator*>(field->GetValidator());
        ASSERT_NE(filter, nullptr);
        EXPECT_EQ(filter->IsValid(f.admitted), "");
        EXPECT_EQ(filter->IsValid(f.refused).empty(), !*f.refused);
        field->ChangeValue(wxString(127, '1'));
        for (int i = 0; i < 2; ++i)
            field->AppendText("1");
        EXPECT_EQ(field->GetValue().length(), 128u);
        field->Clear();
    }
}

TEST_F(TerminalTraffic, EditPutsAnEntryBackIntoTheFieldOfItsFormat)
{
    AddCommand(FORMAT_HEX, "0a ff");
    EXPECT_EQ(page->GetInputField(FORMAT_HEX)->GetValue(), "");
    AddCommand(FORMAT_ASCII, "ab");
    page->GetCommandList()->SetSelection(1);
    Send(page, wxEVT_BUTTON, ID_TERM_EDIT);
    auto* radio = dynamic_cast<wxRadioBox*>(page->FindWindow(ID_TERM_TX_FORMAT));
    ASSERT_NE(radio, nullptr);
    EXPECT_EQ(radio->GetSelection(), FORMAT_HEX);
    EXPECT_EQ(page->GetInputField(FORMAT_HEX)->GetValue(), "0a ff");
    EXPECT_EQ(page->GetInputField(FORMAT_ASCII)->GetValue(), "");
    EXPECT_TRUE(page->GetInputField(FORMAT_HEX)->IsShown());
    EXPECT_FALSE(page->GetInputField(FORMAT_ASCII)->IsShown());
    // Added again it is a new entry on top; the old one stays.
    Send(page, wxEVT_BUTTON, ID_TERM_ADD);
    EXPECT_EQ(Rows(), (std::vector<wxString>{"0a ff (Hex)", "ab (ASCII)", "0a ff (Hex)"}));
    EXPECT_EQ(page->GetCommands().size(), 3u);
    Send(page, wxEVT_BUTTON, ID_TERM_CLEAR_ALL);
    EXPECT_TRUE(Rows().empty());
    EXPECT_TRUE(page->GetCommands().empty());
    EXPECT_TRUE(dialogs->Shown().empty()) << testing::PrintToString(dialogs->Messages());
}

// Padding, the counter and the period as they reach the module; the first
// message leaves one period after the start, so no more than the time
// passed over the period can have arrived.
TEST_F(TerminalTraffic, APeriodicSendIsPaddedCountedAndKeepsItsPeriod)
{
    Send(page, wxEVT_CHECKBOX, ID_TERM_PERIODIC_CHECK, 1);
    auto* period = Child<wxTextCtrl>(page, "Set frequency");
    auto* unit = Child<wxComboBox>(page, "");
    auto* total = Child<wxTextCtrl>(page, "Define");
    auto* counter = Child<wxCheckBox>(page, "Use msg counter");
    auto* stamp = Child<wxCheckBox>(page, "Write Timestamp");
    ASSERT_TRUE(period && unit && total && counter && stamp);
    struct Case {
        int format;
        const char *text, *period;
        int unit, periodMs;
        const char* total;
        bool counter;
        Bytes message;
        size_t wanted;  // messages to wait for
    } cases[] = {
        {FORMAT_ASCII, "ABC", "100", 0, 100, "8", false, {0x41, 0x42, 0x43, 3, 4, 5, 6, 7}, 2},
        {FORMAT_HEX, "aa bb cc dd", "1", 1, 1000, "", true, {0xAA, 0xBB, 0xCC, 0xDD}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        AddCommand(c.format, c.text);
        period->SetValue(c.period);
        unit->SetSelection(c.unit);
        total->SetValue(c.total);
        counter->SetValue(c.counter);
        stamp->SetValue(c.counter);
        const size_t before = module.DataReceived().size(), size = c.message.size();
        const auto begin = Clock::now();
        Send(page, wxEVT_BUTTON, ID_TERM_PERIODIC_START);
        ASSERT_TRUE(page->IsSendingPeriodically()) << testing::PrintToString(dialogs->Messages());
        ASSERT_TRUE(guitest::WaitFor([&] { return module.DataReceived().size() >= before + c.wanted * size; },
                                     c.periodMs * 3 + 2000));
        StopPeriodic();
        const long elapsed = MsSince(begin);
        ASSERT_TRUE(
            guitest::WaitFor([&] { return (module.DataReceived().size() - before) % size == 0; }, 1000));
        const Bytes got = module.DataReceived();
        const size_t sent = (got.size() - before) / size;
        EXPECT_LE(static_cast<long>(sent) * c.periodMs, elapsed) << sent << " messages";
        for (size_t i = 0; i < sent; ++i) {
            const Bytes one(got.begin() + before + i * size, got.begin() + before + (i + 1) * size);
            EXPECT_EQ(one, c.counter ? CounterFrame(c.message, static_cast<uint16_t>(i + 1)) : c.message)
                << i;
        }
        if (c.counter) {  // the count line, with the stamp before it
            const std::regex line("[\\s\\S]*\n" + kStamp + " Sent " + std::to_string(sent) + " messages\n");
            EXPECT_TRUE(std::regex_match(View(c.format).utf8_string(), line)) << View(c.format).Right(120);
        }
    }
    // Cut to one byte, a message has no room for the counter.
    counter->SetValue(true);
    total->SetValue("1");
    dialogs->Clear();
    Send(page, wxEVT_BUTTON, ID_TERM_PERIODIC_START);
    EXPECT_FALSE(page->IsSendingPeriodically());
    EXPECT_EQ(dialogs->Messages(),
              std::vector<wxString>{"Error: The message counter needs a message of at least 2 bytes"});
}

TEST_F(TerminalTraffic, ReceivedChunksTakeTheStampAndTheLineTheChecksAsk)
{
    auto* stamp = Child<wxCheckBox>(page, "Write Timestamp");
    auto* wrap = Child<wxCheckBox>(page, "Wrap packets");
    ASSERT_TRUE(stamp && wrap);
    // A stamp without wrapping opens the first chunk after the start and
    // after a clear, in the ASCII view only.
    stamp->SetValue(true);
    const std::regex stamped("\n" + kStamp + " \\[RX\\] - AB");
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        for (uint8_t byte : {'A', 'B'}) {
            const uint64_t before = page->RenderedBytes();
            module.SendData({byte});
            ASSERT_TRUE(guitest::WaitFor([&] { return page->RenderedBytes() == before + 1; }, 2000));
        }
        EXPECT_TRUE(std::regex_match(View(FORMAT_ASCII).utf8_string(), stamped)) << View(FORMAT_ASCII);
        EXPECT_EQ(View(FORMAT_HEX), "41 42 ");
        Send(page, wxEVT_BUTTON, ID_TERM_CLEAR_RECEIVED);
    }
    // Wrapped, every chunk ends its line: one receive takes at most 1460
    // bytes.
    stamp->SetValue(false);
    wrap->SetValue(true);
    for (auto [size, lines] : {std::pair<size_t, int>{1460, 1}, {1461, 3}}) {
        const uint64_t before = page->RenderedBytes();
        module.SendData(Bytes(size, 'x'));
        ASSERT_TRUE(guitest::WaitFor([&] { return page->RenderedBytes() == before + size; }, 2000));
        EXPECT_EQ(View(FORMAT_ASCII).Freq('\n'), lines) << size;
    }
}

TEST_F(TerminalTraffic, SentReceivedAndPeriodicLinesHaveTheirOwnColours)
{
    Send(page, wxEVT_RADIOBOX, ID_TERM_RX_FORMAT, FORMAT_HEX);
    AddCommand(FORMAT_HEX, "0a");
    Send(page, wxEVT_CHECKBOX, ID_TERM_PERIODIC_CHECK, 1);
    Child<wxTextCtrl>(page, "Set frequency")->SetValue("999");
    Child<wxComboBox>(page, "")->SetSelection(1);
    Main()->frame->Raise();
    TerminalView* view = page->GetReceiveView(FORMAT_HEX);
    struct Step {
        std::function<void()> act;
        int colour;
    } steps[] = {
        {[&] { Send(page, wxEVT_BUTTON, ID_TERM_SEND); }, SHOWN_WHITE},
        {[&] { module.SendData({0x41}); }, SHOWN_GREEN},
        {[&] { Send(page, wxEVT_BUTTON, ID_TERM_PERIODIC_START); }, SHOWN_RED},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.colour);
        Send(page, wxEVT_BUTTON, ID_TERM_CLEAR_RECEIVED);
        std::array<int, 3> shown = {};
        // Empty and black on screen first.
        ASSERT_TRUE(
            guitest::WaitFor([&] { return (shown = ShownColours(view)) == std::array<int, 3>{}; }, 2000))
            << shown[0] << " " << shown[1] << " " << shown[2];
        step.act();
        EXPECT_TRUE(guitest::WaitFor(
            [&] {
                shown = ShownColours(view);
                return shown[step.colour] > 0;
            },
            2000))
            << View(FORMAT_HEX);
        for (int other = 0; other < 3; ++other) {
            if (other != step.colour) {
                EXPECT_EQ(shown[other], 0) << other;
            }
        }
    }
    StopPeriodic();
}

TEST_F(TerminalTraffic, TheViewScrollsAndSelectsByWheelAndKeys)
{
    TerminalView* view = page->GetReceiveView(FORMAT_ASCII);
    Send(page, wxEVT_RADIOBOX, ID_TERM_RX_FORMAT, FORMAT_ASCII);
    std::string text;
    for (int i = 0; i < 60; ++i)
        text += wxString::Format("row%02d\n", i).utf8_string();
    module.SendData(Bytes(text.begin(), text.end()));
    ASSERT_TRUE(guitest::WaitFor([&] { return View(FORMAT_ASCII) == text && view->Rows() == 61; }, 2000));
    // The view follows the end until the wheel takes it up a notch (three
    // rows); more data then leaves it there.
    const int bottom = view->GetScrollPos(wxVERTICAL);
    EXPECT_EQ(bottom + view->GetScrollThumb(wxVERTICAL), 61);
    wxMouseEvent wheel(wxEVT_MOUSEWHEEL);
    wheel.m_wheelRotation = 120;
    wheel.m_wheelDelta = 120;
    wheel.m_linesPerAction = 3;
    view->ProcessWindowEvent(wheel);
    EXPECT_EQ(view->GetScrollPos(wxVERTICAL), bottom - 3);
    module.SendData({'z', '\n'});
    ASSERT_TRUE(guitest::WaitFor([&] { return view->Rows() == 62; }, 2000));
    EXPECT_EQ(view->GetScrollPos(wxVERTICAL), bottom - 3);

    // Keys and what they select (ctrl, shift).
    struct Press {
        int code;
        bool ctrl, shift;
    };
    const std::string all = text + "z\n";
    const std::pair<std::vector<Press>, std::string> keys[] = {
        {{{'A', true, false}}, all},
        {{{WXK_HOME, true, false}, {WXK_END, false, false}, {WXK_HOME, false, true}}, "row00"},
        {{{WXK_HOME, true, false}, {WXK_RIGHT, false, true}, {WXK_RIGHT, false, true}}, "ro"},
        {{{WXK_HOME, true, false}, {WXK_DOWN, false, true}}, "row00\n"},
        {{{WXK_END, true, false}, {WXK_HOME, true, true}}, all},
    };
    for (const auto& [presses, selected] : keys) {
        SCOPED_TRACE(selected.substr(0, 6));
        for (const Press& p : presses)
            Key(view, p.code, p.ctrl, p.shift);
        EXPECT_EQ(view->GetSelectedText().utf8_string(), selected);
    }
    // A clear forgets the selection: what comes after is not selected.
    Send(page, wxEVT_BUTTON, ID_TERM_CLEAR_RECEIVED);
    module.SendData({'x', 'y', 'z'});
    ASSERT_TRUE(guitest::WaitFor([&] { return View(FORMAT_ASCII) == "xyz"; }, 2000));
    EXPECT_EQ(view->GetSelectedText(), "");
}

// A connection that ends while a file dialog of the page is open is told
// once the dialog has closed: the page stays until its handler is done.
TEST_F(TerminalTraffic, AConnectionLostUnderAnOpenDialogIsToldWhenItCloses)
{
    const std::string missing = dir->File("missing/view.txt");
    dialogs->FilePath(missing);
    Send(page, wxEVT_BUTTON, ID_TERM_EXPORT_VIEW);
    EXPECT_EQ(dialogs->Messages(),
              (std::vector<wxString>{"Save File As?: ", "Error: The view could not be saved to " + missing}));

    dialogs->Clear();
    dialogs->FilePath(dir->File("view.txt"));
    bool stayed = false;
    dialogs->WhileOpen([&] {
        module.CloseData();
        guitest::WaitFor([&] { return !page->IsReceiving() && !wxTheApp->HasPendingEvents(); }, 2000);
        guitest::Pump();
        stayed = Page() == page && dialogs->Shown().size() == 1;
    });
    Send(page, wxEVT_BUTTON, ID_TERM_EXPORT_VIEW);
    EXPECT_TRUE(stayed) << testing::PrintToString(dialogs->Messages());
    EXPECT_TRUE(std::filesystem::exists(dir->File("view.txt")));
    ASSERT_TRUE(guitest::WaitFor([&] { return Main()->currentPanel == PANEL_START; }, 3000));
    EXPECT_EQ(dialogs->Messages(),
              (std::vector<wxString>{"Save File As?: ",
                                     "Connection Lost!: Connection Lost, redirecting to Home."}));
}

}  // namespace
