// The batch configuration page: saves the whole configuration of a module
// (every page's datablocks) to a file, and sends a saved configuration to a
// module of the same type, section by section as each page writes it, so that
// many modules can be set up alike. Building the page exchanges nothing; Back
// leads to the start page.
#pragma once

#include <wx/panel.h>
#include <wx/string.h>

#include <cstdint>
#include <vector>

#include "BatchLogic.h"

enum BatchConfId {
    ID_BATCH_SAVE = 54,
    ID_BATCH_LOAD = 55,
};

class VantrelBatchConf : public wxPanel {
public:
    VantrelBatchConf(const wxString& ip, const wxString& port, char type, int firmware);
    ~VantrelBatchConf() override;

    // The Back command: the start page.
    void OnBack(wxCommandEvent& event);
    // Button 54: reads the module and writes the chosen file.
    void OnSaveToFile(wxCommandEvent& event);
    // Button 55: checks the chosen file and sends it to the module.
    void OnLoadFromFile(wxCommandEvent& event);

private:
    void OnCommandDone(wxCommandEvent& event);
    void OnCommandFailed(wxCommandEvent& event);

    // False, with the error reported, when the address or port cannot be used.
    bool AddressUsable();
    // One read of `refs` under the progress wait; false with the reason.
    bool Read(const std::vector<BlockRef>& refs, VEMTOR_COMMAND_MSG* msg, std::vector<BlockBytes>* values,
              wxString* reason);
    // The module's identity and every section's records; false with the
    // message for the user.
    bool ReadConfiguration(BatchConfig* config, wxString* message);
    // The module's own address and MAC; false with the reason.
    bool ReadOwnAddress(BlockBytes* ip, wxString* mac, wxString* reason);
    // Sends the sections one after the other; the report of each.
    std::vector<SectionReport> SendSections(const BatchConfig& config);
    // One section's commands; true when an exchange failed and the load stops.
    bool SendCommands(const std::vector<BatchCommand>& commands, SectionReport* report);
    // The registry rows the network and UART pages keep after their writes.
    void SaveRegistryRows(int hubId, const BatchConfig& config, const BlockBytes& ownIp, const wxString& mac);

    char m_type;
    int m_firmware;
    wxString m_ip;
    wxString m_port;
    char m_ipText[32] = {};
    uint16_t m_portNumber = 0;
    bool m_ipUsable = false;
    bool m_portUsable = false;
    int m_waitFlag = 0;
};
