// Each page tells the main window how it is built; a show operation of a page
// that is not registered here leaves the current page as it is.
#include "Pages.h"

#include "MainWindow.h"
#include "VantrelADCPanel.h"
#include "VantrelAdvancedPanel.h"
#include "VantrelBatchConf.h"
#include "VantrelCanbusActuactionPanel.h"
#include "VantrelCanbusPanel.h"
#include "VantrelDetailsPanel.h"
#include "VantrelI2CPanel.h"
#include "VantrelIOPanel.h"
#include "VantrelNetPanel.h"
#include "VantrelPanel.h"
#include "VantrelPowersavePanel.h"
#include "VantrelScanPanel.h"
#include "VantrelSocketNewPanel.h"
#include "VantrelSocketPanel.h"
#include "VantrelTerminalPanel.h"
#include "VantrelUartPanel.h"

namespace {

// A configuration page built from the module's address, port, type and
// firmware number.
template <class Page>
void RegisterModulePage(PanelIndex index)
{
    MainWindow::RegisterPage(index, [](const PageArgs& a) { return new Page(a.ip, a.port, a.type, a.firmware); });
}

}  // namespace

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
    RegisterModulePage<VantrelNetPanel>(PANEL_NET);
    RegisterModulePage<VantrelSocketNewPanel>(PANEL_SOCKET_NEW);
    RegisterModulePage<VantrelAdvancedPanel>(PANEL_ADVANCED);
    RegisterModulePage<VantrelIOPanel>(PANEL_IO);
    RegisterModulePage<VantrelADCPanel>(PANEL_ADC);
    RegisterModulePage<VantrelI2CPanel>(PANEL_I2C);
    RegisterModulePage<VantrelPowersavePanel>(PANEL_POWERSAVE);
    RegisterModulePage<VantrelCanbusPanel>(PANEL_CANBUS);
    RegisterModulePage<VantrelCanbusActuactionPanel>(PANEL_CANBUS_ACTUATION);
    RegisterModulePage<VantrelBatchConf>(PANEL_BATCH_CONF);
    MainWindow::RegisterPage(PANEL_TERMINAL, [](const PageArgs& a) {
        return new VantrelTerminalPanel(a.ip, a.port, a.dataPort, a.type);
    });
}
