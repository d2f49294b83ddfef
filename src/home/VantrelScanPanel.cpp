#include "VantrelScanPanel.h"

#include <wx/bmpbuttn.h>
#include <wx/frame.h>
#include <wx/listbox.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/wxsqlite3.h>

#include <utility>

#include "Common.h"
#include "Db.h"
#include "HubLogic.h"
#include "MainWindow.h"
#include "ScanDevicesThread.h"
#include "wxIPCtrl.h"

namespace {

constexpr int ID_SCAN_CONNECT = 31;
constexpr int ID_SCAN_START_STOP = 32;

wxBitmap LoadIcon(const wxString& name)
{
    return wxBitmap(IconsDir + name, wxBITMAP_TYPE_JPEG);
}

}  // namespace

VantrelScanPanel::VantrelScanPanel()
    : wxPanel(MainWindow::GetInstance()->frame, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL)
{
    auto* title =
        new wxStaticText(this, wxID_ANY, "Scan available devices", wxPoint(m_posX, m_posY), wxSize(800, -1));
    title->SetFont(FontBold11);
    new wxStaticLine(this, wxID_ANY, wxPoint(0, 50), wxSize(800, -1));

    auto* range = new wxStaticText(this, wxID_ANY, "Define working range", wxPoint(30, 72), wxSize(120, 15));
    range->SetFont(FontBold8);
    // Too wide for one line left of the start control: two lines.
    range->Wrap(120);
    range->SetToolTip("Define an IP range to which to search");
    m_startCtrl = std::make_unique<wxIPCtrl>(this, wxPoint(155, 70), "192.168.100.1", false, false, false);
    m_startCtrl->SetToolTip("Defin IP to start search");
    m_endCtrl = std::make_unique<wxIPCtrl>(this, wxPoint(330, 70), "192.168.100.255", false, false, false);
    m_endCtrl->SetToolTip("Define IP to stop search");

    m_startImage = LoadIcon("startscanbtn.jpg");
    m_stopImage = LoadIcon("stopbtn.jpg");
    m_startStopButton = new wxBitmapButton(this, ID_SCAN_START_STOP, m_startImage, wxPoint(505, 70),
                                           wxSize(88, 25), wxBU_AUTODRAW);
    m_startStopButton->SetToolTip("Start Vantrel Scan!");

    m_statusLabel =
        new wxStaticText(this, wxID_ANY, "Scan in progress...", wxPoint(30, 100), wxSize(120, 15));
    m_statusLabel->Hide();
    m_foundList = new wxListBox(this, wxID_ANY, wxPoint(30, 130), wxSize(400, 350), 0, nullptr, wxLB_SINGLE);
    auto* connect = new wxBitmapButton(this, ID_SCAN_CONNECT, LoadIcon("connectbtn.jpg"), wxPoint(440, 130),
                                       wxSize(133, 38), wxBU_AUTODRAW);
    connect->SetToolTip("Connect to Vantrel module found.");

    Bind(wxEVT_BUTTON, &VantrelScanPanel::OnStartScan, this, ID_SCAN_START_STOP);
    Bind(wxEVT_BUTTON, &VantrelScanPanel::OnConnectToFound, this, ID_SCAN_CONNECT);
    Bind(wxEVT_MENU, &VantrelScanPanel::OnBack, this, ID_BACK);
    Bind(wxEventTypeTag<wxCommandEvent>(EVT_SCAN_DEVICE_FOUND), &VantrelScanPanel::OnDeviceFound, this);
    Bind(wxEventTypeTag<wxCommandEvent>(EVT_SCAN_FINISHED), &VantrelScanPanel::OnScanFinished, this);
    Bind(wxEventTypeTag<wxCommandEvent>(EVT_SCAN_PROGRESS), &VantrelScanPanel::OnScanProgress, this);
}

VantrelScanPanel::~VantrelScanPanel()
{
    DropJob();
}

bool VantrelScanPanel::Show(bool show)
{
    if (!show)
        DropJob();
    return wxPanel::Show(show);
}

void VantrelScanPanel::DropJob()
{
    if (m_job) {
        m_job->Cancel();
        m_job.reset();
    }
}

void VantrelScanPanel::StopScan()
{
    DropJob();
    m_startStopButton->SetBitmap(m_startImage);
    m_scanning = false;
    m_statusLabel->SetLabel("Scan stopped!");
}

bool VantrelScanPanel::IsStale(const wxCommandEvent& event) const
{
    return !m_scanning || event.GetId() != m_scanId;
}

void VantrelScanPanel::OnStartScan(wxCommandEvent&)
{
    if (m_scanning) {
        StopScan();
        return;
    }

    MainWindow* main = MainWindow::GetInstance();
    for (int i = 0; i < 3; ++i) {
        if (m_startCtrl->GetField(i) != m_endCtrl->GetField(i)) {
            main->ReportError("Start and End Ip must be in the same subnet (C class)!", false);
            return;
        }
    }
    // An empty field would quietly read as 0, and a start after the end
    // would scan nothing: both are said rather than "Scan finished!".
    const std::pair<wxIPCtrl*, const char*> ends[] = {{m_startCtrl.get(), "Start"}, {m_endCtrl.get(), "End"}};
    for (const auto& [ctrl, name] : ends) {
        if (!ctrl->Validate()) {
            main->ReportError(wxString("Invalid ") + name + " IP = " + ctrl->GetValue() +
                                  "\n\nEvery field needs a number: the first from 1 to 223, the others "
                                  "from 0 to 255.",
                              false);
            return;
        }
    }
    // Read on the GUI thread; the worker never looks at the controls.
    const ScanRange range =
        MakeScanRange(m_startCtrl->GetField(0).ToStdString(), m_startCtrl->GetField(1).ToStdString(),
                      m_startCtrl->GetField(2).ToStdString(), m_startCtrl->GetField(3).ToStdString(),
                      m_endCtrl->GetField(3).ToStdString());
    if (range.first > range.last) {
        main->ReportError("Start IP " + m_startCtrl->GetValue() + " comes after End IP " +
                              m_endCtrl->GetValue() + ": there is nothing to scan.",
                          false);
        return;
    }

    m_foundList->Clear();
    m_foundAddresses.Clear();
    wxString error;
    std::shared_ptr<ScanJob> job = ScanDevicesThread::Start(this, range, &error);
    if (!job) {
        main->ReportError(error, false);
        return;
    }
    m_job = job;
    m_scanId = job->Id();
    m_statusLabel->Show();
    m_startStopButton->SetBitmap(m_stopImage);
    m_scanning = true;
}

void VantrelScanPanel::OnScanProgress(wxCommandEvent& event)
{
    if (IsStale(event))
        return;
    m_statusLabel->SetLabel("Scan in progress... -> " + event.GetString());
}

void VantrelScanPanel::OnDeviceFound(wxCommandEvent& event)
{
    auto* found = dynamic_cast<ScanDeviceFoundEvent*>(&event);
    if (!found || event.GetId() != m_scanId)
        return;
    const ScanResultRecord& r = found->Record();
    const wxString ip = wxString::Format("%d.%d.%d.%d", r.ip[0], r.ip[1], r.ip[2], r.ip[3]);
    const wxString mac = MacText(r.mac);
    const wxString alias = ModuleText(r.alias, sizeof r.alias);
    m_foundList->Append("IP: " + ip + " - MAC: " + mac + " - Alias: " + alias);
    m_foundAddresses.Add(ip);
    try {
        Db::GetInstance()->SaveDescription(ip, mac, alias);
    } catch (const wxSQLite3Exception& e) {
        MainWindow::GetInstance()->ReportError(e.GetMessage(), false);
    }
}

void VantrelScanPanel::OnScanFinished(wxCommandEvent& event)
{
    if (IsStale(event))
        return;
    m_job.reset();
    m_startStopButton->SetBitmap(m_startImage);
    m_scanning = false;
    if (event.GetInt() == 1) {
        m_statusLabel->SetLabel("Scan finished!");
        return;
    }
    // The scan ended early: on a reply without MAC or alias, at its address.
    const wxString at = event.GetString();
    m_statusLabel->SetLabel(at.empty() ? wxString("Scan stopped!") : "Scan ended at " + at + "!");
    if (!at.empty())
        MainWindow::GetInstance()->ReportError(
            "The module at " + at + " answered without its MAC address or alias: the scan ended there.",
            false);
}

void VantrelScanPanel::OnConnectToFound(wxCommandEvent&)
{
    const int selected = m_foundList->GetSelection();
    if (selected == wxNOT_FOUND || selected >= static_cast<int>(m_foundAddresses.size()))
        return;
    // Copy: the show operation destroys this page, which stops the scan.
    const wxString ip = m_foundAddresses[selected];
    MainWindow::GetInstance()->ShowModulePanel(ip, wxString::Format("%d", ConfigPort));
}

void VantrelScanPanel::OnBack(wxCommandEvent& event)
{
    if (event.GetId() == ID_BACK)
        MainWindow::GetInstance()->ShowStartPanel();
}
