#include "wxGridCellCustomEditor.h"

#include <gtk/gtk.h>
#include <wx/textctrl.h>
#include <wx/valtext.h>

wxGridCellCustomEditor::wxGridCellCustomEditor(GridCellInputMode mode) : m_mode(mode) {}

wxGridCellCustomEditor::~wxGridCellCustomEditor() = default;

int wxGridCellCustomEditor::MaxLength(int mode)
{
    static const int lengths[] = {5, 15, 10, 3, 4, 9, 3, 8};
    return mode >= 0 && mode < 8 ? lengths[mode] : 0;
}

void wxGridCellCustomEditor::Create(wxWindow* parent, wxWindowID id, wxEvtHandler* evtHandler)
{
    const bool known = MaxLength(m_mode) > 0;
    if (known) {
        for (int digit = 0; digit <= 9; ++digit)
            m_includes.Add(wxString::Format("%d", digit));
        if (m_mode == GRID_INPUT_DIGITS_DOT_15)
            m_includes.Add(".");
        if (m_mode == GRID_INPUT_HEX_3 || m_mode == GRID_INPUT_HEX_8)
            for (const char* hex : {"a", "b", "c", "d", "e", "f"})
                m_includes.Add(hex);
    }
    wxTextValidator validator(known ? wxFILTER_INCLUDE_CHAR_LIST : wxFILTER_NONE);
    if (known)
        validator.SetIncludes(m_includes);

    auto* text = new wxTextCtrl(parent, id, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                wxTE_PROCESS_TAB | wxTE_PROCESS_ENTER, validator);
    m_control = text;
    if (known)
        text->SetMaxLength(MaxLength(m_mode));
    wxGridCellEditor::Create(parent, id, evtHandler);
}

wxTextCtrl* wxGridCellCustomEditor::Text() const
{
    return static_cast<wxTextCtrl*>(m_control);
}

void wxGridCellCustomEditor::BeginEdit(int row, int col, wxGrid* grid)
{
    m_value = grid->GetTable()->GetValue(row, col);
    wxTextCtrl* text = Text();
    text->SetValue(m_value);
    text->SetInsertionPointEnd();
    text->SelectAll();
    text->SetFocus();
}

bool wxGridCellCustomEditor::EndEdit(int row, int col, const wxGrid* grid, const wxString&, wxString*)
{
    const wxString now = Text()->GetValue();
    const bool changed = now != m_value;
    if (changed)
        grid->GetTable()->SetValue(row, col, now);
    m_value.clear();
    return changed;
}

void wxGridCellCustomEditor::ApplyEdit(int, int, wxGrid*) {}

void wxGridCellCustomEditor::Reset()
{
    Text()->SetInsertionPointEnd();
}

void wxGridCellCustomEditor::StartingKey(wxKeyEvent& event)
{
    const wxChar key = event.GetUnicodeKey();
    if (key == WXK_NONE || key < WXK_SPACE) {
        event.Skip();
        return;
    }
    // The same rule as the validator's for a typed character.
    if (m_includes.empty() || m_includes.Index(wxString(key)) != wxNOT_FOUND)
        Text()->WriteText(wxString(key));  // BeginEdit selected all: replace it
}

wxGridCellEditor* wxGridCellCustomEditor::Clone() const
{
    return new wxGridCellCustomEditor(static_cast<GridCellInputMode>(m_mode));
}

wxString wxGridCellCustomEditor::GetValue() const
{
    return Text()->GetValue();
}

GridChoiceEditor::GridChoiceEditor(const wxArrayString& choices, bool allowOthers)
    : wxGridCellChoiceEditor(choices, allowOthers)
{
}

void GridChoiceEditor::Create(wxWindow* parent, wxWindowID id, wxEvtHandler* evtHandler)
{
    wxGridCellChoiceEditor::Create(parent, id, evtHandler);
    // GTK gives the list's entry room for its text as a minimum; the cell
    // decides the width instead.
    GtkWidget* combo = m_control->GetHandle();
    if (GTK_IS_BIN(combo))
        if (GtkWidget* entry = gtk_bin_get_child(GTK_BIN(combo)); entry && GTK_IS_ENTRY(entry))
            gtk_entry_set_width_chars(GTK_ENTRY(entry), 1);
}

void GridChoiceEditor::SetSize(const wxRect& rect)
{
    wxGridCellEditor::SetSize(rect);
}

wxGridCellEditor* GridChoiceEditor::Clone() const
{
    return new GridChoiceEditor(m_choices, m_allowOthers);
}
