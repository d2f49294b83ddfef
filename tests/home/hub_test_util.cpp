#include "hub_test_util.h"

#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/wxsqlite3.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "Db.h"
#include "MainWindow.h"
#include "Pages.h"
#include "VantrelPanel.h"
#include "cmd_test_hooks.h"
#include "sock.h"

namespace hubtest {

void HubTest::SetUp()
{
    dir = std::make_unique<guitest::TempWorkDir>();
    std::error_code ec;
    std::filesystem::create_directory_symlink(std::filesystem::path(VANTREL_SOURCE_DIR) / "icons", "icons",
                                              ec);
    // The update check, should it run, finds a closed loopback port.
    if (const char* old = getenv("VANTREL_UPDATE_URL")) {
        hadUpdateUrl_ = true;
        oldUpdateUrl_ = old;
    }
    setenv("VANTREL_UPDATE_URL", "http://127.0.0.1:1/checkglimra3.ini", 1);
    dialogs = std::make_unique<guitest::DialogScript>();
    Db::ResetForTests();
    // As the application does at start-up.
    RegisterPages();
    connect_ = sock_get_connect_timeout();
    receive_ = sock_get_receive_timeout();
    pause_ = cmd_test_get_exchange_pause_ms();
    sock_set_connect_timeout(1);
    sock_set_receive_timeout(2);
    cmd_test_set_exchange_pause_ms(0);
}

void HubTest::TearDown()
{
    MainWindow::DestroyForTests();
    guitest::Pump();
    Db::ResetForTests();
    sock_set_connect_timeout(connect_);
    sock_set_receive_timeout(receive_);
    cmd_test_set_exchange_pause_ms(pause_);
    dialogs.reset();
    if (hadUpdateUrl_)
        setenv("VANTREL_UPDATE_URL", oldUpdateUrl_.c_str(), 1);
    else
        unsetenv("VANTREL_UPDATE_URL");
    dir.reset();
}

MainWindow* HubTest::Main()
{
    return MainWindow::GetInstance();
}

VantrelPanel* HubTest::Hub()
{
    MainWindow* main = Main();
    if (main->currentPanel != PANEL_MODULE)
        return nullptr;
    return dynamic_cast<VantrelPanel*>(main->GetPanel(PANEL_MODULE));
}

bool HubTest::Click(wxWindow* page, int id)
{
    wxWindow* child = page->FindWindow(id);
    if (!child)
        return false;
    wxCommandEvent event(wxEVT_BUTTON, id);
    event.SetEventObject(child);
    child->ProcessWindowEvent(event);
    return true;
}

std::vector<wxString> HubTest::Messages() const
{
    std::vector<wxString> out;
    for (const guitest::ShownDialog& d : dialogs->Shown())
        out.push_back(d.title + ": " + d.message);
    return out;
}

bool ShowsText(wxWindow* page, const wxString& text)
{
    for (wxWindow* child : page->GetChildren()) {
        if (child->IsBeingDeleted())
            continue;
        if (auto* t = dynamic_cast<wxTextCtrl*>(child)) {
            if (t->GetValue() == text)
                return true;
        } else if (child->GetLabel() == text) {
            return true;
        }
    }
    return false;
}

std::vector<int> PictureButtonIds(wxWindow* page)
{
    std::vector<int> ids;
    for (wxWindow* child : page->GetChildren())
        if (dynamic_cast<wxBitmapButton*>(child) && !child->IsBeingDeleted())
            ids.push_back(child->GetId());
    return ids;
}

std::vector<wxString> RegistryColumn(const char* column)
{
    std::vector<wxString> values;
    wxSQLite3Database db;
    db.Open(Db::FileName);
    wxSQLite3ResultSet rows =
        db.ExecuteQuery(wxString("SELECT ") + column + " FROM vemtor_vantrel ORDER BY rowid");
    while (rows.NextRow())
        values.push_back(rows.GetAsString(0));
    rows.Finalize();
    db.Close();
    return values;
}

int OpenConnections(uint16_t port)
{
    // Columns: sl local_address rem_address st ...; addresses as
    // hex-address:hex-port, the state in hex.
    std::ifstream table("/proc/net/tcp");
    std::string line;
    std::getline(table, line);
    int open = 0;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state;
        fields >> slot >> local >> remote >> state;
        auto portOf = [](const std::string& address) {
            const size_t colon = address.find(':');
            return colon == std::string::npos ? 0ul : std::stoul(address.substr(colon + 1), nullptr, 16);
        };
        const unsigned long st = std::stoul(state, nullptr, 16);
        // 1 established, 8 close-wait, 4/5 fin-wait: a side still open.
        const bool halfOpen = st == 1 || st == 8 || st == 4 || st == 5;
        if (halfOpen && (portOf(local) == port || portOf(remote) == port))
            ++open;
    }
    return open;
}

}  // namespace hubtest
