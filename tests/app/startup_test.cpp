// Start-up against a loopback update server, and the tip of the day that
// "config.ini" switches.
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/toplevel.h>

#include "UpdateCheck.h"
#include "app_test_util.h"

using namespace apptest;

namespace {

using StartupTest = ShellTest;

struct UpdateCase {
    const char* name;
    std::string body;
    int status;
    UpdateKind kind;
    const char* caption;
    const char* version;
};

const std::vector<UpdateCase>& UpdateCases()
{
    static const std::vector<UpdateCase> cases = {
        {"same version", "1.4.3;0", 200, UpdateKind::None, nullptr, nullptr},
        {"optional", "1.5.0;0", 200, UpdateKind::Available, "New update available!", "1.5.0"},
        {"required", "1.5.0;1", 200, UpdateKind::Required, "New update required!", "1.5.0"},
        {"empty file", "", 200, UpdateKind::None, nullptr, nullptr},
        {"only separator", ";", 200, UpdateKind::None, nullptr, nullptr},
        {"no flag", "1.5.0", 200, UpdateKind::None, nullptr, nullptr},
        {"long version", "123456789;1", 200, UpdateKind::None, nullptr, nullptr},
        {"garbage", "<html><body>moved</body></html>", 200, UpdateKind::None, nullptr, nullptr},
        {"missing file", "", 404, UpdateKind::None, nullptr, nullptr},
    };
    return cases;
}

TEST_F(StartupTest, UpdateCheckAgainstALoopbackServer)
{
    for (const UpdateCase& c : UpdateCases()) {
        LoopbackHttp server(c.body, c.status);
        ScopedEnv url("VANTREL_UPDATE_URL", server.Url());
        dialogs->Clear();
        EXPECT_EQ(RunUpdateCheck(), c.kind) << c.name;
        EXPECT_GE(server.Requests(), 1) << c.name;
        if (!c.caption) {
            EXPECT_TRUE(dialogs->Shown().empty()) << c.name;
            continue;
        }
        ASSERT_EQ(dialogs->Shown().size(), 1u) << c.name;
        const guitest::ShownDialog& d = dialogs->Shown()[0];
        EXPECT_EQ(d.title, c.caption);
        EXPECT_EQ(d.style, wxOK | wxICON_INFORMATION);
        EXPECT_TRUE(d.message.EndsWith(wxString(".\nCurrent version: 1.4.3 - New version: ") + c.version))
            << d.message;
    }
    // No server at all: silent.
    ScopedEnv url("VANTREL_UPDATE_URL", RefusedUrl());
    dialogs->Clear();
    EXPECT_EQ(RunUpdateCheck(), UpdateKind::None);
    EXPECT_TRUE(dialogs->Shown().empty());
}

TEST_F(StartupTest, RequiredUpdateEndsTheStartWithoutAWindow)
{
    LoopbackHttp server("1.5.0;1");
    ScopedEnv url("VANTREL_UPDATE_URL", server.Url());
    MainWindow* main = Main();
    EXPECT_EQ(main->frame, nullptr);
    EXPECT_EQ(main->startPanel, nullptr);
    EXPECT_TRUE(wxTopLevelWindows.IsEmpty());
    ASSERT_EQ(dialogs->Shown().size(), 1u);
    EXPECT_EQ(dialogs->Shown()[0].title, "New update required!");
    EXPECT_TRUE(dialogs->Shown()[0].message.StartsWith("A new update is required. Please download it at "));
}

// Answers the tip dialog with its box ticked or not, noting how it came.
class TipAnswer : public guitest::DialogScript {
public:
    explicit TipAnswer(bool keepTicked) : keep_(keepTicked) {}
    int tips = 0;
    bool cameTicked = false;

protected:
    int Enter(wxDialog* dialog) override
    {
        for (wxWindow* child : dialog->GetChildren())
            if (auto* box = dynamic_cast<wxCheckBox*>(child)) {
                ++tips;
                cameTicked = box->GetValue();
                box->SetValue(keep_);
            }
        return DialogScript::Enter(dialog);
    }

private:
    bool keep_;
};

TEST_F(StartupTest, TipOfTheDayFollowsConfigIni)
{
    struct Case {
        const char* name;
        const char* config;  // nullptr: no file
        bool tipsFile;
        bool keepTicked;
        int tips;
        const char* configAfter;  // nullptr: unchanged
    };
    const Case cases[] = {
        {"on, kept on", "startup_tip=true\n", true, true, 1, nullptr},
        {"on, switched off", "startup_tip=true\n", true, false, 1, "startup_tip=false\n"},
        {"other keys survive", "startup_tip=true\nlang=en\n", true, false, 1, "startup_tip=false\nlang=en\n"},
        {"off", "startup_tip=false\n", true, false, 0, nullptr},
        {"other case", "startup_tip=True\n", true, false, 0, nullptr},
        {"no key", "lang=en\n", true, false, 0, nullptr},
        {"no config.ini", nullptr, true, false, 0, nullptr},
        {"no tips.txt", "startup_tip=true\n", false, false, 0, nullptr},
    };
    for (const Case& c : cases) {
        std::remove("config.ini");
        std::remove("tips.txt");
        if (c.config)
            WriteFile("config.ini", c.config);
        if (c.tipsFile)
            WriteFile("tips.txt", "Connect first, then configure.\nBack returns to the page before.\n");
        dialogs.reset();
        LogErrorCounter log;
        {
            TipAnswer answer(c.keepTicked);
            Main();
            EXPECT_EQ(answer.tips, c.tips) << c.name;
            if (c.tips) {
                EXPECT_TRUE(answer.cameTicked) << c.name;
            }
            MainWindow::DestroyForTests();
        }
        EXPECT_EQ(log.Errors(), 0) << c.name << ": no error may reach the user";
        if (!c.config) {
            EXPECT_FALSE(FileExists("config.ini")) << c.name;
        } else {
            EXPECT_EQ(ReadFile("config.ini"), c.configAfter ? c.configAfter : c.config) << c.name;
        }
    }
    dialogs = std::make_unique<guitest::DialogScript>();
}

}  // namespace
