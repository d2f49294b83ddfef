#include "TerminalThreads.h"

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "TerminalLogic.h"
#include "cmd_error.h"

namespace {

std::atomic<int> running_workers{0};

}  // namespace

ThreadStart StartTerminalWorker(wxThread* thread)
{
    if (thread->Create() != wxTHREAD_NO_ERROR) {
        delete thread;
        return ThreadStart::CreateFailed;
    }
    running_workers.fetch_add(1);
    if (thread->Run() != wxTHREAD_NO_ERROR) {
        running_workers.fetch_sub(1);
        delete thread;
        return ThreadStart::RunFailed;
    }
    return ThreadStart::Started;
}

void TerminalWorkerEnded()
{
    running_workers.fetch_sub(1);
}

std::string TerminalErrorText(int code)
{
    // A system error number tells the user no more than this.
    if (code >= 0)
        return "Vantrel module unreachable";
    const std::string text = cmd_error_text(code);
    return text.empty() ? std::string("Vantrel module unreachable") : text;
}

int TerminalWorkersRunning()
{
    return running_workers.load();
}

// ---- DataConnection

DataConnection::DataConnection(sock_t socket) : socket_(socket) {}

DataConnection::~DataConnection()
{
    sock_close(socket_);
}

DataConnection::SendResult DataConnection::Send(const uint8_t* bytes, size_t length, int wait_ms,
                                                int stall_ms, CmdCancel* cancel,
                                                const std::function<bool()>& stalled)
{
    std::unique_lock<std::timed_mutex> g(send_lock_, std::defer_lock);
    if (wait_ms < 0)
        g.lock();
    else if (!g.try_lock_for(std::chrono::milliseconds(wait_ms)))
        return SendResult::Busy;
    // Waits for room of its own, so that a peer that reads nothing holds up
    // neither a stop nor the window.
    size_t sent = 0;
    while (sent < length) {
        if (lost_.load() || shut_.load())
            return SendResult::Lost;
        const int n = sock_send_wait(socket_, bytes + sent, length - sent, stall_ms, cancel);
        if (n == SOCK_SEND_CANCELLED)
            return SendResult::Stopped;
        if (n == SOCK_SEND_TIMED_OUT) {
            if (stalled && stalled())
                continue;
            cmd_set_system_error(ETIMEDOUT);
            return SendResult::Failed;
        }
        if (n < 0)
            return SendResult::Failed;
        if (n > 0)
            sent += static_cast<size_t>(n);
    }
    return SendResult::Sent;
}

int DataConnection::Receive(uint8_t* buffer, size_t size)
{
    return sock_recv_shared(socket_, buffer, size);
}

void DataConnection::Shutdown()
{
    if (!shut_.exchange(true))
        sock_shutdown(socket_);
}

// ---- ConnectJob and ConnectThread

ConnectJob::ConnectJob(wxEvtHandler* handler, std::string ip, uint16_t port)
    : WorkerLink(handler), ip_(std::move(ip)), port_(port)
{
}

ConnectJob::~ConnectJob()
{
    // Connected, but the page gave up before taking it.
    sock_close(socket_);
}

sock_t ConnectJob::TakeSocket()
{
    std::lock_guard<std::mutex> g(lock_);
    const sock_t s = socket_;
    socket_ = SOCK_INVALID;
    return s;
}

std::string ConnectJob::ErrorText() const
{
    std::lock_guard<std::mutex> g(lock_);
    return error_;
}

void ConnectJob::Report(int type, int thread_id)
{
    WhileListening([&](wxEvtHandler* handler) {
        wxCommandEvent event(type, thread_id);
        event.SetInt(1);
        wxQueueEvent(handler, event.Clone());
    });
}

void ConnectJob::Run(int thread_id)
{
    sock_t s = sock_open(AF_INET, SOCK_STREAM, 0);
    bool connected = false;
    if (s != SOCK_INVALID) {
        sockaddr_in address;
        if (!sock_make_address(&address, ip_.c_str(), port_))
            cmd_set_system_error(EINVAL);
        else
            connected = sock_connect(s, &address, Canceller()) != -1;
    }
    // The reason is taken at once, before another thread records its own.
    const int code = connected ? 0 : cmd_get_error();
    if (Canceller()->IsCancelled()) {
        sock_close(s);
    } else if (connected) {
        {
            std::lock_guard<std::mutex> g(lock_);
            socket_ = s;
        }
        Report(EVT_CONNECTION_ESTABLISHED, thread_id);
    } else {
        sock_close(s);
        {
            std::lock_guard<std::mutex> g(lock_);
            error_ = TerminalErrorText(code);
        }
        Report(EVT_CONNECTION_LOST, thread_id);
    }
    MarkFinished();
}

ConnectThread::ConnectThread(std::shared_ptr<ConnectJob> job)
    : wxThread(wxTHREAD_DETACHED), job_(std::move(job))
{
}

std::shared_ptr<ConnectJob> ConnectThread::Start(wxEvtHandler* handler, const std::string& ip, uint16_t port)
{
    auto job = std::make_shared<ConnectJob>(handler, ip, port);
    if (StartTerminalWorker(new ConnectThread(job)) != ThreadStart::Started)
        return nullptr;
    return job;
}

wxThread::ExitCode ConnectThread::Entry()
{
    // Keep the job for the whole body, whatever the page does.
    std::shared_ptr<ConnectJob> job = job_;
    job->Run(static_cast<int>(GetId()));
    TerminalWorkerEnded();
    return 0;
}

// ---- ReceiveJob and ReadUartThread

ReceiveJob::ReceiveJob(wxEvtHandler* handler, std::shared_ptr<DataConnection> connection)
    : WorkerLink(handler), connection_(std::move(connection))
{
}

std::vector<ReceivedChunk> ReceiveJob::TakeChunks()
{
    std::vector<ReceivedChunk> out;
    {
        std::lock_guard<std::mutex> g(lock_);
        out.reserve(pending_.size());
        for (ReceivedChunk& chunk : pending_)
            out.push_back(std::move(chunk));
        pending_.clear();
        pending_bytes_ = 0;
    }
    cv_.notify_all();
    return out;
}

void ReceiveJob::SetPaused(bool paused)
{
    {
        std::lock_guard<std::mutex> g(lock_);
        paused_ = paused;
    }
    cv_.notify_all();
}

bool ReceiveJob::IsPaused() const
{
    std::lock_guard<std::mutex> g(lock_);
    return paused_;
}

void ReceiveJob::Stop()
{
    Cancel();
    // The lock orders the wake after a worker's check of the flag.
    {
        std::lock_guard<std::mutex> g(lock_);
    }
    cv_.notify_all();
}

void ReceiveJob::Post(int type)
{
    WhileListening([type](wxEvtHandler* handler) {
        wxCommandEvent event(type, type);
        event.SetInt(1);
        wxQueueEvent(handler, event.Clone());
    });
}

void ReceiveJob::Run()
{
    std::vector<uint8_t> buffer(ChunkSize);
    for (;;) {
        {
            std::unique_lock<std::mutex> g(lock_);
            cv_.wait(g, [this] { return !paused_ || Stopping(); });
        }
        if (Stopping())
            break;
        const int n = connection_->Receive(buffer.data(), buffer.size());
        if (Stopping())
            break;
        if (n <= 0) {
            // The peer closed, or the receive failed: nothing more will come.
            connection_->MarkLost();
            Post(EVT_UART_READ_FAILED);
            break;
        }
        ReceivedChunk chunk{std::vector<uint8_t>(buffer.begin(), buffer.begin() + n), wxDateTime::UNow()};
        bool first = false;
        {
            std::unique_lock<std::mutex> g(lock_);
            cv_.wait(g, [this] { return (!paused_ && pending_bytes_ < MaxPendingBytes) || Stopping(); });
            if (Stopping())
                break;
            first = pending_.empty();
            pending_bytes_ += chunk.bytes.size();
            pending_.push_back(std::move(chunk));
        }
        if (first)
            Post(EVT_UART_DATA_READY);
    }
    MarkFinished();
}

ReadUartThread::ReadUartThread(std::shared_ptr<ReceiveJob> job)
    : wxThread(wxTHREAD_DETACHED), job_(std::move(job))
{
}

ThreadStart ReadUartThread::Start(const std::shared_ptr<ReceiveJob>& job)
{
    return StartTerminalWorker(new ReadUartThread(job));
}

wxThread::ExitCode ReadUartThread::Entry()
{
    std::shared_ptr<ReceiveJob> job = job_;
    job->Run();
    TerminalWorkerEnded();
    return 0;
}

// ---- PeriodicJob and SendPeriodicallyThread

PeriodicJob::PeriodicJob(wxEvtHandler* handler, std::shared_ptr<DataConnection> connection,
                         std::vector<uint8_t> message, int period_ms, bool use_counter)
    : WorkerLink(handler),
      connection_(std::move(connection)),
      message_(std::move(message)),
      period_ms_(period_ms),
      use_counter_(use_counter)
{
}

void PeriodicJob::Stop()
{
    Cancel();
    {
        std::lock_guard<std::mutex> g(lock_);
    }
    cv_.notify_all();
}

std::string PeriodicJob::FailureText() const
{
    std::lock_guard<std::mutex> g(lock_);
    return failure_;
}

void PeriodicJob::Run()
{
    const auto stopping = [this] { return Canceller()->IsCancelled(); };
    bool failing = false;
    // Once per failing stretch: a box per failed pass would bury the window.
    const auto fail = [&](const std::string& reason) {
        if (failing)
            return;
        failing = true;
        {
            std::lock_guard<std::mutex> g(lock_);
            failure_ = reason;
        }
        WhileListening([](wxEvtHandler* handler) {
            wxCommandEvent event(EVT_PERIODIC_SEND_FAILED, EVT_PERIODIC_SEND_FAILED);
            event.SetInt(1);
            wxQueueEvent(handler, event.Clone());
        });
    };
    uint16_t counter = 1;
    std::vector<uint8_t> counted;
    for (;;) {
        {
            std::unique_lock<std::mutex> g(lock_);
            if (cv_.wait_for(g, std::chrono::milliseconds(period_ms_), stopping))
                break;
        }
        if (use_counter_)
            counted = CounterFrame(message_, counter);
        const std::vector<uint8_t>& frame = use_counter_ ? counted : message_;
        const DataConnection::SendResult result =
            connection_->Send(frame.data(), frame.size(), -1, StallMs, Canceller(), [&] {
                fail("the module takes no data");
                return true;
            });
        if (result == DataConnection::SendResult::Sent) {
            failing = false;
            sent_.fetch_add(1);
            counter = NextMessageCounter(counter);
        } else if (result == DataConnection::SendResult::Lost || result == DataConnection::SendResult::Stopped) {
            break;
        } else {
            fail(TerminalErrorText(cmd_get_error()));
        }
    }
    MarkFinished();
}

SendPeriodicallyThread::SendPeriodicallyThread(std::shared_ptr<PeriodicJob> job)
    : wxThread(wxTHREAD_DETACHED), job_(std::move(job))
{
}

ThreadStart SendPeriodicallyThread::Start(const std::shared_ptr<PeriodicJob>& job)
{
    return StartTerminalWorker(new SendPeriodicallyThread(job));
}

wxThread::ExitCode SendPeriodicallyThread::Entry()
{
    std::shared_ptr<PeriodicJob> job = job_;
    job->Run();
    TerminalWorkerEnded();
    return 0;
}

// ---- DisconnectJob and DisconnectThread

DisconnectJob::DisconnectJob(std::shared_ptr<DataConnection> connection,
                             std::vector<std::shared_ptr<WorkerLink>> workers, int timeout_ms)
    : WorkerLink(nullptr),
      connection_(std::move(connection)),
      workers_(std::move(workers)),
      timeout_ms_(timeout_ms)
{
}

void DisconnectJob::Run()
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms_);
    if (connection_)
        connection_->Shutdown();
    bool ended = true;
    for (const std::shared_ptr<WorkerLink>& worker : workers_) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        ended = worker->WaitFinished(static_cast<int>(std::max<int64_t>(0, left.count()))) && ended;
    }
    all_ended_.store(ended);
    MarkFinished();
}

bool DisconnectThread::Start(const std::shared_ptr<DisconnectJob>& job)
{
    return StartTerminalWorker(new DisconnectThread(job)) == ThreadStart::Started;
}

wxThread::ExitCode DisconnectThread::Entry()
{
    std::shared_ptr<DisconnectJob> job = job_;
    job->Run();
    TerminalWorkerEnded();
    return 0;
}
