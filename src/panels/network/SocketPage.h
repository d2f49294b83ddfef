// What the two socket pages share: the four sockets in a grid, the
// validation pass on every edit, and the write of the sockets section.
#pragma once

#include "ConfigPage.h"
#include "SocketLogic.h"

class wxGrid;
class wxGridEvent;

class SocketPage : public ConfigPage {
public:
    wxGrid* Grid() const { return m_grid; }
    // The records the next write sends, as the last pass built them.
    SocketRecords& EditedRecords() { return m_edited; }

protected:
    // Reads the module and builds the form; throws the error text.
    SocketPage(SocketPageKind kind, const wxString& windowName, const wxString& ip, const wxString& port,
               char type, int firmware);

    void TakeForm() override;
    bool CheckForm() override;
    void EnableForm(bool editable) override;
    bool CollectWrite(std::vector<BlockValue>* blocks) override;
    uint8_t Section() const override { return CONF_SECTION_SOCKETS; }

private:
    void BuildGrid();
    void FillGrid();
    // Read-only cells and row colours of the view shown.
    void ApplyCellRules(bool confirmView);
    SocketTable CellTexts() const;
    void OnGridCellClick(wxGridEvent& event);
    void OnGridCellChanged(wxGridEvent& event);

    SocketPageKind m_kind;
    std::vector<ServiceChannel> m_channels;
    SocketGridSource m_source;
    SocketRecords m_edited;
    wxGrid* m_grid = nullptr;
};
