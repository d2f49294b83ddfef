// The real program as a user meets it: started in a working folder of its
// own on this test's X server, looked at and driven through X only.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <wx/image.h>
#include <wx/wxsqlite3.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "process_support.h"
#include "x_windows.h"

namespace proctest {
namespace {

const std::string kMainTitle = "Vantrel Glimra";
// Generous bounds: a sanitizer build starts slowly; the waits end as soon as
// the awaited thing happens.
constexpr int kStartMs = 30000;
constexpr int kEndMs = 10000;

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(screen_.Ok()) << "no X display"; }

    // Starts the program with the update check pointed at a server that
    // reports the current version (no message).
    void StartQuiet(Program& program, const std::string& log)
    {
        ASSERT_TRUE(program.Start(folder_, {{"VANTREL_UPDATE_URL", quiet_server_.Url()}}, log));
    }

    // The main window once it is viewable; fails the test when the program
    // ends first or the bound passes.
    TopWindow AwaitMainWindow(Program& program)
    {
        std::vector<TopWindow> found;
        Until(
            [&] {
                found = screen_.Find(kMainTitle);
                return !found.empty() || !program.Running();
            },
            kStartMs);
        EXPECT_EQ(found.size(), 1u) << "windows titled \"" << kMainTitle << "\"; output:\n"
                                    << program.Output();
        return found.empty() ? TopWindow{} : found.front();
    }

    // Titles of every viewable titled window.
    std::multiset<std::string> Titles()
    {
        std::multiset<std::string> titles;
        for (const TopWindow& w : screen_.Titled())
            titles.insert(w.title);
        return titles;
    }

    XScreen screen_;
    WorkFolder folder_;
    UpdateServer quiet_server_{"1.4.3;0"};
};

// Puts two modules in the registry so that the start page has rows to show.
void SeedRegistry(const std::string& file)
{
    wxSQLite3Database db;
    db.Open(wxString::FromUTF8(file));
    db.ExecuteUpdate(
        "CREATE TABLE vemtor_vantrel (ip TEXT, ssid TEXT, netmask TEXT, gw TEXT, nwtype INTEGER, "
        "macaddress TEXT, idtype INTEGER, security INTEGER, pwd TEXT, descri TEXT)");
    db.ExecuteUpdate(
        "CREATE TABLE vemtor_vantrel_uart (macaddress TEXT, parity TEXT, stopbits TEXT, baudrate TEXT)");
    db.ExecuteUpdate(
        "INSERT INTO vemtor_vantrel (ip, macaddress, nwtype, security, descri) VALUES "
        "('192.168.100.21', '00:1e:c0:4a:10:01', 1, 2, 'Boiler room'), "
        "('192.168.100.22', '00:1e:c0:4a:10:02', 0, 0, 'Conveyor line 3')");
    db.Close();
}

bool SavePng(const std::vector<unsigned char>& rgb, int width, int height, const std::string& path)
{
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    wxImage image(width, height, false);
    std::copy(rgb.begin(), rgb.end(), image.GetData());
    return image.SaveFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG);
}

size_t DistinctColours(const std::vector<unsigned char>& rgb)
{
    std::set<unsigned> colours;
    for (size_t i = 0; i + 2 < rgb.size() && colours.size() < 1000; i += 3)
        colours.insert(rgb[i] << 16 | rgb[i + 1] << 8 | rgb[i + 2]);
    return colours.size();
}

TEST_F(ProgramTest, StartsWithItsFixedSizeWindowAndLeavesAScreenshot)
{
    SeedRegistry(folder_.File("vantrel-conf.db"));
    Program program;
    StartQuiet(program, "main");
    TopWindow frame = AwaitMainWindow(program);
    ASSERT_NE(frame.id, 0u);
    EXPECT_EQ(frame.width, 800);
    EXPECT_EQ(frame.height, 600);
    EXPECT_GE(quiet_server_.Requests(), 1) << "the update check did not reach the loopback server";

    // Once painted (the pictures and the list add many colours), keep a picture
    // of the window for people to look at.
    std::vector<unsigned char> rgb;
    EXPECT_TRUE(Until(
        [&] { return screen_.Grab(frame.id, frame.width, frame.height, &rgb) && DistinctColours(rgb) > 50; },
        kEndMs));
    std::filesystem::create_directories(VANTREL_ARTIFACTS_DIR);
    EXPECT_TRUE(
        SavePng(rgb, frame.width, frame.height, std::string(VANTREL_ARTIFACTS_DIR) + "/main-window.png"));

    // Nothing else came up: no error or log dialog beside the window.
    EXPECT_EQ(Titles(), std::multiset<std::string>{kMainTitle}) << program.Output();
    EXPECT_TRUE(program.Running());
}

TEST_F(ProgramTest, ASecondInstanceEndsWithoutAWindow)
{
    Program first;
    StartQuiet(first, "first");
    ASSERT_NE(AwaitMainWindow(first).id, 0u);

    // The second copy says why it stops, in the library's error box, and
    // ends once that is closed; it never opens a main window of its own.
    Program second;
    StartQuiet(second, "second");
    const std::string kErrorBox = "Vantrel Glimra Error";
    size_t most_windows = 0;
    std::multiset<std::string> extra;
    std::vector<TopWindow> box;
    auto look = [&] {
        std::multiset<std::string> titles = Titles();
        most_windows = std::max(most_windows, titles.count(kMainTitle));
        for (const std::string& t : titles)
            if (t != kMainTitle && t != kErrorBox)
                extra.insert(t);
    };
    Until(
        [&] {
            look();
            box = screen_.Find(kErrorBox);
            return !box.empty() || !second.Running();
        },
        kStartMs);
    ASSERT_EQ(box.size(), 1u) << "no \"" << kErrorBox << "\"; output:\n" << second.Output();
    bool ended = false;
    for (int attempt = 0; attempt < 4 && !ended; ++attempt) {
        screen_.Focus(box.front().id);
        screen_.Key("Return");
        ended = Until(
            [&] {
                look();
                return !second.Running();
            },
            2000);
    }
    EXPECT_TRUE(ended) << "the second instance is still running; output:\n" << second.Output();
    EXPECT_EQ(most_windows, 1u);
    EXPECT_TRUE(extra.empty()) << "the second instance showed \"" << *extra.begin() << "\"";
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(screen_.Find(kMainTitle).size(), 1u);
}

TEST_F(ProgramTest, QuitFromTheFileMenuEndsWithExitCodeZero)
{
    Program program;
    StartQuiet(program, "quit");
    TopWindow frame = AwaitMainWindow(program);
    ASSERT_NE(frame.id, 0u);

    // Alt+F opens the File menu, Q chooses Quit. A key can be lost while the
    // window takes the focus, so the gesture is repeated a few times.
    bool ended = false;
    for (int attempt = 0; attempt < 4 && !ended; ++attempt) {
        screen_.Focus(frame.id);
        screen_.Chord("Alt_L", "f");
        // Wait for the menu to open: a new viewable window without a title.
        Until([] { return false; }, 300);
        screen_.Key("q");
        ended = program.WaitEnd(3000);
        if (!ended)
            screen_.Key("Escape");
    }
    ASSERT_TRUE(ended) << "Quit did not end the program; output:\n" << program.Output();
    const int status = program.WaitStatus();
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << program.Output();
}

struct UpdateCase {
    const char* name;
    const char* body;    // what the update server answers
    const char* dialog;  // title of the message shown first, or null for none
    bool window_after;   // whether the main window follows
};

const UpdateCase kUpdateCases[] = {
    {"SameVersion", "1.4.3;0", nullptr, true},
    {"OlderRequired", "1.4.2;1", nullptr, true},
    {"NewerOptional", "1.5.0;0", "New update available!", true},
    {"NewerRequired", "1.5.0;1", "New update required!", false},
    // Only the first 7 bytes count: the flag survives, the rest is cut off.
    {"NewerRequiredLongFile", "1.5.0;1 and more text", "New update required!", false},
    // Leading separators are skipped: the version is 15.0.
    {"LeadingSeparator", ";15.0;0", "New update available!", true},
    {"UnknownFlag", "1.5.0;7", nullptr, true},
    {"Empty", "", nullptr, true},
    {"OnlySeparator", ";", nullptr, true},
    {"NoFlag", "1.5.0", nullptr, true},
    {"LongVersion", "123456789;0", nullptr, true},
    {"Garbage", "\x01\xff garbage", nullptr, true},
};

void PrintTo(const UpdateCase& c, std::ostream* os)
{
    *os << c.name;
}

class UpdateCheckTest : public ProgramTest, public ::testing::WithParamInterface<UpdateCase> {};

TEST_P(UpdateCheckTest, ShowsTheRightMessageAndGoesOnOrEnds)
{
    const UpdateCase& c = GetParam();
    UpdateServer server(c.body);
    Program program;
    ASSERT_TRUE(program.Start(folder_, {{"VANTREL_UPDATE_URL", server.Url()}}, "update"));

    if (c.dialog) {
        std::vector<TopWindow> dialog;
        bool main_seen = false;
        Until(
            [&] {
                dialog = screen_.Find(c.dialog);
                main_seen = main_seen || !screen_.Find(kMainTitle).empty();
                return !dialog.empty() || !program.Running();
            },
            kStartMs);
        ASSERT_EQ(dialog.size(), 1u) << "no \"" << c.dialog << "\"; shown: " << screen_.Titled().size()
                                     << " windows; output:\n"
                                     << program.Output();
        EXPECT_FALSE(main_seen) << "the main window came before the update message";

        // Return closes the message (OK is its only button).
        bool closed = false;
        for (int attempt = 0; attempt < 4 && !closed; ++attempt) {
            screen_.Focus(dialog.front().id);
            screen_.Key("Return");
            closed = Until([&] { return screen_.Find(c.dialog).empty(); }, 2000);
        }
        ASSERT_TRUE(closed) << "the update message did not close on Return";
    }

    if (c.window_after) {
        ASSERT_NE(AwaitMainWindow(program).id, 0u);
        EXPECT_EQ(Titles(), std::multiset<std::string>{kMainTitle}) << program.Output();
        EXPECT_TRUE(program.Running());
    } else {
        bool main_seen = false;
        const bool ended = Until(
            [&] {
                main_seen = main_seen || !screen_.Find(kMainTitle).empty();
                return !program.Running();
            },
            kEndMs);
        ASSERT_TRUE(ended) << "the program did not end after the required update; output:\n"
                           << program.Output();
        EXPECT_FALSE(main_seen);
        const int status = program.WaitStatus();
        EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    }
    EXPECT_GE(server.Requests(), 1) << "the update check never asked the loopback server";
}

INSTANTIATE_TEST_SUITE_P(Texts, UpdateCheckTest, ::testing::ValuesIn(kUpdateCases),
                         [](const ::testing::TestParamInfo<UpdateCase>& info) { return info.param.name; });

}  // namespace
}  // namespace proctest
