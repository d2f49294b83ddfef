#include "WorkerLink.h"

#include <chrono>

void WorkerLink::Cancel()
{
    {
        std::lock_guard<std::mutex> g(lock_);
        handler_ = nullptr;
    }
    cancel_.Cancel();
}

bool WorkerLink::IsFinished() const
{
    std::lock_guard<std::mutex> g(lock_);
    return finished_;
}

bool WorkerLink::WaitFinished(int timeout_ms)
{
    std::unique_lock<std::mutex> g(lock_);
    return finished_cv_.wait_for(g, std::chrono::milliseconds(timeout_ms), [this] { return finished_; });
}

void WorkerLink::MarkFinished()
{
    std::lock_guard<std::mutex> g(lock_);
    finished_ = true;
    finished_cv_.notify_all();
}
