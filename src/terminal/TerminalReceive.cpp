// The terminal's receive path and views: rendering what arrives, clearing,
// pausing the reception, the two format choices and the view export.
#include <wx/checkbox.h>
#include <wx/filedlg.h>
#include <wx/radiobox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "Files.h"
#include "TerminalThreads.h"
#include "TerminalView.h"
#include "VantrelTerminalPanel.h"

void VantrelTerminalPanel::ViewsGrew()
{
    for (TerminalView* view : m_receiveViews)
        view->LogGrew();
}

void VantrelTerminalPanel::ShowChosenView()
{
    const int chosen = m_rxFormatRadio->GetSelection();
    for (int i = 0; i < TerminalFormatCount; ++i)
        m_receiveViews[i]->Show(i == chosen);
}

void VantrelTerminalPanel::RenderPending()
{
    if (m_readJob)
        AppendReceived(m_readJob->TakeChunks());
}

void VantrelTerminalPanel::AppendReceived(const std::vector<ReceivedChunk>& chunks)
{
    if (chunks.empty())
        return;
    // Each chunk is kept once with how it opens and ends; the shown view
    // wraps what is new in one go.
    const bool timestamp = m_timestampCheck->GetValue();
    const bool wrap = m_wrapCheck->GetValue();
    for (const ReceivedChunk& chunk : chunks) {
        const uint8_t flags = ChunkFlags(timestamp, wrap, &m_atLineStart);
        m_log.AddChunk(chunk.bytes.data(), chunk.bytes.size(), chunk.time.GetValue().GetValue(), flags);
        m_renderedBytes += chunk.bytes.size();
    }
    m_packetCount += TerminalFormatCount * static_cast<unsigned>(chunks.size());
    ShowChosenView();
    ViewsGrew();
}

void VantrelTerminalPanel::OnClearReceived(wxCommandEvent&)
{
    m_log.Clear();
    for (TerminalView* view : m_receiveViews)
        view->LogCleared();
    m_packetCount = 0;
    m_atLineStart = true;
}

void VantrelTerminalPanel::OnLogging(wxCommandEvent& event)
{
    m_timer.Stop();
    if (!IsReceiving())
        return;
    // The worker waits instead of receiving; the peer's bytes wait in the
    // connection until the reception goes on.
    if (event.GetId() == ID_TERM_STOP_LOG)
        m_readJob->SetPaused(true);
    else if (event.GetId() == ID_TERM_START_LOG)
        m_readJob->SetPaused(false);
}

void VantrelTerminalPanel::OnRxFormat(wxCommandEvent&)
{
    ShowChosenView();
    FocusInputField();
}

void VantrelTerminalPanel::FocusInputField()
{
    const int format = m_txFormatRadio->GetSelection();
    if (IsTerminalFormat(format))
        m_inputFields[format]->SetFocus();
}

void VantrelTerminalPanel::ShowInputField(int format)
{
    for (int i = 0; i < TerminalFormatCount; ++i) {
        m_inputFields[i]->Show(i == format);
        m_inputHints[i]->Show(i == format);
    }
    FocusInputField();
}

void VantrelTerminalPanel::OnTxFormat(wxCommandEvent&)
{
    ShowInputField(m_txFormatRadio->GetSelection());
}

void VantrelTerminalPanel::OnExportView(wxCommandEvent&)
{
    const int chosen = m_rxFormatRadio->GetSelection();
    if (!IsTerminalFormat(chosen))
        return;
    wxString path;
    {
        ModalScope scope(this);
        wxFileDialog dialog(this, wxGetTranslation("Save File As?"), wxEmptyString, wxEmptyString,
                            wxGetTranslation("Text files (*.txt)|*.txt"), wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
        if (dialog.ShowModal() != wxID_OK)
            return;
        path = ChosenPath(dialog);
    }
    RenderPending();
    // Written from the log piece by piece, never whole in memory; the file it
    // replaces stays until the new one is complete.
    FileReplacement file(path);
    bool written = file.Created();
    if (written)
        written = WriteViewText(m_log, chosen, LogPos(), LogEnd(m_log), [&file](const char* p, size_t n) {
            return file.File().Write(p, n) == n;
        });
    if (!written || !file.Commit())
        ReportError("The view could not be saved to " + path);
}
