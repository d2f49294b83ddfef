#include "CommandProgressWait.h"

#include <wx/evtloop.h>
#include <wx/msgdlg.h>
#include <wx/progdlg.h>
#include <wx/window.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "SendCommandThread.h"
#include "sock.h"

void ReportRelay::QueueEvent(wxEvent* event)
{
    std::lock_guard<std::mutex> g(lock_);
    events_.emplace_back(event);
}

void ReportRelay::Deliver(wxWindow* page)
{
    std::vector<std::unique_ptr<wxEvent>> ready;
    {
        std::lock_guard<std::mutex> g(lock_);
        ready.swap(events_);
    }
    for (const std::unique_ptr<wxEvent>& event : ready)
        page->GetEventHandler()->SafelyProcessEvent(*event);
}

namespace {

// Sleeps `ms` in short slices, keeping the dialog painted and its Cancel
// button (and timers) alive, and delivering the worker's report.
void SleepDispatching(wxWindow* page, ReportRelay& relay, unsigned ms)
{
    using clock = std::chrono::steady_clock;
    const auto end = clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (wxEventLoopBase* loop = wxEventLoopBase::GetActive())
            loop->YieldFor(wxEVT_CATEGORY_UI | wxEVT_CATEGORY_USER_INPUT | wxEVT_CATEGORY_TIMER);
        relay.Deliver(page);
        const auto now = clock::now();
        if (now >= end)
            return;
        std::this_thread::sleep_for(std::min<clock::duration>(end - now, std::chrono::milliseconds(10)));
    }
}

}  // namespace

unsigned CommandWaitStepMs()
{
    return 100u + 10u * sock_get_connect_timeout();
}

int CommandProgressWait(wxWindow* page, VEMTOR_COMMAND_MSG* request, const char* ip, uint16_t port,
                        int& waitFlag)
{
    waitFlag = 0;
    ReportRelay relay;
    std::shared_ptr<CommandJob> job = SendCommandThread::Start(&relay, request, ip, port);
    if (!job)
        return 0;  // no worker: nothing can report
    return ProgressWait(page, *job, relay, waitFlag);
}

int ProgressWait(wxWindow* page, WorkerLink& worker, ReportRelay& relay, int& waitFlag)
{
    waitFlag = 0;
    // However this call ends, even by an exception, the worker lets go of
    // the relay and the request before they go.
    struct CancelOnExit {
        WorkerLink& worker;
        ~CancelOnExit() { worker.Cancel(); }
    } cancelOnExit{worker};

    auto dialog = std::make_unique<wxProgressDialog>(
        // Centred on the main window: the page may not be placed yet.
        "Connection to Vantrel", "Connection in progress. Please Wait...", 100,
        page ? wxGetTopLevelParent(page) : nullptr,
        wxPD_CAN_ABORT | wxPD_APP_MODAL | wxPD_AUTO_HIDE | wxPD_SMOOTH);
    for (int step = 0; step < 2 * CommandWaitSteps; step += 2) {
        SleepDispatching(page, relay, CommandWaitStepMs());
        if (waitFlag != 0)
            break;
        if (!dialog->Update(step)) {
            const int answer = wxMessageBox("Do you really want to cancel connection?", "End Connection?",
                                            wxYES_NO | wxICON_QUESTION);
            if (answer == wxYES)
                break;
            dialog->Resume();
        }
    }
    dialog.reset();

    // The worker is cancelled in every case: when no report came it stops,
    // and either way it posts nothing more to the relay, which goes with the
    // caller. A report that came before the cancel (during the last update,
    // the question, or just now) still counts.
    worker.Cancel();
    relay.Deliver(page);
    return waitFlag;
}
