// The hub of one module: reads its identity, stores it in the registry,
// refuses modules this configurator cannot serve, shows who the module is
// and offers one picture button per configuration page its type and
// firmware support. The alias can be edited in place.
#pragma once

#include <wx/panel.h>
#include <wx/string.h>

#include <cstdint>

class wxButton;
class wxCommandEvent;
class wxTextCtrl;

class VantrelPanel : public wxPanel {
public:
    // Builds the whole page on the main window's frame. Throws the error
    // text (a wxString) when the identity read fails or is abandoned, when
    // the address does not fit, or when the module is refused.
    VantrelPanel(const wxString& ip, const wxString& port);
    ~VantrelPanel() override;

    void OnCommandDone(wxCommandEvent& event);
    void OnCommandFailed(wxCommandEvent& event);
    void OnFeatureButton(wxCommandEvent& event);
    void OnBack(wxCommandEvent& event);
    void OnEditAlias(wxCommandEvent& event);

    // Read access for the main window and the tests.
    const wxString& GetIp() const { return m_ip; }
    const wxString& GetPort() const { return m_port; }
    const wxString& GetMacAddress() const { return m_macAddress; }
    const wxString& GetFirmwareText() const { return m_firmwareText; }
    int GetFirmwareVersion() const { return m_firmwareVersion; }
    char GetModuleType() const { return m_moduleType; }
    const wxString& GetAlias() const { return m_alias; }
    wxTextCtrl* GetAliasCtrl() const { return m_aliasCtrl; }

private:
    void ReadModuleIdentity();
    void SaveToDatabase();
    void BuildIdentityArea(const wxString& model);
    void BuildFeatureButtons();
    void StartAliasEdit();
    void SaveAlias();
    // Destroys the alias row's button once its own click has been handled.
    void DropAliasButton();

    int m_posX = 30;
    int m_posY = 30;
    char m_ipText[32] = {};
    int m_portNumber = 0;
    int m_waitFlag = 0;
    wxString m_macAddress;
    wxString m_firmwareText;
    int m_firmwareVersion = 0;
    char m_moduleType = 'S';
    wxString m_alias;
    uint16_t m_bufferSize = 0;
    wxTextCtrl* m_aliasCtrl = nullptr;
    wxButton* m_aliasButton = nullptr;
    int m_aliasRowY = 160;
    wxString m_port;
    wxString m_ip;
};
