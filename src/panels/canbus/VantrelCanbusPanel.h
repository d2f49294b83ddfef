// The CAN bus page of a CAN module's acquisition side: the bus speed, what
// the module forwards (selected signals, selected messages, all messages or
// none) and in which output format; its list view edits the signal list
// (kept in a CSV file on request) or the message list.
#pragma once

#include <vector>

#include "CanPage.h"

class VantrelCanbusPanel : public CanPage {
public:
    // Reads datablock 44 while it is built; throws the error text.
    VantrelCanbusPanel(const wxString& ip, const wxString& port, char type, int firmware);

    // Buttons 35 and 34 of the signal grid.
    void SaveSignalsCsv(wxCommandEvent& event);
    void LoadSignalsCsv(wxCommandEvent& event);

    wxComboBox* OutputCombo() const { return m_outputCombo; }

protected:
    bool CheckSelection() override;
    bool SpeedZeroAllowed() const override { return false; }
    bool OpenList() override;
    void DisableFirstView() override;
    void Rebuild() override;
    bool CheckForm() override;
    bool UpdateConfiguration() override;

private:
    void BuildSignalGrid();
    void BuildMessageGrid();
    std::vector<SignalCells> SignalGridCells() const;
    void SetSignalGridCells(const std::vector<SignalCells>& cells);

    wxComboBox* m_outputCombo = nullptr;
    int m_list = -1;  // the selection whose list the view shows
    std::vector<CanSignal> m_signalsRead, m_signalsValidated;
    std::vector<CanMessage> m_messagesRead, m_messagesValidated;
};
