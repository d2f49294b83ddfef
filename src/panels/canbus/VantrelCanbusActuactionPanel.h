// The CAN actuation page of a CAN module's execution side: the bus speed,
// which messages the module may send on the bus (all, selected, none; CSV or
// Native), and for the selected ones the list of their ids.
#pragma once

#include <vector>

#include "CanPage.h"

class VantrelCanbusActuactionPanel : public CanPage {
public:
    // Reads datablock 44 while it is built; throws the error text.
    VantrelCanbusActuactionPanel(const wxString& ip, const wxString& port, char type, int firmware);

protected:
    bool SpeedZeroAllowed() const override { return true; }
    bool OpenList() override;
    void Rebuild() override;
    bool CheckForm() override;
    bool UpdateConfiguration() override;
    void ShowAfterWrite() override;

private:
    std::vector<CanMessage> m_messagesRead, m_messagesValidated;
    bool m_echoError = false;
};
