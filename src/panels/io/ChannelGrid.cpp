#include "ChannelGrid.h"

const wxColour LockedCellColour(204, 204, 204);

wxGrid* NewChannelGrid(wxWindow* parent, int rows, const std::vector<std::pair<wxString, int>>& columns)
{
    auto* grid = new wxGrid(parent, wxID_ANY, wxPoint(30, 90), wxSize(740, 300), wxWANTS_CHARS);
    grid->CreateGrid(rows, int(columns.size()), wxGrid::wxGridSelectCells);
    // One pixel: the row labels do not show.
    grid->SetRowLabelSize(1);
    grid->SetRowLabelAlignment(wxALIGN_RIGHT, wxALIGN_CENTRE);
    grid->SetColLabelSize(25);
    grid->SetLabelFont(wxFont(9, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD));
    for (size_t c = 0; c < columns.size(); ++c) {
        grid->SetColLabelValue(int(c), columns[c].first);
        grid->SetColSize(int(c), columns[c].second);
    }
    auto* idx = new wxGridCellAttr;
    idx->SetReadOnly();
    idx->SetBackgroundColour(LockedCellColour);
    grid->SetColAttr(0, idx);
    for (int r = 0; r < rows; ++r) {
        grid->SetRowSize(r, 25);
        for (int c = 0; c < int(columns.size()); ++c)
            grid->SetCellAlignment(r, c, wxALIGN_CENTRE, wxALIGN_CENTRE);
    }
    return grid;
}

void SetCheckCell(wxGrid* grid, int row, int column, bool ticked)
{
    grid->SetCellEditor(row, column, new wxGridCellBoolEditor);
    grid->SetCellRenderer(row, column, new wxGridCellBoolRenderer);
    grid->SetCellValue(row, column, ticked ? "1" : "");
}

void EndCellEdit(wxGrid* grid)
{
    grid->EnableCellEditControl(false);
    grid->SetFocus();
}

void LockAllCells(wxGrid* grid, int rows)
{
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < grid->GetNumberCols(); ++c)
            grid->SetReadOnly(r, c, true);
    grid->SelectAll();
    grid->ClearSelection();
}
