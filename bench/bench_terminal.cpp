// How the terminal page keeps up with a module streaming at full speed: a
// loopback stand-in for the module's data service sends 100 MB to a connected
// page as fast as the page takes it, while a probe event posted every 10 ms
// to the GUI thread measures how long the window takes to answer. For every
// 10 MB held it prints the resident memory growth per MB received and the
// worst answer in that stretch; at the end the rate taken, the worst answer
// overall and the CPU time per MB. Runs under its own X server when there is
// no display.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
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
#include "VantrelTerminalPanel.h"
#include "cmd_test_hooks.h"
#include "sock.h"
#include "test_module.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint64_t kTotalBytes = 100ull << 20;
constexpr uint64_t kStepBytes = 10ull << 20;
constexpr int kProbeEveryMs = 10;

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

VantrelTerminalPanel* Page()
{
    return dynamic_cast<VantrelTerminalPanel*>(MainWindow::GetInstance()->GetPanel(PANEL_TERMINAL));
}

double CpuSeconds()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double NowMs()
{
    return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count();
}

void BM_TerminalStream(benchmark::State& state)
{
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
        const double cpuBefore = CpuSeconds();

        // The probe: posted from another thread, timed when the GUI handles it.
        std::atomic<bool> probing{true};
        double worstStep = 0, worstAll = 0;
        wxEvtHandler probeTarget;
        probeTarget.Bind(wxEVT_THREAD, [&](wxThreadEvent& e) {
            const double ms = NowMs() - e.GetPayload<double>();
            worstStep = std::max(worstStep, ms);
            worstAll = std::max(worstAll, ms);
        });
        std::thread prober([&] {
            while (probing) {
                auto* event = new wxThreadEvent();
                event->SetPayload(NowMs());
                wxQueueEvent(&probeTarget, event);
                std::this_thread::sleep_for(std::chrono::milliseconds(kProbeEveryMs));
            }
        });
        // The stream: as fast as the page takes it.
        std::atomic<bool> streaming{true};
        std::thread streamer([&] {
            testmod::Bytes chunk(64 << 10);
            for (size_t i = 0; i < chunk.size(); ++i)
                chunk[i] = uint8_t(i % 95 + 32);
            for (uint64_t sent = 0; sent < kTotalBytes && g_module->SendData(chunk); sent += chunk.size()) {
            }
            streaming = false;
        });
        const auto begin = Clock::now();
        uint64_t nextMark = kStepBytes;
        while (page->RenderedBytes() - before < kTotalBytes &&
               (streaming || Clock::now() - begin < std::chrono::seconds(60))) {
            Pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            const uint64_t held = page->RenderedBytes() - before;
            if (held >= nextMark) {
                const double mb = double(held) / (1 << 20);
                printf("terminal: %5.0f MB held: %6.2f MB resident per MB received, worst answer %6.1f ms\n", mb,
                       (RssMb() - rssBefore) / mb, worstStep);
                fflush(stdout);
                worstStep = 0;
                nextMark += kStepBytes;
            }
        }
        const double took = std::chrono::duration<double>(Clock::now() - begin).count();
        streamer.join();
        probing = false;
        prober.join();
        Pump();
        const double mb = double(page->RenderedBytes() - before) / (1 << 20);
        const double cpuPerMb = (CpuSeconds() - cpuBefore) / mb;
        printf("terminal: %.0f MB taken at %.2f MB/s, worst answer %.1f ms, CPU %.3f s per MB, %.2f MB resident "
               "per MB\n",
               mb, mb / took, worstAll, cpuPerMb, (RssMb() - rssBefore) / mb);
        state.SetIterationTime(took);
        state.counters["MB_per_s"] = mb / took;
        state.counters["worst_answer_ms"] = worstAll;
        state.counters["cpu_s_per_MB"] = cpuPerMb;
        state.counters["rss_MB_per_MB"] = (RssMb() - rssBefore) / mb;
        // What was held goes before the next run.
        page->GetEventHandler()->ProcessEvent(clear);
    }
}
BENCHMARK(BM_TerminalStream)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

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
