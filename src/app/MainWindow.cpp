// Construction of the main window, the error report and the reboot prompt.
// Navigation lives in MainWindowNavigation.cpp.
#include "MainWindow.h"

#include <wx/app.h>
#include <wx/fileconf.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/statusbr.h>

#include "CompactStyle.h"
#include "Db.h"
#include "ModelNames.h"
#include "StartPanel.h"
#include "Startup.h"
#include "UpdateCheck.h"
#include "VantrelMenuBar.h"
#include "VantrelToolBar.h"
#include "cmd_error.h"
#include "sock.h"

MainWindow* MainWindow::s_instance = nullptr;

namespace {

const wxString kUnreachable = wxS("Vantrel module unreachable");

void AddImageHandler(wxImageHandler* handler)
{
    // Registered once per process, however often the window is built.
    if (wxImage::FindHandler(handler->GetType()))
        delete handler;
    else
        wxImage::AddHandler(handler);
}

}  // namespace

MainWindow* MainWindow::GetInstance()
{
    if (!s_instance) {
        // Stored before the construction runs: the bars and the start page
        // reach the object while it is being built.
        s_instance = new MainWindow();
        s_instance->Initialize();
    }
    return s_instance;
}

bool MainWindow::Exists()
{
    return s_instance != nullptr;
}

MainWindow::~MainWindow()
{
    delete toolBar;
    delete config;
}

void MainWindow::Initialize()
{
    InitSharedFonts();
    AddImageHandler(new wxJPEGHandler);
    AddImageHandler(new wxGIFHandler);
    RegisterInternetHandler();

    // A required update ends the start-up here: no frame is ever made.
    if (RunUpdateCheck() == UpdateKind::Required)
        return;

    if (!sock_winsock_init())
        ReportError(wxEmptyString, false);

    const FrameLayout layout = ChooseFrameLayout(wxGetDisplaySize().GetHeight());
    frame =
        new wxFrame(nullptr, wxID_ANY, wxS("Vantrel Glimra"), wxDefaultPosition, layout.size, layout.style);
    frameAlive = frame;
    if (layout.maximized)
        frame->Maximize();

    statusBar = frame->CreateStatusBar(1, wxSTB_DEFAULT_STYLE, 0);
    statusBar->SetStatusText(wxS("Vantrel Glimra - ver. ") + AppVersion, 0);
    // Tools and menu items carry no help: the version stays while they are pointed at.
    frame->SetStatusBarPane(-1);

    menuBar = new VantrelMenuBar();
    toolBar = new VantrelToolBar();
    startPanel = new StartPanel();

    currentPanel = PANEL_START;
    for (wxWindow*& slot : slots)
        slot = nullptr;
    loggedIn = false;

    const wxBitmap logo(IconsDir + wxS("logo.jpg"), wxBITMAP_TYPE_JPEG);
    new wxStaticBitmap(frame, wxID_ANY, logo, wxPoint(585, 5), wxSize(200, 50), 0);

    sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(startPanel, 1, wxEXPAND, 0);
    frame->SetSizer(sizer);
    sizer->Layout();
    frame->SetBackgroundColour(*wxWHITE);
    frame->Centre(wxBOTH);
    frame->Show(true);
    FitTexts(startPanel);

    config = LoadStartupConfig(StartupConfigFile);
    ShowStartupTip(frame, *config, StartupConfigFile, StartupTipsFile);

    Bind(wxEVT_MENU, &MainWindow::OnBack, this, ID_BACK);
    Bind(wxEVT_MENU, &MainWindow::OnNetConfigTool, this, ID_IMPORT_CONF, ID_LOAD_LAST_CONF);
}

wxString MainWindow::GetModelName(char type)
{
    return ::GetModelName(type);
}

void MainWindow::ReportError(wxString message, bool throwIt)
{
    if (message.empty()) {
        const int code = cmd_get_error();
        if (code < 0) {
            const std::string text = cmd_error_text(code);
            message = wxString::FromUTF8(text);
            if (message.empty() && !text.empty())
                message = wxString(text.data(), wxConvISO8859_1, text.size());
        }
        // A code without a text of its own says no more than the fallback.
        if (message.empty())
            message = kUnreachable;
    }
    if (throwIt)
        throw wxString(message);
    wxMessageDialog dialog(nullptr, message, wxS("Error"), wxOK | wxICON_ERROR);
    dialog.ShowModal();
}

void MainWindow::AskConfigureMore(const wxString& modelName, const wxString& ip, const wxString& port,
                                  bool askMore)
{
    // Copies: the texts may belong to the page that the show operation
    // below replaces.
    const wxString address = ip;
    const wxString configPort = port;
    MainWindow* main = GetInstance();
    const wxString head = wxS("Module configuration updated.\n\nREBOOT your ") + modelName;
    if (askMore) {
        wxMessageDialog question(
            nullptr, head + wxS(" module after configuration.\n\nDo you want to configure other settings?"),
            wxS("Updated"), wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION);
        if (question.ShowModal() == wxID_YES) {
            main->ShowModulePanel(address, configPort);
            return;
        }
    } else {
        wxMessageDialog notice(nullptr, head + wxS(" now!"), wxS("Updated"), wxOK | wxICON_EXCLAMATION);
        notice.ShowModal();
    }
    main->ShowStartPanel();
}

void MainWindow::Cleanup()
{
    // Never opens: a registry that could not be opened is not tried at exit.
    Db::CloseIfOpen();
    sock_winsock_cleanup();
}

void MainWindow::DestroyForTests()
{
    MainWindow* main = s_instance;
    if (!main)
        return;
    if (main->frameAlive) {
        main->frameAlive->Destroy();
        // A frame is deleted when the application is next idle.
        for (int i = 0; i < 100 && main->frameAlive; ++i)
            wxTheApp->ProcessIdle();
    }
    s_instance = nullptr;
    delete main;
}
