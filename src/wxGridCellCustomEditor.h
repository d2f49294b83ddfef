// Grid cell editor whose text control takes only the characters and length
// of its mode. A changed text is stored in the grid's table by EndEdit itself.
// GUI thread only.
#pragma once

#include <wx/arrstr.h>
#include <wx/grid.h>
#include <wx/string.h>

// Admitted characters and maximum length.
enum GridCellInputMode {
    GRID_INPUT_DIGITS_5 = 0,       // ports
    GRID_INPUT_DIGITS_DOT_15 = 1,  // dotted addresses
    GRID_INPUT_DIGITS_10 = 2,      // time-outs
    GRID_INPUT_DIGITS_3 = 3,       // CAN start bit, length
    GRID_INPUT_DIGITS_4 = 4,       // CAN identifier, decimal
    GRID_INPUT_DIGITS_9 = 5,       // CAN identifier, decimal
    GRID_INPUT_HEX_3 = 6,          // CAN identifier, lower-case hexadecimal
    GRID_INPUT_HEX_8 = 7,          // CAN identifier, lower-case hexadecimal
};

class wxGridCellCustomEditor : public wxGridCellEditor {
public:
    explicit wxGridCellCustomEditor(GridCellInputMode mode);

    // A mode outside 0 to 7 gives a text control without filter or limit.
    void Create(wxWindow* parent, wxWindowID id, wxEvtHandler* evtHandler) override;
    void BeginEdit(int row, int col, wxGrid* grid) override;
    // Stores the text in the table when it differs from the one BeginEdit
    // loaded, and says whether it did; oldval and newval are not used.
    bool EndEdit(int row, int col, const wxGrid* grid, const wxString& oldval, wxString* newval) override;
    // Nothing: EndEdit has stored the value.
    void ApplyEdit(int row, int col, wxGrid* grid) override;
    // Moves the insertion point to the end; the typed text stays.
    void Reset() override;
    // The key typed on a selected cell that opened the editor: replaces the
    // cell's text when the mode admits it, instead of being dropped.
    void StartingKey(wxKeyEvent& event) override;
    wxGridCellEditor* Clone() const override;
    wxString GetValue() const override;

    // Maximum text length of a mode; 0 for a mode outside 0 to 7.
    static int MaxLength(int mode);

protected:
    ~wxGridCellCustomEditor() override;

private:
    wxTextCtrl* Text() const;

    wxString m_value;
    int m_mode;
    wxArrayString m_includes;
};

// In-cell list editor that takes exactly its cell's rectangle: the library's
// own widens a list to its longest entry and centres it on the cell.
class GridChoiceEditor : public wxGridCellChoiceEditor {
public:
    explicit GridChoiceEditor(const wxArrayString& choices, bool allowOthers = false);

    void Create(wxWindow* parent, wxWindowID id, wxEvtHandler* evtHandler) override;
    void SetSize(const wxRect& rect) override;
    wxGridCellEditor* Clone() const override;
};
