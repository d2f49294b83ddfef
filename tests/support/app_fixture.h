// The real main window in a fresh working folder with the project's pictures
// and an empty registry: every modal dialog answered by `dialogs`, fast
// exchanges with short time-outs, the update check on a closed loopback
// port, and everything torn down after each test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "MainWindow.h"
#include "gui_test.h"

namespace apptest {

class AppTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    MainWindow* Main() { return MainWindow::GetInstance(); }
    void Command(int id);
    // The button event of the child `id` of `parent`; true when handled.
    bool Click(wxWindow* parent, int id);
    // Saves a picture of the main window, and of `dialog` over it, as a build artifact.
    bool SaveScreenshot(const char* name, wxWindow* dialog = nullptr);

    std::unique_ptr<guitest::TempWorkDir> dir;
    std::unique_ptr<guitest::DialogScript> dialogs;

private:
    uint8_t connect_ = 0, receive_ = 0;
    unsigned pause_ = 0;
};

// Whether a child of `page` shows `text` (a label, or a text field's value).
bool ShowsText(wxWindow* page, const wxString& text);
// TCP connections with `address`:`port` at either end that either side still
// holds open: a test's own listener, whatever else runs on the machine.
int OpenConnections(const std::string& address, uint16_t port);
// Runs one SQL statement on a database file through a connection of its own;
// the rows it gives, each row's columns joined by '|'.
std::vector<wxString> Sql(const wxString& sql, const wxString& file = "vantrel-conf.db");
void AddModule(const wxString& ip, const wxString& mac, const wxString& descri);
// An address of this process's own, 127.`net`.x.y: for test modules on a
// fixed port, which two test processes at once must never share.
std::string ProcessAddress(int net);

}  // namespace apptest
