// The digital I/O page: enables each line of the module and sets it as input
// or output, written under the I/O section. Some module types keep lines or
// the type column fixed.
#pragma once

#include <vector>

#include "ConfigPage.h"
#include "IoLogic.h"

class wxGrid;
class wxGridEvent;

class VantrelIOPanel : public ConfigPage {
public:
    // Reads the module while it is built; throws the error text.
    VantrelIOPanel(const wxString& ip, const wxString& port, char type, int firmware);

    wxGrid* Grid() const { return m_grid; }
    int LineCount() const { return m_lineCount; }

protected:
    void TakeForm() override;
    void EnableForm(bool editable) override;
    bool CollectWrite(std::vector<BlockValue>* blocks) override;
    uint8_t Section() const override { return CONF_SECTION_IO; }

private:
    void BuildForm();
    void OnGridCellClick(wxGridEvent& event);

    int m_lineCount;
    IoLock m_lock;
    std::vector<IoChannelEntry> m_read;
    std::vector<IoChannelEntry> m_edited;
    wxGrid* m_grid = nullptr;
};
