#include "home_test_util.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <wx/wxsqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "Db.h"
#include "MainWindow.h"
#include "Pages.h"
#include "StartPanel.h"

namespace hometest {

namespace {

void BindOptional(wxSQLite3Statement& st, int position, const std::optional<std::string>& value)
{
    if (value)
        st.Bind(position, wxString::FromUTF8(*value));
    else
        st.BindNull(position);
}

// A loopback address where nothing listens, so that the update check that
// the main window runs finds no server at once and never leaves the machine.
std::string ClosedLoopbackUrl()
{
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

}  // namespace

wxString Text(const std::optional<std::string>& value)
{
    return value ? wxString::FromUTF8(*value) : wxString();
}

void SeedRegistry(const std::vector<Row>& rows)
{
    wxSQLite3Database db;
    db.Open(Db::FileName);
    db.ExecuteUpdate(
        "CREATE TABLE IF NOT EXISTS vemtor_vantrel (ip TEXT, ssid TEXT, netmask TEXT, gw TEXT, nwtype "
        "INTEGER, "
        "macaddress TEXT, idtype INTEGER, security INTEGER, pwd TEXT, descri TEXT)");
    db.ExecuteUpdate(
        "CREATE TABLE IF NOT EXISTS vemtor_vantrel_uart (macaddress TEXT, parity TEXT, stopbits TEXT, "
        "baudrate TEXT)");
    for (const Row& r : rows) {
        wxSQLite3Statement st = db.PrepareStatement(
            "INSERT INTO vemtor_vantrel (ip, macaddress, descri, ssid, netmask, gw, nwtype, security, pwd) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
        const std::optional<std::string>* values[] = {&r.ip, &r.mac,    &r.descri,   &r.ssid, &r.netmask,
                                                      &r.gw, &r.nwtype, &r.security, &r.pwd};
        for (int i = 0; i < 9; ++i)
            BindOptional(st, i + 1, *values[i]);
        st.ExecuteUpdate();
    }
    db.Close();
}

void ExecuteOnRegistry(const std::vector<std::string>& statements)
{
    wxSQLite3Database db;
    db.Open(Db::FileName);
    for (const std::string& sql : statements)
        db.ExecuteUpdate(wxString::FromUTF8(sql));
    db.Close();
}

std::vector<wxString> RegistryColumn(const char* table, const char* column)
{
    std::vector<wxString> values;
    wxSQLite3Database db;
    db.Open(Db::FileName);
    wxSQLite3ResultSet rs = db.ExecuteQuery(wxString::Format("SELECT %s FROM %s", column, table));
    while (rs.NextRow())
        values.push_back(rs.GetAsString(0));
    rs.Finalize();
    db.Close();
    return values;
}

void BreakRegistryFile()
{
    std::ofstream(Db::FileName.utf8_string(), std::ios::binary | std::ios::trunc)
        << "These bytes are a note, not a database file; SQLite refuses them.\n";
}

void PageTest::SetUp()
{
    work_ = std::make_unique<guitest::TempWorkDir>();
    std::error_code ec;
    std::filesystem::create_directory_symlink(VANTREL_ICONS_DIR, "icons", ec);
    setenv("VANTREL_UPDATE_URL", ClosedLoopbackUrl().c_str(), 1);
    Db::ResetForTests();
    RegisterPages();
}

void PageTest::TearDown()
{
    {
        // Whatever a failed test left open must not wait for a person.
        guitest::DialogScript quiet(wxID_NO);
        MainWindow::DestroyForTests();
        guitest::Pump();
    }
    Db::ResetForTests();
    unsetenv("VANTREL_UPDATE_URL");
    work_.reset();
}

MainWindow* PageTest::Main()
{
    return MainWindow::GetInstance();
}

StartPanel* PageTest::Start()
{
    return Main()->startPanel;
}

void PageTest::ReopenRegistryAndGoHome()
{
    Db::ResetForTests();
    Main()->ShowStartPanel();
}

void PageTest::Click(wxWindow* parent, int id)
{
    wxWindow* button = parent->FindWindow(id);
    ASSERT_NE(button, nullptr) << "no control with id " << id;
    wxCommandEvent event(wxEVT_BUTTON, id);
    event.SetEventObject(button);
    button->ProcessWindowEvent(event);
}

}  // namespace hometest
