#include "ScanDevicesThread.h"

#include <atomic>
#include <chrono>
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

ScanJob::ScanJob(wxEvtHandler* page, int id) : page_(page), id_(id) {}

void ScanJob::Stop()
{
    {
        std::lock_guard<std::mutex> g(lock_);
        page_ = nullptr;
    }
    cancel_.Cancel();
}

bool ScanJob::IsFinished() const
{
    std::lock_guard<std::mutex> g(lock_);
    return finished_;
}

bool ScanJob::WaitFinished(int timeout_ms)
{
    std::unique_lock<std::mutex> g(lock_);
    return finished_cv_.wait_for(g, std::chrono::milliseconds(timeout_ms), [this] { return finished_; });
}

int ScanJob::Running()
{
    return running_scans.load();
}

void ScanJob::Post(wxEvent* event)
{
    std::lock_guard<std::mutex> g(lock_);
    // Stop() cannot return while this lock is held, so the page is alive.
    if (page_)
        wxQueueEvent(page_, event);
    else
        delete event;
}

void ScanJob::MarkFinished()
{
    std::lock_guard<std::mutex> g(lock_);
    finished_ = true;
    finished_cv_.notify_all();
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
    const ScanEnd end = ScanAddresses(range_, static_cast<uint16_t>(ConfigPort), poster, &job->cancel_);
    // The time-out is restored by now. A scan that ended early still tells
    // the page, so that it leaves its scanning state.
    if (end != ScanEnd::Stopped) {
        auto* finished = new wxCommandEvent(EVT_SCAN_FINISHED, job->Id());
        finished->SetInt(end == ScanEnd::Finished ? 1 : 0);
        job->Post(finished);
    }
    job->MarkFinished();
    running_scans.fetch_sub(1);
    return 0;
}
