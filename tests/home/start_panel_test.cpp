// The start page on a real registry in a fresh working folder: its list,
// its questions, Connect's checks, and database failures that are reported
// without ending the program.
#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/listbox.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/textctrl.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Db.h"
#include "MainWindow.h"
#include "StartPanel.h"
#include "home_test_util.h"
#include "wxIPCtrl.h"

namespace hometest {
namespace {

constexpr long kQuestionStyle = wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION;
constexpr long kErrorStyle = wxOK | wxICON_ERROR;

Row Module(const char* ip, const char* mac, std::optional<std::string> descri)
{
    Row r;
    r.ip = ip;
    r.mac = mac;
    r.descri = std::move(descri);
    return r;
}

std::vector<wxString> ListRows(StartPanel* page)
{
    std::vector<wxString> rows;
    for (unsigned i = 0; i < page->ModuleList()->GetCount(); ++i)
        rows.push_back(page->ModuleList()->GetString(i));
    return rows;
}

// What the list must show for rows: the MAC, " - ", the description.
std::vector<wxString> ExpectedRows(const std::vector<Row>& rows)
{
    std::vector<wxString> out;
    for (const Row& r : rows)
        out.push_back(Text(r.mac) + " - " + Text(r.descri));
    return out;
}

void Select(StartPanel* page, int row)
{
    wxListBox* list = page->ModuleList();
    list->SetSelection(row);
    wxCommandEvent event(wxEVT_LISTBOX, list->GetId());
    event.SetEventObject(list);
    event.SetInt(row);
    list->ProcessWindowEvent(event);
}

class StartPanelTest : public PageTest {
protected:
    // A hub stand-in that records where Connect leads and builds an empty page.
    void RecordHubOpenings()
    {
        MainWindow::RegisterPage(PANEL_MODULE, [this](const PageArgs& args) {
            hub_openings_.push_back(args);
            return new wxPanel(MainWindow::GetInstance()->frame);
        });
    }

    std::vector<PageArgs> hub_openings_;
};

TEST_F(StartPanelTest, ListsEveryRegistryRowWithItsAddresses)
{
    const std::vector<std::vector<Row>> fillings = {
        {},
        {Module("192.168.100.21", "00:1e:c0:4a:10:01", "Boiler room")},
        {Module("192.168.100.21", "00:1e:c0:4a:10:01", "Boiler room"),
         Module("10.0.0.5", "00:1e:c0:4a:10:02", std::nullopt),  // NULL description
         Module("10.0.0.6", "00:1e:c0:4a:10:03", ""),
         Module("10.0.0.7", "00:1e:c0:4a:10:01", "same MAC, second row"),
         Module("10.0.0.8", "00:1e:c0:4a:10:04", "Ünïcode – ok")},
    };
    SeedRegistry({});
    guitest::DialogScript dialogs;
    for (size_t n = 0; n < fillings.size(); ++n) {
        SCOPED_TRACE("filling " + std::to_string(n));
        ExecuteOnRegistry({"DELETE FROM vemtor_vantrel"});
        SeedRegistry(fillings[n]);
        Main()->ShowStartPanel();

        EXPECT_EQ(ListRows(Start()), ExpectedRows(fillings[n]));
        ASSERT_EQ(Start()->IpAddresses().GetCount(), fillings[n].size());
        ASSERT_EQ(Start()->MacAddresses().GetCount(), fillings[n].size());
        for (size_t i = 0; i < fillings[n].size(); ++i) {
            EXPECT_EQ(Start()->IpAddresses()[i], Text(fillings[n][i].ip));
            EXPECT_EQ(Start()->MacAddresses()[i], Text(fillings[n][i].mac));
        }
        EXPECT_EQ(Start()->ModuleList()->GetSelection(), wxNOT_FOUND);
    }
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(StartPanelTest, SelectingARowTakesItsAddressAndKeepsThePort)
{
    const std::vector<Row> rows = {Module("192.168.100.21", "00:1e:c0:4a:10:01", "a"),
                                   Module("10.1.2.3", "00:1e:c0:4a:10:02", "b"),
                                   Module("172.16.0.254", "00:1e:c0:4a:10:03", "c")};
    SeedRegistry(rows);
    guitest::DialogScript dialogs;
    Start()->PortCtrl()->ChangeValue("1234");
    for (int i = 0; i < 3; ++i) {
        Select(Start(), i);
        EXPECT_EQ(Start()->IpCtrl()->GetValue(), Text(rows[i].ip)) << "row " << i;
        EXPECT_EQ(Start()->PortCtrl()->GetValue(), "1234");
    }
    // The Edit button does the same for the row selected.
    Start()->IpCtrl()->SetValue("1.1.1.1");
    Start()->ModuleList()->SetSelection(1);
    Click(Start(), wxID_EDIT);
    EXPECT_EQ(Start()->IpCtrl()->GetValue(), "10.1.2.3");
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(StartPanelTest, AStoredAddressThatIsNoAddressIsRefusedByTheEntry)
{
    SeedRegistry({Module("not an address", "00:1e:c0:4a:10:09", "broken")});
    guitest::DialogScript dialogs;
    Select(Start(), 0);
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(dialogs.Shown()[0].message, "Invalid IP = not an address");
    EXPECT_EQ(Start()->IpCtrl()->GetValue(), "223.255.255.255");
}

struct DeleteCase {
    const char* name;
    int answer;
    std::vector<wxString> macs_left;  // registry after the question
};

TEST_F(StartPanelTest, DeleteAsksThenRemovesEveryRowOfTheSelectedMac)
{
    const DeleteCase cases[] = {
        {"no", wxID_NO, {"00:1e:c0:4a:10:01", "00:1e:c0:4a:10:02", "00:1e:c0:4a:10:02", "00:1e:c0:4a:10:03"}},
        {"closed",
         wxID_CANCEL,
         {"00:1e:c0:4a:10:01", "00:1e:c0:4a:10:02", "00:1e:c0:4a:10:02", "00:1e:c0:4a:10:03"}},
        {"yes", wxID_YES, {"00:1e:c0:4a:10:01", "00:1e:c0:4a:10:03"}},
    };
    SeedRegistry({});
    for (const DeleteCase& c : cases) {
        SCOPED_TRACE(c.name);
        ExecuteOnRegistry(
            {"DELETE FROM vemtor_vantrel", "DELETE FROM vemtor_vantrel_uart",
             "INSERT INTO vemtor_vantrel_uart (macaddress, parity) VALUES ('00:1e:c0:4a:10:02', 'N')"});
        SeedRegistry({Module("10.0.0.1", "00:1e:c0:4a:10:01", "one"),
                      Module("10.0.0.2", "00:1e:c0:4a:10:02", "two"),
                      Module("10.0.0.3", "00:1e:c0:4a:10:02", "two again"),
                      Module("10.0.0.4", "00:1e:c0:4a:10:03", "three")});
        Main()->ShowStartPanel();

        guitest::DialogScript dialogs;
        dialogs.Answer(c.answer);
        Start()->ModuleList()->SetSelection(1);
        Click(Start(), wxID_DELETE);

        ASSERT_EQ(dialogs.Shown().size(), 1u);
        EXPECT_EQ(dialogs.Shown()[0].title, "Erase device?");
        EXPECT_EQ(dialogs.Shown()[0].message, "Are you sure to delete selected device?");
        EXPECT_EQ(dialogs.Shown()[0].style & kQuestionStyle, kQuestionStyle);
        EXPECT_EQ(RegistryColumn("vemtor_vantrel", "macaddress"), c.macs_left);
        EXPECT_EQ(Start()->ModuleList()->GetCount(), c.macs_left.size());
        // The serial settings table is never touched by the page.
        EXPECT_EQ(RegistryColumn("vemtor_vantrel_uart", "macaddress"),
                  std::vector<wxString>{"00:1e:c0:4a:10:02"});
    }

    // After the refresh, Delete acts on the row now in that place.
    guitest::DialogScript dialogs;
    dialogs.Answer(wxID_YES);
    Start()->ModuleList()->SetSelection(1);
    Click(Start(), wxID_DELETE);
    EXPECT_EQ(RegistryColumn("vemtor_vantrel", "macaddress"), std::vector<wxString>{"00:1e:c0:4a:10:01"});
    EXPECT_EQ(ListRows(Start()), std::vector<wxString>{"00:1e:c0:4a:10:01 - one"});
}

TEST_F(StartPanelTest, ClearAllAsksThenEmptiesTheModuleTable)
{
    const std::pair<int, size_t> cases[] = {{wxID_NO, 2u}, {wxID_YES, 0u}};
    SeedRegistry({});
    for (const auto& [answer, rows_left] : cases) {
        SCOPED_TRACE(answer == wxID_YES ? "yes" : "no");
        ExecuteOnRegistry(
            {"DELETE FROM vemtor_vantrel", "DELETE FROM vemtor_vantrel_uart",
             "INSERT INTO vemtor_vantrel_uart (macaddress, parity) VALUES ('00:1e:c0:4a:10:01', 'E')"});
        SeedRegistry(
            {Module("10.0.0.1", "00:1e:c0:4a:10:01", "one"), Module("10.0.0.2", "00:1e:c0:4a:10:02", "two")});
        Main()->ShowStartPanel();

        guitest::DialogScript dialogs;
        dialogs.Answer(answer);
        Click(Start(), wxID_CLEAR);
        ASSERT_EQ(dialogs.Shown().size(), 1u);
        EXPECT_EQ(dialogs.Shown()[0].title, "Erase devices?");
        EXPECT_EQ(dialogs.Shown()[0].message, "Are you sure to delete all devices?");
        EXPECT_EQ(dialogs.Shown()[0].style & kQuestionStyle, kQuestionStyle);
        EXPECT_EQ(RegistryColumn("vemtor_vantrel", "macaddress").size(), rows_left);
        EXPECT_EQ(Start()->ModuleList()->GetCount(), rows_left);
        EXPECT_EQ(RegistryColumn("vemtor_vantrel_uart", "macaddress").size(), 1u);
    }

    // With nothing listed there is nothing to ask.
    guitest::DialogScript dialogs;
    Click(Start(), wxID_CLEAR);
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(StartPanelTest, WithoutASelectionTheListButtonsDoNothing)
{
    SeedRegistry({Module("10.0.0.1", "00:1e:c0:4a:10:01", "one")});
    RecordHubOpenings();
    guitest::DialogScript dialogs;
    const wxString address = Start()->IpCtrl()->GetValue();
    for (int id : {wxID_VIEW_DETAILS, wxID_EDIT, wxID_DELETE}) {
        Click(Start(), id);
        EXPECT_EQ(Main()->currentPanel, PANEL_START) << id;
    }
    EXPECT_TRUE(dialogs.Shown().empty());
    EXPECT_EQ(Start()->IpCtrl()->GetValue(), address);
    EXPECT_EQ(RegistryColumn("vemtor_vantrel", "macaddress").size(), 1u);
}

struct ConnectCase {
    const char* octets[4];
    const char* port;
    int answer;
    const char* title;    // of the one message shown
    const char* message;  // the one message shown
    bool opens_hub;
};

TEST_F(StartPanelTest, ConnectChecksTheAddressAsksAndOpensTheHub)
{
    // Only loopback addresses are ever answered Yes: the recorded hub stands
    // in for the real one, and nothing leaves the machine.
    const ConnectCase cases[] = {
        {{"0", "168", "100", "10"}, "65000", wxID_YES, "Error", "Invalid IP = 0.168.100.10", false},
        {{"224", "168", "100", "10"}, "65000", wxID_YES, "Error", "Invalid IP = 224.168.100.10", false},
        {{"", "168", "100", "10"}, "65000", wxID_YES, "Error", "Invalid IP = .168.100.10", false},
        {{"192", "168", "100", "256"}, "65000", wxID_YES, "Error", "Invalid IP = 192.168.100.256", false},
        {{"192", "168", "100", "10"},
         "65000",
         wxID_NO,
         "Connect to device?",
         "Are you sure to connect to device with IP = 192.168.100.10 and Port = 65000?",
         false},
        {{"127", "0", "0", "1"},
         "",
         wxID_YES,
         "Connect to device?",
         "Are you sure to connect to device with IP = 127.0.0.1 and Port = ?",
         true},
        {{"127", "000", "0", "7"},
         "6123",
         wxID_YES,
         "Connect to device?",
         "Are you sure to connect to device with IP = 127.0.0.7 and Port = 6123?",
         true},
    };
    Main();
    RecordHubOpenings();
    for (const ConnectCase& c : cases) {
        SCOPED_TRACE(c.message);
        hub_openings_.clear();
        for (int i = 0; i < 4; ++i) {
            auto* field = dynamic_cast<wxTextCtrl*>(Start()->FindWindow(2004 + i));
            ASSERT_NE(field, nullptr);
            field->ChangeValue(c.octets[i]);
        }
        Start()->PortCtrl()->ChangeValue(c.port);

        guitest::DialogScript dialogs;
        dialogs.Answer(c.answer);
        Click(Start(), 31);

        ASSERT_EQ(dialogs.Shown().size(), 1u);
        EXPECT_EQ(dialogs.Shown()[0].title, c.title);
        EXPECT_EQ(dialogs.Shown()[0].message, c.message);
        const long style = c.title == std::string("Error") ? kErrorStyle : kQuestionStyle;
        EXPECT_EQ(dialogs.Shown()[0].style & style, style);
        if (c.opens_hub) {
            ASSERT_EQ(hub_openings_.size(), 1u);
            EXPECT_EQ(hub_openings_[0].ip + ":" + hub_openings_[0].port,
                      Start()->IpCtrl()->GetValue() + ":" + c.port);
            EXPECT_EQ(Main()->currentPanel, PANEL_MODULE);
            EXPECT_FALSE(Start()->IsShown());
            Main()->ShowStartPanel();
        } else {
            EXPECT_TRUE(hub_openings_.empty());
            EXPECT_EQ(Main()->currentPanel, PANEL_START);
        }
    }
}

TEST_F(StartPanelTest, ViewDetailsAndScanOpenTheirPages)
{
    SeedRegistry(
        {Module("10.0.0.1", "00:1e:c0:4a:10:01", "one"), Module("10.0.0.2", "00:1e:c0:4a:10:02", "two")});
    std::vector<int> scans;
    MainWindow::RegisterPage(PANEL_SCAN, [&scans](const PageArgs&) {
        scans.push_back(1);
        return new wxPanel(MainWindow::GetInstance()->frame);
    });
    guitest::DialogScript dialogs;

    Start()->ModuleList()->SetSelection(1);
    Click(Start(), wxID_VIEW_DETAILS);
    ASSERT_EQ(Main()->currentPanel, PANEL_DETAILS);
    wxWindow* details = Main()->GetPanel(PANEL_DETAILS);
    ASSERT_NE(details, nullptr);
    bool shows_mac = false;
    for (wxWindow* child : details->GetChildren())
        shows_mac = shows_mac || child->GetLabel() == "00:1e:c0:4a:10:02";
    EXPECT_TRUE(shows_mac) << "the details page does not show the selected module";
    EXPECT_FALSE(Start()->IsShown());

    Main()->ShowStartPanel();
    Click(Start(), 32);
    EXPECT_EQ(scans.size(), 1u);
    EXPECT_EQ(Main()->currentPanel, PANEL_SCAN);
    EXPECT_TRUE(dialogs.Shown().empty());
}

// A registry the page cannot read: each prepares the working folder before
// the main window (and so the start page) is built.
struct BrokenRegistry {
    const char* name;
    std::function<void()> prepare;
    const char* reason;  // part of the wrapper's message
};

class BrokenRegistryTest : public StartPanelTest, public ::testing::WithParamInterface<BrokenRegistry> {};

void PrintTo(const BrokenRegistry& c, std::ostream* os)
{
    *os << c.name;
}

TEST_P(BrokenRegistryTest, IsReportedInTheErrorDialogAndTheProgramGoesOn)
{
    GetParam().prepare();
    guitest::DialogScript dialogs;
    MainWindow* main = Main();
    ASSERT_NE(main->frame, nullptr);
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(dialogs.Shown()[0].title, "Error");
    EXPECT_EQ(dialogs.Shown()[0].style & kErrorStyle, kErrorStyle);
    EXPECT_NE(dialogs.Shown()[0].message.Lower().Find(wxString(GetParam().reason).Lower()), wxNOT_FOUND)
        << dialogs.Shown()[0].message;
    EXPECT_EQ(Start()->ModuleList()->GetCount(), 0u);
    EXPECT_EQ(Start()->IpAddresses().GetCount(), Start()->MacAddresses().GetCount());

    // Once the file is mended the same window lists the modules.
    std::filesystem::remove_all(std::string(Db::FileName.utf8_string()));
    SeedRegistry({Module("10.0.0.1", "00:1e:c0:4a:10:01", "back again")});
    dialogs.Clear();
    ReopenRegistryAndGoHome();
    EXPECT_TRUE(dialogs.Shown().empty());
    EXPECT_EQ(ListRows(Start()), std::vector<wxString>{"00:1e:c0:4a:10:01 - back again"});
}

INSTANTIATE_TEST_SUITE_P(
    Registry, BrokenRegistryTest,
    ::testing::Values(BrokenRegistry{"NotADatabase", [] { BreakRegistryFile(); }, "not a database"},
                      BrokenRegistry{"AFolder", [] { std::filesystem::create_directory("vantrel-conf.db"); },
                                     "unable to open"},
                      BrokenRegistry{"NoDescriptionColumn",
                                     [] {
                                         ExecuteOnRegistry(
                                             {"CREATE TABLE vemtor_vantrel (ip TEXT, macaddress TEXT)",
                                              "INSERT INTO vemtor_vantrel VALUES ('10.0.0.1', 'aa'), "
                                              "('10.0.0.2', 'bb')"});
                                     },
                                     "invalid field"}),
    [](const ::testing::TestParamInfo<BrokenRegistry>& info) { return info.param.name; });

TEST_F(StartPanelTest, AFailedDeletionIsReportedAndTheListStaysAsItWas)
{
    struct Case {
        const char* name;
        int button;
        int row;
    };
    const Case cases[] = {{"Delete", wxID_DELETE, 0}, {"Clear all", wxID_CLEAR, -1}};
    SeedRegistry(
        {Module("10.0.0.1", "00:1e:c0:4a:10:01", "one"), Module("10.0.0.2", "00:1e:c0:4a:10:02", "two")});
    Main();
    // The registry refuses every deletion; a row added behind the page's back
    // shows whether the list was read again.
    ExecuteOnRegistry(
        {"CREATE TRIGGER keep_rows BEFORE DELETE ON vemtor_vantrel BEGIN "
         "SELECT RAISE(ABORT, 'rows are kept for the audit'); END",
         "INSERT INTO vemtor_vantrel (ip, macaddress, descri) VALUES ('10.0.0.3', 'cc', 'late')"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        guitest::DialogScript dialogs;
        dialogs.Answer(wxID_YES);
        if (c.row >= 0)
            Start()->ModuleList()->SetSelection(c.row);
        Click(Start(), c.button);
        ASSERT_EQ(dialogs.Shown().size(), 2u);
        EXPECT_EQ(dialogs.Shown()[1].title, "Error");
        EXPECT_EQ(dialogs.Shown()[1].style & kErrorStyle, kErrorStyle);
        EXPECT_NE(dialogs.Shown()[1].message.Find("rows are kept for the audit"), wxNOT_FOUND)
            << dialogs.Shown()[1].message;
        EXPECT_EQ(ListRows(Start()),
                  (std::vector<wxString>{"00:1e:c0:4a:10:01 - one", "00:1e:c0:4a:10:02 - two"}));
        EXPECT_EQ(RegistryColumn("vemtor_vantrel", "macaddress").size(), 3u);
        EXPECT_EQ(Main()->currentPanel, PANEL_START);
    }
}

}  // namespace
}  // namespace hometest
