// Test main for window tests: starts the GUI library without a main loop.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/uilocale.h>

#include <cstdio>

namespace {

void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg)
{
    ADD_FAILURE() << "wx assertion " << cond.utf8_string() << " " << msg.utf8_string() << " in "
                  << func.utf8_string() << " at " << file.utf8_string() << ":" << line;
}

class TestApp : public wxApp {
public:
    bool OnInit() override
    {
        wxUILocale::UseDefault();
        wxSetAssertHandler(FailOnAssert);
        delete wxLog::SetActiveTarget(new wxLogStderr);
        return true;
    }
};

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(TestApp);

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    if (!wxEntryStart(argc, argv)) {
        fprintf(stderr, "cannot start the GUI library (no display?)\n");
        return 1;
    }
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
