// The wait of every read of module settings: one exchange on a
// SendCommandThread while the GUI thread waits under the modal progress
// dialog "Connection to Vantrel", which the user may cancel.
#pragma once

#include <wx/event.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "cmd_msg.h"

class wxWindow;
class WorkerLink;

// Takes a worker's reports on the worker's thread and hands them to the
// page's handlers on the GUI thread, only when the wait asks for it.
class ReportRelay : public wxEvtHandler {
public:
    void QueueEvent(wxEvent* event) override;
    void Deliver(wxWindow* page);

private:
    std::mutex lock_;
    std::vector<std::unique_ptr<wxEvent>> events_;
};

// Number of progress steps and the step length: 100 ms plus ten times the
// connect time-out in seconds.
constexpr int CommandWaitSteps = 51;
unsigned CommandWaitStepMs();

// Before the call the page binds event types 65 (EVT_COMMAND_SUCCEEDED) and
// 64 (EVT_COMMAND_FAILED), for any id, to handlers that set `waitFlag` to 1
// and -1; the wait sets it to 0 first. `page` is the dialog's parent and
// receives the events; `request` is finalised and stays alive until the call
// returns, when it holds the reply if the result is 1.
//
// Returns the final flag: 1 the reply arrived, -1 the exchange failed (the
// last error says why), 0 abandoned (the user confirmed the cancel question,
// or the steps ran out). When it returns 0 the worker has been told to stop:
// it writes nothing into the request, posts nothing to the page, closes its
// socket and ends by itself.
int CommandProgressWait(wxWindow* page, VEMTOR_COMMAND_MSG* request, const char* ip, uint16_t port,
                        int& waitFlag);

// The same wait for a worker that the caller has started and that reports
// through `relay` (its handler). The worker is cancelled when the wait ends,
// however it ends; reports that came before are delivered to `page`.
int ProgressWait(wxWindow* page, WorkerLink& worker, ReportRelay& relay, int& waitFlag);
