#include "VantrelDetailsPanel.h"

#include <wx/button.h>
#include <wx/frame.h>
#include <wx/statbmp.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/wxsqlite3.h>


#include "Common.h"
#include "Db.h"
#include "MainWindow.h"
#include "NumberText.h"

namespace {

// Row labels and the registry columns they show, in page order.
struct DetailsRow {
    const wchar_t* label;
    const char* column;
};
const DetailsRow kRows[8] = {
    {L"MAC Address", "macaddress"}, {L"IP", "ip"},
    {L"Description", "descri"},     {L"SSID", "ssid"},
    {L"Netmask", "netmask"},        {L"Default Gateway", "gw"},
    {L"Network Type", "nwtype"},    {L"Security", "security"},
};
constexpr int kNetworkTypeRow = 6;
constexpr int kSecurityRow = 7;

}  // namespace

long DetailsLeadingNumber(const wxString& text)
{
    return long(AtoiValue(text));
}

wxString DetailsNetworkTypeText(const wxString& stored)
{
    return DetailsLeadingNumber(stored) == 0 ? wxS("Ad-Hoc") : wxS("Infrastructure");
}

wxString DetailsSecurityText(const wxString& stored)
{
    switch (DetailsLeadingNumber(stored)) {
        case 0:
            return wxS("None");
        case 1:
            return wxS("WPA");
        case 2:
            return wxS("WPA2");
        case 3:
            return wxS("WEP");
        default:
            return wxEmptyString;
    }
}

VantrelDetailsPanel::VantrelDetailsPanel(const wxString& mac)
    : wxPanel(MainWindow::GetInstance()->frame, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
              "Vantrel Details")
{
    m_posX = 30;
    m_posY = 30;
    // Bound whatever the registry gives, so that the menu and toolbar Back
    // lead home even from a page that could not be filled.
    Bind(wxEVT_BUTTON, &VantrelDetailsPanel::OnBack, this, ID_BACK);
    Bind(wxEVT_MENU, &VantrelDetailsPanel::OnBack, this, ID_BACK);
    try {
        wxSQLite3ResultSet rows = Db::GetInstance()->GetByMac(mac);
        while (rows.NextRow()) {
            wxString values[8];
            for (int i = 0; i < 8; ++i)
                values[i] = rows.GetAsString(kRows[i].column);
            values[kNetworkTypeRow] = DetailsNetworkTypeText(values[kNetworkTypeRow]);
            values[kSecurityRow] = DetailsSecurityText(values[kSecurityRow]);
            AddModuleBlock(values);
        }
        rows.Finalize();
    } catch (const wxSQLite3Exception& e) {
        MainWindow::GetInstance()->ReportError(e.GetMessage(), false);
    }
}

void VantrelDetailsPanel::AddModuleBlock(const wxString values[8])
{
    new wxStaticBitmap(this, wxID_ANY, wxBitmap(IconsDir + "vantrel_bg.jpg", wxBITMAP_TYPE_JPEG),
                       wxPoint(380, m_posY + 50), wxSize(400, 380));
    auto* title =
        new wxStaticText(this, wxID_ANY, "Vantrel Details", wxPoint(m_posX, m_posY), wxSize(800, -1));
    title->SetFont(FontBold11);
    new wxStaticLine(this, wxID_ANY, wxPoint(0, m_posY + 20), wxSize(800, -1));
    m_posY += 40;
    for (int i = 0; i < 8; ++i) {
        auto* label =
            new wxStaticText(this, wxID_ANY, kRows[i].label, wxPoint(m_posX, m_posY), wxSize(120, 15));
        label->SetFont(FontBold8);
        new wxStaticText(this, wxID_ANY, values[i], wxPoint(m_posX + 170, m_posY), wxSize(170, 15));
        m_posY += 20;
        new wxStaticLine(this, wxID_ANY, wxPoint(m_posX, m_posY), wxSize(300, -1));
        m_posY += 10;
    }
    m_posY += 30;
    new wxButton(this, ID_BACK, "Back", wxPoint(m_posX, m_posY), wxSize(120, -1));
    // A second row of the same MAC starts below the button, not on it.
    m_posY += 40;
}

void VantrelDetailsPanel::OnBack(wxCommandEvent&)
{
    MainWindow::GetInstance()->ShowStartPanel();
}
