// The Wi-Fi network page: address assignment, addresses, SSID, RF power,
// network type, channel and security, written under the network section,
// kept in the registry by MAC address and in "lastConfig.xml"; it alone
// serves the toolbar's import, export and load-last tools.
#pragma once

#include <wx/valtext.h>

#include <memory>

#include "ConfigPage.h"
#include "NetLogic.h"
#include "NetXml.h"

class wxCheckBox;
class wxComboBox;
class wxIPCtrl;
class wxTextCtrl;

// Ids of the page's controls and of the events it makes for itself (the
// event type and id are the same number).
enum NetPageId {
    ID_NET_ADDRESS_MODE = 6,
    ID_NET_SECURITY = 7,
    ID_NET_NETWORK_TYPE = 8,
    ID_NET_SHOW_PASSWORD = 9,
    ID_NET_RF_POWER = 10,
    ID_NET_CHANNEL = 11,
    ID_NET_SAVE_LAST_CONFIG = 59,
};
constexpr int EVT_NET_ADDRESS_MODE = 6;
constexpr int EVT_NET_SECURITY = 7;
constexpr int EVT_NET_NETWORK_TYPE = 8;
constexpr int EVT_NET_SAVE_LAST_CONFIG = 59;

class VantrelNetPanel : public ConfigPage {
public:
    // Enables the configuration-file tools, then reads the module while it
    // is built; throws the error text.
    VantrelNetPanel(const wxString& ip, const wxString& port, char type, int firmware);
    ~VantrelNetPanel() override;

    void OnAddressModeChanged(wxCommandEvent& event);
    void OnNetworkTypeChanged(wxCommandEvent& event);
    void OnSecurityChanged(wxCommandEvent& event);
    void OnShowPassword(wxCommandEvent& event);
    // Id 56 through a file dialog, 58 from "lastConfig.xml".
    void ImportXml(wxCommandEvent& event);
    // Id 57 through a file dialog, 59 to "lastConfig.xml".
    void ExportXml(wxCommandEvent& event);
    // Stores the registry row of what the form holds; a registry failure is
    // shown.
    void SaveToDatabase();

    // What the controls hold now.
    NetForm FormNow() const;
    const NetFormValues& ReadValues() const { return m_read; }

    wxComboBox* AddressAssignmentCombo() const { return m_addressCombo; }
    wxIPCtrl* IpAddressCtrl() const { return m_ipCtrl.get(); }
    wxTextCtrl* MacAddressText() const { return m_macText; }
    wxComboBox* RfPowerLevelCombo() const { return m_rfPowerCombo; }
    wxTextCtrl* SsidText() const { return m_ssidText; }
    wxIPCtrl* NetmaskCtrl() const { return m_netmaskCtrl.get(); }
    wxIPCtrl* DefaultGatewayCtrl() const { return m_gatewayCtrl.get(); }
    wxComboBox* NetworkTypeCombo() const { return m_networkTypeCombo; }
    wxComboBox* ChannelCombo() const { return m_channelCombo; }
    wxComboBox* SecurityTypeCombo() const { return m_securityCombo; }
    wxTextCtrl* PasswordText() const { return m_keyText; }
    wxCheckBox* ShowPasswordCheck() const { return m_showPassword; }

protected:
    bool CheckForm() override;
    void EnableForm(bool editable) override;
    bool CollectWrite(std::vector<BlockValue>* blocks) override;
    uint8_t Section() const override { return CONF_SECTION_NETWORK; }
    wxString EchoErrorText(const VEMTOR_COMMAND_MSG* reply, const std::vector<BlockValue>& blocks,
                           uint8_t section) override;
    void AfterWrite() override;
    bool AskMore() const override { return m_firmware > LongKeyThreshold; }

private:
    void BuildForm(const NetForm& form);
    // A new key field in place of the old one, masked unless the box is
    // ticked, hexadecimal only for a WEP key.
    void MakeKeyField(const wxString& text);
    void FillSecurityList(int nwtype, int selection);
    // Processes one of the page's own events at once.
    void Signal(int type);
    // Puts the accepted values of a file into the form, running the
    // handlers that keep the dependent controls in step.
    void ApplyXml(const NetXmlValues& values);

    NetFormValues m_read;    // as the module reported it
    NetFormValues m_values;  // the security position changes with the form
    NetForm m_sent;          // the form the last write was built from
    int m_securityRowY = 0;
    int m_keyRowY = 0;
    wxTextValidator m_wepValidator;

    wxComboBox* m_addressCombo = nullptr;
    std::unique_ptr<wxIPCtrl> m_ipCtrl;
    wxTextCtrl* m_macText = nullptr;
    wxComboBox* m_rfPowerCombo = nullptr;
    wxTextCtrl* m_ssidText = nullptr;
    std::unique_ptr<wxIPCtrl> m_netmaskCtrl;
    std::unique_ptr<wxIPCtrl> m_gatewayCtrl;
    wxComboBox* m_networkTypeCombo = nullptr;
    wxComboBox* m_channelCombo = nullptr;
    wxComboBox* m_securityCombo = nullptr;
    wxTextCtrl* m_keyText = nullptr;
    wxCheckBox* m_showPassword = nullptr;
};
