// The advanced settings page: service ports, serial timing, init string,
// CAN filter, user task period and auto-reboot, written under the advanced
// section. Which rows it shows depends on the module type and firmware.
#pragma once

#include "AdvancedLogic.h"
#include "ConfigPage.h"

class wxComboBox;
class wxTextCtrl;

class VantrelAdvancedPanel : public ConfigPage {
public:
    // Reads the module while it is built; throws the error text.
    VantrelAdvancedPanel(const wxString& ip, const wxString& port, char type, int firmware);

    // The value control of a row; null when the row is not shown.
    wxTextCtrl* TextField(AdvancedField field) const;
    wxComboBox* ChoiceField(AdvancedField field) const;

protected:
    bool CheckForm() override;
    void EnableForm(bool editable) override;
    bool CollectWrite(std::vector<BlockValue>* blocks) override;
    uint8_t Section() const override { return CONF_SECTION_ADVANCED; }
    bool AskMore() const override { return m_firmware > InitStringFirmware; }

private:
    void BuildForm();
    AdvancedForm Form() const;

    AdvancedConfig m_read;
    wxWindow* m_controls[ADV_FIELD_COUNT] = {};
};
