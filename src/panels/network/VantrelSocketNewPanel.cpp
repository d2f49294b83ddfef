#include "VantrelSocketNewPanel.h"

VantrelSocketNewPanel::VantrelSocketNewPanel(const wxString& ip, const wxString& port, char type,
                                             int firmware)
    : SocketPage(SocketPageKind::Newer, "VantrelSocketNewPanel", ip, port, type, firmware)
{
}
