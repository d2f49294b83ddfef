// The frame's toolbar: Back, Home, Exit and the three configuration-file
// tools that only the network page enables.
#pragma once

#include <wx/toolbar.h>
#include <wx/weakref.h>

class wxCommandEvent;

class VantrelToolBar {
public:
    // Creates the frame's toolbar (the frame from MainWindow::GetInstance).
    VantrelToolBar();

    // Enables or disables the tools 56, 57 and 58 together.
    void EnableConfigTools(bool enable);

    // Bound on the frame for Back and the configuration-file tools: hands the
    // command to the main window, which passes it to the page shown.
    static void OnTool(wxCommandEvent& event);

    // The toolbar the frame created and owns; null once the frame is gone.
    wxWeakRef<wxToolBar> frameToolBar;
};
