// What the two CAN pages share: the first view (speed and selection read
// from datablock 44) before the list view, the edit button 36 that checks it
// and opens the list view, the list view's back button 37 that builds the
// page anew, the list grid with its Dec/Hex switch and read-only look, and
// the write in several commands (the list in chunks, the save of the lists,
// then datablock 44 with the save of the settings) that ends at the first
// failure or echo error.
#pragma once

#include <wx/string.h>

#include <vector>

#include "CanLogic.h"
#include "ConfigPage.h"

class wxBitmapButton;
class wxButton;
class wxComboBox;
class wxGrid;
class wxRadioBox;
class wxStaticBitmap;

enum CanPageId {
    ID_CAN_ID_FORMAT = 33,
    ID_CAN_LOAD = 34,
    ID_CAN_SAVE = 35,
    ID_CAN_EDIT_MESSAGES = 36,
    ID_CAN_REBUILD = 37,
};

class CanPage : public ConfigPage {
public:
    // Edit button 36: the first view's checks, then the list view.
    void OnEditMessages(wxCommandEvent& event);
    // Radio box 33: rewrites every Msg_ID cell in the chosen base.
    void OnIdFormatChanged(wxCommandEvent& event);

    // Whether the list view is shown (with or without a grid).
    bool InListView() const { return m_listView; }
    bool HexShown() const;
    wxComboBox* SpeedCombo() const { return m_speedCombo; }
    wxComboBox* SelectionCombo() const { return m_selectionCombo; }
    wxGrid* Grid() const { return m_grid; }
    wxRadioBox* IdFormatBox() const { return m_idFormat; }
    const CanSettings& SettingsRead() const { return m_read; }

protected:
    // Reads datablock 44 under the progress wait (throws the error text).
    CanPage(const wxString& windowName, const wxString& ip, const wxString& port, char type, int firmware);

    // The first view: header, the speed row, then the page's own rows.
    void BuildFirstView(const wxString& title);
    // A read-only list with its label at row `y`, showing `selection`.
    wxComboBox* AddComboRow(const wxString& label, const wxString& toolTip, int y,
                            const wxArrayString& choices, int selection);
    // The first view's buttons and the background, after the page's rows.
    void FinishFirstView();

    // Hooks of the first view and the list view.
    // The page's own checks of the first view, before the speed's; false
    // when one has shown its message.
    virtual bool CheckSelection() { return true; }
    virtual bool SpeedZeroAllowed() const = 0;
    // The list the selection shows: read it and build its grid. False when
    // the read failed (already reported); nothing is built then.
    virtual bool OpenList() = 0;
    virtual void DisableFirstView();
    // The page built anew by its own show operation.
    virtual void Rebuild() = 0;

    // The grid of the list view, its Msg_ID column 1 and type column 2;
    // `lockedColumns` stay read-only in the edit view.
    void CreateGrid(int rows, const std::vector<wxString>& labels, const std::vector<int>& widths,
                    int lockedColumns);
    // The Dec/Hex box (and Load/Save for the signal list) above the grid.
    void CreateIdFormatBox(const wxString& label, bool fileButtons);
    // Row r's Msg_ID text and editor by its type, and its type cell.
    void SetIdCells(int row, uint32_t id, uint8_t idType);
    // Ends a cell edit in progress, keeping its value.
    void CloseCellEditor();
    // A failed row check: its dialog, the tested cells before the failing
    // one in black, the failing one in red.
    void ShowRowFault(int row, const CellFault& fault, const std::vector<int>& testedColumns);
    void MarkRowPassed(int row, const std::vector<int>& testedColumns);
    void EnableForm(bool editable) override;

    // The commands of a write: `listBlocks`, then the save of the lists
    // alone, then `settings` with the save of the settings. Each failure is
    // reported with its own text.
    WriteOutcome WriteCommands(const std::vector<BlockValue>& listBlocks, const CanSettings& settings);

    CanSettings m_read;
    wxComboBox* m_speedCombo = nullptr;
    wxComboBox* m_selectionCombo = nullptr;
    wxGrid* m_grid = nullptr;
    wxRadioBox* m_idFormat = nullptr;
    wxButton* m_loadButton = nullptr;
    int m_lockedColumns = 0;

private:
    void OnRebuild(wxCommandEvent& event);

    bool m_listView = false;
    wxBitmapButton* m_firstBack = nullptr;
    wxBitmapButton* m_firstEdit = nullptr;
    wxStaticBitmap* m_background = nullptr;
};
