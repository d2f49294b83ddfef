// Test main for window tests: starts the GUI library without a main loop.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/uilocale.h>

#include "CompactStyle.h"

namespace {

class TestApp : public wxApp {
public:
    // Not wxApp::OnInit: it would parse the test's arguments.
    bool OnInit() override
    {
        wxUILocale::UseDefault();
        UseCompactControls();
        wxSetAssertHandler(
            [](const wxString& file, int line, const wxString&, const wxString& cond, const wxString& msg) {
                ADD_FAILURE() << "wx assertion " << cond << " " << msg << " at " << file << ":" << line;
            });
        delete wxLog::SetActiveTarget(new wxLogStderr);
        return true;
    }
};

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(TestApp);

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (testing::GTEST_FLAG(list_tests))  // discovery needs no display
        return RUN_ALL_TESTS();
    if (!wxEntryStart(argc, argv))
        return 1;  // the library has said why
    int rc = 1;
    if (wxTheApp->CallOnInit()) {
        rc = RUN_ALL_TESTS();
        wxTheApp->ProcessPendingEvents();
        wxTheApp->ProcessIdle();
        wxTheApp->OnExit();
    }
    wxEntryCleanup();
    return rc;
}
