#include "VantrelNetPanel.h"

#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/wxsqlite3.h>

#include "Common.h"
#include "Db.h"
#include "Files.h"
#include "MainWindow.h"
#include "VantrelToolBar.h"
#include "wxIPCtrl.h"

namespace {

constexpr int kMargin = 30;
constexpr int kControlX = kMargin + 170;
const wxSize kControlSize(170, -1);
const wxString kWarning =
    "Please pay attention to your Network Configuration.\nAll changes will be irreversible!";

// A bold row label, with the row's tool tip when it has one.
void RowLabel(wxWindow* page, const wxString& text, int y, const wxString& toolTip = wxString())
{
    auto* label = new wxStaticText(page, wxID_ANY, text, wxPoint(kMargin, y), wxSize(120, -1));
    label->SetFont(FontBold8);
    if (!toolTip.empty())
        label->SetToolTip(toolTip);
}

// A read-only list showing entry `index`, or nothing for -1.
wxComboBox* ReadOnlyCombo(wxWindow* page, int id, int y, const wxArrayString& choices, int index)
{
    auto* combo = new wxComboBox(page, id, index >= 0 ? choices[index] : wxString(), wxPoint(kControlX, y),
                                 kControlSize, choices, wxCB_READONLY);
    if (index >= 0)
        combo->SetSelection(index);
    return combo;
}

wxArrayString Choices(const wxString* texts, size_t n)
{
    return wxArrayString(n, texts);
}

int Number(const wxString& text)
{
    long value = 0;
    text.ToLong(&value);
    return int(value);
}

}  // namespace

VantrelNetPanel::VantrelNetPanel(const wxString& ip, const wxString& port, char type, int firmware)
    : ConfigPage("VantrelNetPanel", ip, port, type, firmware,
                 ConfigPageTexts("Are you sure to update module configuration?", kWarning).OtherBackTips())
{
    if (VantrelToolBar* bar = MainWindow::GetInstance()->toolBar)
        bar->EnableConfigTools(true);
    m_read = DecodeNet(ReadBlocks(NetReadBlocks(), NetAskedOnly()), firmware);
    const NetForm form = FormFromValues(m_read);
    m_values = m_read;
    m_values.security = form.security;

    wxArrayString hexDigits;
    for (int i = 0; i <= 9; ++i)
        hexDigits.Add(wxString::Format("%d", i));
    for (const char* letter : {"a", "b", "c", "d", "e", "f"})
        hexDigits.Add(letter);
    m_wepValidator.SetStyle(wxFILTER_INCLUDE_CHAR_LIST);
    m_wepValidator.SetIncludes(hexDigits);

    BuildForm(form);
}

VantrelNetPanel::~VantrelNetPanel() = default;

void VantrelNetPanel::BuildForm(const NetForm& form)
{
    const wxString model = MainWindow::GetModelName(m_type);
    BuildHeader(" Wi-Fi Network Configuration", "Please fill WI-FI Network configuration parameters.");
    int y = 100;

    RowLabel(this, "Address assigment", y);
    m_addressCombo = ReadOnlyCombo(this, ID_NET_ADDRESS_MODE, y, Choices(AddressChoices, 2), form.dhcp);
    Bind(wxEVT_COMBOBOX, &VantrelNetPanel::OnAddressModeChanged, this, ID_NET_ADDRESS_MODE);
    Bind(wxEventTypeTag<wxCommandEvent>(EVT_NET_ADDRESS_MODE), &VantrelNetPanel::OnAddressModeChanged, this);

    y += 30;
    const wxString ipTip = "Set " + model + " Ip Address";
    RowLabel(this, "IP", y, ipTip);
    m_ipCtrl = std::make_unique<wxIPCtrl>(this, wxPoint(kControlX, y), form.ip, false, false, false);
    m_ipCtrl->SetToolTip(ipTip);

    y += 30;
    const wxString macTip = "Mac Addres read from " + model;
    RowLabel(this, "Mac Address", y, macTip);
    m_macText =
        new wxTextCtrl(this, wxID_ANY, m_read.macaddress, wxPoint(kControlX, y), kControlSize, wxTE_READONLY);
    m_macText->SetToolTip(macTip);

    y += 30;
    RowLabel(this, "RF Power Level", y, "Select RF Power Level");
    m_rfPowerCombo = ReadOnlyCombo(this, ID_NET_RF_POWER, y, Choices(RfPowerChoices, 3), form.rfpower);

    y += 30;
    RowLabel(this, "SSID", y);
    m_ssidText = new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxPoint(kControlX, y), kControlSize);
    m_ssidText->SetMaxLength(SsidFieldSize);
    m_ssidText->ChangeValue(form.ssid);

    y += 30;
    const wxString netmaskTip = "Set network netmask";
    RowLabel(this, "Netmask", y, netmaskTip);
    m_netmaskCtrl = std::make_unique<wxIPCtrl>(this, wxPoint(kControlX, y), form.netmask, true, false, false);
    m_netmaskCtrl->SetToolTip(netmaskTip);

    y += 30;
    const wxString gatewayTip = "Set network default Gateway";
    RowLabel(this, "Default Gateway", y, gatewayTip);
    // A gateway of 0.0.0.0 means none: the control then takes any octets.
    m_gatewayCtrl = std::make_unique<wxIPCtrl>(this, wxPoint(kControlX, y), form.gateway, false,
                                               form.gateway == "0.0.0.0", false);
    m_gatewayCtrl->SetToolTip(gatewayTip);

    y += 30;
    RowLabel(this, "Network Type", y, "Select Network Type (Ad Hoc or Infrastructure)");
    m_networkTypeCombo =
        ReadOnlyCombo(this, ID_NET_NETWORK_TYPE, y, Choices(NetworkTypeChoices, 2), form.nwtype);

    y += 30;
    RowLabel(this, "Channel", y);
    m_channelCombo = ReadOnlyCombo(this, ID_NET_CHANNEL, y, ChannelChoices(), form.channel);

    y += 30;
    m_securityRowY = y;
    RowLabel(this, "Security Type", y, "Select Network Security (None, WEP, WPA or WPA2)");
    m_securityCombo = ReadOnlyCombo(this, ID_NET_SECURITY, y, SecurityChoices(m_read.nwtype), form.security);

    y += 30;
    m_keyRowY = y;
    const wxString keyTip = "Digit password for your network security";
    RowLabel(this, "Password", y, keyTip);
    MakeKeyField(form.psk);
    m_keyText->SetToolTip(keyTip);

    y += 25;
    new wxStaticText(this, wxID_ANY, "Show Password?", wxPoint(kMargin + 178, y));
    m_showPassword = new wxCheckBox(this, ID_NET_SHOW_PASSWORD, wxEmptyString, wxPoint(kMargin + 298, y));

    const bool adHoc = m_read.nwtype == NET_ADHOC;
    new wxStaticBitmap(this, wxID_ANY, IconBitmap(adHoc ? "home_bg.jpg" : "home_infrastructure_bg.jpg"),
                       wxPoint(380, 200), wxSize(420, 319));
    if (form.security == 0)
        m_keyText->Disable();
    if (adHoc) {
        m_gatewayCtrl->EnableFields(false);
        m_channelCombo->Enable();
    } else {
        m_channelCombo->Disable();
    }
    if (form.dhcp == ADDRESS_DHCP) {
        m_ipCtrl->EnableFields(false);
        m_gatewayCtrl->EnableFields(false);
        m_netmaskCtrl->EnableFields(false);
    }

    PlaceButtons(wxPoint(kMargin, y + 20));

    Bind(wxEVT_MENU, &VantrelNetPanel::ImportXml, this, ID_IMPORT_CONF);
    Bind(wxEVT_MENU, &VantrelNetPanel::ImportXml, this, ID_LOAD_LAST_CONF);
    Bind(wxEVT_MENU, &VantrelNetPanel::ExportXml, this, ID_EXPORT_CONF);
    Bind(wxEventTypeTag<wxCommandEvent>(EVT_NET_SAVE_LAST_CONFIG), &VantrelNetPanel::ExportXml, this);
    Bind(wxEventTypeTag<wxCommandEvent>(EVT_NET_NETWORK_TYPE), &VantrelNetPanel::OnNetworkTypeChanged, this);
    Bind(wxEVT_COMBOBOX, &VantrelNetPanel::OnNetworkTypeChanged, this, ID_NET_NETWORK_TYPE);
    Bind(wxEventTypeTag<wxCommandEvent>(EVT_NET_SECURITY), &VantrelNetPanel::OnSecurityChanged, this);
    Bind(wxEVT_COMBOBOX, &VantrelNetPanel::OnSecurityChanged, this, ID_NET_SECURITY);
    Bind(wxEVT_CHECKBOX, &VantrelNetPanel::OnShowPassword, this, ID_NET_SHOW_PASSWORD);
}

void VantrelNetPanel::MakeKeyField(const wxString& text)
{
    const bool plain = m_showPassword && m_showPassword->GetValue();
    wxTextCtrl* old = m_keyText;
    m_keyText = new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxPoint(kControlX, m_keyRowY), kControlSize,
                               plain ? 0 : wxTE_PASSWORD);
    m_keyText->SetMaxLength(KeyMaxLength(m_firmware));
    if (IsWepKey(m_networkTypeCombo->GetSelection(), m_securityCombo->GetSelection()))
        m_keyText->SetValidator(m_wepValidator);
    m_keyText->ChangeValue(text);
    if (old) {
        m_keyText->MoveAfterInTabOrder(old);
        old->Destroy();
    }
}

void VantrelNetPanel::FillSecurityList(int nwtype, int selection)
{
    const wxArrayString choices = SecurityChoices(nwtype);
    m_securityCombo->Set(choices);
    const int index = ChoiceIndex(selection, int(choices.size()));
    if (index >= 0)
        m_securityCombo->SetSelection(index);
}

void VantrelNetPanel::Signal(int type)
{
    wxCommandEvent event(type, type);
    event.SetEventObject(this);
    event.StopPropagation();
    GetEventHandler()->ProcessEvent(event);
}

void VantrelNetPanel::OnAddressModeChanged(wxCommandEvent&)
{
    bool enable = true;
    if (m_addressCombo->GetSelection() == ADDRESS_DHCP) {
        m_networkTypeCombo->SetSelection(NET_INFRASTRUCTURE);
        Signal(EVT_NET_NETWORK_TYPE);
        enable = false;
    }
    m_ipCtrl->EnableFields(enable);
    m_netmaskCtrl->EnableFields(enable);
    m_networkTypeCombo->Enable(enable);
    m_gatewayCtrl->EnableFields(enable);
}

void VantrelNetPanel::OnNetworkTypeChanged(wxCommandEvent&)
{
    const int nwtype = m_networkTypeCombo->GetSelection();
    if (nwtype == NET_ADHOC) {
        m_gatewayCtrl->EnableFields(false);
        m_keyText->Disable();
        m_channelCombo->Enable();
        m_values.security = 0;
    } else {
        m_gatewayCtrl->EnableFields(m_addressCombo->GetSelection() != ADDRESS_DHCP);
        m_channelCombo->Disable();
    }
    FillSecurityList(nwtype, m_values.security);
}

void VantrelNetPanel::OnSecurityChanged(wxCommandEvent&)
{
    MakeKeyField(wxEmptyString);
    m_keyText->Enable(m_securityCombo->GetSelection() != 0);
}

void VantrelNetPanel::OnShowPassword(wxCommandEvent&)
{
    m_values.psk = m_keyText->GetValue();
    MakeKeyField(m_values.psk);
    // Only a display change: the confirmation view keeps the key as checked.
    m_keyText->Enable(m_securityCombo->GetSelection() != 0 && !InConfirmView());
}

NetForm VantrelNetPanel::FormNow() const
{
    NetForm form;
    form.dhcp = m_addressCombo->GetSelection();
    form.ip = m_ipCtrl->GetValue();
    form.rfpower = m_rfPowerCombo->GetSelection();
    form.ssid = m_ssidText->GetValue();
    form.netmask = m_netmaskCtrl->GetValue();
    form.gateway = m_gatewayCtrl->GetValue();
    form.nwtype = m_networkTypeCombo->GetSelection();
    form.channel = m_channelCombo->GetSelection();
    form.security = m_securityCombo->GetSelection();
    form.psk = m_keyText->GetValue();
    return form;
}

bool VantrelNetPanel::CheckForm()
{
    const NetCheck check =
        CheckNet(m_ipCtrl->Validate(), m_gatewayCtrl->Validate(), m_netmaskCtrl->Validate(),
                 m_networkTypeCombo->GetSelection(), m_securityCombo->GetSelection(), m_keyText->GetValue());
    if (check == NetCheck::Ok)
        return true;
    MainWindow::GetInstance()->ReportError(NetCheckText(check), false);
    return false;
}

void VantrelNetPanel::EnableForm(bool editable)
{
    if (!editable) {
        m_addressCombo->Disable();
        m_ipCtrl->EnableFields(false);
        m_netmaskCtrl->EnableFields(false);
        m_keyText->Disable();
        m_ssidText->Disable();
        m_gatewayCtrl->EnableFields(false);
        m_channelCombo->Disable();
        m_rfPowerCombo->Disable();
        m_networkTypeCombo->Disable();
        m_securityCombo->Disable();
        return;
    }
    m_addressCombo->Enable();
    m_ipCtrl->EnableFields(true);
    m_netmaskCtrl->EnableFields(true);
    m_ssidText->Enable();
    m_gatewayCtrl->EnableFields(true);
    m_networkTypeCombo->Enable();
    m_securityCombo->Enable();
    m_rfPowerCombo->Enable();
    const int security = m_securityCombo->GetSelection();
    m_keyText->Enable(security != 0);
    const int nwtype = m_networkTypeCombo->GetSelection();
    if (nwtype == NET_ADHOC) {
        m_channelCombo->Enable();
        m_gatewayCtrl->EnableFields(false);
    } else {
        if (m_addressCombo->GetSelection() == ADDRESS_DHCP) {
            m_ipCtrl->EnableFields(false);
            m_gatewayCtrl->EnableFields(false);
            m_netmaskCtrl->EnableFields(false);
            m_networkTypeCombo->Disable();
        }
        m_channelCombo->Disable();
    }
    FillSecurityList(nwtype, security);
}

bool VantrelNetPanel::CollectWrite(std::vector<BlockValue>* blocks)
{
    m_sent = FormNow();
    const NetRefusal refusal = NetWriteBlocks(m_sent, m_read, blocks);
    if (refusal == NetRefusal::None)
        return true;
    MainWindow::GetInstance()->ReportError(NetRefusalText(refusal), false);
    return false;
}

wxString VantrelNetPanel::EchoErrorText(const VEMTOR_COMMAND_MSG* reply,
                                        const std::vector<BlockValue>& blocks, uint8_t)
{
    return NetEchoText(CheckNetEcho(reply, m_sent, blocks));
}

void VantrelNetPanel::AfterWrite()
{
    SaveToDatabase();
    Signal(EVT_NET_SAVE_LAST_CONFIG);
}

void VantrelNetPanel::SaveToDatabase()
{
    const NetForm form = FormNow();
    const wxString& mac = m_read.macaddress;
    try {
        Db* db = Db::GetInstance();
        // A row without an address counts as none.
        if (db->Exists(mac, false).empty())
            db->InsertModule(form.ip, form.ssid, form.netmask, form.gateway, form.nwtype, mac, form.security,
                             form.psk);
        else
            db->UpdateModule(form.ip, form.ssid, form.netmask, form.gateway, form.nwtype, mac, form.security,
                             form.psk);
    } catch (const wxSQLite3Exception& e) {
        MainWindow::GetInstance()->ReportError(e.GetMessage(), false);
    }
}

void VantrelNetPanel::ExportXml(wxCommandEvent& event)
{
    wxString path;
    const bool chosen = event.GetId() == ID_EXPORT_CONF;
    if (chosen) {
        wxFileDialog dialog(this, "Export configuration to file", wxEmptyString, wxEmptyString, "*.xml",
                            wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
        if (dialog.ShowModal() != wxID_OK)
            return;
        path = ChosenPath(dialog);
    } else if (event.GetId() == ID_NET_SAVE_LAST_CONFIG) {
        path = LastConfigFile;
    } else {
        return;
    }
    MainWindow* main = MainWindow::GetInstance();
    switch (SaveNetXml(path, NetXmlFromForm(FormNow()))) {
        case XmlSave::Saved:
            if (chosen) {
                wxMessageDialog box(nullptr, "Configuration saved", "Info", wxOK | wxICON_INFORMATION);
                box.ShowModal();
            }
            break;
        case XmlSave::CannotCreate:
            main->ReportError("Error saving Configuration: cannot create " + path, false);
            break;
        case XmlSave::Failed:
            if (chosen)
                main->ReportError("Error saving Configuration", false);
            break;
    }
}

void VantrelNetPanel::ImportXml(wxCommandEvent& event)
{
    wxString path;
    if (event.GetId() == ID_IMPORT_CONF) {
        wxFileDialog dialog(this, "Import configuration file", wxEmptyString, wxEmptyString, "*.xml",
                            wxFD_OPEN);
        if (dialog.ShowModal() != wxID_OK)
            return;
        path = ChosenPath(dialog);
    } else if (event.GetId() == ID_LOAD_LAST_CONF) {
        path = LastConfigFile;
    } else {
        return;
    }
    MainWindow* main = MainWindow::GetInstance();
    NetXmlValues values;
    switch (LoadNetXml(path, &values)) {
        case XmlLoad::Loaded:
            break;
        case XmlLoad::NotXml:
            main->ReportError("Selected file is not a valid XML file.", false);
            return;
        case XmlLoad::NoRoot:
            return;
    }
    const XmlAccept accept =
        CheckNetXml(values, m_networkTypeCombo->GetSelection(), KeyMaxLength(m_firmware));
    if (accept != XmlAccept::Accepted) {
        const wxString refusal = XmlRefusalText(accept, KeyMaxLength(m_firmware));
        if (!refusal.empty())
            main->ReportError(refusal, false);
        return;
    }
    // What was checked for the confirmation view is no longer what it shows.
    if (InConfirmView())
        Signal(EVT_PANEL_BACK_TO_EDIT);
    ApplyXml(values);
}

void VantrelNetPanel::ApplyXml(const NetXmlValues& v)
{
    if (!v[XML_DHCP].empty()) {
        m_addressCombo->SetSelection(Number(v[XML_DHCP]));
        Signal(EVT_NET_ADDRESS_MODE);
    }
    if (!v[XML_IP].empty())
        m_ipCtrl->SetValue(v[XML_IP]);
    if (!v[XML_RFPOWER].empty())
        m_rfPowerCombo->SetSelection(Number(v[XML_RFPOWER]));
    if (!v[XML_SSID].empty())
        m_ssidText->ChangeValue(v[XML_SSID]);
    if (!v[XML_NETMASK].empty())
        m_netmaskCtrl->SetValue(v[XML_NETMASK]);
    if (!v[XML_GATEWAY].empty())
        m_gatewayCtrl->SetValue(v[XML_GATEWAY]);
    if (!v[XML_NWTYPE].empty()) {
        m_networkTypeCombo->SetSelection(Number(v[XML_NWTYPE]));
        Signal(EVT_NET_NETWORK_TYPE);
    }
    if (!v[XML_CHANNEL].empty())
        m_channelCombo->SetSelection(Number(v[XML_CHANNEL]) - 1);
    if (!v[XML_SECURITY].empty()) {
        m_securityCombo->SetSelection(Number(v[XML_SECURITY]));
        Signal(EVT_NET_SECURITY);
    }
    if (!v[XML_PSK].empty())
        m_keyText->ChangeValue(v[XML_PSK]);
}
