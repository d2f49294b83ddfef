#include "app_test_util.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <wx/frame.h>
#include <wx/image.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Db.h"

namespace fs = std::filesystem;

namespace apptest {

namespace {

// Every picture the shell, the start page and the details page load.
const char* const kPictures[] = {
    "back.jpg",
    "home.jpg",
    "exit.jpg",
    "import-icon.jpg",
    "import-disabled-icon.jpg",
    "export-icon.jpg",
    "export-disabled-icon.jpg",
    "use-last-conf.jpg",
    "use-last-conf-disabled.jpg",
    "logo.jpg",
    "home_bg.jpg",
    "connectbtn.jpg",
    "scanbtn.jpg",
    "viewdetailsbtn.jpg",
    "editbtn.jpg",
    "deletebtn.jpg",
    "clearallbtn.jpg",
    "vantrel_bg.jpg",
};

}  // namespace

void PrepareIcons()
{
    fs::create_directories("icons");
    std::error_code ec;
    const fs::path source = fs::path(VANTREL_SOURCE_DIR) / "icons";
    if (fs::is_directory(source, ec))
        for (const fs::directory_entry& e : fs::directory_iterator(source, ec))
            if (e.path().extension() == ".jpg")
                fs::copy_file(e.path(), fs::path("icons") / e.path().filename(),
                              fs::copy_options::skip_existing, ec);
    if (!wxImage::FindHandler(wxBITMAP_TYPE_JPEG))
        wxImage::AddHandler(new wxJPEGHandler);
    for (const char* name : kPictures) {
        const fs::path path = fs::path("icons") / name;
        if (fs::exists(path))
            continue;
        wxImage image(16, 16);
        image.SetRGB(wxRect(0, 0, 16, 16), 40, 90, 160);
        image.SaveFile(path.string(), wxBITMAP_TYPE_JPEG);
    }
}

void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool FileExists(const std::string& path)
{
    return fs::exists(path);
}

LoopbackHttp::LoopbackHttp(std::string body, int status) : body_(std::move(body)), status_(status)
{
    listen_fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    bind(listen_fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    listen(listen_fd_, 8);
    socklen_t len = sizeof addr;
    getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

LoopbackHttp::~LoopbackHttp()
{
    stop_ = true;
    shutdown(listen_fd_, SHUT_RDWR);
    thread_.join();
    close(listen_fd_);
}

std::string LoopbackHttp::Url() const
{
    return "http://127.0.0.1:" + std::to_string(port_) + "/checkglimra3.ini";
}

void LoopbackHttp::Serve()
{
    while (!stop_) {
        pollfd p{listen_fd_, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0)
            continue;
        const int fd = accept(listen_fd_, nullptr, nullptr);
        if (fd < 0)
            continue;
        std::string request;
        char buf[1024];
        while (request.find("\r\n\r\n") == std::string::npos) {
            pollfd q{fd, POLLIN, 0};
            if (poll(&q, 1, 2000) <= 0)
                break;
            const ssize_t n = recv(fd, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            request.append(buf, size_t(n));
        }
        ++requests_;
        std::string reply;
        if (status_ == 200)
            reply = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                    std::to_string(body_.size()) + "\r\nConnection: close\r\n\r\n" + body_;
        else
            reply = "HTTP/1.0 " + std::to_string(status_) +
                    " Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
        shutdown(fd, SHUT_WR);
        close(fd);
    }
}

std::string RefusedUrl()
{
    // Bind a port, then free it: nothing listens there afterwards.
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    close(fd);
    return "http://127.0.0.1:" + std::to_string(ntohs(addr.sin_port)) + "/checkglimra3.ini";
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : name_(name)
{
    if (const char* old = getenv(name)) {
        had_ = true;
        old_ = old;
    }
    setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv()
{
    if (had_)
        setenv(name_.c_str(), old_.c_str(), 1);
    else
        unsetenv(name_.c_str());
}

LogErrorCounter::LogErrorCounter()
{
    previous_ = wxLog::SetActiveTarget(this);
}

LogErrorCounter::~LogErrorCounter()
{
    wxLog::SetActiveTarget(previous_);
}

void LogErrorCounter::DoLogRecord(wxLogLevel level, const wxString& msg, const wxLogRecordInfo& info)
{
    if (level <= wxLOG_Error)
        ++errors_;
    (void)info;
    fprintf(stderr, "log %lu: %s\n", static_cast<unsigned long>(level),
            static_cast<const char*>(msg.utf8_str()));
}

void ShellTest::SetUp()
{
    dir = std::make_unique<guitest::TempWorkDir>();
    PrepareIcons();
    updateUrl = std::make_unique<ScopedEnv>("VANTREL_UPDATE_URL", RefusedUrl());
    dialogs = std::make_unique<guitest::DialogScript>();
    Db::ResetForTests();
}

void ShellTest::TearDown()
{
    MainWindow::DestroyForTests();
    guitest::Pump();
    Db::ResetForTests();
    dialogs.reset();
    updateUrl.reset();
    dir.reset();
}

MainWindow* ShellTest::Main()
{
    return MainWindow::GetInstance();
}

void ShellTest::Command(int id)
{
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetEventObject(Main()->frame);
    Main()->frame->ProcessWindowEvent(event);
}

int ShellTest::FilledSlots()
{
    int filled = 0;
    for (int i = 1; i < PANEL_SLOT_COUNT; ++i)
        if (Main()->slots[i])
            ++filled;
    return filled;
}

void ShellTest::ExpectOnePage(const char* where)
{
    MainWindow* main = Main();
    EXPECT_EQ(main->slots[0], nullptr) << where;
    if (main->currentPanel == PANEL_START) {
        EXPECT_EQ(FilledSlots(), 0) << where;
    } else {
        EXPECT_EQ(FilledSlots(), 1) << where;
        EXPECT_NE(main->GetPanel(main->currentPanel), nullptr) << where;
    }
}

std::vector<wxString> Messages(const guitest::DialogScript& script)
{
    std::vector<wxString> out;
    for (const guitest::ShownDialog& d : script.Shown())
        out.push_back(d.title + ": " + d.message);
    return out;
}

}  // namespace apptest
