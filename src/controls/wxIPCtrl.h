// Four-octet IPv4 address entry. Not a window of its own: it puts ten
// children (frame box, four octet fields, dots, pads; window ids 2000 to 2009)
// on the parent at fixed offsets from a position, and the parent owns and
// destroys them. Delete the control itself when the page goes; its children
// never refer back to it, so the order does not matter. GUI thread only.
#pragma once

#include <wx/gdicmn.h>
#include <wx/string.h>
#include <wx/window.h>

class wxFocusEvent;
class wxStaticText;
class wxTextCtrl;

class wxIPCtrl : public wxWindow {
public:
    // maskMode and unsetMode both let the first octet take 0 to 255; with
    // unsetMode the fields keep 0.0.0.0 and value is not loaded. With both
    // false the control takes a host address (first octet 1 to 223).
    wxIPCtrl(wxWindow* parent, const wxPoint& pos, const wxString& value, bool maskMode, bool unsetMode,
             bool disabled);
    ~wxIPCtrl() override;

    // The four octets joined with "." (an empty field gives an empty part).
    // Octets are decimal: leading zeros are dropped, so 192.168.001.010
    // reads 192.168.1.10 and never turns octal further on.
    wxString GetValue() const;
    // Loads the first dotted four-group address found in text. When there is
    // none or its octets break the rule, shows "Invalid IP = <text>", puts
    // 223.255.255.255 in the fields and returns false.
    bool SetValue(const wxString& text);
    // Whether the four fields hold an acceptable address: every octet 1 to 3
    // decimal digits and at most 255, and for a host address the first octet
    // 1 to 223. An empty field fails.
    bool Validate() override;
    // Enables or disables the fields, dots and pads; the frame box always
    // stays disabled.
    void EnableFields(bool enable);
    // The text of octet field 0 to 3 as it stands; empty for other indexes.
    wxString GetField(int index) const;
    // The same tool tip on every child except the frame box.
    void SetToolTip(const wxString& tip);
    // Focus to the first octet field.
    void SetFocus() override;

    // Focus-loss check of an octet field: above 255 it says "This field can
    // be 255 maximum" and gives the focus back with the text selected.
    static void OnFieldKillFocus(wxFocusEvent& event);

private:
    bool OctetsAcceptable(const unsigned long octets[4]) const;

    bool m_maskMode;
    bool m_unsetMode;
    wxTextCtrl* m_frame;
    wxTextCtrl* m_octets[4];
    wxStaticText* m_dots[3];
    wxStaticText* m_padLeft;
    wxStaticText* m_padRight;
};
