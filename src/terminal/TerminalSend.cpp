// The terminal's send path: one-shot sends, the periodic sender and their
// log lines in the views.
#include <wx/bmpbuttn.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/listbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "TerminalThreads.h"
#include "VantrelTerminalPanel.h"

namespace {

// Longest wait of a one-shot send for a periodic send in progress, for a peer
// that takes nothing, and of the stop for the sender to end: the window never
// waits longer.
constexpr int kSendWaitMs = 1000;
constexpr int kSendStallMs = 2000;
constexpr int kStopWaitMs = 300;

}  // namespace

int VantrelTerminalPanel::SelectedEntry() const
{
    const int row = m_commandListBox->GetSelection();
    const int count = static_cast<int>(m_commands.size());
    if (row == wxNOT_FOUND || row >= count)
        return -1;
    return count - 1 - row;
}

void VantrelTerminalPanel::WriteLogLine(int format, LogColour colour, const wxString& text, bool showChosenView)
{
    if (!IsTerminalFormat(format))
        return;
    // What arrived before this line is shown before it.
    RenderPending();
    m_log.AddLine(format, colour, text.utf8_string());
    ++m_packetCount;
    if (showChosenView)
        ShowChosenView();
    ViewsGrew();
}

void VantrelTerminalPanel::OnSendMessage(wxCommandEvent&)
{
    const int index = SelectedEntry();
    if (index < 0)
        return;
    const TerminalCommandEntry entry = m_commands[static_cast<size_t>(index)];
    wxString line;
    if (m_timestampCheck->GetValue())
        line = TimestampText(wxDateTime::UNow()) + " [TX] - ";
    WriteLogLine(entry.format, COLOUR_SENT, line + entry.text + "\n", true);
    SendMessage(entry.text, entry.format, true);
}

bool VantrelTerminalPanel::SendMessage(const wxString& text, int format, bool once)
{
    std::vector<uint8_t> bytes;
    const wxString refusal = CommandBytes(text, format, &bytes);
    if (!refusal.empty()) {
        ReportError(refusal);
        return false;
    }
    if (!m_connection) {
        ReportError(TerminalErrorText(0));
        return false;
    }
    if (once) {
        if (bytes.empty())
            return true;
        switch (m_connection->Send(bytes.data(), bytes.size(), kSendWaitMs, kSendStallMs)) {
            case DataConnection::SendResult::Sent:
                return true;
            case DataConnection::SendResult::Busy:
                ReportError("Send error: the periodic send holds the connection, try again");
                return false;
            case DataConnection::SendResult::Failed:
            case DataConnection::SendResult::Lost:
            case DataConnection::SendResult::Stopped:
                ReportError(TerminalErrorText(0));
                return false;
        }
        return false;
    }

    int periodMs = 0;
    int totalSize = 0;
    wxString problem = ParsePeriod(m_periodText->GetValue(), m_periodUnitCombo->GetSelection(), &periodMs);
    if (problem.empty())
        problem = ParseTotalSize(m_totalSizeText->GetValue(), &totalSize);
    bytes = PadMessage(bytes, totalSize);
    const bool counter = m_counterCheck->GetValue();
    if (problem.empty() && counter && bytes.size() < MinCounterMessageBytes)
        problem = "The message counter needs a message of at least 2 bytes";
    if (problem.empty() && bytes.empty())
        problem = "Nothing to send: the message is empty";
    if (!problem.empty()) {
        ReportError(problem);
        return false;
    }
    auto job = std::make_shared<PeriodicJob>(this, m_connection, std::move(bytes), periodMs, counter);
    switch (SendPeriodicallyThread::Start(job)) {
        case ThreadStart::Started:
            m_periodicJob = job;
            return true;
        case ThreadStart::CreateFailed:
            ReportError("Thread creation error");
            return false;
        case ThreadStart::RunFailed:
            ReportError("Thread run error");
            return false;
    }
    return false;
}

void VantrelTerminalPanel::OnPeriodicButton(wxCommandEvent& event)
{
    switch (event.GetId()) {
        case ID_TERM_PERIODIC_CHECK: {
            const bool enable = !m_periodText->IsEnabled() || !m_periodUnitCombo->IsEnabled();
            for (wxWindow* w :
                 {static_cast<wxWindow*>(m_periodText), static_cast<wxWindow*>(m_periodUnitCombo),
                  static_cast<wxWindow*>(m_periodicButton), static_cast<wxWindow*>(m_counterCheck),
                  static_cast<wxWindow*>(m_totalSizeLabel), static_cast<wxWindow*>(m_totalSizeText),
                  static_cast<wxWindow*>(m_paddingLabel)})
                w->Enable(enable);
            break;
        }
        case ID_TERM_PERIODIC_START: {
            const int index = SelectedEntry();
            if (index < 0 || m_periodicJob)
                return;
            const TerminalCommandEntry entry = m_commands[static_cast<size_t>(index)];
            if (!SendMessage(entry.text, entry.format, false))
                return;
            // The same button becomes the stop button: it is never destroyed
            // from inside its own click.
            m_periodicButton->SetId(ID_TERM_PERIODIC_STOP);
            m_periodicButton->SetBitmapLabel(m_stopPeriodBitmap);
            WriteLogLine(entry.format, COLOUR_PERIODIC,
                         TimestampText(wxDateTime::UNow()) + " [START Periodical TX] - " + entry.text + "\n",
                         true);
            break;
        }
        case ID_TERM_PERIODIC_STOP:
            StopPeriodic();
            break;
    }
}

void VantrelTerminalPanel::OnPeriodicFailed(wxCommandEvent&)
{
    // The sender reports once while its sends keep failing.
    if (m_stopped || !m_periodicJob)
        return;
    ReportError("Periodic send failed: " + wxString::FromUTF8(m_periodicJob->FailureText()));
}

void VantrelTerminalPanel::StopPeriodic()
{
    if (m_periodicJob) {
        std::shared_ptr<PeriodicJob> job = std::move(m_periodicJob);
        job->Stop();
        // A send blocked by a peer that reads nothing may outlast this; the
        // sender then ends by itself and reports nothing more.
        job->WaitFinished(kStopWaitMs);
        m_periodicButton->SetId(ID_TERM_PERIODIC_START);
        m_periodicButton->SetBitmapLabel(m_sendPeriodBitmap);
        const int index = SelectedEntry();
        if (index < 0)
            return;
        const TerminalCommandEntry entry = m_commands[static_cast<size_t>(index)];
        const wxDateTime now = wxDateTime::UNow();
        WriteLogLine(entry.format, COLOUR_PERIODIC, TimestampText(now) + " [END Periodical TX] - " + entry.text + "\n",
                     true);
        if (job->UsesCounter()) {
            wxString line = m_timestampCheck->GetValue() ? TimestampText(now) : wxString();
            line += wxString::Format(" Sent %ld messages\n", static_cast<long>(job->Sent()));
            WriteLogLine(entry.format, COLOUR_PERIODIC, line, false);
        }
        return;
    }
    m_periodicButton->SetId(ID_TERM_PERIODIC_START);
    m_periodicButton->SetBitmapLabel(m_sendPeriodBitmap);
}
