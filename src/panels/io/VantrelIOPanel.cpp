#include "VantrelIOPanel.h"

#include <wx/grid.h>
#include <wx/statbmp.h>

#include "ChannelGrid.h"
#include "Common.h"
#include "wxGridCellCustomEditor.h"

VantrelIOPanel::VantrelIOPanel(const wxString& ip, const wxString& port, char type, int firmware)
    : ConfigPage("VantrelIOPanel", ip, port, type, firmware,
                 ConfigPageTexts("Are you sure to update I/O configuration?",
                                 "Please pay attention to your I/O Configuration before update!")
                     .NotSaved("Error on io update. Configuration not saved!"),
                 StayOnFailedWrite),
      m_lineCount(IoLineCount(type)),
      m_lock(IoLockFor(type))
{
    m_read = DecodeIo(ReadBlocks({IoReadBlock(m_lineCount)}).at(0), m_lineCount);
    m_edited = m_read;
    BuildForm();
}

void VantrelIOPanel::BuildForm()
{
    BuildHeader(" Digital I/O Configuration", "Please fill Digital I/O configuration.");

    m_grid = NewChannelGrid(this, m_lineCount, {{"Idx", 80}, {"Enable", 80}, {"Type", 120}});
    const wxArrayString types(2, IoTypeChoices);
    for (int k = 0; k < m_lineCount; ++k) {
        m_grid->SetCellValue(k, 0, wxString::Format("%d", k));
        SetCheckCell(m_grid, k, 1, m_read[k].enable == 1);
        m_grid->SetCellEditor(k, 2, new GridChoiceEditor(types, false));
        m_grid->SetCellValue(k, 2, IoTypeChoices[m_read[k].type]);
        for (int c = 1; c < 3; ++c) {
            if (!IoCellLocked(m_lock, k, c))
                continue;
            m_grid->SetReadOnly(k, c, true);
            m_grid->SetCellBackgroundColour(k, c, LockedCellColour);
        }
    }
    m_grid->Bind(wxEVT_GRID_CELL_LEFT_CLICK, &VantrelIOPanel::OnGridCellClick, this);

    PlaceButtons(wxPoint(30, 430));
    new wxStaticBitmap(this, wxID_ANY, IconBitmap("vantrel_panel_bg.jpg"), wxPoint(480, 251),
                       wxSize(320, 251), 0, "BackgroundPicture");
}

void VantrelIOPanel::OnGridCellClick(wxGridEvent& event)
{
    m_grid->SetGridCursor(event.GetRow(), event.GetCol());
    event.Skip();
}

void VantrelIOPanel::TakeForm()
{
    EndCellEdit(m_grid);
    for (int k = 0; k < m_lineCount; ++k)
        m_edited[k] =
            IoLineFromCells(k, m_grid->GetCellValue(k, 1), m_grid->GetCellValue(k, 2), m_edited[k].type);
}

void VantrelIOPanel::EnableForm(bool editable)
{
    if (!editable) {
        LockAllCells(m_grid, m_lineCount);
        return;
    }
    for (int k = 0; k < m_lineCount; ++k)
        for (int c = 1; c < 3; ++c)
            m_grid->SetReadOnly(k, c, IoCellLocked(m_lock, k, c));
}

bool VantrelIOPanel::CollectWrite(std::vector<BlockValue>* blocks)
{
    *blocks = {IoWriteBlock(m_edited)};
    return true;
}
