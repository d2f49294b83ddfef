#include "ScanDevicesThread.h"

#include <atomic>
#include <functional>

#include "Common.h"

namespace {

std::atomic<int> running_scans{0};
std::atomic<int> last_scan_id{0};

// Turns the probe loop's reports into events for the page.
class Poster : public ScanListener {
public:
    explicit Poster(const std::function<void(wxEvent*)>& post, int id) : post_(post), id_(id) {}

    void OnProgress(const std::string& ip) override
    {
        auto* event = new wxCommandEvent(EVT_SCAN_PROGRESS, id_);
        event->SetString(wxString::FromAscii(ip.c_str()));
        event->SetInt(1);
        post_(event);
    }

    void OnFound(const ScanResultRecord& record) override { post_(new ScanDeviceFoundEvent(id_, record)); }

private:
    std::function<void(wxEvent*)> post_;
    int id_;
};

}  // namespace

ScanDeviceFoundEvent::ScanDeviceFoundEvent(int scanId, const ScanResultRecord& record)
    : wxCommandEvent(EVT_SCAN_DEVICE_FOUND, scanId), m_record(record)
{
    SetInt(1);
}

int ScanJob::Running()
{
    return running_scans.load();
}

void ScanJob::Post(wxEvent* event)
{
    if (!WhileListening([event](wxEvtHandler* page) { wxQueueEvent(page, event); }))
        delete event;
}

ScanDevicesThread::ScanDevicesThread(std::shared_ptr<ScanJob> job, const ScanRange& range)
    : wxThread(wxTHREAD_DETACHED), job_(std::move(job)), range_(range)
{
}

std::shared_ptr<ScanJob> ScanDevicesThread::Start(wxEvtHandler* page, const ScanRange& range, wxString* error)
{
    auto job = std::make_shared<ScanJob>(page, ++last_scan_id);
    auto* thread = new ScanDevicesThread(job, range);
    if (thread->Create() != wxTHREAD_NO_ERROR) {
        delete thread;
        if (error)
            *error = "Thread creation error";
        return nullptr;
    }
    running_scans.fetch_add(1);
    if (thread->Run() != wxTHREAD_NO_ERROR) {
        running_scans.fetch_sub(1);
        delete thread;
        if (error)
            *error = "Thread run error";
        return nullptr;
    }
    return job;
}

wxThread::ExitCode ScanDevicesThread::Entry()
{
    // Keep the job alive for the whole body, whatever the page does.
    std::shared_ptr<ScanJob> job = job_;
    Poster poster([&job](wxEvent* e) { job->Post(e); }, job->Id());
    std::string endedAt;
    const ScanEnd end =
        ScanAddresses(range_, static_cast<uint16_t>(ConfigPort), poster, job->Canceller(), &endedAt);
    // The time-out is restored by now. A scan that ended early still tells
    // the page, so that it leaves its scanning state and can say why.
    if (end != ScanEnd::Stopped) {
        auto* finished = new wxCommandEvent(EVT_SCAN_FINISHED, job->Id());
        finished->SetInt(end == ScanEnd::Finished ? 1 : 0);
        finished->SetString(wxString::FromAscii(endedAt.c_str()));
        job->Post(finished);
    }
    job->MarkFinished();
    running_scans.fetch_sub(1);
    return 0;
}
