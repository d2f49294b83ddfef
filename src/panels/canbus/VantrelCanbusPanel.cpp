#include "VantrelCanbusPanel.h"

#include <wx/combobox.h>
#include <wx/filedlg.h>
#include <wx/grid.h>
#include <wx/msgdlg.h>

#include <cstdio>

#include "CanCsv.h"
#include "Files.h"
#include "MainWindow.h"
#include "wxGridCellCustomEditor.h"

namespace {

const std::vector<int> kSignalTested = {1, 3, 4};
const std::vector<int> kMessageTested = {1};

}  // namespace

VantrelCanbusPanel::VantrelCanbusPanel(const wxString& ip, const wxString& port, char type, int firmware)
    : CanPage("VantrelCanbusPanel", ip, port, type, firmware)
{
    BuildFirstView(" CANBUS Configuration");
    const bool native = OutputTypeCount(firmware) == 3;
    m_selectionCombo =
        AddComboRow("Selection type", "Select selection type for CANBUS Configuration", 125,
                    wxArrayString(4, CanbusSelectionType), SelectionFromCode(m_read.acquisition));
    m_outputCombo = AddComboRow("Output type", "Select output type for CANBUS Configuration", 155,
                                wxArrayString(OutputTypeCount(firmware), CanbusOutputType),
                                OutputFromCode(m_read.acquisition, native));
    FinishFirstView();
    Bind(wxEVT_BUTTON, &VantrelCanbusPanel::LoadSignalsCsv, this, ID_CAN_LOAD);
    Bind(wxEVT_BUTTON, &VantrelCanbusPanel::SaveSignalsCsv, this, ID_CAN_SAVE);
}

bool VantrelCanbusPanel::CheckSelection()
{
    if (m_selectionCombo->GetSelection() != CAN_SEL_SIGNALS ||
        m_outputCombo->GetSelection() != CAN_OUT_NATIVE)
        return true;
    wxMessageDialog(this, "Selection type \"Selected Signale\" not allowed for \"Native\" output type",
                    "Error!", wxOK | wxICON_ERROR)
        .ShowModal();
    m_speedCombo->SetFocus();
    return false;
}

void VantrelCanbusPanel::DisableFirstView()
{
    CanPage::DisableFirstView();
    m_outputCombo->Disable();
}

void VantrelCanbusPanel::Rebuild()
{
    // Copies: the show operation replaces this page.
    const wxString ip = m_ip;
    const wxString port = m_port;
    MainWindow::GetInstance()->ShowCanbusPanel(ip, port, m_type, m_firmware);
}

bool VantrelCanbusPanel::OpenList()
{
    const int selection = m_selectionCombo->GetSelection();
    if (selection != CAN_SEL_SIGNALS && selection != CAN_SEL_MESSAGES)
        return true;
    BlockBytes bytes;
    const bool signals = selection == CAN_SEL_SIGNALS;
    const bool read = signals ? ReadListChunks(m_ipText, m_portNumber, DATABLOCK_CAN_SIGNALS, CanSignalChunk,
                                               CanSignalRows, &bytes)
                              : ReadListChunks(m_ipText, m_portNumber, DATABLOCK_CAN_MESSAGES,
                                               CanMessageChunk, CanMessageRows, &bytes);
    if (!read) {
        MainWindow::GetInstance()->ReportError(wxEmptyString, false);
        return false;
    }
    m_list = selection;
    if (signals) {
        m_signalsRead = DecodeSignals(bytes);
        BuildSignalGrid();
    } else {
        m_messagesRead = DecodeMessages(bytes, false);
        BuildMessageGrid();
    }
    return true;
}

void VantrelCanbusPanel::BuildSignalGrid()
{
    CreateIdFormatBox("Msg ID Format:", true);
    CreateGrid(CanSignalRows, {"Num", "Msg_ID", "Msg_ID Type", "Start bit", "Length (bit)", "Byte order"},
               {100, 80, 110, 100, 100, 90}, 1);
    for (int r = 0; r < CanSignalRows; ++r) {
        const CanSignal& s = m_signalsRead.at(size_t(r));
        m_grid->SetCellValue(r, 0, wxString::Format("%d", r));
        SetIdCells(r, s.id, s.idType);
        for (int c : {3, 4}) {
            m_grid->SetCellEditor(r, c, new wxGridCellCustomEditor(GRID_INPUT_DIGITS_3));
            m_grid->SetCellRenderer(r, c, new wxGridCellNumberRenderer);
        }
        m_grid->SetCellValue(r, 3, wxString::Format("%u", unsigned(s.startBit)));
        m_grid->SetCellValue(r, 4, wxString::Format("%u", unsigned(s.length)));
        m_grid->SetCellEditor(r, 5, new GridChoiceEditor(wxArrayString(2, CanByteOrderTexts)));
        m_grid->SetCellValue(r, 5, CanByteOrderTexts[s.byteOrder <= 1 ? s.byteOrder : 0]);
    }
}

void VantrelCanbusPanel::BuildMessageGrid()
{
    CreateIdFormatBox("Msg ID Format:", false);
    CreateGrid(CanMessageRows, {"Enable", "Msg_ID", "Msg_ID Type"}, {100, 80, 110}, 0);
    for (int r = 0; r < CanMessageRows; ++r) {
        const CanMessage& m = m_messagesRead.at(size_t(r));
        const bool enabled = m.idType <= 1;
        m_grid->SetCellEditor(r, 0, new wxGridCellBoolEditor);
        m_grid->SetCellRenderer(r, 0, new wxGridCellBoolRenderer);
        m_grid->SetCellValue(r, 0, enabled ? "1" : "0");
        SetIdCells(r, m.id, enabled ? m.idType : 0);
    }
}

std::vector<SignalCells> VantrelCanbusPanel::SignalGridCells() const
{
    std::vector<SignalCells> cells;
    for (int r = 0; r < m_grid->GetNumberRows(); ++r)
        cells.push_back({m_grid->GetCellValue(r, 1), m_grid->GetCellValue(r, 2), m_grid->GetCellValue(r, 3),
                         m_grid->GetCellValue(r, 4), m_grid->GetCellValue(r, 5)});
    return cells;
}

void VantrelCanbusPanel::SetSignalGridCells(const std::vector<SignalCells>& cells)
{
    for (size_t r = 0; r < cells.size() && int(r) < m_grid->GetNumberRows(); ++r) {
        const SignalCells& c = cells[r];
        const wxString texts[5] = {c.id, c.type, c.startBit, c.length, c.byteOrder};
        for (int col = 1; col <= 5; ++col)
            m_grid->SetCellValue(int(r), col, texts[col - 1]);
    }
    m_grid->ForceRefresh();
}

bool VantrelCanbusPanel::CheckForm()
{
    if (!m_grid)
        return true;
    CloseCellEditor();
    const bool hex = HexShown();
    if (m_list == CAN_SEL_SIGNALS) {
        const std::vector<SignalCells> cells = SignalGridCells();
        m_signalsValidated.assign(cells.size(), CanSignal());
        for (size_t r = 0; r < cells.size(); ++r) {
            CellFault fault;
            if (!CheckSignalRow(cells[r], hex, &m_signalsValidated[r], &fault)) {
                ShowRowFault(int(r), fault, kSignalTested);
                return false;
            }
            MarkRowPassed(int(r), kSignalTested);
        }
        return true;
    }
    m_messagesValidated.assign(size_t(m_grid->GetNumberRows()), CanMessage());
    for (int r = 0; r < m_grid->GetNumberRows(); ++r) {
        CellFault fault;
        const bool enabled = AtoiValue(m_grid->GetCellValue(r, 0)) != 0;
        if (!CheckMessageRow(m_grid->GetCellValue(r, 1), m_grid->GetCellValue(r, 2), enabled, hex,
                             &m_messagesValidated[size_t(r)], &fault)) {
            ShowRowFault(r, fault, kMessageTested);
            return false;
        }
        MarkRowPassed(r, kMessageTested);
    }
    return true;
}

bool VantrelCanbusPanel::UpdateConfiguration()
{
    MainWindow* main = MainWindow::GetInstance();
    CanSettings settings = m_read;
    if (!AcquisitionCode(m_selectionCombo->GetSelection(), m_outputCombo->GetSelection(),
                         &settings.acquisition)) {
        main->ReportError("Impossible to apply SIGNALS Selection + Canbus Native messages format!", false);
        return false;
    }
    settings.speed = SpeedValue(m_speedCombo->GetValue());
    std::vector<BlockValue> list;
    if (m_list == CAN_SEL_SIGNALS)
        list = ListChunkBlocks(DATABLOCK_CAN_SIGNALS, CanSignalChunk, EncodeSignals(m_signalsValidated));
    else if (m_list == CAN_SEL_MESSAGES)
        list = ListChunkBlocks(DATABLOCK_CAN_MESSAGES, CanMessageChunk, EncodeMessages(m_messagesValidated));
    const WriteOutcome outcome = WriteCommands(list, settings);
    if (outcome == WriteOutcome::NotSaved)
        return false;
    if (outcome == WriteOutcome::Saved)
        wxMessageDialog(this,
                        "CANBUS configuration updated\n\nA module reboot is required to prevent the loss of "
                        "configuration!",
                        "Updated!", wxOK | wxICON_INFORMATION)
            .ShowModal();
    return true;
}

void VantrelCanbusPanel::SaveSignalsCsv(wxCommandEvent&)
{
    if (!m_grid || m_list != CAN_SEL_SIGNALS)
        return;
    CloseCellEditor();
    wxFileDialog dialog(this, "Save to file", wxEmptyString, wxEmptyString, "*.csv",
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK)
        return;
    FILE* file = wxFopen(ChosenPath(dialog), "w");
    if (!file)
        return;
    WriteSignalCsv(file, SignalGridCells(), HexShown());
    fclose(file);
}

void VantrelCanbusPanel::LoadSignalsCsv(wxCommandEvent&)
{
    if (!m_grid || m_list != CAN_SEL_SIGNALS || InConfirmView())
        return;
    CloseCellEditor();
    wxFileDialog dialog(this, "Load file", wxEmptyString, wxEmptyString, "*.csv", wxFD_OPEN);
    if (dialog.ShowModal() != wxID_OK)
        return;
    FILE* file = wxFopen(ChosenPath(dialog), "r");
    if (!file)
        return;
    std::vector<SignalCells> cells = SignalGridCells();
    ReadSignalCsv(file, &cells, HexShown());
    fclose(file);
    SetSignalGridCells(cells);
}
