#include "CanPage.h"

#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/grid.h>
#include <wx/msgdlg.h>
#include <wx/radiobox.h>
#include <wx/statbmp.h>
#include <wx/statline.h>
#include <wx/stattext.h>

#include <algorithm>

#include "Common.h"
#include "wxGridCellCustomEditor.h"

namespace {

const wxString CanbusUpdateError = "Error on CANBUS update. Configuration not saved!";

constexpr int kLabelX = 30;
constexpr int kFieldX = 190;
constexpr int kFirstRowY = 95;
const wxPoint kButtonsAt(510, 95);
const wxPoint kFirstButtonsAt(30, 430);
const wxPoint kBackgroundAt(480, 200);
const wxSize kBackgroundSize(320, 251);
constexpr int kFormatRowY = 184;
const wxPoint kGridAt(20, 234);
const wxSize kGridSize(760, 260);

const wxColour kRed(255, 0, 0);
const wxColour kBlack(0, 0, 0);
const wxColour kLockedBackground(233, 233, 233);
const wxColour kReadOnlyBackground(204, 204, 204);
const wxColour kEditableBackground(255, 255, 255);

}  // namespace

CanPage::CanPage(const wxString& windowName, const wxString& ip, const wxString& port, char type,
                 int firmware)
    : ConfigPage(windowName, ip, port, type, firmware,
                 ConfigPageTexts("Are you sure to update module CANBUS configuration?",
                                 "Please pay attention to your CANBUS Configuration before update!"),
                 // A failed write stays on the confirmation view; the grid is
                 // taken and checked whichever way the view switches.
                 ConfigPageRules{false, true})
{
    const std::vector<BlockBytes> values = ReadBlocks({{DATABLOCK_CAN_SETTINGS, 1, 0}});
    m_read = DecodeCanSettings(values.at(0));
    Bind(wxEVT_BUTTON, &CanPage::OnEditMessages, this, ID_CAN_EDIT_MESSAGES);
    Bind(wxEVT_BUTTON, &CanPage::OnRebuild, this, ID_CAN_REBUILD);
}

bool CanPage::HexShown() const
{
    return m_idFormat && m_idFormat->GetSelection() == 1;
}

void CanPage::BuildFirstView(const wxString& title)
{
    // Title, hint, then the separator over the rows.
    auto* titleText = new wxStaticText(this, wxID_ANY, MainWindow::GetModelName(m_type) + title,
                                       wxPoint(m_posX, m_posY), wxSize(800, -1));
    titleText->SetFont(FontBold11);
    auto* hint = new wxStaticText(this, wxID_ANY, "Please fill CANBUS configuration.",
                                  wxPoint(m_posX, m_posY + 25), wxSize(800, -1));
    hint->SetFont(FontBold9);
    hint->SetForegroundColour(kRed);
    new wxStaticLine(this, wxID_ANY, wxPoint(0, m_posY + 45), wxSize(800, -1));
    // A read-only list shows only its own entries: a speed outside the list
    // is offered after them, so that the box shows what the module holds.
    wxArrayString rates(CanBaudRateCount, CanbusBaudRates);
    int rate = CanBaudRateIndex(m_read.speed);
    if (rate < 0) {
        rates.Add(wxString::Format("%u", unsigned(m_read.speed)));
        rate = CanBaudRateCount;
    }
    m_speedCombo = AddComboRow("CAN-Bus Speed (bps)", "Select Baudrate value of your CANBUS interface",
                               kFirstRowY, rates, rate);
}

wxComboBox* CanPage::AddComboRow(const wxString& label, const wxString& toolTip, int y,
                                 const wxArrayString& choices, int selection)
{
    auto* text = new wxStaticText(this, wxID_ANY, label, wxPoint(kLabelX, y + 4), wxSize(160, -1));
    text->SetFont(FontBold8);
    text->SetToolTip(toolTip);
    // 300 wide, or as wide as its longest entry needs.
    int width = 300;
    for (const wxString& choice : choices)
        width = std::max(width, GetTextExtent(choice).x + 30);
    auto* combo = new wxComboBox(this, wxID_ANY, wxEmptyString, wxPoint(kFieldX, y), wxSize(width, -1),
                                 choices, wxCB_READONLY | wxCB_DROPDOWN);
    if (selection >= 0 && selection < int(choices.size()))
        combo->SetSelection(selection);
    return combo;
}

void CanPage::FinishFirstView()
{
    m_background = new wxStaticBitmap(this, wxID_ANY, IconBitmap("vantrel_canbus_bg.jpg"), kBackgroundAt,
                                      kBackgroundSize, 0, "BackgroundPicture");
    m_firstBack = new wxBitmapButton(this, ID_BACK, IconBitmap("backbtn.jpg"), kFirstButtonsAt,
                                     wxSize(133, 38), wxBU_AUTODRAW);
    m_firstBack->SetToolTip(m_texts.backTip);
    m_firstEdit = new wxBitmapButton(this, ID_CAN_EDIT_MESSAGES, IconBitmap("editbtn.jpg"),
                                     wxPoint(kFirstButtonsAt.x + 143, kFirstButtonsAt.y), wxSize(133, 38),
                                     wxBU_AUTODRAW);
}

void CanPage::OnEditMessages(wxCommandEvent&)
{
    if (m_listView)
        return;
    if (!CheckSelection())
        return;
    const SpeedFault fault = CheckSpeedText(m_speedCombo->GetValue(), SpeedZeroAllowed());
    if (fault != SpeedFault::None) {
        wxMessageDialog(this, SpeedFaultText(fault), "Error!", wxOK | wxICON_ERROR).ShowModal();
        m_speedCombo->SetFocus();
        return;
    }
    // A list that cannot be read leaves the first view as it was, so that
    // the user may try again or go back.
    if (!OpenList())
        return;
    m_listView = true;
    DestroyLater(m_firstBack);
    DestroyLater(m_firstEdit);
    m_firstBack = m_firstEdit = nullptr;
    DisableFirstView();
    if (m_grid && m_background)
        m_background->Hide();
    PlaceButtons(kButtonsAt, ID_CAN_REBUILD);
}

void CanPage::DisableFirstView()
{
    m_speedCombo->Disable();
    m_selectionCombo->Disable();
}

void CanPage::OnRebuild(wxCommandEvent& event)
{
    if (event.GetId() == ID_CAN_REBUILD && m_listView && !InConfirmView())
        Rebuild();
}

void CanPage::CreateIdFormatBox(const wxString& label, bool fileButtons)
{
    new wxStaticText(this, wxID_ANY, label, wxPoint(370, kFormatRowY + 12), wxSize(110, -1));
    const wxString choices[2] = {"Dec", "Hex"};
    m_idFormat = new wxRadioBox(this, ID_CAN_ID_FORMAT, wxEmptyString, wxPoint(480, kFormatRowY),
                                wxSize(130, -1), 2, choices, 2, wxRA_SPECIFY_COLS);
    m_idFormat->SetSelection(0);
    Bind(wxEVT_RADIOBOX, &CanPage::OnIdFormatChanged, this, ID_CAN_ID_FORMAT);
    if (fileButtons) {
        m_loadButton =
            new wxButton(this, ID_CAN_LOAD, "Load", wxPoint(615, kFormatRowY + 10), wxSize(80, 20));
        new wxButton(this, ID_CAN_SAVE, "Save", wxPoint(700, kFormatRowY + 10), wxSize(80, 20));
    }
}

void CanPage::CreateGrid(int rows, const std::vector<wxString>& labels, const std::vector<int>& widths,
                         int lockedColumns)
{
    m_grid = new wxGrid(this, wxID_ANY, kGridAt, kGridSize);
    m_grid->CreateGrid(rows, int(labels.size()), wxGrid::wxGridSelectCells);
    m_grid->SetRowLabelSize(1);
    m_grid->SetColLabelSize(25);
    m_grid->SetLabelFont(wxFont(9, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD));
    m_grid->SetDefaultRowSize(25, true);
    m_grid->SetDefaultCellAlignment(wxALIGN_CENTRE, wxALIGN_CENTRE);
    for (size_t c = 0; c < labels.size(); ++c) {
        m_grid->SetColLabelValue(int(c), labels[c]);
        m_grid->SetColSize(int(c), widths[c]);
    }
    m_lockedColumns = lockedColumns;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < int(labels.size()); ++c) {
            // The number renderer aligns right unless the cell says otherwise.
            m_grid->SetCellAlignment(r, c, wxALIGN_CENTRE, wxALIGN_CENTRE);
            if (c < lockedColumns) {
                m_grid->SetReadOnly(r, c, true);
                m_grid->SetCellBackgroundColour(r, c, kLockedBackground);
            }
        }
}

void CanPage::SetIdCells(int row, uint32_t id, uint8_t idType)
{
    const bool standard = idType == 0;
    m_grid->SetCellEditor(
        row, 1, new wxGridCellCustomEditor(GridCellInputMode(CanIdEditorMode(standard, HexShown()))));
    m_grid->SetCellRenderer(row, 1, new wxGridCellNumberRenderer);
    m_grid->SetCellValue(row, 1, CanIdText(id, HexShown()));
    m_grid->SetCellEditor(row, 2, new GridChoiceEditor(wxArrayString(2, CanIdTypeTexts)));
    m_grid->SetCellValue(row, 2, CanIdTypeTexts[standard ? 0 : 1]);
}

void CanPage::OnIdFormatChanged(wxCommandEvent&)
{
    if (!m_grid)
        return;
    CloseCellEditor();
    // The event comes only when the choice changes: the texts are in the
    // other base.
    const bool hex = HexShown();
    for (int r = 0; r < m_grid->GetNumberRows(); ++r) {
        const bool standard = m_grid->GetCellValue(r, 2) == CanIdTypeTexts[0];
        m_grid->SetCellEditor(r, 1,
                              new wxGridCellCustomEditor(GridCellInputMode(CanIdEditorMode(standard, hex))));
        m_grid->SetCellValue(r, 1, CanIdText(CanIdValue(m_grid->GetCellValue(r, 1), !hex), hex));
    }
    m_grid->ForceRefresh();
}

void CanPage::CloseCellEditor()
{
    if (!m_grid)
        return;
    if (m_grid->IsCellEditControlEnabled())
        m_grid->DisableCellEditControl();
    m_grid->SetFocus();
}

void CanPage::ShowRowFault(int row, const CellFault& fault, const std::vector<int>& testedColumns)
{
    wxMessageDialog(this, fault.message, fault.caption, wxOK | wxICON_ERROR).ShowModal();
    for (int c : testedColumns)
        if (c < fault.column)
            m_grid->SetCellTextColour(row, c, kBlack);
    m_grid->SetCellTextColour(row, fault.column, kRed);
    m_grid->SelectAll();
    m_grid->ClearSelection();
    m_grid->ForceRefresh();
}

void CanPage::MarkRowPassed(int row, const std::vector<int>& testedColumns)
{
    for (int c : testedColumns)
        m_grid->SetCellTextColour(row, c, kBlack);
}

void CanPage::EnableForm(bool editable)
{
    // While confirming, what the grid shows is what will be written.
    if (m_idFormat)
        m_idFormat->Enable(editable);
    if (m_loadButton)
        m_loadButton->Enable(editable);
    if (!m_grid)
        return;
    for (int r = 0; r < m_grid->GetNumberRows(); ++r)
        for (int c = 0; c < m_grid->GetNumberCols(); ++c) {
            const bool locked = c < m_lockedColumns;
            m_grid->SetReadOnly(r, c, !editable || locked);
            m_grid->SetCellBackgroundColour(r, c,
                                            !editable ? kReadOnlyBackground
                                            : locked  ? kLockedBackground
                                                      : kEditableBackground);
        }
    m_grid->SelectAll();
    m_grid->ClearSelection();
    m_grid->ForceRefresh();
}

ConfigPage::WriteOutcome CanPage::WriteCommands(const std::vector<BlockValue>& listBlocks,
                                                const CanSettings& settings)
{
    const ConfigPageTexts kept = m_texts;
    auto run = [&]() {
        m_texts.notSaved = CanbusUpdateError;
        m_texts.networkDown = NetworkDownText;
        for (const BlockValue& block : listBlocks) {
            const WriteOutcome outcome = WriteBlocks({block}, NoSection);
            if (outcome != WriteOutcome::Saved)
                return outcome;
        }
        const WriteOutcome lists = WriteBlocks({}, CONF_SECTION_CAN_MESSAGES);
        if (lists != WriteOutcome::Saved)
            return lists;
        m_texts.notSaved = "Configuration not saved!";
        m_texts.networkDown = wxEmptyString;  // the last error's text
        return WriteBlocks({MakeBlock(DATABLOCK_CAN_SETTINGS, EncodeCanSettings(settings))},
                           CONF_SECTION_CAN_SETTINGS);
    };
    const WriteOutcome outcome = run();
    m_texts = kept;
    return outcome;
}
