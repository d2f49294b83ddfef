#include "app_fixture.h"

#include <arpa/inet.h>
#include <gtk/gtk.h>
#include <unistd.h>
#include <wx/frame.h>
#include <wx/textctrl.h>
#include <wx/wxsqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "Db.h"
#include "DbCommands.h"
#include "Pages.h"
#include "cmd_test_hooks.h"
#include "sock.h"

namespace apptest {

void AppTest::SetUp()
{
    dir = std::make_unique<guitest::TempWorkDir>();
    std::error_code ec;
    std::filesystem::create_directory_symlink(VANTREL_ICONS_DIR, "icons", ec);
    // Nothing listens there: the check finds no server and never leaves the machine.
    setenv("VANTREL_UPDATE_URL", "http://127.0.0.1:9/checkglimra3.ini", 1);
    Sql("CREATE TABLE vemtor_vantrel (ip TEXT, ssid TEXT, netmask TEXT, gw TEXT, nwtype INTEGER, "
        "macaddress TEXT, idtype INTEGER, security INTEGER, pwd TEXT, descri TEXT)");
    dialogs = std::make_unique<guitest::DialogScript>();
    Db::ResetForTests();
    DbCommands::ResetForTests();
    for (int i = PANEL_START + 1; i < PANEL_SLOT_COUNT; ++i)
        MainWindow::RegisterPage(static_cast<PanelIndex>(i), nullptr);
    RegisterPages();
    connect_ = sock_get_connect_timeout();
    receive_ = sock_get_receive_timeout();
    pause_ = cmd_test_get_exchange_pause_ms();
    sock_set_connect_timeout(1);
    sock_set_receive_timeout(2);
    cmd_test_set_exchange_pause_ms(0);
}

void AppTest::TearDown()
{
    // What the toolkit still has queued for the windows runs while they live,
    // as it would in the program's own event loop.
    guitest::Pump();
    MainWindow::DestroyForTests();
    guitest::Pump();
    Db::ResetForTests();
    DbCommands::ResetForTests();
    sock_set_connect_timeout(connect_);
    sock_set_receive_timeout(receive_);
    cmd_test_set_exchange_pause_ms(pause_);
    dialogs.reset();
    dir.reset();
}

void AppTest::Command(int id)
{
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetEventObject(Main()->frame);
    Main()->frame->ProcessWindowEvent(event);
}

bool AppTest::Click(wxWindow* parent, int id)
{
    wxWindow* child = parent->FindWindow(id);
    wxCommandEvent event(wxEVT_BUTTON, id);
    event.SetEventObject(child);
    return child && child->ProcessWindowEvent(event);
}

bool AppTest::SaveScreenshot(const char* name, wxWindow* dialog)
{
    Main()->frame->Raise();
    wxRect rect = Main()->frame->GetScreenRect();
    if (dialog) {
        // Through GTK: a native message box has no size of its own in wx.
        GdkWindow* window = gtk_widget_get_window(dialog->GetHandle());
        int x = 0, y = 0;
        gdk_window_raise(window);
        gdk_window_get_origin(window, &x, &y);
        rect.Union(wxRect(x, y, gdk_window_get_width(window), gdk_window_get_height(window)));
    }
    guitest::PumpFor(300);
    // Straight from the X server: what is on screen now, dialogs over the frame included.
    GdkPixbuf* shot =
        gdk_pixbuf_get_from_window(gdk_get_default_root_window(), rect.x, rect.y, rect.width, rect.height);
    std::filesystem::create_directories(VANTREL_ARTIFACTS_DIR);
    const std::string path = std::string(VANTREL_ARTIFACTS_DIR "/") + name;
    const bool saved = shot && gdk_pixbuf_save(shot, path.c_str(), "png", nullptr, nullptr);
    if (shot)
        g_object_unref(shot);
    return saved;
}

bool ShowsText(wxWindow* page, const wxString& text)
{
    for (wxWindow* child : page->GetChildren()) {
        auto* field = dynamic_cast<wxTextCtrl*>(child);
        if (!child->IsBeingDeleted() && (field ? field->GetValue() : child->GetLabel()) == text)
            return true;
    }
    return false;
}

int OpenConnections(const std::string& address, uint16_t port)
{
    // Lines of "slot local remote state ...", endpoints as the kernel prints
    // them: the address's 32 bits in host order, then the port, both in hex;
    // states 01 established, 04 and 05 closed by the local end only, 08 by the
    // remote end only.
    in_addr a{};
    inet_pton(AF_INET, address.c_str(), &a);
    const std::string endpoint = wxString::Format("%08X:%04X", unsigned(a.s_addr), port).ToStdString();
    std::ifstream table("/proc/net/tcp");
    std::string slot, local, remote, state, rest;
    int open = 0;
    for (std::getline(table, rest); table >> slot >> local >> remote >> state && std::getline(table, rest);)
        open += (local == endpoint || remote == endpoint) &&
                (state == "01" || state == "04" || state == "05" || state == "08");
    return open;
}

std::vector<wxString> Sql(const wxString& sql, const wxString& file)
{
    std::vector<wxString> rows;
    wxSQLite3Database db;
    db.Open(file);
    wxSQLite3ResultSet r = db.ExecuteQuery(sql);
    while (r.NextRow()) {
        wxString row;
        for (int i = 0; i < r.GetColumnCount(); ++i)
            row += (i ? "|" : "") + r.GetAsString(i);
        rows.push_back(row);
    }
    r.Finalize();
    db.Close();
    return rows;
}

void AddModule(const wxString& ip, const wxString& mac, const wxString& descri)
{
    Sql(wxString::Format("INSERT INTO vemtor_vantrel (ip, macaddress, descri) VALUES ('%s', '%s', '%s')", ip,
                         mac, descri));
}

std::string ProcessAddress(int net)
{
    return "127." + std::to_string(net) + "." + std::to_string(getpid() / 250 % 256) + "." +
           std::to_string(1 + getpid() % 250);
}

}  // namespace apptest
