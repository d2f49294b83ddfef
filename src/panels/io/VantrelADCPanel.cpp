#include "VantrelADCPanel.h"

#include <wx/grid.h>
#include <wx/statbmp.h>

#include "ChannelGrid.h"
#include "Common.h"

VantrelADCPanel::VantrelADCPanel(const wxString& ip, const wxString& port, char type, int firmware)
    : ConfigPage("VantrelADCPanel", ip, port, type, firmware,
                 ConfigPageTexts("Are you sure to update Analogic Input configuration?",
                                 "Please pay attention to your Analogic Input Configuration before update!")
                     .NotSaved("Error on io update. Configuration not saved!"),
                 StayOnFailedWrite)
{
    m_read = DecodeAdc(ReadBlocks({AdcReadBlock()}).at(0));
    m_edited = m_read;
    BuildForm();
}

void VantrelADCPanel::BuildForm()
{
    BuildHeader(" Analogic Input Configuration", "Please fill Analogic Input configuration.");

    m_grid = NewChannelGrid(this, AdcChannelCount, {{"Idx", 80}, {"Enable", 80}});
    for (int i = 0; i < AdcChannelCount; ++i) {
        m_grid->SetCellValue(i, 0, wxString::Format("%d", i));
        SetCheckCell(m_grid, i, 1, m_read[i] == 1);
    }
    m_grid->Bind(wxEVT_GRID_CELL_LEFT_CLICK, &VantrelADCPanel::OnGridCellClick, this);

    PlaceButtons(wxPoint(30, 430));
    new wxStaticBitmap(this, wxID_ANY, IconBitmap("vantrel_panel_bg.jpg"), wxPoint(480, 251),
                       wxSize(320, 251), 0, "BackgroundPicture");
}

void VantrelADCPanel::OnGridCellClick(wxGridEvent& event)
{
    m_grid->SetGridCursor(event.GetRow(), event.GetCol());
    event.Skip();
}

void VantrelADCPanel::TakeForm()
{
    EndCellEdit(m_grid);
    for (int i = 0; i < AdcChannelCount; ++i)
        m_edited[i] = CellFlag(m_grid->GetCellValue(i, 1));
}

void VantrelADCPanel::EnableForm(bool editable)
{
    if (!editable) {
        LockAllCells(m_grid, AdcChannelCount);
        return;
    }
    for (int i = 0; i < AdcChannelCount; ++i)
        m_grid->SetReadOnly(i, 1, false);
}

bool VantrelADCPanel::CollectWrite(std::vector<BlockValue>* blocks)
{
    *blocks = {AdcWriteBlock(m_edited)};
    return true;
}
