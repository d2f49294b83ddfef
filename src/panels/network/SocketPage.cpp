#include "SocketPage.h"

#include <wx/grid.h>
#include <wx/statbmp.h>

#include "Common.h"
#include "MainWindow.h"
#include "wxGridCellCustomEditor.h"

namespace {

const wxColour Grey(204, 204, 204);
const wxColour White(255, 255, 255);
const wxColour Red(255, 0, 0);
const wxColour Black(0, 0, 0);

struct ColumnSpec {
    const char* label;
    int width;
};
const ColumnSpec Columns[SocketColumnCount] = {
    {"Active", 45},      {"Type", 80},        {"Local Port", 80},    {"Server IP", 100},
    {"Server Port", 80}, {"Close Rule", 100}, {"Timeout (ms)", 100},
};

// The cells a check may draw red.
const int CheckedColumns[] = {COL_LOCAL_PORT, COL_SERVER_IP, COL_SERVER_PORT, COL_TIMEOUT};

template <size_t N>
wxArrayString Choices(const wxString (&texts)[N])
{
    return wxArrayString(N, texts);
}

}  // namespace

SocketPage::SocketPage(SocketPageKind kind, const wxString& windowName, const wxString& ip,
                       const wxString& port, char type, int firmware)
    : ConfigPage(windowName, ip, port, type, firmware,
                 ConfigPageTexts("Are you sure to update SOCKET configuration?",
                                 "Please pay attention to your SOCKET Configuration before update!")
                     .NotSaved("Error on socket update. Configuration not saved!"),
                 ChecksOnEveryEdit),
      m_kind(kind)
{
    const std::vector<BlockBytes> values = ReadBlocks(SocketReadBlocks(kind));
    const SocketRecords read = DecodeSocketTable(values.at(0));
    if (kind == SocketPageKind::Newer)
        m_channels = ServiceChannelList(type, ServicePorts(values.at(1), firmware), firmware);
    m_source = FillSocketGrid(read, kind, m_channels);

    BuildHeader(" Socket Configuration", "Please fill Socket configuration.");
    BuildGrid();
    FillGrid();
    ApplyCellRules(false);
    PlaceButtons(wxPoint(30, 430));
    Bind(wxEVT_GRID_CELL_LEFT_CLICK, &SocketPage::OnGridCellClick, this);
    Bind(wxEVT_GRID_CELL_CHANGED, &SocketPage::OnGridCellChanged, this);
    new wxStaticBitmap(this, wxID_ANY, IconBitmap("vantrel_panel_bg.jpg"), wxPoint(480, 251),
                       wxSize(320, 251), 0, "BackgroundPicture");
}

void SocketPage::BuildGrid()
{
    m_grid = new wxGrid(this, wxID_ANY, wxPoint(30, 90), wxSize(740, 300));
    m_grid->CreateGrid(SocketRowCount, SocketColumnCount, wxGrid::wxGridSelectCells);
    m_grid->SetRowLabelSize(1);
    m_grid->SetColLabelSize(25);
    m_grid->SetLabelFont(wxFont(9, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD));
    for (int c = 0; c < SocketColumnCount; ++c) {
        m_grid->SetColLabelValue(c, Columns[c].label);
        m_grid->SetColSize(c, Columns[c].width);
    }
    for (int r = 0; r < SocketRowCount; ++r)
        m_grid->SetRowSize(r, 25);
    m_grid->SetDefaultCellAlignment(wxALIGN_CENTRE, wxALIGN_CENTRE);
}

void SocketPage::FillGrid()
{
    wxArrayString channelNames;
    for (const ServiceChannel& c : m_channels)
        channelNames.Add(c.name);
    for (int r = 0; r < SocketRowCount; ++r) {
        // Every cell has an editor of its own; the grid owns them.
        m_grid->SetCellRenderer(r, COL_ACTIVE, new wxGridCellBoolRenderer);
        m_grid->SetCellEditor(r, COL_ACTIVE, new wxGridCellBoolEditor);
        m_grid->SetCellEditor(r, COL_TYPE, new GridChoiceEditor(Choices(SocketTypeChoices), false));
        if (m_kind == SocketPageKind::Older)
            m_grid->SetCellEditor(r, COL_LOCAL_PORT, new wxGridCellCustomEditor(GRID_INPUT_DIGITS_5));
        else if (r == 0)
            m_grid->SetCellEditor(r, COL_LOCAL_PORT, new wxGridCellTextEditor);
        else
            m_grid->SetCellEditor(r, COL_LOCAL_PORT, new GridChoiceEditor(channelNames, false));
        m_grid->SetCellEditor(r, COL_SERVER_IP, new wxGridCellCustomEditor(GRID_INPUT_DIGITS_DOT_15));
        m_grid->SetCellEditor(r, COL_SERVER_PORT, new wxGridCellCustomEditor(GRID_INPUT_DIGITS_5));
        m_grid->SetCellEditor(r, COL_CLOSE_RULE, new GridChoiceEditor(Choices(CloseRuleChoices), false));
        m_grid->SetCellEditor(r, COL_TIMEOUT, new wxGridCellCustomEditor(GRID_INPUT_DIGITS_10));
        for (int c = 0; c < SocketColumnCount; ++c)
            m_grid->SetCellValue(r, c, m_source.shown[size_t(r)][size_t(c)]);
    }
}

void SocketPage::ApplyCellRules(bool confirmView)
{
    for (int r = 0; r < SocketRowCount; ++r) {
        const wxString typeText = m_grid->GetCellValue(r, COL_TYPE);
        for (int c = 0; c < SocketColumnCount; ++c) {
            const bool editable = !confirmView && SocketCellEditable(m_kind, m_type, r, c, typeText);
            m_grid->SetReadOnly(r, c, !editable);
            m_grid->SetCellBackgroundColour(r, c, r == 0 || confirmView ? Grey : White);
        }
    }
    m_grid->ForceRefresh();
}

SocketTable SocketPage::CellTexts() const
{
    SocketTable cells;
    for (int r = 0; r < SocketRowCount; ++r)
        for (int c = 0; c < SocketColumnCount; ++c)
            cells[size_t(r)][size_t(c)] = m_grid->GetCellValue(r, c);
    return cells;
}

void SocketPage::TakeForm()
{
    // Commits a cell still being edited.
    if (m_grid->IsCellEditControlEnabled())
        m_grid->DisableCellEditControl();
    m_grid->SetFocus();
}

bool SocketPage::CheckForm()
{
    const SocketPass pass = ValidateSocketTable(CellTexts(), m_source, m_kind, m_channels);
    m_edited = pass.records;
    const int lastRow = pass.refusal ? pass.refusal->row : SocketRowCount - 1;
    for (int r = FirstPassRow(m_kind); r <= lastRow; ++r)
        for (int c : CheckedColumns)
            m_grid->SetCellTextColour(r, c, Black);
    if (!pass.refusal) {
        m_grid->ForceRefresh();
        return true;
    }
    const SocketRefusal& refusal = *pass.refusal;
    ShowCheckFailure(refusal.message, refusal.caption);
    m_grid->SetCellTextColour(refusal.row, refusal.column, Red);
    m_grid->ForceRefresh();
    return false;
}

void SocketPage::EnableForm(bool editable)
{
    ApplyCellRules(!editable);
}

bool SocketPage::CollectWrite(std::vector<BlockValue>* blocks)
{
    BlockValue sockets;
    if (!SocketWriteBlock(m_edited, m_kind, &sockets)) {
        MainWindow::GetInstance()->ReportError(m_texts.notSaved, false);
        return false;
    }
    blocks->push_back(std::move(sockets));
    return true;
}

void SocketPage::OnGridCellClick(wxGridEvent& event)
{
    m_grid->SetGridCursor(event.GetRow(), event.GetCol());
    event.Skip();
}

void SocketPage::OnGridCellChanged(wxGridEvent& event)
{
    // A TCP Server's address and port are locked; a client's are editable again.
    if (event.GetCol() == COL_TYPE && !InConfirmView())
        ApplyCellRules(false);
    event.Skip();
}
