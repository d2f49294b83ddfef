#include "SendCommandThread.h"

#include <atomic>
#include <chrono>
#include <cstring>

namespace {
std::atomic<int> running_jobs{0};
}

CommandJob::CommandJob(wxEvtHandler* handler, VEMTOR_COMMAND_MSG* message, const char* ip, uint16_t port)
    : handler_(handler), target_(message), work_(new VEMTOR_COMMAND_MSG), ip_(ip ? ip : ""), port_(port)
{
    memcpy(work_.get(), message, sizeof *message);
}

void CommandJob::Cancel()
{
    {
        std::lock_guard<std::mutex> g(lock_);
        handler_ = nullptr;
        target_ = nullptr;
    }
    cancel_.Cancel();
}

bool CommandJob::IsFinished() const
{
    std::lock_guard<std::mutex> g(lock_);
    return finished_;
}

bool CommandJob::WaitFinished(int timeout_ms)
{
    std::unique_lock<std::mutex> g(lock_);
    return finished_cv_.wait_for(g, std::chrono::milliseconds(timeout_ms), [this] { return finished_; });
}

int CommandJob::Running()
{
    return running_jobs.load();
}

bool CommandJob::Exchange()
{
    return cmd_msg_transact_cancellable(work_.get(), ip_.c_str(), port_, &cancel_);
}

void CommandJob::Report(bool ok, int thread_id, bool stop_requested)
{
    std::lock_guard<std::mutex> g(lock_);
    if (handler_ && target_ && !stop_requested) {
        // The page is still waiting, so its message and handler are alive:
        // Cancel() cannot run until this lock is released.
        memcpy(target_, work_.get(), sizeof *target_);
        wxCommandEvent event(ok ? EVT_COMMAND_SUCCEEDED : EVT_COMMAND_FAILED, thread_id);
        event.SetInt(1);
        wxQueueEvent(handler_, event.Clone());
    }
    finished_ = true;
    finished_cv_.notify_all();
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
