// The frame's menu bar: File, DB Function, Extra and Help. The handlers are
// bound on the frame without an object: they use only the main window.
#pragma once

#include <wx/menu.h>

class wxCommandEvent;

class VantrelMenuBar : public wxMenuBar {
public:
    // Builds the menus, binds the commands on the frame and installs itself
    // as the frame's menu bar.
    VantrelMenuBar();
    // Clears the page slots before the menus go (the frame is closing).
    ~VantrelMenuBar() override;

    static void OnMenuHome(wxCommandEvent& event);
    static void OnMenuBack(wxCommandEvent& event);
    static void OnMenuQuit(wxCommandEvent& event);
    static void OnMenuImportDb(wxCommandEvent& event);
    static void OnMenuExportDb(wxCommandEvent& event);
    static void OnMenuRevertDb(wxCommandEvent& event);
    static void OnMenuTerminal(wxCommandEvent& event);
    static void OnMenuLogin(wxCommandEvent& event);
    static void OnMenuInfo(wxCommandEvent& event);
    static void OnMenuAbout(wxCommandEvent& event);

    wxMenu* fileMenu = nullptr;
    wxMenu* dbMenu = nullptr;
    wxMenu* extraMenu = nullptr;
    wxMenu* helpMenu = nullptr;
};
