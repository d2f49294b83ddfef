// Each page tells the main window how it is built; a show operation of a page
// that is not registered here leaves the current page as it is.
#include "Pages.h"

#include "MainWindow.h"
#include "VantrelADCPanel.h"
#include "VantrelDetailsPanel.h"
#include "VantrelI2CPanel.h"
#include "VantrelIOPanel.h"
#include "VantrelNetPanel.h"
#include "VantrelPanel.h"
#include "VantrelPowersavePanel.h"
#include "VantrelScanPanel.h"
#include "VantrelUartPanel.h"

void RegisterPages()
{
    MainWindow::RegisterPage(PANEL_MODULE, [](const PageArgs& a) { return new VantrelPanel(a.ip, a.port); });
    MainWindow::RegisterPage(PANEL_DETAILS, [](const PageArgs& a) { return new VantrelDetailsPanel(a.mac); });
    MainWindow::RegisterPage(PANEL_SCAN, [](const PageArgs&) { return new VantrelScanPanel(); });
    MainWindow::RegisterPage(
        PANEL_NET, [](const PageArgs& a) { return new VantrelNetPanel(a.ip, a.port, a.type, a.firmware); });
    MainWindow::RegisterPage(PANEL_UART, [](const PageArgs& a) {
        return new VantrelUartPanel(a.ip, a.port, a.mac, a.type, a.firmware);
    });
    MainWindow::RegisterPage(
        PANEL_IO, [](const PageArgs& a) { return new VantrelIOPanel(a.ip, a.port, a.type, a.firmware); });
    MainWindow::RegisterPage(
        PANEL_ADC, [](const PageArgs& a) { return new VantrelADCPanel(a.ip, a.port, a.type, a.firmware); });
    MainWindow::RegisterPage(
        PANEL_I2C, [](const PageArgs& a) { return new VantrelI2CPanel(a.ip, a.port, a.type, a.firmware); });
    MainWindow::RegisterPage(PANEL_POWERSAVE, [](const PageArgs& a) {
        return new VantrelPowersavePanel(a.ip, a.port, a.type, a.firmware);
    });
}
