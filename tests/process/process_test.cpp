// The real program as a user meets it: started as a child process in a
// working folder of its own on this test's X server, driven with the
// keyboard, its update check answered by a loopback HTTP server.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <thread>

#include "gui_test.h"

// After the other headers: Xlib's macros (None, Status, ...) would break them.
#include <X11/Xlib.h>

extern char** environ;

namespace {

// Answers every request on 127.0.0.1 with one body.
class UpdateServer {
public:
    explicit UpdateServer(const std::string& body)
    {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        bind(fd_, reinterpret_cast<sockaddr*>(&a), len);
        listen(fd_, 8);
        getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        setenv("VANTREL_UPDATE_URL",
               ("http://127.0.0.1:" + std::to_string(ntohs(a.sin_port)) + "/x.ini").c_str(), 1);
        const std::string reply =
            "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
        thread_ = std::thread([this, reply] {
            for (int c; (c = accept(fd_, nullptr, nullptr)) >= 0; close(c)) {
                char request[4096];
                if (recv(c, request, sizeof request, 0) > 0)
                    send(c, reply.data(), reply.size(), MSG_NOSIGNAL);
            }
        });
    }
    ~UpdateServer()
    {
        shutdown(fd_, SHUT_RDWR);  // ends the accept
        thread_.join();
        close(fd_);
    }

private:
    const int fd_ = socket(AF_INET, SOCK_STREAM, 0);
    std::thread thread_;
};

// The program in the working folder, its output into the test's; killed at
// the end if it still runs.
class Program {
public:
    Program()
    {
        std::string path = VANTREL_PROGRAM;
        char* argv[] = {path.data(), nullptr};
        if (posix_spawn(&pid_, path.c_str(), nullptr, nullptr, argv, environ) != 0)
            ended_ = true;
    }
    ~Program()
    {
        if (Running() && kill(pid_, SIGKILL) == 0)
            waitpid(pid_, &status, 0);
    }
    bool Running()
    {
        ended_ = ended_ || waitpid(pid_, &status, WNOHANG) == pid_;
        return !ended_;
    }
    int status = 0;

private:
    pid_t pid_ = 0;
    bool ended_ = false;
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

// Closes a message box with Return, or the main window with Quit from the File
// menu, until it is gone or the program ended (a key can be lost while the
// window takes the focus).
bool Close(Display* x, Program& program, Window w, bool quit)
{
    const auto gone = [&] {
        const std::vector<Window> all = Find(x, "");
        return !program.Running() || std::find(all.begin(), all.end(), w) == all.end();
    };
    wxUIActionSimulator keys;
    for (int attempt = 0; attempt < 4 && !gone(); ++attempt) {
        XRaiseWindow(x, w);
        XSetInputFocus(x, w, RevertToParent, CurrentTime);
        XSync(x, False);
        keys.Char(quit ? int('f') : int(WXK_RETURN), quit ? wxMOD_ALT : wxMOD_NONE);
        if (quit) {
            guitest::PumpFor(300);  // the menu opens
            keys.Char('q');
        }
        if (!guitest::WaitFor(gone, 2000) && quit)
            keys.Char(WXK_ESCAPE);
    }
    return gone();
}

TEST(Program, ShowsItsUpdateNewsStartsOnceAndQuitsWithExitCodeZero)
{
    const std::unique_ptr<Display, int (*)(Display*)> x(XOpenDisplay(nullptr), XCloseDisplay);
    ASSERT_NE(x, nullptr);
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });  // windows vanish as we look
    guitest::TempWorkDir dir;
    std::filesystem::create_directory_symlink(VANTREL_ICONS_DIR, "icons");
    std::ofstream("config.ini") << "startup_tip=false\n";
    // The update server's text and the message shown first (a parser's
    // table has the rest); a required update ends the program without a
    // main window.
    const std::pair<const char*, const char*> cases[] = {{"1.5.0;0", "New update available!"},
                                                         {"1.5.0;1", "New update required!"}};
    for (const auto& [body, message] : cases) {
        SCOPED_TRACE(body);
        UpdateServer server(body);
        Program first;
        const Window news = Await(x.get(), first, message);
        EXPECT_TRUE(Find(x.get(), "Vantrel Glimra").empty()) << "the message comes first";
        EXPECT_TRUE(Close(x.get(), first, news, false));  // OK is its only button
        bool mainSeen = false;
        guitest::WaitFor(
            [&] {
                return (mainSeen = mainSeen || !Find(x.get(), "Vantrel Glimra").empty()) || !first.Running();
            },
            30000);
        const bool required = std::string(body) == "1.5.0;1";
        ASSERT_EQ(mainSeen, !required);
        if (required) {
            EXPECT_TRUE(guitest::WaitFor([&] { return !first.Running(); }, 10000));
            continue;
        }
        const std::vector<Window> shown = Find(x.get(), "");
        ASSERT_EQ(shown.size(), 1u) << "nothing beside the main window";

        // A second copy says why it stops in the library's error box and ends
        // once that is closed, without a main window of its own.
        Program second;
        const Window box = Await(x.get(), second, "Vantrel Glimra Error");
        EXPECT_EQ(Find(x.get(), "Vantrel Glimra").size(), 1u);
        EXPECT_TRUE(Close(x.get(), second, box, false) &&
                    guitest::WaitFor([&] { return !second.Running(); }, 2000));

        ASSERT_TRUE(Close(x.get(), first, shown[0], true) &&
                    guitest::WaitFor([&] { return !first.Running(); }, 10000));
        ASSERT_TRUE(WIFEXITED(first.status)) << "ended by signal " << WTERMSIG(first.status);
        EXPECT_EQ(WEXITSTATUS(first.status), 0);
    }
}

}  // namespace
