#include "VantrelCanbusActuactionPanel.h"

#include <wx/combobox.h>
#include <wx/grid.h>

#include "MainWindow.h"

VantrelCanbusActuactionPanel::VantrelCanbusActuactionPanel(const wxString& ip, const wxString& port,
                                                           char type, int firmware)
    : CanPage("VantrelCanbusActuactionPanel", ip, port, type, firmware)
{
    BuildFirstView(" CANBUS Execution Configuration");
    const int count = ExecSelectionTypeCount(firmware);
    m_selectionCombo = AddComboRow("Selection type", "Select selection type for CANBUS Configuration", 125,
                                   wxArrayString(count, CanbusExecSelectionType),
                                   ExecSelectionFromByte(m_read.actuation, count == 5));
    FinishFirstView();
}

void VantrelCanbusActuactionPanel::Rebuild()
{
    // Copies: the show operation replaces this page.
    const wxString ip = m_ip;
    const wxString port = m_port;
    MainWindow::GetInstance()->ShowCanbusActuactionPanel(ip, port, m_type, m_firmware);
}

bool VantrelCanbusActuactionPanel::OpenList()
{
    if (!ExecSelectionHasList(m_selectionCombo->GetSelection()))
        return true;
    BlockBytes bytes;
    if (!ReadListChunks(m_ipText, m_portNumber, DATABLOCK_CAN_EXEC_MESSAGES, CanMessageChunk, CanMessageRows,
                        &bytes)) {
        MainWindow::GetInstance()->ReportError(wxEmptyString, false);
        return false;
    }
    m_messagesRead = DecodeMessages(bytes, true);
    CreateIdFormatBox("Input type:", false);
    CreateGrid(CanMessageRows, {"Num", "Msg_ID", "Msg_ID Type"}, {100, 80, 110}, 1);
    for (int r = 0; r < CanMessageRows; ++r) {
        m_grid->SetCellValue(r, 0, wxString::Format("%d", r));
        SetIdCells(r, m_messagesRead.at(size_t(r)).id, m_messagesRead.at(size_t(r)).idType);
    }
    return true;
}

bool VantrelCanbusActuactionPanel::CheckForm()
{
    if (!m_grid)
        return true;
    CloseCellEditor();
    const bool hex = HexShown();
    m_messagesValidated.assign(size_t(m_grid->GetNumberRows()), CanMessage());
    for (int r = 0; r < m_grid->GetNumberRows(); ++r) {
        CellFault fault;
        if (!CheckMessageRow(m_grid->GetCellValue(r, 1), m_grid->GetCellValue(r, 2), true, hex,
                             &m_messagesValidated[size_t(r)], &fault)) {
            ShowRowFault(r, fault, {1});
            return false;
        }
        MarkRowPassed(r, {1});
    }
    return true;
}

bool VantrelCanbusActuactionPanel::UpdateConfiguration()
{
    CanSettings settings = m_read;  // byte 9 goes back as read
    settings.speed = SpeedValue(m_speedCombo->GetValue());
    const int selection = m_selectionCombo->GetSelection();
    settings.actuation = uint8_t(selection < 0 ? 0 : selection);
    std::vector<BlockValue> list;
    if (m_grid && ExecSelectionHasList(selection))
        list = ListChunkBlocks(DATABLOCK_CAN_EXEC_MESSAGES, CanMessageChunk,
                               EncodeMessages(m_messagesValidated));
    const WriteOutcome outcome = WriteCommands(list, settings);
    m_echoError = outcome == WriteOutcome::SavedWithErrors;
    return outcome != WriteOutcome::NotSaved;
}

void VantrelCanbusActuactionPanel::ShowAfterWrite()
{
    // After an echo error no reboot is asked for: the start page.
    if (m_echoError)
        MainWindow::GetInstance()->ShowStartPanel();
    else
        CanPage::ShowAfterWrite();
}
