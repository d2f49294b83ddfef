// The grid of the digital I/O and analog input pages: one row per channel,
// an Idx column that never takes input, and check box cells for enable.
#pragma once

#include <wx/grid.h>

#include <utility>
#include <vector>

// A grid of `rows` rows at the pages' place, with these column labels and
// widths; every row 25 high and every cell centred. Column 0 (Idx) is
// read-only and grey.
wxGrid* NewChannelGrid(wxWindow* parent, int rows, const std::vector<std::pair<wxString, int>>& columns);

// A check box cell showing `ticked`.
void SetCheckCell(wxGrid* grid, int row, int column, bool ticked);

// Ends a cell edit in progress, keeping what was typed, and focuses the grid.
void EndCellEdit(wxGrid* grid);

// Every cell of the first `rows` rows read-only, with nothing left marked.
void LockAllCells(wxGrid* grid, int rows);

// The grey of the cells that take no input.
extern const wxColour LockedCellColour;
