// The analog input page: switches each of the module's four analog inputs
// on or off, written under the analog input section.
#pragma once

#include "ConfigPage.h"
#include "IoLogic.h"

class wxGrid;
class wxGridEvent;

class VantrelADCPanel : public ConfigPage {
public:
    // Reads the module while it is built; throws the error text.
    VantrelADCPanel(const wxString& ip, const wxString& port, char type, int firmware);

    wxGrid* Grid() const { return m_grid; }

protected:
    void TakeForm() override;
    void EnableForm(bool editable) override;
    bool CollectWrite(std::vector<BlockValue>* blocks) override;
    uint8_t Section() const override { return CONF_SECTION_ADC; }

private:
    void BuildForm();
    void OnGridCellClick(wxGridEvent& event);

    AdcEnables m_read{};
    AdcEnables m_edited{};
    wxGrid* m_grid = nullptr;
};
