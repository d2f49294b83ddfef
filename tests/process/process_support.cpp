#include "process_support.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

extern char** environ;

namespace proctest {

WorkFolder::WorkFolder()
{
    std::string tmpl = (std::filesystem::temp_directory_path() / "vantrel-proc-XXXXXX").string();
    char* made = mkdtemp(tmpl.data());
    path_ = made ? made : tmpl;
    std::error_code ec;
    std::filesystem::create_directory_symlink(VANTREL_ICONS_DIR, path_ + "/icons", ec);
    std::filesystem::create_directories(Home(), ec);
    std::ofstream(File("config.ini")) << "startup_tip=false\n";
}

WorkFolder::~WorkFolder()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

Program::~Program()
{
    Kill();
}

bool Program::Start(const WorkFolder& folder, const std::map<std::string, std::string>& env,
                    const std::string& log)
{
    std::map<std::string, std::string> vars = env;
    vars["HOME"] = folder.Home();
    std::vector<std::string> entries;
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        std::string name = entry.substr(0, entry.find('='));
        if (!vars.count(name))
            entries.push_back(entry);
    }
    for (const auto& [name, value] : vars)
        entries.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& e : entries)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    std::string program = VANTREL_PROGRAM;
    char* argv[] = {program.data(), nullptr};
    log_path_ = folder.File(log + ".out");

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.Path().c_str());
    posix_spawn_file_actions_addopen(&actions, 1, log_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    const int rc = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        pid_ = -1;
        return false;
    }
    ended_ = false;
    return true;
}

bool Program::Running()
{
    if (pid_ <= 0 || ended_)
        return false;
    int status = 0;
    pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
        ended_ = true;
        status_ = status;
        return false;
    }
    return r == 0;
}

bool Program::WaitEnd(int ms)
{
    return Until([this] { return !Running(); }, ms);
}

void Program::Kill()
{
    if (pid_ > 0 && Running()) {
        kill(pid_, SIGKILL);
        int status = 0;
        if (waitpid(pid_, &status, 0) == pid_) {
            ended_ = true;
            status_ = status;
        }
    }
}

std::string Program::Output() const
{
    std::ifstream in(log_path_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

UpdateServer::UpdateServer(std::string body) : body_(std::move(body))
{
    listen_fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (listen_fd_ < 0 || bind(listen_fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        listen(listen_fd_, 8) != 0 || getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        return;
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

UpdateServer::~UpdateServer()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (listen_fd_ >= 0)
        close(listen_fd_);
}

std::string UpdateServer::Url() const
{
    return "http://127.0.0.1:" + std::to_string(port_) + "/checkglimra3.ini";
}

void UpdateServer::Serve()
{
    while (!stop_) {
        pollfd p{listen_fd_, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0)
            continue;
        int fd = accept(listen_fd_, nullptr, nullptr);
        if (fd < 0)
            continue;
        // Read the request head (bounded), then answer and close.
        std::string request;
        char buf[1024];
        while (request.find("\r\n\r\n") == std::string::npos && request.size() < 16384) {
            pollfd q{fd, POLLIN, 0};
            if (poll(&q, 1, 2000) <= 0)
                break;
            ssize_t n = recv(fd, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            request.append(buf, static_cast<size_t>(n));
        }
        ++requests_;
        std::string reply =
            "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body_.size()) +
            "\r\nConnection: close\r\n\r\n" + body_;
        size_t sent = 0;
        while (sent < reply.size()) {
            ssize_t n = send(fd, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                break;
            sent += static_cast<size_t>(n);
        }
        shutdown(fd, SHUT_WR);
        close(fd);
    }
}

}  // namespace proctest
