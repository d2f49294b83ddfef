// Shared set-up of the start and details page tests: the real main window,
// a fresh working folder with its own registry per test, and ways to put
// rows (or faults) into that registry behind the pages' back.
#pragma once

#include <gtest/gtest.h>
#include <wx/string.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui_test.h"

class MainWindow;
class wxWindow;
class StartPanel;

namespace hometest {

// One registry row; an empty optional is stored as NULL.
struct Row {
    std::optional<std::string> ip;
    std::optional<std::string> mac;
    std::optional<std::string> descri;
    std::optional<std::string> ssid;
    std::optional<std::string> netmask;
    std::optional<std::string> gw;
    std::optional<std::string> nwtype;
    std::optional<std::string> security;
    std::optional<std::string> pwd;
};

// Text of an optional column as the pages read it: NULL is empty.
wxString Text(const std::optional<std::string>& value);

// Writes rows into "vantrel-conf.db" of the working folder through a
// connection of its own (creating the tables as the registry has them).
void SeedRegistry(const std::vector<Row>& rows);
// Runs SQL on the registry file through a connection of its own.
void ExecuteOnRegistry(const std::vector<std::string>& statements);
// Values of one column of every row of vemtor_vantrel, in table order.
std::vector<wxString> RegistryColumn(const char* table, const char* column);
// Replaces the registry file by bytes that are no database.
void BreakRegistryFile();

class PageTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    MainWindow* Main();
    StartPanel* Start();
    // Closes the registry so that the next use reopens it from the folder's
    // current file, then shows the start page (which rereads the list).
    void ReopenRegistryAndGoHome();
    // Sends a button's click event to it, as a click would.
    void Click(wxWindow* parent, int id);

    std::unique_ptr<guitest::TempWorkDir> work_;
};

}  // namespace hometest
