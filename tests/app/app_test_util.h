// Shared pieces of the shell's window tests: a working folder with pictures,
// a loopback HTTP server for the update check, and a fixture that builds the
// real main window and tears it down again.
#pragma once

#include <gtest/gtest.h>
#include <wx/log.h>
#include <wx/string.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "MainWindow.h"
#include "gui_test.h"

namespace apptest {

// Copies the project's pictures into icons/ of the working folder and draws
// a plain JPEG for every name the shell and the start page load that is
// still missing, so that the bars never meet a missing picture.
void PrepareIcons();

// Writes a file in the working folder.
void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

// Serves one fixed reply to every request on 127.0.0.1 until destroyed.
class LoopbackHttp {
public:
    // status 200 sends body; any other status sends an empty error reply.
    explicit LoopbackHttp(std::string body, int status = 200);
    ~LoopbackHttp();
    LoopbackHttp(const LoopbackHttp&) = delete;
    LoopbackHttp& operator=(const LoopbackHttp&) = delete;

    // http://127.0.0.1:<port>/checkglimra3.ini
    std::string Url() const;
    int Requests() const { return requests_.load(); }

private:
    void Serve();

    std::string body_;
    int status_;
    int listen_fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> requests_{0};
    std::thread thread_;
};

// A loopback address where nothing listens: a check pointed there finds no
// server at once and never leaves the machine.
std::string RefusedUrl();

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();

private:
    std::string name_;
    std::string old_;
    bool had_ = false;
};

// Counts the error messages logged while it lives (and passes them on).
class LogErrorCounter : public wxLog {
public:
    LogErrorCounter();
    ~LogErrorCounter() override;
    int Errors() const { return errors_; }

protected:
    void DoLogRecord(wxLogLevel level, const wxString& msg, const wxLogRecordInfo& info) override;

private:
    wxLog* previous_;
    int errors_ = 0;
};

// A fresh working folder with pictures, the update check pointed at a closed
// loopback port, every modal dialog answered by `dialogs`, and the main
// window torn down after each test.
class ShellTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Builds the main window (the first call runs the whole construction).
    MainWindow* Main();
    // Sends a menu or tool command to the frame, as a click would.
    void Command(int id);
    // How many page slots hold a page.
    int FilledSlots();
    // The one invariant of navigation: at most one slot, and the slot of the
    // page shown is the only one.
    void ExpectOnePage(const char* where);

    std::unique_ptr<guitest::TempWorkDir> dir;
    std::unique_ptr<ScopedEnv> updateUrl;
    std::unique_ptr<guitest::DialogScript> dialogs;
};

// Titles and texts of the message boxes seen, in order.
std::vector<wxString> Messages(const guitest::DialogScript& script);

}  // namespace apptest
