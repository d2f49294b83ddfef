// What a page and its worker thread share while the worker runs: the page's
// event handler, a cancel that wakes the worker's exchange, and whether the
// worker's body has returned. It lives as long as either side holds it.
//
// Once the page has called Cancel(), the worker touches nothing of the page
// again: everything it hands over runs under the link's lock, and only while
// the page still listens.
#pragma once

#include <wx/event.h>

#include <condition_variable>
#include <mutex>

#include "sock.h"

class WorkerLink {
public:
    explicit WorkerLink(wxEvtHandler* handler) : handler_(handler) {}
    WorkerLink(const WorkerLink&) = delete;
    WorkerLink& operator=(const WorkerLink&) = delete;

    // GUI thread: the page stops listening. When it returns the worker posts
    // nothing more to the page, and its exchange in progress ends at once.
    void Cancel();
    // The worker's body has returned (the thread is about to be gone).
    bool IsFinished() const;
    // Test helper: waits until the worker's body has returned.
    bool WaitFinished(int timeout_ms);

    // Worker side: the cancel to hand to the exchange.
    CmdCancel* Canceller() { return &cancel_; }

protected:
    // Worker side: runs deliver(handler) while the page still listens; the
    // page cannot leave meanwhile. False when it has stopped listening.
    template <class Deliver>
    bool WhileListening(Deliver deliver)
    {
        std::lock_guard<std::mutex> g(lock_);
        if (!handler_)
            return false;
        deliver(handler_);
        return true;
    }
    void MarkFinished();

private:
    mutable std::mutex lock_;
    std::condition_variable finished_cv_;
    wxEvtHandler* handler_;
    CmdCancel cancel_;
    bool finished_ = false;
};
