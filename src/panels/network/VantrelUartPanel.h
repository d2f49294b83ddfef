// The serial line page (UART, RS485, RS232): stop bits, parity and baud rate,
// written under the UART section and kept in the registry by MAC address.
#pragma once

#include "ConfigPage.h"
#include "UartLogic.h"

class wxComboBox;

class VantrelUartPanel : public ConfigPage {
public:
    // Reads the module while it is built; throws the error text.
    VantrelUartPanel(const wxString& ip, const wxString& port, const wxString& mac, char type, int firmware);

    // Stores the row of what the form holds; a registry failure is shown.
    void SaveToDatabase();

    wxComboBox* StopBitsCombo() const { return m_stopBitsCombo; }
    wxComboBox* ParityBitsCombo() const { return m_parityBitsCombo; }
    wxComboBox* BaudRateCombo() const { return m_baudRateCombo; }

protected:
    void EnableForm(bool editable) override;
    bool CollectWrite(std::vector<BlockValue>* blocks) override;
    uint8_t Section() const override { return CONF_SECTION_UART; }
    void AfterWrite() override { SaveToDatabase(); }

private:
    void BuildForm();
    // The settings the form stands for; false (and said why) when it cannot
    // be written.
    bool FormSettings(UartSettings* uart);

    wxString m_mac;
    UartSettings m_read;
    wxComboBox* m_stopBitsCombo = nullptr;
    wxComboBox* m_parityBitsCombo = nullptr;
    wxComboBox* m_baudRateCombo = nullptr;
};
