#include "TestConnection.h"

#include <sys/socket.h>

#include <chrono>

#include "TerminalThreads.h"
#include "sock.h"

WatchdogJob::WatchdogJob(wxEvtHandler* handler, std::string ip, uint16_t port, int period_ms)
    : WorkerLink(handler), ip_(std::move(ip)), port_(port), period_ms_(period_ms)
{
}

void WatchdogJob::Stop()
{
    Cancel();
    {
        std::lock_guard<std::mutex> g(lock_);
    }
    cv_.notify_all();
}

int WatchdogJob::Passes() const
{
    std::lock_guard<std::mutex> g(lock_);
    return passes_;
}

bool WatchdogJob::Sleep()
{
    std::unique_lock<std::mutex> g(lock_);
    return !cv_.wait_for(g, std::chrono::milliseconds(period_ms_),
                         [this] { return Canceller()->IsCancelled(); });
}

int WatchdogJob::Probe()
{
    sock_t s = sock_open(AF_INET, SOCK_STREAM, 0);
    if (s == SOCK_INVALID)
        return 0;
    sockaddr_in address;
    const bool connected =
        sock_make_address(&address, ip_.c_str(), port_) && sock_connect(s, &address, Canceller()) != -1;
    sock_close(s);
    if (Canceller()->IsCancelled())
        return -1;
    return connected ? 1 : 0;
}

void WatchdogJob::Run()
{
    while (Sleep()) {
        // A failed attempt leaves its socket unusable here: the retry takes a
        // new one.
        int result = Probe();
        if (result == 0)
            result = Probe();
        if (result < 0)
            break;
        if (result == 0) {
            WhileListening([](wxEvtHandler* handler) {
                wxCommandEvent event(EVT_UART_READ_FAILED, EVT_UART_READ_FAILED);
                wxQueueEvent(handler, event.Clone());
            });
            break;
        }
        std::lock_guard<std::mutex> g(lock_);
        ++passes_;
    }
    MarkFinished();
}

std::shared_ptr<WatchdogJob> TestConnection::Start(wxEvtHandler* handler, const std::string& ip,
                                                   uint16_t port, int period_ms)
{
    auto job = std::make_shared<WatchdogJob>(handler, ip, port, period_ms);
    if (StartTerminalWorker(new TestConnection(job)) != ThreadStart::Started)
        return nullptr;
    return job;
}

wxThread::ExitCode TestConnection::Entry()
{
    std::shared_ptr<WatchdogJob> job = job_;
    job->Run();
    TerminalWorkerEnded();
    return 0;
}
