// The real program as a user meets it: started as a child process in a
// working folder of its own on this test's X server, driven with the
// keyboard, its update check answered by a loopback server.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <wx/uiaction.h>

#include <filesystem>

#include "gui_test.h"
#include "test_module.h"

// After the other headers: Xlib's macros (None, Status, ...) would break them.
#include <X11/Xlib.h>

extern char** environ;

namespace {

// The program in the working folder, its update check answered with `body`
// (none: not asked); killed at the end if it still runs.
struct Program {
    explicit Program(const std::string& body = "")
    {
        server.SetDataService(true);
        server.Start();
        setenv("VANTREL_UPDATE_URL", ("http://127.0.0.1:" + server.PortText() + "/").c_str(), 1);
        char* argv[] = {const_cast<char*>(VANTREL_PROGRAM), nullptr};
        posix_spawn(&pid, VANTREL_PROGRAM, nullptr, nullptr, argv, environ);
        const std::string reply =
            "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
        if (!body.empty() && guitest::WaitFor([this] { return !server.DataReceived().empty(); }, 30000)) {
            guitest::PumpFor(100);  // the whole request
            server.SendData(testmod::Bytes(reply.begin(), reply.end()));
            server.CloseData();
        }
    }
    ~Program()
    {
        if (Running() && kill(pid, SIGKILL) == 0)
            waitpid(pid, &status, 0);
    }
    bool Running() { return pid > 0 && waitpid(pid, &status, WNOHANG) == 0; }
    testmod::TestModule server;
    pid_t pid = 0;
    int status = 0;
};

// The viewable top-level windows (no window manager here: the root's children)
// with this title, or with any when it is empty.
std::vector<Window> Find(Display* x, const std::string& title)
{
    std::vector<Window> found;
    Window root, parent, *children = nullptr;
    unsigned n = 0;
    XSync(x, False);
    XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &n);
    for (unsigned i = 0; i < n; ++i) {
        XWindowAttributes attr;
        char* name = nullptr;
        if (XGetWindowAttributes(x, children[i], &attr) && attr.map_state == IsViewable &&
            XFetchName(x, children[i], &name)) {
            if (title.empty() || title == name)
                found.push_back(children[i]);
            XFree(name);
        }
    }
    XFree(children);
    return found;
}

// The one window titled so, once it shows (a sanitizer build starts slowly).
Window Await(Display* x, Program& program, const std::string& title)
{
    std::vector<Window> found;
    guitest::WaitFor([&] { return !(found = Find(x, title)).empty() || !program.Running(); }, 30000);
    EXPECT_EQ(found.size(), 1u) << "windows titled \"" << title << "\"";
    return found.empty() ? 0 : found[0];
}

// Presses Return in window `w`, or Quit in its File menu, until `done`; a key
// can be lost while the window takes the focus.
bool Press(Display* x, Window w, bool quit, const std::function<bool()>& done)
{
    wxUIActionSimulator keys;
    for (int attempt = 0; attempt < 4 && !done(); ++attempt) {
        XRaiseWindow(x, w);
        XSetInputFocus(x, w, RevertToParent, CurrentTime);
        XSync(x, False);
        keys.Char(quit ? int('f') : int(WXK_RETURN), quit ? wxMOD_ALT : wxMOD_NONE);
        if (quit) {
            guitest::PumpFor(300);  // the menu opens
            keys.Char('q');
        }
        if (!guitest::WaitFor(done, 2000) && quit)
            keys.Char(WXK_ESCAPE);
    }
    return done();
}

// A version that is not newer shows no message. A required update ends the
// program once its message is closed. Otherwise the notice comes before the
// main window, a second copy stops with the library's error box, and Quit
// ends the first with code 0.
TEST(Program, ShowsItsUpdateNewsStartsOnceAndQuitsWithExitCodeZero)
{
    const std::unique_ptr<Display, int (*)(Display*)> x(XOpenDisplay(nullptr), XCloseDisplay);
    ASSERT_NE(x, nullptr);
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });  // windows vanish as we look
    guitest::TempWorkDir dir;
    std::filesystem::create_directory_symlink(VANTREL_ICONS_DIR, "icons");  // no config.ini: no tip
    {
        Program same("1.4.3;0");
        Await(x.get(), same, "Vantrel Glimra");
        EXPECT_EQ(Find(x.get(), "").size(), 1u) << "nothing beside the main window";
    }  // killed: the lock it leaves is stale
    {
        Program ending("1.5.0;1");
        const Window news = Await(x.get(), ending, "New update required!");
        EXPECT_TRUE(Press(x.get(), news, false, [&] { return !ending.Running(); }));
    }
    Program first("1.5.0;0");
    const Window news = Await(x.get(), first, "New update available!");
    EXPECT_TRUE(Find(x.get(), "Vantrel Glimra").empty()) << "the message comes first";
    EXPECT_TRUE(Press(x.get(), news, false, [&] { return Find(x.get(), "New update available!").empty(); }));
    const Window main = Await(x.get(), first, "Vantrel Glimra");
    ASSERT_EQ(Find(x.get(), "").size(), 1u) << "nothing beside the main window";

    Program second;
    const Window box = Await(x.get(), second, "Vantrel Glimra Error");
    EXPECT_EQ(Find(x.get(), "Vantrel Glimra").size(), 1u);
    EXPECT_TRUE(Press(x.get(), box, false, [&] { return !second.Running(); }));

    ASSERT_TRUE(Press(x.get(), main, true, [&] { return Find(x.get(), "Vantrel Glimra").empty(); }) &&
                guitest::WaitFor([&] { return !first.Running(); }, 10000));
    ASSERT_TRUE(WIFEXITED(first.status)) << "ended by signal " << WTERMSIG(first.status);
    EXPECT_EQ(WEXITSTATUS(first.status), 0);
}

}  // namespace
