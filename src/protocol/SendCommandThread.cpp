#include "SendCommandThread.h"

#include <atomic>
#include <cstring>

namespace {
std::atomic<int> running_jobs{0};
}

CommandJob::CommandJob(wxEvtHandler* handler, VEMTOR_COMMAND_MSG* message, const char* ip, uint16_t port)
    : WorkerLink(handler), target_(message), work_(new VEMTOR_COMMAND_MSG), ip_(ip ? ip : ""), port_(port)
{
    memcpy(work_.get(), message, sizeof *message);
}

int CommandJob::Running()
{
    return running_jobs.load();
}

bool CommandJob::Exchange()
{
    return cmd_msg_transact_cancellable(work_.get(), ip_.c_str(), port_, Canceller());
}

void CommandJob::Report(bool ok, int thread_id, bool stop_requested)
{
    if (!stop_requested) {
        // The page still waits, so its message and handler are alive.
        WhileListening([&](wxEvtHandler* page) {
            memcpy(target_, work_.get(), sizeof *target_);
            wxCommandEvent event(ok ? EVT_COMMAND_SUCCEEDED : EVT_COMMAND_FAILED, thread_id);
            event.SetInt(1);
            wxQueueEvent(page, event.Clone());
        });
    }
    MarkFinished();
}

SendCommandThread::SendCommandThread(wxEvtHandler* handler, VEMTOR_COMMAND_MSG* message, const char* ip,
                                     uint16_t port)
    : wxThread(wxTHREAD_DETACHED), job_(std::make_shared<CommandJob>(handler, message, ip, port))
{
}

SendCommandThread::~SendCommandThread() = default;

std::shared_ptr<CommandJob> SendCommandThread::Start(wxEvtHandler* handler, VEMTOR_COMMAND_MSG* message,
                                                     const char* ip, uint16_t port)
{
    auto* thread = new SendCommandThread(handler, message, ip, port);
    std::shared_ptr<CommandJob> job = thread->GetJob();
    if (thread->Create() != wxTHREAD_NO_ERROR) {
        delete thread;
        return nullptr;
    }
    running_jobs.fetch_add(1);
    if (thread->Run() != wxTHREAD_NO_ERROR) {
        running_jobs.fetch_sub(1);
        delete thread;
        return nullptr;
    }
    return job;
}

wxThread::ExitCode SendCommandThread::Entry()
{
    // Keep the job alive for the whole body, whatever the page does.
    std::shared_ptr<CommandJob> job = job_;
    const bool ok = job->Exchange();
    job->Report(ok, static_cast<int>(GetId()), TestDestroy());
    running_jobs.fetch_sub(1);
    return 0;
}
