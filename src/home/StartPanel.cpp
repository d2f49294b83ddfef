#include "StartPanel.h"

#include <wx/bmpbuttn.h>
#include <wx/frame.h>
#include <wx/listbox.h>
#include <wx/msgdlg.h>
#include <wx/statbmp.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/valtext.h>
#include <wx/wxsqlite3.h>

#include "Common.h"
#include "Db.h"
#include "MainWindow.h"
#include "NumberText.h"
#include "wxIPCtrl.h"

namespace {

enum StartPanelId {
    ID_CONNECT = 31,
    ID_SCAN = 32,
};
static_assert(wxID_VIEW_DETAILS == 5042 && wxID_EDIT == 5030 && wxID_DELETE == 5038 && wxID_CLEAR == 5034,
              "the page's button ids are the library's stock ids");

const wxString kDefaultAddress = wxS("192.168.100.10");
const wxString kAddressTip =
    wxS("Set IP to connect to your Vantrel module\n(default 192.168.100.10) then click Connect");

wxBitmap LoadIcon(const wxString& name)
{
    return wxBitmap(IconsDir + name, wxBITMAP_TYPE_JPEG);
}

wxBitmapButton* PictureButton(wxWindow* parent, wxWindowID id, const wxString& icon, const wxPoint& pos,
                              const wxSize& size, const wxString& tip)
{
    auto* button = new wxBitmapButton(parent, id, LoadIcon(icon), pos, size, wxBU_AUTODRAW);
    button->SetToolTip(tip);
    return button;
}

bool AskYesNo(const wxString& question, const wxString& caption)
{
    wxMessageDialog box(nullptr, question, caption, wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION);
    return box.ShowModal() == wxID_YES;
}

}  // namespace

StartPanel::StartPanel()
    : wxPanel(MainWindow::GetInstance()->frame, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL)
{
    m_posX = 30;
    m_posY = 30;

    new wxStaticBitmap(this, wxID_ANY, LoadIcon("home_bg.jpg"), wxPoint(380, 100), wxSize(420, 319), 0,
                       "BackgroundPicture");
    auto* title =
        new wxStaticText(this, wxID_ANY, "Add New Module", wxPoint(m_posX, m_posY), wxSize(800, -1));
    title->SetFont(FontBold11);
    m_posY += 20;
    new wxStaticLine(this, wxID_ANY, wxPoint(0, m_posY), wxSize(800, -1), wxALIGN_CENTRE);

    m_posY += 20;
    m_ipLabel = new wxStaticText(this, wxID_ANY, "IP", wxPoint(m_posX, m_posY + 3), wxSize(20, 25));
    m_ipLabel->SetToolTip(kAddressTip);
    m_ipCtrl = new wxIPCtrl(this, wxPoint(m_posX + 20, m_posY), kDefaultAddress, false, false, false);
    m_ipCtrl->SetToolTip(kAddressTip);
    m_portLabel = new wxStaticText(this, wxID_ANY, "Port", wxPoint(220, m_posY + 3), wxSize(50, 25),
                                   wxALIGN_CENTRE_VERTICAL);
    m_portCtrl = new wxTextCtrl(this, wxID_ANY, wxString::Format("%d", ConfigPort), wxPoint(270, m_posY),
                                wxSize(50, 25), 0, wxTextValidator(wxFILTER_NUMERIC));
    m_portCtrl->SetMaxLength(5);
    // GTK pads an entry by about 9 pixels a side: at the default size five
    // digits do not fit into 50 pixels and "65000" would read "6500".
    m_portCtrl->SetFont(wxFont(wxFontInfo(7.5)));
    PictureButton(this, ID_CONNECT, "connectbtn.jpg", wxPoint(350, m_posY - 8), wxSize(133, 38),
                  "Connect to your Vantrel module");
    Bind(wxEVT_BUTTON, &StartPanel::OnConnect, this, ID_CONNECT);

    m_posY += 60;
    // Under the Scan button's lower edge rather than across it.
    new wxStaticLine(this, wxID_ANY, wxPoint(0, m_posY + 22), wxSize(400, -1), wxALIGN_CENTRE);
    auto* scanTitle =
        new wxStaticText(this, wxID_ANY, "Scan available devices", wxPoint(m_posX, m_posY), wxSize(200, -1));
    scanTitle->SetFont(FontBold11);
    PictureButton(this, ID_SCAN, "scanbtn.jpg", wxPoint(m_posX + 200, m_posY - 8), wxSize(30, 30),
                  "Scan devices in a specified range of ip addresses");
    Bind(wxEVT_BUTTON, &StartPanel::OnScan, this, ID_SCAN);

    m_posY += 40;
    auto* listTitle =
        new wxStaticText(this, wxID_ANY, "Configured Modules", wxPoint(m_posX, m_posY), wxSize(200, -1));
    listTitle->SetFont(FontBold11);
    m_posY += 20;
    new wxStaticLine(this, wxID_ANY, wxPoint(0, m_posY), wxSize(400, -1), wxALIGN_CENTRE);
    m_posY += 20;
    m_moduleList =
        new wxListBox(this, wxID_ANY, wxPoint(m_posX, m_posY), wxSize(300, 200), 0, nullptr, wxLB_SINGLE);
    RefreshModuleList();

    m_posY += 210;
    PictureButton(this, wxID_VIEW_DETAILS, "viewdetailsbtn.jpg", wxPoint(m_posX, m_posY), wxSize(133, 38),
                  "View selected Vantrel details");
    PictureButton(this, wxID_EDIT, "editbtn.jpg", wxPoint(m_posX + 143, m_posY), wxSize(133, 38),
                  "Select Vantrel module to edit its configuration");
    PictureButton(this, wxID_DELETE, "deletebtn.jpg", wxPoint(m_posX + 286, m_posY), wxSize(133, 38),
                  "Delete Vantrel module from database");
    PictureButton(this, wxID_CLEAR, "clearallbtn.jpg", wxPoint(m_posX + 429, m_posY), wxSize(133, 38),
                  "Clear database");
    Bind(wxEVT_BUTTON, &StartPanel::OnViewDetails, this, wxID_VIEW_DETAILS);
    Bind(wxEVT_BUTTON, &StartPanel::OnEditModule, this, wxID_EDIT);
    Bind(wxEVT_BUTTON, &StartPanel::OnDeleteModule, this, wxID_DELETE);
    Bind(wxEVT_BUTTON, &StartPanel::OnClearModules, this, wxID_CLEAR);
    Bind(wxEVT_LISTBOX, &StartPanel::OnEditModule, this);

    SetBackgroundColour(*wxWHITE);
}

StartPanel::~StartPanel()
{
    // The address entry is no window of its own; its fields are our children.
    delete m_ipCtrl;
}

void StartPanel::RefreshModuleList()
{
    m_moduleList->Clear();
    m_ipAddresses.Clear();
    m_macAddresses.Clear();
    wxString notice;
    try {
        Db* db = Db::GetInstance();
        notice = db->TakeOpenNotice();
        wxSQLite3ResultSet rows = db->GetAll();
        while (rows.NextRow()) {
            // Read every column before adding, so a row goes in whole or not at all.
            const wxString mac = rows.GetAsString("macaddress");
            const wxString descri = rows.GetAsString("descri");
            const wxString ip = rows.GetAsString("ip");
            m_moduleList->Append(mac + " - " + descri);
            m_ipAddresses.Add(ip);
            m_macAddresses.Add(mac);
        }
    } catch (const wxSQLite3Exception& e) {
        MainWindow::GetInstance()->ReportError(e.GetMessage(), false);
    }
    // After the rows, so that they are listed behind the message.
    if (!notice.empty())
        MainWindow::GetInstance()->ReportError(notice, false);
}

int StartPanel::SelectedRow() const
{
    const int row = m_moduleList->GetSelection();
    if (row == wxNOT_FOUND || row < 0 || static_cast<size_t>(row) >= m_macAddresses.GetCount())
        return -1;
    return row;
}

void StartPanel::OnConnect(wxCommandEvent&)
{
    const wxString ip = m_ipCtrl->GetValue();
    if (!m_ipCtrl->Validate()) {
        wxMessageDialog box(nullptr, "Invalid IP = " + ip, "Error", wxOK | wxICON_ERROR);
        box.ShowModal();
        return;
    }
    // The hub reads the port as 16 bits: "70000" would quietly become 4464.
    const wxString port = m_portCtrl->GetValue();
    uint16_t portNumber = 0;
    if (!ParsePortText(port, &portNumber)) {
        MainWindow::GetInstance()->ReportError(PortRefusal(port), false);
        return;
    }
    if (!AskYesNo("Are you sure to connect to device with IP = " + ip + " and Port = " + port + "?",
                  "Connect to device?"))
        return;
    MainWindow::GetInstance()->ShowModulePanel(ip, port);
}

void StartPanel::OnScan(wxCommandEvent&)
{
    MainWindow::GetInstance()->ShowScanPanel();
}

void StartPanel::OnViewDetails(wxCommandEvent&)
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    MainWindow::GetInstance()->ShowDetailsPanel(m_macAddresses[row]);
}

void StartPanel::OnEditModule(wxCommandEvent&)
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    m_ipCtrl->SetValue(m_ipAddresses[row]);
}

void StartPanel::OnDeleteModule(wxCommandEvent&)
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    if (!AskYesNo("Are you sure to delete selected device?", "Erase device?"))
        return;
    try {
        Db::GetInstance()->DeleteByMac(m_macAddresses[row]);
    } catch (const wxSQLite3Exception& e) {
        MainWindow::GetInstance()->ReportError(e.GetMessage(), false);
        return;
    }
    RefreshModuleList();
}

void StartPanel::OnClearModules(wxCommandEvent&)
{
    if (m_moduleList->IsEmpty())
        return;
    if (!AskYesNo("Are you sure to delete all devices?", "Erase devices?"))
        return;
    try {
        Db::GetInstance()->DeleteAll();
    } catch (const wxSQLite3Exception& e) {
        MainWindow::GetInstance()->ReportError(e.GetMessage(), false);
        return;
    }
    RefreshModuleList();
}
