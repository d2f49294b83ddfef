// The worker behind the scan page: runs the probe loop of one range and
// reports to the page by posted command events.
//
// The page and the worker share a ScanJob. Cancelling it returns at once: the
// exchange in progress is cut short, and from then on the worker posts
// nothing to the page, closes its socket and ends by itself. The page never
// touches the thread object, which deletes itself.
#pragma once

#include <wx/event.h>
#include <wx/string.h>
#include <wx/thread.h>

#include <memory>

#include "ScanProbe.h"
#include "WorkerLink.h"

// Event types the worker posts to the page, bound for any id. Each event's
// id is the serial number of its scan; its integer is 1, except a
// EVT_SCAN_FINISHED after a scan that ended early, which carries 0 and, when
// a module's reply lacked its MAC or alias, that module's address as string.
constexpr int EVT_SCAN_DEVICE_FOUND = 28;  // a ScanDeviceFoundEvent
constexpr int EVT_SCAN_FINISHED = 29;
constexpr int EVT_SCAN_PROGRESS = 30;  // string: the address about to be probed

// EVT_SCAN_DEVICE_FOUND with its own copy of the record.
class ScanDeviceFoundEvent : public wxCommandEvent {
public:
    ScanDeviceFoundEvent(int scanId, const ScanResultRecord& record);
    wxEvent* Clone() const override { return new ScanDeviceFoundEvent(*this); }
    const ScanResultRecord& Record() const { return m_record; }

private:
    ScanResultRecord m_record;
};

// One scan as the page and its worker share it; Cancel() stops the scan.
class ScanJob : public WorkerLink {
public:
    ScanJob(wxEvtHandler* page, int id) : WorkerLink(page), id_(id) {}

    int Id() const { return id_; }
    // Scan bodies not yet returned, process-wide.
    static int Running();

private:
    friend class ScanDevicesThread;
    // Worker side: queues the event unless the page has stopped the job.
    void Post(wxEvent* event);

    const int id_;
};

class ScanDevicesThread : public wxThread {
public:
    // The range is read by the page on the GUI thread; the thread never
    // looks at the page's controls.
    ScanDevicesThread(std::shared_ptr<ScanJob> job, const ScanRange& range);

    // Creates and runs a scan of `range` reporting to `page`. Null when the
    // thread cannot be created or run; `error` then holds "Thread creation
    // error" or "Thread run error".
    static std::shared_ptr<ScanJob> Start(wxEvtHandler* page, const ScanRange& range, wxString* error);

protected:
    ExitCode Entry() override;

private:
    std::shared_ptr<ScanJob> job_;
    ScanRange range_;
};
