// Shared set-up of the hub and scan page tests: the real main window in a
// fresh working folder with the project's pictures, scripted dialogs, fast
// exchanges, and ways to look into pages and the registry.
#pragma once

#include <gtest/gtest.h>
#include <wx/string.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gui_test.h"

class MainWindow;
class VantrelPanel;
class wxWindow;

namespace hubtest {

class HubTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Builds the main window on first use.
    MainWindow* Main();
    // The hub shown, or null.
    VantrelPanel* Hub();
    // Sends the button event of the child with `id`, as a click would.
    // False when the page has no such child.
    bool Click(wxWindow* page, int id);
    // The message boxes seen, as "title: message".
    std::vector<wxString> Messages() const;

    std::unique_ptr<guitest::TempWorkDir> dir;
    std::unique_ptr<guitest::DialogScript> dialogs;

private:
    std::string oldUpdateUrl_;
    bool hadUpdateUrl_ = false;
    uint8_t connect_ = 0, receive_ = 0;
    unsigned pause_ = 0;
};

// Whether a static text, text field or button below `page` shows `text`.
bool ShowsText(wxWindow* page, const wxString& text);
// Ids of the picture buttons below `page`, in creation order.
std::vector<int> PictureButtonIds(wxWindow* page);
// One column of every registry row, read through a connection of its own.
std::vector<wxString> RegistryColumn(const char* column);
// TCP connections on the loopback with `port` at either end that are not
// closed on both sides (established, or closed by one side only).
int OpenConnections(uint16_t port);

}  // namespace hubtest
