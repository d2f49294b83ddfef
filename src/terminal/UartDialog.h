// The terminal's connection dialog: the address and data port of a module,
// shown without a modal loop. Its OK checks both and opens the terminal page
// through the main window; it then stays hidden as a child of its parent,
// which destroys it.
#pragma once

#include <wx/dialog.h>

class wxIPCtrl;
class wxStaticText;
class wxTextCtrl;

class UartDialog : public wxDialog {
public:
    UartDialog(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos, const wxSize& size,
               long style);
    ~UartDialog() override;

    void SetValues(const wxString& ip, const wxString& configPort, const wxString& dataPort, int type);
    void OnOk(wxCommandEvent& event);

    // For the tests.
    wxIPCtrl* GetIpCtrl() const { return m_ipCtrl; }
    wxTextCtrl* GetPortText() const { return m_portText; }
    wxString GetIpError() const;
    wxString GetPortError() const;

private:
    wxIPCtrl* m_ipCtrl = nullptr;
    wxTextCtrl* m_portText = nullptr;
    wxStaticText* m_ipErrorLabel = nullptr;
    wxStaticText* m_portErrorLabel = nullptr;
    wxString m_ip;
    wxString m_configPort;
    int m_type = -1;
};
