#include "VantrelMenuBar.h"

#include <wx/frame.h>
#include <wx/msgdlg.h>

#include "Common.h"
#include "LoginDialog.h"
#include "MainWindow.h"
#include "UartDialog.h"

namespace {

struct MenuItem {
    int id;
    const char* label;
};

wxMenu* BuildMenu(std::initializer_list<MenuItem> items)
{
    auto* menu = new wxMenu(wxEmptyString, 0);
    for (const MenuItem& item : items)
        menu->Append(item.id, item.label, wxEmptyString, wxITEM_NORMAL);
    return menu;
}

const wchar_t kAboutText[] =
    L"Vantrel Glimra configures the Vantrel embedded Wi-Fi modules: their network, "
    L"serial, CAN bus, I/O and power settings.\n\n"
    L"VEMTOR designs and builds the Vantrel modules, which bring serial, CAN bus, "
    L"digital I/O, analog and temperature sensor interfaces onto a Wi-Fi network.\n\n"
    L"Keep the configurator and the module firmware up to date for the best results.";

}  // namespace

VantrelMenuBar::VantrelMenuBar() : wxMenuBar()
{
    fileMenu = BuildMenu({{ID_HOME, "&Home"}, {ID_BACK, "&Back"}, {ID_QUIT, "&Quit"}});
    Append(fileMenu, wxS("&File"));
    dbMenu = BuildMenu(
        {{ID_IMPORT_DB, "&Import DB"}, {ID_EXPORT_DB, "&Export DB"}, {ID_REVERT_DB, "&Revert DB Changes"}});
    Append(dbMenu, wxS("&DB Function"));
    extraMenu = BuildMenu({{ID_TERMINAL, "&JIX-Terminal"}, {ID_LOGIN, "&LOGIN"}});
    Append(extraMenu, wxS("&Extra"));
    helpMenu = BuildMenu({{ID_INFO, "&Info"}, {ID_ABOUT, "&About VEMTOR"}});
    Append(helpMenu, wxS("&Help"));

    wxFrame* frame = MainWindow::GetInstance()->frame;
    frame->Bind(wxEVT_MENU, &VantrelMenuBar::OnMenuHome, ID_HOME);
    frame->Bind(wxEVT_MENU, &VantrelMenuBar::OnMenuAbout, ID_ABOUT);
    frame->Bind(wxEVT_MENU, &VantrelMenuBar::OnMenuInfo, ID_INFO);
    frame->Bind(wxEVT_MENU, &VantrelMenuBar::OnMenuBack, ID_BACK);
    frame->Bind(wxEVT_MENU, &VantrelMenuBar::OnMenuQuit, ID_QUIT);
    frame->Bind(wxEVT_MENU, &VantrelMenuBar::OnMenuImportDb, ID_IMPORT_DB);
    frame->Bind(wxEVT_MENU, &VantrelMenuBar::OnMenuExportDb, ID_EXPORT_DB);
    frame->Bind(wxEVT_MENU, &VantrelMenuBar::OnMenuRevertDb, ID_REVERT_DB);
    frame->Bind(wxEVT_MENU, &VantrelMenuBar::OnMenuTerminal, ID_TERMINAL);
    frame->Bind(wxEVT_MENU, &VantrelMenuBar::OnMenuLogin, ID_LOGIN);
    frame->SetMenuBar(this);
}

VantrelMenuBar::~VantrelMenuBar()
{
    // The page shown goes first (a terminal page is closed, so that its
    // threads stop). Never build the main window from here.
    if (MainWindow::Exists())
        MainWindow::GetInstance()->ClearPanels();
}

void VantrelMenuBar::OnMenuHome(wxCommandEvent&)
{
    MainWindow::GetInstance()->ShowStartPanel();
}

void VantrelMenuBar::OnMenuBack(wxCommandEvent& event)
{
    // The toolbar's forwarding handler, bound for the same id, routes Back.
    event.Skip();
}

void VantrelMenuBar::OnMenuQuit(wxCommandEvent&)
{
    if (wxFrame* frame = MainWindow::GetInstance()->frame)
        frame->Close(true);
}

void VantrelMenuBar::OnMenuTerminal(wxCommandEvent&)
{
    // A new dialog at every choice; the frame, its parent, destroys it.
    MainWindow* main = MainWindow::GetInstance();
    try {
        auto* dialog = new UartDialog(main->frame, wxID_ANY, wxS("JIX-Terminal"), wxDefaultPosition,
                                      wxSize(350, 200), wxDEFAULT_DIALOG_STYLE);
        dialog->SetValues(wxS("192.168.100.10"), wxEmptyString, wxS("65100"), -1);
    } catch (const wxString& text) {
        main->ReportError(text, false);
    }
}

void VantrelMenuBar::OnMenuLogin(wxCommandEvent&)
{
    MainWindow* main = MainWindow::GetInstance();
    try {
        new LoginDialog(main->frame, wxID_ANY, wxS("Login"), wxDefaultPosition, wxSize(350, 200),
                        wxDEFAULT_DIALOG_STYLE);
    } catch (const wxString& text) {
        main->ReportError(text, false);
    }
}

void VantrelMenuBar::OnMenuInfo(wxCommandEvent&)
{
    wxMessageDialog dialog(nullptr, wxS("Vantrel Glimra ver. ") + AppVersion, wxS("Info"), wxOK);
    dialog.ShowModal();
}

void VantrelMenuBar::OnMenuAbout(wxCommandEvent&)
{
    wxMessageDialog dialog(nullptr, kAboutText, wxS("About VEMTOR"), wxOK);
    dialog.ShowModal();
}
