// How much the terminal page renders while the window keeps answering: a
// loopback stand-in for the module's data service streams to a connected page
// for a fixed time at rising rates. For each rate it reports what was rendered,
// the longest wait of a probe event posted every 10 ms to the GUI thread, and
// how much the process grew per megabyte received (the four views keep all
// they show). Then it prints the highest rate rendered in full with every
// probe answered within 100 ms. Runs under its own X server when there is no
// display.
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/modalhook.h>
#include <wx/uilocale.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "DbCommands.h"
#include "MainWindow.h"
#include "Pages.h"
#include "TerminalView.h"
#include "VantrelTerminalPanel.h"
#include "cmd_test_hooks.h"
#include "sock.h"
#include "test_module.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kSeconds = 2;
constexpr int kProbeEveryMs = 10;
constexpr double kAnswerWithinMs = 100;

class BenchApp : public wxApp {
public:
    bool OnInit() override
    {
        wxUILocale::UseDefault();
        delete wxLog::SetActiveTarget(new wxLogStderr);
        return true;
    }
};

// Any modal dialog would stop the run: answer it, and count it as a failure.
class AnswerEverything : public wxModalDialogHook {
public:
    AnswerEverything() { Register(); }
    ~AnswerEverything() override { Unregister(); }
    int Enter(wxDialog*) override
    {
        ++shown;
        return wxID_OK;
    }
    void Exit(wxDialog*) override {}
    int shown = 0;
};

double RssMb()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void Pump()
{
    wxTheApp->ProcessPendingEvents();
    wxYield();
    wxTheApp->ProcessIdle();
}

testmod::TestModule* g_module = nullptr;
double g_bestRate = 0;

VantrelTerminalPanel* Page()
{
    return dynamic_cast<VantrelTerminalPanel*>(MainWindow::GetInstance()->GetPanel(PANEL_TERMINAL));
}

void BM_TerminalReceive(benchmark::State& state)
{
    const double rate = double(state.range(0));  // bytes per second
    VantrelTerminalPanel* page = Page();
    if (!page) {
        state.SkipWithError("the terminal page is not open");
        return;
    }
    for (auto _ : state) {
        wxCommandEvent clear(wxEVT_BUTTON, ID_TERM_CLEAR_RECEIVED);
        page->GetEventHandler()->ProcessEvent(clear);
        for (int i = 0; i < 20; ++i)
            Pump();
        const uint64_t before = page->RenderedBytes();
        const double rssBefore = RssMb();

        // The probe: posted from another thread, timed when the GUI handles it.
        std::atomic<bool> running{true};
        std::atomic<double> worstMs{0};
        wxEvtHandler probeTarget;
        probeTarget.Bind(wxEVT_THREAD, [&](wxThreadEvent& e) {
            const double ms =
                std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count() -
                e.GetPayload<double>();
            if (ms > worstMs)
                worstMs = ms;
        });
        std::thread prober([&] {
            while (running) {
                auto* event = new wxThreadEvent();
                event->SetPayload(
                    std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count());
                wxQueueEvent(&probeTarget, event);
                std::this_thread::sleep_for(std::chrono::milliseconds(kProbeEveryMs));
            }
        });
        // The stream: 1460-byte chunks on a time schedule.
        std::atomic<uint64_t> sent{0};
        std::atomic<bool> streaming{true};
        std::thread streamer([&] {
            const auto start = Clock::now();
            testmod::Bytes chunk(1460);
            for (size_t i = 0; i < chunk.size(); ++i)
                chunk[i] = uint8_t(i * 7);
            while (Clock::now() - start < std::chrono::seconds(kSeconds)) {
                // Due by now at this rate; a page that is behind holds the
                // stream back through the connection.
                const double due = std::chrono::duration<double>(Clock::now() - start).count() * rate;
                if (sent + chunk.size() <= due) {
                    if (!g_module->SendData(chunk))
                        return;
                    sent += chunk.size();
                } else {
                    std::this_thread::sleep_for(std::chrono::microseconds(200));
                }
            }
            streaming = false;
        });
        // The window keeps running until the stream ends: a send blocked
        // because the page is behind goes on once the page has caught up.
        const auto begin = Clock::now();
        while (streaming) {
            Pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        streamer.join();
        // What was sent in time must be rendered soon after.
        const auto settle = Clock::now();
        while (page->RenderedBytes() - before < sent && Clock::now() - settle < std::chrono::seconds(2)) {
            Pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        const double took = std::chrono::duration<double>(Clock::now() - begin).count();
        running = false;
        prober.join();
        Pump();
        const uint64_t rendered = page->RenderedBytes() - before;
        const double mb = double(rendered) / (1024.0 * 1024.0);
        state.SetIterationTime(took);
        state.counters["sent_Bps"] = double(sent) / kSeconds;
        state.counters["rendered_Bps"] = double(rendered) / took;
        state.counters["worst_answer_ms"] = worstMs.load();
        state.counters["rss_growth_MB_per_MB"] = mb > 0 ? (RssMb() - rssBefore) / mb : 0;
        size_t viewBytes = 0;
        for (int i = 0; i < TerminalFormatCount; ++i)
            viewBytes += page->GetReceiveView(i)->MemoryUsed();
        state.counters["view_bytes_per_byte"] = rendered ? double(viewBytes) / double(rendered) : 0;
        // Kept up: the stream was not held back, all of it was rendered, and
        // every probe was answered in time.
        const bool keptUp =
            double(sent) >= 0.95 * rate * kSeconds && rendered == sent && worstMs < kAnswerWithinMs;
        state.counters["kept_up"] = keptUp;
        if (keptUp && rate > g_bestRate)
            g_bestRate = rate;
    }
}
BENCHMARK(BM_TerminalReceive)
    ->Arg(256 << 10)
    ->Arg(1 << 20)
    ->Arg(2 << 20)
    ->Arg(4 << 20)
    ->Arg(8 << 20)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(BenchApp);

int main(int argc, char** argv)
{
    if (!getenv("DISPLAY")) {
        // An X server of its own for the window.
        std::string wrapper = VANTREL_XVFB_WRAPPER;
        std::vector<char*> args = {wrapper.data()};
        for (int i = 0; i < argc; ++i)
            args.push_back(argv[i]);
        args.push_back(nullptr);
        execv(wrapper.c_str(), args.data());
        perror("cannot start the X server wrapper");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit())
        return 1;
    // A working folder of its own, with the pictures; the update check goes
    // to a closed loopback port.
    const std::filesystem::path old = std::filesystem::current_path();
    std::string tmpl = (std::filesystem::temp_directory_path() / "vantrel-bench-XXXXXX").string();
    if (!mkdtemp(tmpl.data()))
        return 1;
    std::filesystem::current_path(tmpl);
    std::error_code ec;
    std::filesystem::create_directory_symlink(VANTREL_ICONS_DIR, "icons", ec);
    setenv("VANTREL_UPDATE_URL", "http://127.0.0.1:9/checkglimra3.ini", 1);
    int rc = 0;
    {
        AnswerEverything dialogs;
        cmd_test_set_exchange_pause_ms(0);
        sock_set_connect_timeout(1);
        RegisterPages();
        testmod::TestModule module("127.0.0.36");
        module.SetDataService(true);
        g_module = &module;
        if (!module.Start())
            return 1;
        MainWindow* main = MainWindow::GetInstance();
        main->ShowTerminalPanel(module.Address(), module.Address(), "", module.PortText(), 'S');
        if (!Page()) {
            fprintf(stderr, "the terminal did not open\n");
            rc = 1;
        } else {
            benchmark::RunSpecifiedBenchmarks();
            printf(
                "terminal: highest rate rendered in full with the GUI answering within %.0f ms: %.0f B/s\n",
                kAnswerWithinMs, g_bestRate);
            if (dialogs.shown)
                printf("terminal: %d dialogs were shown during the run\n", dialogs.shown);
        }
        MainWindow::DestroyForTests();
        for (int i = 0; i < 10; ++i)
            Pump();
        DbCommands::ResetForTests();
        module.Stop();
    }
    benchmark::Shutdown();
    wxTheApp->OnExit();
    wxEntryCleanup();
    std::filesystem::current_path(old);
    std::filesystem::remove_all(tmpl, ec);
    return rc;
}
