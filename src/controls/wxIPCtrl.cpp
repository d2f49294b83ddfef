#include "wxIPCtrl.h"

#include <wx/event.h>
#include <wx/msgdlg.h>
#include <wx/regex.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/valtext.h>

namespace {

// Set while the "255 maximum" message is up, so that the focus moves it
// causes do not report again.
bool reporting_octet = false;

bool AllDigits(const wxString& text)
{
    if (text.empty())
        return false;
    for (wxUniChar c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// Decimal value of a field of digits, whatever its leading zeros; false for
// an empty or non-numeric text.
bool OctetNumber(const wxString& text, unsigned long* value)
{
    return AllDigits(text) && text.ToULong(value, 10);
}

// A field holds digits only, also after a paste, so one field can never
// carry a "." and turn into two octets.
void KeepDigits(wxCommandEvent& event)
{
    event.Skip();
    auto* field = wxDynamicCast(event.GetEventObject(), wxTextCtrl);
    if (!field)
        return;
    const wxString text = field->GetValue();
    wxString digits;
    for (wxUniChar c : text)
        if (c >= '0' && c <= '9')
            digits += c;
    if (digits != text) {
        field->ChangeValue(digits);
        field->SetInsertionPointEnd();
    }
}

}  // namespace

wxIPCtrl::wxIPCtrl(wxWindow* parent, const wxPoint& pos, const wxString& value, bool maskMode, bool unsetMode,
                   bool disabled)
    : m_maskMode(maskMode), m_unsetMode(unsetMode)
{
    const long noBorder = wxBORDER_NONE;
    const wxSize labelSize(12, 21);
    auto at = [&pos](int x, int y) { return wxPoint(pos.x + x, pos.y + y); };
    auto octet = [&](wxWindowID id, int x) {
        auto* field = new wxTextCtrl(parent, id, "0", at(x, 2), wxSize(28, 21), wxBORDER_NONE | wxTE_CENTRE,
                                     wxTextValidator(wxFILTER_DIGITS), wxEmptyString);
        field->SetMaxLength(3);
        return field;
    };

    // The frame lies behind the fields and dots.
    m_frame = new wxTextCtrl(parent, 2000, wxEmptyString, at(0, 0), wxSize(170, 25), wxTE_READONLY,
                             wxDefaultValidator, "BackgroundPicture");
    m_frame->Disable();
    m_padLeft = new wxStaticText(parent, 2008, "  ", at(2, 2), wxSize(9, 21), noBorder);
    m_octets[0] = octet(2004, 11);
    m_dots[0] = new wxStaticText(parent, 2001, " . ", at(39, 2), labelSize, noBorder);
    m_octets[1] = octet(2005, 51);
    m_dots[1] = new wxStaticText(parent, 2002, " . ", at(79, 2), labelSize, noBorder);
    m_octets[2] = octet(2006, 91);
    m_dots[2] = new wxStaticText(parent, 2003, " . ", at(119, 2), labelSize, noBorder);
    m_octets[3] = octet(2007, 131);
    m_padRight = new wxStaticText(parent, 2009, "  ", at(159, 2), wxSize(9, 21), noBorder);

    EnableFields(true);
    if (disabled)
        EnableFields(false);
    if (!unsetMode)
        SetValue(value);

    // Static handlers: the fields may outlive this object.
    for (wxTextCtrl* field : m_octets) {
        field->Bind(wxEVT_KILL_FOCUS, &wxIPCtrl::OnFieldKillFocus);
        field->Bind(wxEVT_TEXT, &KeepDigits);
    }
}

wxIPCtrl::~wxIPCtrl() = default;

bool wxIPCtrl::OctetsAcceptable(const unsigned long octets[4]) const
{
    for (int i = 0; i < 4; ++i)
        if (octets[i] > 255)
            return false;
    if (m_maskMode || m_unsetMode)
        return true;
    return octets[0] >= 1 && octets[0] <= 223;
}

wxString wxIPCtrl::GetValue() const
{
    wxString value;
    for (int i = 0; i < 4; ++i) {
        if (i > 0)
            value += ".";
        const wxString text = m_octets[i]->GetValue();
        unsigned long number;
        value += OctetNumber(text, &number) ? wxString::Format("%lu", number) : text;
    }
    return value;
}

bool wxIPCtrl::SetValue(const wxString& text)
{
    // Not anchored, but a group may not be cut out of a longer run of digits:
    // 1.2.3.4567 is no address, rather than 1.2.3.456.
    static const wxRegEx address(
        "(?<![0-9])([0-9]{1,3})([.])([0-9]{1,3})([.])([0-9]{1,3})([.])([0-9]{1,3})(?![0-9])", wxRE_EXTENDED);
    if (address.Matches(text)) {
        unsigned long octets[4];
        bool numbers = true;
        for (int i = 0; i < 4; ++i)
            numbers = numbers && OctetNumber(address.GetMatch(text, 1 + 2 * i), &octets[i]);
        if (numbers && OctetsAcceptable(octets)) {
            for (int i = 0; i < 4; ++i)
                m_octets[i]->SetValue(wxString::Format("%lu", octets[i]));
            return true;
        }
    }
    wxMessageBox("Invalid IP = " + text, "Error", wxOK | wxICON_ERROR);
    m_octets[0]->SetValue("223");
    m_octets[1]->SetValue("255");
    m_octets[2]->SetValue("255");
    m_octets[3]->SetValue("255");
    return false;
}

bool wxIPCtrl::Validate()
{
    unsigned long octets[4];
    for (int i = 0; i < 4; ++i)
        if (!OctetNumber(m_octets[i]->GetValue(), &octets[i]))
            return false;
    return OctetsAcceptable(octets);
}

void wxIPCtrl::EnableFields(bool enable)
{
    for (wxTextCtrl* field : m_octets)
        field->Enable(enable);
    for (wxStaticText* dot : m_dots)
        dot->Enable(enable);
    m_padLeft->Enable(enable);
    m_padRight->Enable(enable);
}

wxString wxIPCtrl::GetField(int index) const
{
    if (index < 0 || index > 3)
        return wxString();
    return m_octets[index]->GetValue();
}

void wxIPCtrl::SetToolTip(const wxString& tip)
{
    m_padLeft->SetToolTip(tip);
    for (int i = 0; i < 4; ++i) {
        m_octets[i]->SetToolTip(tip);
        if (i < 3)
            m_dots[i]->SetToolTip(tip);
    }
    m_padRight->SetToolTip(tip);
}

void wxIPCtrl::SetFocus()
{
    m_octets[0]->SetFocus();
}

void wxIPCtrl::OnFieldKillFocus(wxFocusEvent& event)
{
    auto* field = wxDynamicCast(event.GetEventObject(), wxTextCtrl);
    unsigned long value = 0;
    if (!field || reporting_octet || !OctetNumber(field->GetValue(), &value) || value <= 255) {
        event.Skip();
        return;
    }
    // GTK does not take a dialog or a focus change from inside a focus
    // handler: both run right after it. The field's own queue drops the call
    // when the field is gone first.
    field->CallAfter([field] {
        reporting_octet = true;
        wxMessageBox("This field can be 255 maximum", "Error", wxOK | wxICON_ERROR);
        field->SetFocus();
        field->SetSelection(0, 3);
        reporting_octet = false;
    });
}
