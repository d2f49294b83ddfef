#include "VantrelPanel.h"

#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/frame.h>
#include <wx/statbmp.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/wxsqlite3.h>

#include <cstdlib>
#include <memory>

#include "CommandProgressWait.h"
#include "Common.h"
#include "Db.h"
#include "HubLogic.h"
#include "MainWindow.h"
#include "SendCommandThread.h"
#include "sock.h"

namespace {

// Right-aligned label of the identity area.
void Label(wxWindow* parent, const wxString& text, int x, int y)
{
    auto* label = new wxStaticText(parent, wxID_ANY, text, wxPoint(x, y), wxSize(120, -1), wxALIGN_RIGHT);
    label->SetFont(FontBold8);
}

void Separator(wxWindow* parent, int x, int y)
{
    new wxStaticLine(parent, wxID_ANY, wxPoint(x, y), wxSize(400, -1), 0);
}

}  // namespace

VantrelPanel::VantrelPanel(const wxString& ip, const wxString& port)
    : wxPanel(MainWindow::GetInstance()->frame, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
              "vantrelPanel"),
      m_port(port),
      m_ip(ip)
{
    m_portNumber = atoi(port.ToAscii());
    if (!CopyAddressText(ip, m_ipText))
        MainWindow::GetInstance()->ReportError("Invalid Vantrel module address: " + ip, true);

    ReadModuleIdentity();
    SaveToDatabase();

    const wxString model = MainWindow::GetModelName(m_moduleType);
    m_firmwareVersion = FirmwareVersionNumber(m_firmwareText);
    const HubRefusal refusal = CheckModule(m_bufferSize, model, m_moduleType, m_firmwareVersion);
    if (refusal != HubRefusal::None)
        MainWindow::GetInstance()->ReportError(RefusalText(refusal), true);

    BuildIdentityArea(model);
    BuildFeatureButtons();
    Bind(wxEVT_MENU, &VantrelPanel::OnBack, this, ID_BACK);
}

VantrelPanel::~VantrelPanel() = default;

void VantrelPanel::ReadModuleIdentity()
{
    MainWindow* main = MainWindow::GetInstance();
    // About 131 KB: off the GUI thread's stack.
    auto request = std::make_unique<VEMTOR_COMMAND_MSG>();
    cmd_msg_clear(request.get());
    if (!BuildIdentityRequest(request.get()))
        main->ReportError(wxEmptyString, true);

    Bind(wxEventTypeTag<wxCommandEvent>(EVT_COMMAND_SUCCEEDED), &VantrelPanel::OnCommandDone, this);
    Bind(wxEventTypeTag<wxCommandEvent>(EVT_COMMAND_FAILED), &VantrelPanel::OnCommandFailed, this);
    const int flag =
        CommandProgressWait(this, request.get(), m_ipText, static_cast<uint16_t>(m_portNumber), m_waitFlag);
    if (flag == 0)
        main->ReportError("Connection aborted by user", true);
    if (flag < 0)
        main->ReportError(wxEmptyString, true);

    ModuleIdentity identity;
    if (!ParseIdentity(request.get(), &identity))
        main->ReportError(wxEmptyString, true);
    m_macAddress = identity.mac;
    m_firmwareText = identity.firmwareText;
    m_moduleType = identity.type;
    m_alias = identity.alias;
    m_bufferSize = identity.bufferSize;
}

void VantrelPanel::SaveToDatabase()
{
    // A registry failure is told to the user; the hub is built all the same.
    try {
        Db::GetInstance()->SaveDescription(m_ip, m_macAddress, m_alias);
    } catch (const wxSQLite3Exception& e) {
        MainWindow::GetInstance()->ReportError(e.GetMessage(), false);
    }
}

void VantrelPanel::BuildIdentityArea(const wxString& model)
{
    const int valueX = 200;
    const wxSize valueSize(170, -1);

    auto* title =
        new wxStaticText(this, wxID_ANY, model + " Configuration", wxPoint(m_posX, m_posY), wxSize(800, -1));
    title->SetFont(FontBold11);
    m_posY += 20;
    new wxStaticLine(this, wxID_ANY, wxPoint(0, m_posY), wxSize(800, -1), wxALIGN_CENTRE);
    m_posY += 20;
    auto* connected = new wxStaticText(this, wxID_ANY, "Connected successful to:", wxPoint(m_posX, m_posY),
                                       wxSize(800, -1));
    connected->SetFont(FontBold9);
    connected->SetForegroundColour(wxColour(255, 0, 0));

    m_posY += 30;
    Label(this, "MAC ADDRESS:", m_posX, m_posY);
    auto* mac = new wxTextCtrl(this, wxID_ANY, m_macAddress, wxPoint(valueX, m_posY), valueSize,
                               wxTE_READONLY | wxTE_CENTRE | wxBORDER_NONE);
    mac->SetBackgroundColour(*wxWHITE);
    m_posY += 20;
    Separator(this, m_posX, m_posY);

    m_posY += 10;
    Label(this, "IP:", m_posX, m_posY);
    new wxStaticText(this, wxID_ANY, m_ip, wxPoint(valueX, m_posY), valueSize, wxALIGN_CENTRE_HORIZONTAL);
    m_posY += 20;
    Separator(this, m_posX, m_posY);

    m_posY += 10;
    m_aliasRowY = m_posY;
    Label(this, "Alias:", m_posX, m_posY);
    m_aliasCtrl = new wxTextCtrl(this, wxID_ANY, m_alias, wxPoint(valueX, m_posY), wxSize(170, 20),
                                 wxTE_CENTRE | wxBORDER_NONE);
    m_aliasCtrl->SetMaxLength(MODULE_TEXT_SIZE);
    m_aliasCtrl->SetEditable(false);
    m_aliasCtrl->SetBackgroundColour(*wxWHITE);
    m_aliasCtrl->SetToolTip("Click on Edit to modify Vantrel Alias");
    m_aliasButton = new wxButton(this, ID_HUB_ALIAS_EDIT, "Edit", wxPoint(m_posX + 340, m_aliasRowY),
                                 wxSize(30, 20), wxBORDER_NONE | 0x10);
    m_aliasButton->SetToolTip("Modify Vantrel Alias");
    Bind(wxEVT_BUTTON, &VantrelPanel::OnEditAlias, this, ID_HUB_ALIAS_EDIT);
    m_posY += 20;
    Separator(this, m_posX, m_posY);

    new wxStaticBitmap(this, wxID_ANY, IconBitmap("vantrel_panel_bg.jpg"), wxPoint(480, 251), wxSize(320, 251));

    m_posY += 10;
    Label(this, "Type:", m_posX, m_posY);
    new wxStaticText(this, wxID_ANY, model, wxPoint(valueX, m_posY), valueSize, wxALIGN_CENTRE_HORIZONTAL);
    m_posY += 20;
    Separator(this, m_posX, m_posY);

    m_posY += 10;
    Label(this, "Firmware version:", m_posX, m_posY);
    new wxStaticText(this, wxID_ANY, m_firmwareText, wxPoint(valueX, m_posY), valueSize,
                     wxALIGN_CENTRE_HORIZONTAL);
    m_posY += 20;
    Separator(this, m_posX, m_posY);

    m_posY += 30;
}

void VantrelPanel::BuildFeatureButtons()
{
    const bool loggedIn = MainWindow::GetInstance()->loggedIn;
    for (const HubButton& b : HubButtons(m_moduleType, m_firmwareVersion, loggedIn, m_posX, m_posY)) {
        auto* button = new wxBitmapButton(this, b.id, IconBitmap(b.image), wxPoint(b.x, b.y), wxSize(154, 38),
                                          wxBU_AUTODRAW);
        if (b.toolTip)
            button->SetToolTip(b.toolTip);
        Bind(wxEVT_BUTTON, &VantrelPanel::OnFeatureButton, this, b.id);
    }
}

void VantrelPanel::OnCommandDone(wxCommandEvent&)
{
    m_waitFlag = 1;
}

void VantrelPanel::OnCommandFailed(wxCommandEvent&)
{
    m_waitFlag = -1;
}

void VantrelPanel::OnFeatureButton(wxCommandEvent& event)
{
    // Copies: the show operation destroys this page.
    const wxString ip = m_ip;
    const wxString port = m_port;
    const wxString mac = m_macAddress;
    const char type = m_moduleType;
    const int fw = m_firmwareVersion;
    MainWindow* main = MainWindow::GetInstance();

    switch (event.GetId()) {
        case ID_HUB_NETWORK:
            main->ShowNetPanel(ip, port, type, fw);
            break;
        case ID_HUB_UART:
            main->ShowUartPanel(ip, port, mac, type, fw);
            break;
        case ID_HUB_TERMINAL:
            main->ShowTerminalPanel(ip, ip, wxString::Format("%d", ConfigPort),
                                    wxString::Format("%d", TerminalDataPort(type)), type);
            break;
        case ID_HUB_SOCKET:
            main->ShowSocketPanel(ip, port, type);
            break;
        case ID_HUB_CANBUS:
            main->ShowCanbusPanel(ip, port, type, fw);
            break;
        case ID_HUB_IO:
            main->ShowIOPanel(ip, port, type, fw);
            break;
        case ID_HUB_ADC:
            main->ShowADCPanel(ip, port, type, fw);
            break;
        case ID_HUB_ADVANCED:
            main->ShowAdvancedPanel(ip, port, type, fw);
            break;
        case ID_HUB_SOCKET_NEW:
            main->ShowSocketNewPanel(ip, port, type, fw);
            break;
        case ID_HUB_CANBUS_ACTUATION:
            main->ShowCanbusActuactionPanel(ip, port, type, fw);
            break;
        case ID_HUB_I2C:
            main->ShowI2CPanel(ip, port, type, fw);
            break;
        case ID_HUB_POWERSAVE:
            main->ShowPowersavePanel(ip, port, type, fw);
            break;
        case ID_HUB_BATCH_CONF:
            main->ShowBatchConf(ip, port, type, fw);
            break;
        default:
            break;
    }
}

void VantrelPanel::OnBack(wxCommandEvent& event)
{
    if (event.GetId() == ID_BACK)
        MainWindow::GetInstance()->ShowStartPanel();
}

void VantrelPanel::OnEditAlias(wxCommandEvent& event)
{
    if (event.GetId() == ID_HUB_ALIAS_EDIT)
        StartAliasEdit();
    else if (event.GetId() == ID_HUB_ALIAS_SAVE)
        SaveAlias();
}

void VantrelPanel::DropAliasButton()
{
    DestroyLater(m_aliasButton);
    m_aliasButton = nullptr;
}

void VantrelPanel::StartAliasEdit()
{
    if (!m_aliasButton || m_aliasButton->GetId() != ID_HUB_ALIAS_EDIT)
        return;
    m_aliasCtrl->SetEditable(true);
    m_aliasCtrl->SetFocus();
    DropAliasButton();
    m_aliasButton = new wxButton(this, ID_HUB_ALIAS_SAVE, "Save", wxPoint(m_posX + 340, m_aliasRowY),
                                 wxSize(35, 20), wxBORDER_NONE | 0x10);
    Bind(wxEVT_BUTTON, &VantrelPanel::OnEditAlias, this, ID_HUB_ALIAS_SAVE);
}

void VantrelPanel::SaveAlias()
{
    if (!m_aliasButton || m_aliasButton->GetId() != ID_HUB_ALIAS_SAVE)
        return;
    MainWindow* main = MainWindow::GetInstance();
    const wxString alias = m_aliasCtrl->GetValue();
    uint8_t bytes[MODULE_TEXT_SIZE];
    if (!ModuleTextToBytes(alias, bytes, sizeof bytes)) {
        main->ReportError("The alias must be at most 32 characters of the 8-bit character set", false);
        return;
    }

    auto msg = std::make_unique<VEMTOR_COMMAND_MSG>();
    cmd_msg_clear(msg.get());
    if (!BuildAliasWrite(msg.get(), bytes) ||
        !cmd_msg_transact(msg.get(), m_ipText, static_cast<uint16_t>(m_portNumber))) {
        main->ReportError(wxEmptyString, false);
        return;
    }
    switch (CheckAliasEcho(msg.get(), alias)) {
        case AliasEcho::MissingBlock:
            main->ReportError(wxEmptyString, false);
            return;
        case AliasEcho::Differs:
            main->ReportError("Configuration saved with errors!", false);
            return;
        case AliasEcho::Matches:
            break;
    }

    DropAliasButton();
    new wxStaticBitmap(this, wxID_ANY, IconBitmap("ok.jpg"), wxPoint(m_posX + 340, m_aliasRowY),
                       wxSize(20, 20));
    m_aliasCtrl->SetEditable(false);
    auto* note = new wxStaticText(this, wxID_ANY, "*Vantrel reboot required",
                                  wxPoint(m_posX + 365, m_aliasRowY + 5), wxSize(-1, 20));
    note->SetFont(FontItalic8);
    try {
        Db::GetInstance()->SaveDescription(m_ip, m_macAddress, alias);
    } catch (const wxSQLite3Exception& e) {
        main->ReportError(e.GetMessage(), false);
    }
}
