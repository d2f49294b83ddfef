// Read-only page with what the registry holds about one configured module,
// chosen on the start page by its MAC address. Never talks to the module.
#pragma once

#include <wx/panel.h>
#include <wx/string.h>

class wxCommandEvent;

// How the page shows the stored network type and security type: the text is
// read as a decimal integer the way the runtime's atoi does (leading blanks,
// a sign, then digits; anything else ends it; no digits give 0).
long DetailsLeadingNumber(const wxString& text);
wxString DetailsNetworkTypeText(const wxString& stored);  // 0 "Ad-Hoc", else "Infrastructure"
wxString DetailsSecurityText(const wxString& stored);     // 0..3 None/WPA/WPA2/WEP, else empty

class VantrelDetailsPanel : public wxPanel {
public:
    // Child of the main window's frame. A database failure is reported in
    // the "Error" dialog and the page keeps what it had built; nothing is
    // thrown.
    explicit VantrelDetailsPanel(const wxString& mac);
    ~VantrelDetailsPanel() override = default;

    // Back button, menu and toolbar Back: the start page.
    void OnBack(wxCommandEvent& event);

private:
    void AddModuleBlock(const wxString values[8]);

    int m_posX = 30;
    int m_posY = 30;
};
