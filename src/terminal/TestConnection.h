// The connection watchdog: checks every period that a module still accepts
// TCP connections, and tells its handler with event EVT_UART_READ_FAILED (63)
// when a probe and its immediate retry both fail. The event is queued, so the
// handler runs on its own (GUI) thread. Stopping wakes the worker from its
// sleep and from a connect in progress; it then ends without an event.
#pragma once

#include <wx/thread.h>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "WorkerLink.h"

class WatchdogJob : public WorkerLink {
public:
    WatchdogJob(wxEvtHandler* handler, std::string ip, uint16_t port, int period_ms);
    void Stop();
    // Probes that succeeded so far.
    int Passes() const;

private:
    friend class TestConnection;
    void Run();
    // False when stopped during the sleep.
    bool Sleep();
    // One connection attempt: 1 connected, 0 failed, -1 stopped.
    int Probe();

    const std::string ip_;
    const uint16_t port_;
    const int period_ms_;
    mutable std::mutex lock_;
    std::condition_variable cv_;
    int passes_ = 0;
};

class TestConnection : public wxThread {
public:
    // Creates and runs the watchdog of ip:port; null when it cannot start.
    static std::shared_ptr<WatchdogJob> Start(wxEvtHandler* handler, const std::string& ip, uint16_t port,
                                              int period_ms = 1000);

protected:
    ExitCode Entry() override;

private:
    explicit TestConnection(std::shared_ptr<WatchdogJob> job) : wxThread(wxTHREAD_DETACHED), job_(job) {}
    std::shared_ptr<WatchdogJob> job_;
};
