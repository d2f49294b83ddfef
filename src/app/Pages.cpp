// Each page tells the main window how it is built; a show operation of a page
// that is not registered here leaves the current page as it is.
#include "Pages.h"

#include "MainWindow.h"
#include "VantrelDetailsPanel.h"
#include "VantrelPanel.h"
#include "VantrelScanPanel.h"
#include "VantrelTerminalPanel.h"

void RegisterPages()
{
    MainWindow::RegisterPage(PANEL_MODULE, [](const PageArgs& a) { return new VantrelPanel(a.ip, a.port); });
    MainWindow::RegisterPage(PANEL_DETAILS, [](const PageArgs& a) { return new VantrelDetailsPanel(a.mac); });
    MainWindow::RegisterPage(PANEL_SCAN, [](const PageArgs&) { return new VantrelScanPanel(); });
    MainWindow::RegisterPage(PANEL_TERMINAL, [](const PageArgs& a) {
        return new VantrelTerminalPanel(a.ip, a.port, a.dataPort, a.type);
    });
}
