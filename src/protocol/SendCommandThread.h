// Runs one exchange off the GUI thread and reports by posting event 65
// (success) or 64 (failure) to the page that started it.
//
// The thread works on its own copy of the request. Only while the page still
// waits does it copy the reply into the page's message and post the event;
// once the page has called Cancel() on its CommandJob, the thread touches
// nothing of the page again, wakes from any wait, closes its socket and ends
// by itself. Nothing is ever paused or killed.
#pragma once

#include <wx/event.h>
#include <wx/thread.h>

#include <memory>
#include <string>

#include "cmd_msg.h"
#include "WorkerLink.h"

constexpr int EVT_COMMAND_FAILED = 64;
constexpr int EVT_COMMAND_SUCCEEDED = 65;

// The exchange a page waits for: the worker's own copy of the request, and
// the page's message, written only while the page still listens.
class CommandJob : public WorkerLink {
public:
    CommandJob(wxEvtHandler* handler, VEMTOR_COMMAND_MSG* message, const char* ip, uint16_t port);

    // Number of worker bodies not yet returned, process-wide.
    static int Running();

private:
    friend class SendCommandThread;
    // Worker side.
    bool Exchange();
    void Report(bool ok, int thread_id, bool stop_requested);

    VEMTOR_COMMAND_MSG* target_;  // valid while the page listens
    std::unique_ptr<VEMTOR_COMMAND_MSG> work_;
    std::string ip_;
    uint16_t port_;
};

class SendCommandThread : public wxThread {
public:
    // Copies the request at once; the caller keeps `message` alive until the
    // event arrives or it has cancelled the job.
    SendCommandThread(wxEvtHandler* handler, VEMTOR_COMMAND_MSG* message, const char* ip, uint16_t port);
    ~SendCommandThread() override;

    // The page's handle on this exchange; valid after the thread is gone.
    std::shared_ptr<CommandJob> GetJob() const { return job_; }

    // Creates and runs a new thread; null when the thread cannot be started.
    static std::shared_ptr<CommandJob> Start(wxEvtHandler* handler, VEMTOR_COMMAND_MSG* message,
                                             const char* ip, uint16_t port);

protected:
    ExitCode Entry() override;

private:
    std::shared_ptr<CommandJob> job_;
};
