// The application object: one running copy, the main window, and the exit.
#include <wx/app.h>
#include <wx/log.h>
#include <wx/snglinst.h>
#include <wx/uilocale.h>

#include <cstdlib>
#include <ctime>

#include "Common.h"
#include "CompactStyle.h"
#include "MainWindow.h"
#include "Pages.h"

class VantrelConf : public wxApp {
public:
    ~VantrelConf() override = default;
    bool OnInit() override;
    int OnExit() override;

private:
    wxSingleInstanceChecker* checker = nullptr;
};

wxIMPLEMENT_APP(VantrelConf);

bool VantrelConf::OnInit()
{
    // wxGTK leaves the C locale alone, and narrow texts need it. The base
    // OnInit is not called: the program takes no command-line arguments.
    wxUILocale::UseDefault();
    // Titles the library's own message boxes ("Vantrel Glimra Error").
    SetAppDisplayName(wxS("Vantrel Glimra"));
    InitSharedFonts();
    UseCompactControls();
    RegisterPages();

    // The lock lives in $HOME under the fixed name, whoever runs the program.
    checker = new wxSingleInstanceChecker(wxS("VantrelConf"));
    if (checker->IsAnotherRunning()) {
        wxLogError(_("Another program instance is already running, aborting."));
        delete checker;
        checker = nullptr;
        return false;
    }

    srand(static_cast<unsigned>(time(nullptr)));

    // A required update ends the start-up inside the construction: then no
    // frame exists and the program ends here.
    if (!MainWindow::GetInstance()->frame) {
        delete checker;
        checker = nullptr;
        return false;
    }
    return true;
}

int VantrelConf::OnExit()
{
    delete checker;
    checker = nullptr;
    if (MainWindow::Exists())
        MainWindow::GetInstance()->Cleanup();
    return 0;
}
