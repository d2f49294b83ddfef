#include "UartDialog.h"

#include <wx/button.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/valtext.h>

#include "Common.h"
#include "MainWindow.h"
#include "NumberText.h"
#include "wxIPCtrl.h"

UartDialog::UartDialog(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos,
                       const wxSize& size, long style)
    : wxDialog(parent, id, title, pos, size, style)
{
    auto* heading = new wxStaticText(this, wxID_ANY, "UART Connection Parameters", wxPoint(20, 10));
    heading->SetFont(FontBold10);
    heading->SetSize(heading->GetTextExtent(heading->GetLabel()));
    new wxStaticText(this, wxID_ANY, "IP", wxPoint(20, 45));
    m_ipCtrl = new wxIPCtrl(this, wxPoint(60, 40), "192.168.100.10", false, false, false);
    m_ipErrorLabel = new wxStaticText(this, wxID_ANY, wxEmptyString, wxPoint(60, 68), wxSize(260, -1));
    new wxStaticText(this, wxID_ANY, "Port", wxPoint(20, 93));
    m_portText = new wxTextCtrl(this, 61, "65100", wxPoint(60, 88), wxSize(70, -1), 0,
                                wxTextValidator(wxFILTER_NUMERIC));
    m_portText->SetMaxLength(5);
    m_portErrorLabel = new wxStaticText(this, wxID_ANY, wxEmptyString, wxPoint(140, 93), wxSize(190, -1));
    new wxButton(this, wxID_OK, wxEmptyString, wxPoint(150, 125));
    new wxButton(this, wxID_CANCEL, wxEmptyString, wxPoint(245, 125));
    Bind(wxEVT_BUTTON, &UartDialog::OnOk, this, wxID_OK);
    Show(true);
}

UartDialog::~UartDialog()
{
    delete m_ipCtrl;
}

void UartDialog::SetValues(const wxString& ip, const wxString& configPort, const wxString& dataPort, int type)
{
    m_ipCtrl->SetValue(ip);
    m_ip = ip;
    m_configPort = configPort;
    m_portText->SetValue(dataPort);
    m_type = type;
}

wxString UartDialog::GetIpError() const
{
    return m_ipErrorLabel->GetLabel();
}

wxString UartDialog::GetPortError() const
{
    return m_portErrorLabel->GetLabel();
}

void UartDialog::OnOk(wxCommandEvent&)
{
    const bool ipOk = m_ipCtrl->Validate();
    m_ipErrorLabel->SetLabel(ipOk ? wxString() : wxString("Invalid IP"));
    const wxString port = m_portText->GetValue();
    uint16_t number = 0;
    bool portOk = true;
    if (port.empty()) {
        m_portErrorLabel->SetLabel("Invalid Port");
        portOk = false;
    } else if (!ParsePortText(port, &number)) {
        // Anything else would be cut to 16 bits and reach another port.
        m_portErrorLabel->SetLabel("Port must be 1 to 65535");
        portOk = false;
    } else {
        m_portErrorLabel->SetLabel(wxEmptyString);
    }
    if (!ipOk || !portOk)
        return;
    Show(false);
    // Copies: the page built below may run an event loop while it connects.
    const wxString returnIp = m_ip;
    const wxString configPort = m_configPort;
    MainWindow::GetInstance()->ShowTerminalPanel(returnIp, m_ipCtrl->GetValue(), configPort, port,
                                                 static_cast<char>(m_type));
}
