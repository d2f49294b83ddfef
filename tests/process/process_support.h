// Running the real program as a child process in a working folder of its
// own, and a loopback HTTP server that plays the update server.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>

namespace proctest {

// A fresh folder laid out as the program's working folder: icons/ (a link to
// the repository's pictures), config.ini without the tip, and a home folder
// for the single-instance lock. Removed with everything in it at the end.
class WorkFolder {
public:
    WorkFolder();
    ~WorkFolder();
    const std::string& Path() const { return path_; }
    std::string Home() const { return path_ + "/home"; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// The program, started with posix_spawn; killed and reaped at the end if it
// is still running, whatever the test's outcome.
class Program {
public:
    Program() = default;
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Starts the executable in folder.Path() with HOME at folder.Home() and the
    // given variables added to (or replacing those of) this process's
    // environment. Output goes to <log>.out in the folder.
    bool Start(const WorkFolder& folder, const std::map<std::string, std::string>& env,
               const std::string& log);
    // True while the child runs (reaps it once it has ended).
    bool Running();
    // Waits up to ms for the end; true when it ended.
    bool WaitEnd(int ms);
    // The raw wait status once ended.
    int WaitStatus() const { return status_; }
    void Kill();
    pid_t Pid() const { return pid_; }
    // What the program wrote on stdout and stderr (for failure messages).
    std::string Output() const;

private:
    pid_t pid_ = -1;
    bool ended_ = false;
    int status_ = 0;
    std::string log_path_;
};

// Answers every HTTP request on 127.0.0.1 (a port of its own) with a fixed
// body, and counts the requests.
class UpdateServer {
public:
    explicit UpdateServer(std::string body);
    ~UpdateServer();
    int Port() const { return port_; }
    std::string Url() const;
    int Requests() const { return requests_; }

private:
    void Serve();

    std::string body_;
    int listen_fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> requests_{0};
    std::thread thread_;
};

// Polls pred every few milliseconds until it holds or ms pass.
template <typename Pred>
bool Until(Pred pred, int ms);

}  // namespace proctest

#include <chrono>

template <typename Pred>
bool proctest::Until(Pred pred, int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (pred())
            return true;
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
    }
}
