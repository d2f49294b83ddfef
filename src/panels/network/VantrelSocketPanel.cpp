#include "VantrelSocketPanel.h"

VantrelSocketPanel::VantrelSocketPanel(const wxString& ip, const wxString& port, char type)
    : SocketPage(SocketPageKind::Older, "VantrelSocketPanel", ip, port, type, 0)
{
}
