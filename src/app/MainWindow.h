// The one controller of the user interface: the visible frame, its bars, the
// start page, one slot per page (one page shown at a time), navigation, the
// error report and the reboot prompt.
#pragma once

#include <wx/event.h>
#include <wx/string.h>
#include <wx/weakref.h>

#include <functional>
#include <vector>

#include "Common.h"

class wxBoxSizer;
class wxFileConfig;
class wxFrame;
class wxStatusBar;
class wxWindow;
class StartPanel;
class VantrelMenuBar;
class VantrelToolBar;

// Command ids of the menu bar and the toolbar.
enum CommandId {
    ID_IMPORT_DB = 3,
    ID_EXPORT_DB = 4,
    ID_REVERT_DB = 5,
    ID_TERMINAL = 14,
    ID_LOGIN = 15,
    ID_IMPORT_CONF = 56,
    ID_EXPORT_CONF = 57,
    ID_LOAD_LAST_CONF = 58,
    ID_HOME = 5002,
    ID_QUIT = 5006,
    ID_INFO = 5009,
    ID_ABOUT = 5014,
    ID_BACK = 5107,
};

constexpr int PANEL_SLOT_COUNT = PANEL_BATCH_CONF + 1;

// What a show operation hands to the page it builds (copies).
struct PageArgs {
    wxString ip;        // module address text
    wxString port;      // module configuration port text
    wxString mac;       // MAC address text
    wxString dataPort;  // terminal data port text
    char type = 0;      // module type character
    int firmware = 0;   // FirmwareVersionNumber
};

// Builds one page as a child of the frame; may throw the page's error text
// as a wxString.
using PageFactory = std::function<wxWindow*(const PageArgs&)>;

class MainWindow : public wxEvtHandler {
public:
    static MainWindow* GetInstance();
    // True once GetInstance has built the interface (tests, shutdown paths).
    static bool Exists();

    static wxString GetModelName(char type);

    // Empty message: the protocol library's text for a negative last error,
    // else "Vantrel module unreachable". throwIt: throws the text as a
    // wxString; otherwise shows it in the modal "Error" dialog.
    void ReportError(wxString message, bool throwIt);

    // The reboot prompt after a successful write; replaces the calling page.
    static void AskConfigureMore(const wxString& modelName, const wxString& ip, const wxString& port,
                                 bool askMore);

    // Pages register how they are built; a show operation whose page is not
    // registered leaves the current page as it is.
    static void RegisterPage(PanelIndex index, PageFactory factory);

    void ClearPanels();
    void ShowStartPanel();
    void ShowModulePanel(const wxString& ip, const wxString& port);
    void ShowDetailsPanel(const wxString& mac);
    void ShowScanPanel();
    void ShowNetPanel(const wxString& ip, const wxString& port, char type, int firmware);
    void ShowSocketPanel(const wxString& ip, const wxString& port, char type);
    void ShowSocketNewPanel(const wxString& ip, const wxString& port, char type, int firmware);
    void ShowUartPanel(const wxString& ip, const wxString& port, const wxString& mac, char type, int firmware);
    void ShowAdvancedPanel(const wxString& ip, const wxString& port, char type, int firmware);
    void ShowIOPanel(const wxString& ip, const wxString& port, char type, int firmware);
    void ShowADCPanel(const wxString& ip, const wxString& port, char type, int firmware);
    void ShowI2CPanel(const wxString& ip, const wxString& port, char type, int firmware);
    void ShowPowersavePanel(const wxString& ip, const wxString& port, char type, int firmware);
    void ShowBatchConf(const wxString& ip, const wxString& port, char type, int firmware);
    void ShowCanbusPanel(const wxString& ip, const wxString& port, char type, int firmware);
    void ShowCanbusActuactionPanel(const wxString& ip, const wxString& port, char type, int firmware);
    void ShowTerminalPanel(const wxString& returnIp, const wxString& ip, const wxString& modulePort,
                           const wxString& dataPort, char type);

    void OnLoggedIn();
    void OnBack(wxCommandEvent& event);
    void OnNetConfigTool(wxCommandEvent& event);

    // Closes the registry at exit.
    void Cleanup();

    // The page in a slot (null when empty).
    wxWindow* GetPanel(int index) const;

    // Tests only: destroys the frame and the controller, so that the next
    // GetInstance builds everything again (in another working folder, say).
    static void DestroyForTests();

    VantrelToolBar* toolBar = nullptr;
    int currentPanel = PANEL_START;
    wxBoxSizer* sizer = nullptr;
    wxFrame* frame = nullptr;
    wxStatusBar* statusBar = nullptr;
    VantrelMenuBar* menuBar = nullptr;
    StartPanel* startPanel = nullptr;
    wxWindow* slots[PANEL_SLOT_COUNT] = {};  // index 0 unused: the start page has no slot
    wxFileConfig* config = nullptr;
    bool loggedIn = false;

    // Address and port the hub shown was built with (login rebuilds it).
    wxString hubIp;
    wxString hubPort;

private:
    // What a show operation does when its page throws while being built.
    enum class Fallback { ReportOnly, StartPage, Hub };
    // Keeps replaced pages alive until the outermost show operation ends.
    class ShowScope;

    MainWindow() = default;
    ~MainWindow() override;
    void Initialize();

    // The common show algorithm of every page that has a slot (not the
    // terminal, which records its index first).
    void ShowPage(PanelIndex index, const PageArgs& args, Fallback fallback, bool hideStartPage);
    void RunFallback(Fallback fallback, const wxString& ip, const wxString& port);
    // Takes a page out of the sizer and queues it for destruction.
    void RetirePage(wxWindow* page);
    // Destroys the retired pages once control is back in the event loop.
    void FlushRetiredPages();

    static MainWindow* s_instance;
    wxWeakRef<wxWindow> frameAlive;  // null once the frame is gone
    int showDepth = 0;
    std::vector<wxWeakRef<wxWindow>> retiredPages;
};
