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

void VantrelTerminalPanel::AppendToView(int view, const std::string& text, const wxColour& colour)
{
    // The view shows the end of its text after every append.
    m_receiveViews[view]->SetDefaultStyle(colour);
    m_receiveViews[view]->AppendText(text);
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
    // Everything that arrived since the last rendering goes into each view in
    // one append: the text is the same as chunk by chunk, the cost is one
    // update per view instead of one per chunk.
    const bool timestamp = m_timestampCheck->GetValue();
    const bool wrap = m_wrapCheck->GetValue();
    ViewTexts batch;
    for (const ReceivedChunk& chunk : chunks) {
        const std::string stamp = timestamp ? TimestampText(chunk.time).utf8_string() : std::string();
        ViewTexts texts =
            ReceivedViewTexts(chunk.bytes.data(), chunk.bytes.size(), stamp, timestamp, wrap, &m_atLineStart);
        for (int i = 0; i < TerminalFormatCount; ++i)
            batch.text[i] += texts.text[i];
        m_renderedBytes += chunk.bytes.size();
    }
    for (int i = 0; i < TerminalFormatCount; ++i)
        AppendToView(i, batch.text[i], *wxGREEN);
    m_packetCount += TerminalFormatCount * static_cast<unsigned>(chunks.size());
    ShowChosenView();
}

void VantrelTerminalPanel::OnClearReceived(wxCommandEvent&)
{
    for (TerminalView* view : m_receiveViews)
        view->Clear();
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
    if (IsTerminalFormat(format))
        m_inputFields[format]->SetFocus();
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
    if (!m_receiveViews[chosen]->SaveFile(path))
        ReportError("The view could not be saved to " + path);
}
