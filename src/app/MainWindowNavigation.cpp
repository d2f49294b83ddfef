// Page navigation: one page at a time by panel index, the show operations
// with their fallbacks, Back and the configuration-file tools.
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/sizer.h>
#include <wx/wxsqlite3.h>

#include <exception>

#include "CompactStyle.h"
#include "MainWindow.h"
#include "StartPanel.h"
#include "VantrelToolBar.h"

namespace {

// Slots in the order in which ClearPanels empties them.
const int kClearingOrder[PANEL_SLOT_COUNT - 1] = {
    PANEL_MODULE,   PANEL_NET,        PANEL_SCAN,      PANEL_UART,       PANEL_CANBUS, PANEL_CANBUS_ACTUATION,
    PANEL_SOCKET,   PANEL_SOCKET_NEW, PANEL_TERMINAL,  PANEL_DETAILS,    PANEL_IO,     PANEL_ADC,
    PANEL_ADVANCED, PANEL_I2C,        PANEL_POWERSAVE, PANEL_BATCH_CONF,
};

PageFactory* Factories()
{
    static PageFactory factories[PANEL_SLOT_COUNT];
    return factories;
}

// Runs the build steps of a page; any failure comes back as its text, so
// that a page that fails in an unforeseen way cannot end the program.
template <typename Steps>
bool RunGuarded(Steps steps, wxString* error)
{
    try {
        steps();
        return true;
    } catch (const wxString& text) {
        *error = text;
    } catch (const wxSQLite3Exception& e) {
        *error = e.GetMessage();
    } catch (const std::exception& e) {
        *error = wxString::FromUTF8(e.what());
    }
    return false;
}

// The page's parent is the frame, which would hand an unhandled command
// straight back to the main window: the page gets a copy that stops there.
void HandToPage(wxWindow* page, wxCommandEvent& event)
{
    wxCommandEvent copy(event);
    copy.StopPropagation();
    page->GetEventHandler()->ProcessEvent(copy);
}

}  // namespace

// A page is usually replaced from inside one of its own handlers, and the
// page being built may run an event loop (its progress wait) before the show
// operation returns. The replaced pages are therefore only handed to the
// library's deferred destruction when the outermost show operation ends, and
// that destruction runs once control is back in the event loop.
class MainWindow::ShowScope {
public:
    explicit ShowScope(MainWindow& main) : main_(main) { ++main_.showDepth; }
    ~ShowScope()
    {
        if (--main_.showDepth == 0)
            main_.FlushRetiredPages();
    }
    ShowScope(const ShowScope&) = delete;
    ShowScope& operator=(const ShowScope&) = delete;

private:
    MainWindow& main_;
};

void MainWindow::RegisterPage(PanelIndex index, PageFactory factory)
{
    if (index <= PANEL_START || index >= PANEL_SLOT_COUNT)
        return;
    Factories()[index] = std::move(factory);
}

wxWindow* MainWindow::GetPanel(int index) const
{
    if (index <= PANEL_START || index >= PANEL_SLOT_COUNT)
        return nullptr;
    return slots[index];
}

void MainWindow::RetirePage(wxWindow* page)
{
    if (sizer)
        sizer->Detach(page);
    retiredPages.emplace_back(page);
}

void MainWindow::FlushRetiredPages()
{
    // While the frame itself goes, it destroys its pages with it.
    const bool frameGoing = !frameAlive || frameAlive->IsBeingDeleted();
    for (wxWeakRef<wxWindow>& ref : retiredPages) {
        wxWindow* page = ref.get();
        if (page && !frameGoing && wxTheApp)
            wxTheApp->ScheduleForDestruction(page);
    }
    retiredPages.clear();
}

void MainWindow::ClearPanels()
{
    if (toolBar)
        toolBar->EnableConfigTools(false);
    for (int index : kClearingOrder) {
        wxWindow* page = slots[index];
        if (!page)
            continue;
        page->Show(false);
        // The terminal's close handler stops its threads; then it goes like
        // any other page, once none of its handlers runs.
        if (index == PANEL_TERMINAL)
            page->Close(false);
        RetirePage(page);
        slots[index] = nullptr;
    }
    if (showDepth == 0)
        FlushRetiredPages();
}

void MainWindow::ShowPage(PanelIndex index, const PageArgs& args, Fallback fallback, bool hideStartPage)
{
    // A copy: the page being built may register pages itself.
    const PageFactory factory = Factories()[index];
    if (!factory)
        return;
    ShowScope scope(*this);
    ClearPanels();
    // The terminal's threads and Back look at the index while it is built,
    // and its start page goes before the build; every other page changes
    // neither until it is built.
    const bool beforeBuild = index == PANEL_TERMINAL;
    if (beforeBuild)
        currentPanel = index;
    wxString error;
    bool built = false;
    const bool ok = RunGuarded(
        [&] {
            if (beforeBuild && hideStartPage && startPanel)
                startPanel->Show(false);
            wxWindow* page = factory(args);
            if (!page)
                return;
            slots[index] = page;
            if (!beforeBuild && hideStartPage && startPanel)
                startPanel->Show(false);
            sizer->Add(page, 1, wxEXPAND, 0);
            page->Show(true);
            sizer->Layout();
            FitTexts(page);
            if (!beforeBuild)
                currentPanel = index;
            if (index == PANEL_MODULE) {
                hubIp = args.ip;
                hubPort = args.port;
            }
            built = true;
        },
        &error);
    if (built)
        return;
    // A factory that builds nothing is treated like a failed page, without
    // a text of its own to show.
    if (!ok)
        ReportError(error, false);
    RunFallback(fallback, args.ip, args.port);
}

void MainWindow::RunFallback(Fallback fallback, const wxString& ip, const wxString& port)
{
    switch (fallback) {
        case Fallback::ReportOnly:
            break;
        case Fallback::StartPage:
            ShowStartPanel();
            break;
        case Fallback::Hub:
            ShowModulePanel(ip, port);
            break;
    }
}

void MainWindow::ShowStartPanel()
{
    ShowScope scope(*this);
    ClearPanels();
    wxString error;
    if (!RunGuarded(
            [&] {
                if (startPanel) {
                    startPanel->RefreshModuleList();
                    startPanel->Show(true);
                }
                if (sizer)
                    sizer->Layout();
                currentPanel = PANEL_START;
            },
            &error))
        ReportError(error, false);
}

void MainWindow::ShowModulePanel(const wxString& ip, const wxString& port)
{
    PageArgs args;
    args.ip = ip;
    args.port = port;
    ShowPage(PANEL_MODULE, args, Fallback::StartPage, true);
}

void MainWindow::ShowDetailsPanel(const wxString& mac)
{
    PageArgs args;
    args.mac = mac;
    ShowPage(PANEL_DETAILS, args, Fallback::ReportOnly, true);
}

void MainWindow::ShowScanPanel()
{
    ShowPage(PANEL_SCAN, PageArgs(), Fallback::ReportOnly, true);
}

namespace {

PageArgs ModuleArgs(const wxString& ip, const wxString& port, char type, int firmware)
{
    PageArgs args;
    args.ip = ip;
    args.port = port;
    args.type = type;
    args.firmware = firmware;
    return args;
}

}  // namespace

void MainWindow::ShowSocketPanel(const wxString& ip, const wxString& port, char type)
{
    ShowPage(PANEL_SOCKET, ModuleArgs(ip, port, type, 0), Fallback::Hub, false);
}

void MainWindow::ShowUartPanel(const wxString& ip, const wxString& port, const wxString& mac, char type,
                               int firmware)
{
    PageArgs args = ModuleArgs(ip, port, type, firmware);
    args.mac = mac;
    ShowPage(PANEL_UART, args, Fallback::Hub, false);
}

// The configuration pages that take the module's address, port, type and
// firmware, and fall back to the hub of the same module.
#define VANTREL_CONFIG_PAGE(name, index)                                                     \
    void MainWindow::name(const wxString& ip, const wxString& port, char type, int firmware) \
    {                                                                                        \
        ShowPage(index, ModuleArgs(ip, port, type, firmware), Fallback::Hub, false);         \
    }
VANTREL_CONFIG_PAGE(ShowNetPanel, PANEL_NET)
VANTREL_CONFIG_PAGE(ShowSocketNewPanel, PANEL_SOCKET_NEW)
VANTREL_CONFIG_PAGE(ShowAdvancedPanel, PANEL_ADVANCED)
VANTREL_CONFIG_PAGE(ShowIOPanel, PANEL_IO)
VANTREL_CONFIG_PAGE(ShowADCPanel, PANEL_ADC)
VANTREL_CONFIG_PAGE(ShowI2CPanel, PANEL_I2C)
VANTREL_CONFIG_PAGE(ShowPowersavePanel, PANEL_POWERSAVE)
VANTREL_CONFIG_PAGE(ShowBatchConf, PANEL_BATCH_CONF)
VANTREL_CONFIG_PAGE(ShowCanbusPanel, PANEL_CANBUS)
VANTREL_CONFIG_PAGE(ShowCanbusActuactionPanel, PANEL_CANBUS_ACTUATION)
#undef VANTREL_CONFIG_PAGE

void MainWindow::ShowTerminalPanel(const wxString& returnIp, const wxString& ip, const wxString& modulePort,
                                   const wxString& dataPort, char type)
{
    if (!Factories()[PANEL_TERMINAL])
        return;
    PageArgs args = ModuleArgs(ip, modulePort, type, 0);
    args.dataPort = dataPort;
    const wxString backIp = returnIp;
    ShowScope scope(*this);
    ShowPage(PANEL_TERMINAL, args, Fallback::ReportOnly, true);
    if (slots[PANEL_TERMINAL])
        return;
    // Opened from the menu there is no hub to go back to.
    if (args.port.empty())
        ShowStartPanel();
    else
        ShowModulePanel(backIp, args.port);
}

void MainWindow::OnLoggedIn()
{
    loggedIn = true;
    if (currentPanel != PANEL_MODULE)
        return;
    ShowScope scope(*this);
    const wxString ip = hubIp;
    const wxString port = hubPort;
    if (wxWindow* hub = slots[PANEL_MODULE]) {
        hub->Show(false);
        RetirePage(hub);
        slots[PANEL_MODULE] = nullptr;
    }
    ShowModulePanel(ip, port);
}

void MainWindow::OnBack(wxCommandEvent& event)
{
    if (currentPanel <= PANEL_START || currentPanel >= PANEL_SLOT_COUNT)
        return;
    // Null while the terminal page is still being built.
    if (wxWindow* page = slots[currentPanel])
        HandToPage(page, event);
}

void MainWindow::OnNetConfigTool(wxCommandEvent& event)
{
    if (currentPanel != PANEL_NET)
        return;
    if (wxWindow* page = slots[PANEL_NET])
        HandToPage(page, event);
}
