// Each page tells the main window how it is built; a show operation of a page
// that is not registered here leaves the current page as it is.
#include "Pages.h"

#include "MainWindow.h"
#include "VantrelAdvancedPanel.h"
#include "VantrelDetailsPanel.h"
#include "VantrelPanel.h"
#include "VantrelScanPanel.h"
#include "VantrelSocketNewPanel.h"
#include "VantrelSocketPanel.h"
#include "VantrelUartPanel.h"

void RegisterPages()
{
    MainWindow::RegisterPage(PANEL_MODULE, [](const PageArgs& a) { return new VantrelPanel(a.ip, a.port); });
    MainWindow::RegisterPage(PANEL_DETAILS, [](const PageArgs& a) { return new VantrelDetailsPanel(a.mac); });
    MainWindow::RegisterPage(PANEL_SCAN, [](const PageArgs&) { return new VantrelScanPanel(); });
    MainWindow::RegisterPage(PANEL_UART, [](const PageArgs& a) {
        return new VantrelUartPanel(a.ip, a.port, a.mac, a.type, a.firmware);
    });
    MainWindow::RegisterPage(PANEL_SOCKET,
                             [](const PageArgs& a) { return new VantrelSocketPanel(a.ip, a.port, a.type); });
    MainWindow::RegisterPage(PANEL_SOCKET_NEW, [](const PageArgs& a) {
        return new VantrelSocketNewPanel(a.ip, a.port, a.type, a.firmware);
    });
    MainWindow::RegisterPage(PANEL_ADVANCED, [](const PageArgs& a) {
        return new VantrelAdvancedPanel(a.ip, a.port, a.type, a.firmware);
    });
}
