// The I2C temperature sensor page: output type, polling interval and
// temperature offset, written under the I2C section.
#pragma once

#include "ConfigPage.h"
#include "I2cLogic.h"

class wxComboBox;
class wxTextCtrl;

class VantrelI2CPanel : public ConfigPage {
public:
    // Reads the module while it is built; throws the error text.
    VantrelI2CPanel(const wxString& ip, const wxString& port, char type, int firmware);

    wxComboBox* OutputCombo() const { return m_outputCombo; }
    wxTextCtrl* PollingField() const { return m_pollingField; }
    wxTextCtrl* OffsetField() const { return m_offsetField; }

protected:
    bool CheckForm() override;
    void EnableForm(bool editable) override;
    bool CollectWrite(std::vector<BlockValue>* blocks) override;
    uint8_t Section() const override { return CONF_SECTION_I2C; }

private:
    void BuildForm();
    // The record the form stands for; false (and said why) when it cannot be sent.
    bool FormRecord(BlockValue* record);

    I2cConfig m_read;
    wxComboBox* m_outputCombo = nullptr;
    wxTextCtrl* m_pollingField = nullptr;
    wxTextCtrl* m_offsetField = nullptr;
};
