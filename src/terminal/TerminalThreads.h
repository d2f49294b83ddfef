// The terminal's data connection and the workers that use it.
//
// One DataConnection owns the data socket: it closes it exactly once, when
// the last holder lets go, so a number that the system hands out again is
// never used by a late send or shutdown. Each worker reports through its own
// WorkerLink: once the page has stopped listening, a worker touches nothing
// of the page again. Workers stop by their stop flag and a shutdown of the
// socket; nothing is paused or killed.
#pragma once

#include <wx/datetime.h>
#include <wx/thread.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "WorkerLink.h"
#include "sock.h"

// Worker event types (command events whose type and id are equal).
constexpr int EVT_PERIODIC_SEND_FAILED = 50;
constexpr int EVT_PERIODIC_SEND_DONE = 51;
constexpr int EVT_UART_DATA_READY = 62;  // received chunks wait for the page
constexpr int EVT_UART_READ_FAILED = 63;
constexpr int EVT_CONNECTION_ESTABLISHED = 66;
constexpr int EVT_CONNECTION_LOST = 67;

// How starting a worker thread went.
enum class ThreadStart { Started, CreateFailed, RunFailed };

// The text the page shows for a failure code of the protocol library.
std::string TerminalErrorText(int code);

class DataConnection {
public:
    explicit DataConnection(sock_t socket);
    ~DataConnection();
    DataConnection(const DataConnection&) = delete;
    DataConnection& operator=(const DataConnection&) = delete;

    // The socket number, for display and tests; valid while this lives.
    sock_t Socket() const { return socket_; }

    enum class SendResult { Sent, Busy, Failed, Lost, Stopped };
    // Sends all bytes, never interleaved with another Send. Waits at most
    // wait_ms for a send in progress (forever when negative): Busy when it
    // is still going on then. Lost once the connection has ended. When the
    // peer takes nothing for stall_ms, `stalled` says whether to wait on
    // (without it: Failed). A cancel ends the wait at once: Stopped.
    SendResult Send(const uint8_t* bytes, size_t length, int wait_ms, int stall_ms,
                    CmdCancel* cancel = nullptr, const std::function<bool()>& stalled = {});
    // One blocking receive (receive worker only).
    int Receive(uint8_t* buffer, size_t size);
    // Ends both directions once: a blocked receive or send returns.
    void Shutdown();
    // The peer closed or a receive failed: every later Send is refused.
    void MarkLost() { lost_.store(true); }
    bool IsLost() const { return lost_.load(); }

private:
    sock_t socket_;
    std::timed_mutex send_lock_;
    std::atomic<bool> lost_{false};
    std::atomic<bool> shut_{false};
};

// Opens the data connection. Reports EVT_CONNECTION_ESTABLISHED, after which
// the page takes the socket, or EVT_CONNECTION_LOST with the reason kept.
class ConnectJob : public WorkerLink {
public:
    ConnectJob(wxEvtHandler* handler, std::string ip, uint16_t port);
    ~ConnectJob();
    // The connected socket, once; SOCK_INVALID when there is none.
    sock_t TakeSocket();
    // Why the connection failed, as the user reads it.
    std::string ErrorText() const;

private:
    friend class ConnectThread;
    void Run(int thread_id);
    void Report(int type, int thread_id);

    const std::string ip_;
    const uint16_t port_;
    mutable std::mutex lock_;
    sock_t socket_ = SOCK_INVALID;  // until taken; closed here when never taken
    std::string error_;
};

class ConnectThread : public wxThread {
public:
    // Creates and runs the thread; null when it cannot be started.
    static std::shared_ptr<ConnectJob> Start(wxEvtHandler* handler, const std::string& ip, uint16_t port);

protected:
    ExitCode Entry() override;

private:
    explicit ConnectThread(std::shared_ptr<ConnectJob> job);
    std::shared_ptr<ConnectJob> job_;
};

// One received chunk: a copy of the bytes and when they arrived.
struct ReceivedChunk {
    std::vector<uint8_t> bytes;
    wxDateTime time;
};

// Receives into a queue that the page empties on the GUI thread. The page
// learns of new chunks by EVT_UART_DATA_READY (one event each time the queue
// stops being empty, so a fast peer cannot flood the page's event queue), of
// the end of the connection by EVT_UART_READ_FAILED.
class ReceiveJob : public WorkerLink {
public:
    static constexpr size_t ChunkSize = 1460;
    // Beyond this the receiving waits for the page: the peer is slowed down
    // instead of memory filling up, and one rendering stays short.
    static constexpr size_t MaxPendingBytes = 1 << 20;

    ReceiveJob(wxEvtHandler* handler, std::shared_ptr<DataConnection> connection);

    // GUI thread: every chunk received so far, oldest first.
    std::vector<ReceivedChunk> TakeChunks();
    // While paused nothing more is received; the peer's bytes wait in the
    // connection (a chunk already on its way is kept until the resume).
    void SetPaused(bool paused);
    bool IsPaused() const;
    // Stops listening and wakes the worker; the socket's shutdown ends a
    // receive in progress.
    void Stop();

private:
    friend class ReadUartThread;
    void Run();
    bool Stopping() { return Canceller()->IsCancelled(); }
    void Post(int type);

    std::shared_ptr<DataConnection> connection_;
    mutable std::mutex lock_;
    std::condition_variable cv_;
    std::deque<ReceivedChunk> pending_;
    size_t pending_bytes_ = 0;
    bool paused_ = false;
};

class ReadUartThread : public wxThread {
public:
    static ThreadStart Start(const std::shared_ptr<ReceiveJob>& job);

protected:
    ExitCode Entry() override;

private:
    explicit ReadUartThread(std::shared_ptr<ReceiveJob> job);
    std::shared_ptr<ReceiveJob> job_;
};

// Sends one message again and again, a period apart (0: back to back), until
// stopped; the first one period after the start. In counter mode each message
// carries the next counter value (CounterFrame). A failed send is tried again
// at the next period; EVT_PERIODIC_SEND_FAILED reports the failing once, until
// a send succeeds again. A peer that takes nothing for StallMs counts as a
// failure while the send waits on. The sender ends by itself once the
// connection has ended.
class PeriodicJob : public WorkerLink {
public:
    PeriodicJob(wxEvtHandler* handler, std::shared_ptr<DataConnection> connection,
                std::vector<uint8_t> message, int period_ms, bool use_counter);
    // Wakes the sender from its wait: it sends nothing more once the send in
    // progress, if any, has returned.
    void Stop();
    static constexpr int StallMs = 500;
    // Messages sent so far.
    unsigned Sent() const { return sent_.load(); }
    // Why the sending fails, as the user reads it.
    std::string FailureText() const;
    bool UsesCounter() const { return use_counter_; }

private:
    friend class SendPeriodicallyThread;
    void Run();

    std::shared_ptr<DataConnection> connection_;
    const std::vector<uint8_t> message_;
    const int period_ms_;
    const bool use_counter_;
    mutable std::mutex lock_;
    std::condition_variable cv_;
    std::atomic<unsigned> sent_{0};
    std::string failure_;
};

class SendPeriodicallyThread : public wxThread {
public:
    static ThreadStart Start(const std::shared_ptr<PeriodicJob>& job);

protected:
    ExitCode Entry() override;

private:
    explicit SendPeriodicallyThread(std::shared_ptr<PeriodicJob> job);
    std::shared_ptr<PeriodicJob> job_;
};

// The close: shuts the socket down and waits, until a deadline, for the
// workers to end. It holds what it needs and never the page.
class DisconnectJob : public WorkerLink {
public:
    DisconnectJob(std::shared_ptr<DataConnection> connection,
                  std::vector<std::shared_ptr<WorkerLink>> workers, int timeout_ms);
    // Whether every worker had ended by the deadline.
    bool AllEnded() const { return all_ended_.load(); }
    void Run();

private:
    std::shared_ptr<DataConnection> connection_;
    std::vector<std::shared_ptr<WorkerLink>> workers_;
    int timeout_ms_;
    std::atomic<bool> all_ended_{false};
};

class DisconnectThread : public wxThread {
public:
    // Runs the job on a thread of its own; false when none can be started
    // (the caller then runs it itself).
    static bool Start(const std::shared_ptr<DisconnectJob>& job);

protected:
    ExitCode Entry() override;

private:
    explicit DisconnectThread(std::shared_ptr<DisconnectJob> job) : wxThread(wxTHREAD_DETACHED), job_(job) {}
    std::shared_ptr<DisconnectJob> job_;
};

// Number of terminal worker bodies not yet returned, process-wide.
int TerminalWorkersRunning();
// Creates and runs a worker thread (deleted when it cannot start); it counts
// as running until its body calls TerminalWorkerEnded.
ThreadStart StartTerminalWorker(wxThread* thread);
void TerminalWorkerEnded();
