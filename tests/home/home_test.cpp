// The start, details, hub and scan pages in the real main window; the scan
// probes 127.65.0.1 to 127.65.0.6 on the fixed port 65000 (its lock is held).
#include <wx/frame.h>
#include <wx/listbox.h>
#include <wx/progdlg.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include <map>

#include "CommandProgressWait.h"
#include "Common.h"
#include "HubLogic.h"
#include "ScanDevicesThread.h"
#include "SendCommandThread.h"
#include "StartPanel.h"
#include "VantrelDetailsPanel.h"
#include "VantrelPanel.h"
#include "VantrelScanPanel.h"
#include "app_fixture.h"
#include "cmd_error.h"
#include "sock.h"
#include "test_module.h"
#include "wxIPCtrl.h"

using namespace apptest;
using testmod::Fault;
using testmod::TestModule;
using Texts = std::vector<wxString>;

namespace {

// Each threshold at and one past it; the right column stacks from the top.
TEST(HubDecisions, ButtonsByTypeFirmwareAndLogin)
{
    struct {
        char type;
        int firmware;
        bool loggedIn;
        std::vector<int> ids;
    } cases[] = {
        // clang-format off
        {'D', 112, false, {12, 16, 14}},              {'D', 113, false, {12, 16, 14, 20}},
        {'S', 119, false, {12, 16, 14, 13, 20}},      {'S', 120, false, {12, 23, 14, 22, 13, 20}},
        {'A', 119, false, {12, 16, 14, 17, 20}},      {'A', 120, false, {12, 23, 14, 22, 17, 24, 20}},
        {'b', 120, false, {12, 23, 14, 22, 17, 24}},  {'e', 120, false, {12, 23, 14, 22, 20}},
        {'s', 120, false, {12, 23, 14, 22, 13}},      {'I', 120, false, {12, 23, 14, 25}},
        {'7', 112, false, {12, 16, 14, 13, 21}},      {'2', 120, false, {12, 23, 14, 22, 17, 24, 20, 21}},
        {'8', 113, false, {12, 16, 14, 20}},          {'C', 141, false, {12, 23, 14, 22, 13, 20}},
        {'C', 140, true, {12, 23, 14, 22, 13, 20}},   {'C', 141, true, {12, 23, 14, 22, 13, 20, 26, 27}},
        // clang-format on
    };
    for (const auto& c : cases) {
        std::vector<int> ids, rightColumn;
        for (const HubButton& b : HubButtons(c.type, c.firmware, c.loggedIn)) {
            ids.push_back(b.id);
            if (b.x == 194)
                rightColumn.push_back(b.y);
        }
        EXPECT_EQ(ids, c.ids) << c.type << " " << c.firmware << (c.loggedIn ? " logged in" : "");
        for (size_t i = 0; i < rightColumn.size(); ++i)
            EXPECT_EQ(rightColumn[i], 270 + 50 * int(i)) << c.type << " " << c.firmware;
    }
}

// Firmware texts of every length, the refusals in their order, the data port.
TEST(HubDecisions, FirmwareNumberRefusalsAndDataPort)
{
    const std::pair<const char*, int> numbers[] = {
        {"1.4.0", 140}, {"01.4.0", 140}, {"V1.2.3", 123}, {"10.2.3", 23}, {"1.10", 110},
        {"1.3", 13},    {"", 0},         {"x.y", 0},      {" -1.2", -12}, {"123456789", 56789}};
    for (const auto& [text, number] : numbers)
        EXPECT_EQ(FirmwareVersionNumber(text), number) << text;

    struct {
        uint16_t buffer;
        const char* model;
        char type;
        int firmware;
        HubRefusal refusal;
    } checks[] = {
        // clang-format off
        {128, "Unknown", 'Z', 140, HubRefusal::LegacyBufferSize}, {127, "m", 'S', 0, HubRefusal::None},
        {129, "m", 'S', 0, HubRefusal::None}, {1024, "Unknown", 'Z', 140, HubRefusal::UnknownModel},
        {1024, "m", 'A', 109, HubRefusal::OldCanFirmware}, {1024, "m", 'A', 110, HubRefusal::None},
        {1024, "m", '3', 109, HubRefusal::OldCanFirmware}, {1024, "m", 'a', 109, HubRefusal::None},
        {1024, "m", 'B', 109, HubRefusal::OldCanFirmware}, {1024, "m", '2', 109, HubRefusal::OldCanFirmware},
        {1024, "m", 'b', 109, HubRefusal::None},
        // clang-format on
    };
    for (const auto& c : checks)
        EXPECT_EQ(CheckModule(c.buffer, c.model, c.type, c.firmware), c.refusal) << c.type << c.firmware;

    const std::pair<const char*, int> ports[] = {
        {"ABab23", 65300}, {"DEde4589", 65200}, {"SsCcFfGgIi0167Z", 65100}};
    for (const auto& [types, port] : ports)
        for (const char* t = types; *t; ++t)
            EXPECT_EQ(TerminalDataPort(*t), port) << *t;

    // Stored texts of the details page read like atoi: empty is 0, anything
    // past the digits ends them; the first code past the table shows nothing.
    const std::pair<const char*, const char*> types[] = {
        {"", "Ad-Hoc"}, {"0x1", "Ad-Hoc"}, {"-1", "Infrastructure"}, {"01", "Infrastructure"}};
    for (const auto& [stored, text] : types)
        EXPECT_EQ(DetailsNetworkTypeText(stored), text) << stored;
    const std::pair<const char*, const char*> security[] = {
        {"0", "None"}, {"1", "WPA"}, {"2", "WPA2"}, {" 3x", "WEP"}, {"03", "WEP"}, {"4", ""}, {"-1", ""}};
    for (const auto& [stored, text] : security)
        EXPECT_EQ(DetailsSecurityText(stored), text) << stored;
}

// Module texts byte for byte in ISO 8859-1, zero bytes dropped wherever they
// stand; the alias field and the address at the first length past them.
TEST(HubDecisions, TextsFitTheirFieldsByteForByte)
{
    const uint8_t inner[6] = {'a', 'b', 0, 'c', 0, 0xE9};
    EXPECT_EQ(ModuleText(inner, sizeof inner), wxString::FromUTF8("abc\xC3\xA9"));
    const std::pair<wxString, bool> aliases[] = {{wxString(32, 'x'), true},
                                                 {wxString(33, 'x'), false},
                                                 {wxString::FromUTF8("Gar\xC3\xA7on \xC3\xBF"), true},
                                                 {wxString::FromUTF8("\xE2\x82\xAC"), false},
                                                 {"", true}};
    for (const auto& [text, fits] : aliases) {
        uint8_t bytes[MODULE_TEXT_SIZE];
        memset(bytes, 0x55, sizeof bytes);
        EXPECT_EQ(ModuleTextToBytes(text, bytes, sizeof bytes), fits) << text;
        // Zero-padded and read back as it was; a refused text leaves the field alone.
        EXPECT_EQ(ModuleText(bytes, sizeof bytes), fits ? text : wxString(32, 'U')) << text;
    }
    const std::pair<wxString, bool> addresses[] = {
        {wxString(31, '1'), true}, {wxString(32, '1'), false}, {wxString::FromUTF8("127.0.0.\xC3\xA9"), false}};
    for (const auto& [ip, fits] : addresses) {
        char out[32];
        memset(out, 'x', sizeof out);
        ASSERT_EQ(CopyAddressText(ip, out), fits) << ip;
        if (fits) {
            EXPECT_EQ(wxString(out), ip);
        }
    }
}

// Back from the page shown (by the menu, or the page's own button) leads to
// the start page, read again, and the page left is destroyed.
class Home : public AppTest {
protected:
    void ExpectBackToStart(bool button = false)
    {
        wxWeakRef<wxWindow> page = Main()->GetPanel(Main()->currentPanel);
        ASSERT_TRUE(page);
        AddModule("127.0.0.9", "00:00:00:00:00:09", "added meanwhile");
        const size_t rows = Sql("SELECT * FROM vemtor_vantrel").size();
        if (button)
            ASSERT_TRUE(Click(page, ID_BACK));
        else
            Command(ID_BACK);
        EXPECT_EQ(Main()->currentPanel, PANEL_START);
        EXPECT_TRUE(Main()->startPanel->IsShown());
        EXPECT_EQ(Main()->startPanel->ModuleList()->GetCount(), rows);
        EXPECT_TRUE(guitest::WaitFor([&] { return !page; }, 2000)) << "the page was never destroyed";
    }
};
using Pages = Home;

// Every label and text field of a page, in the order the page made them.
Texts Shown(wxWindow* page)
{
    Texts out;
    for (wxWindow* child : page->GetChildren())
        if (auto* field = dynamic_cast<wxTextCtrl*>(child))
            out.push_back(field->GetValue());
        else if (dynamic_cast<wxStaticText*>(child))
            out.push_back(child->GetLabel());
    return out;
}

Texts Listed(wxListBox* list)
{
    const wxArrayString rows = list->GetStrings();
    return Texts(rows.begin(), rows.end());
}

TEST_F(Pages, StartPageListsDeletesAndClearsAfterItsQuestions)
{
    AddModule("127.0.0.1", "00:1e:c0:4a:10:01", "one");
    AddModule("127.0.0.2", "00:1e:c0:4a:10:02", "two");
    AddModule("127.0.0.3", "00:1e:c0:4a:10:02", "two again");
    AddModule("127.0.0.4", "00:1e:c0:4a:10:03", wxString::FromUTF8("Ünïcode – ok"));
    const Texts all = {"00:1e:c0:4a:10:01 - one", "00:1e:c0:4a:10:02 - two", "00:1e:c0:4a:10:02 - two again",
                       wxString::FromUTF8("00:1e:c0:4a:10:03 - Ünïcode – ok")};
    StartPanel* start = Main()->startPanel;
    EXPECT_EQ(Listed(start->ModuleList()), all);

    const wxString one = "Erase device?: Are you sure to delete selected device?";
    const wxString every = "Erase devices?: Are you sure to delete all devices?";
    struct Step {
        int button;
        int answer;
        Texts left;
        bool asked = true;  // an empty list asks nothing
    } steps[] = {
        {wxID_DELETE, wxID_NO, all},
        {wxID_DELETE, wxID_YES, {all[0], all[3]}},  // every row of the selected MAC
        {wxID_CLEAR, wxID_NO, {all[0], all[3]}},
        {wxID_CLEAR, wxID_YES, {}},
        {wxID_CLEAR, wxID_YES, {}, false},
        {wxID_DELETE, wxID_YES, {}, false},
    };
    for (const Step& s : steps) {
        const wxString& question = s.button == wxID_DELETE ? one : every;
        SCOPED_TRACE(question + (s.answer == wxID_YES ? " yes" : " no"));
        if (!start->ModuleList()->IsEmpty())
            start->ModuleList()->SetSelection(1);
        dialogs->Clear();
        dialogs->Answer(s.answer);
        ASSERT_TRUE(Click(start, s.button));
        EXPECT_EQ(dialogs->Messages(), s.asked ? Texts{question} : Texts{});
        EXPECT_EQ(Listed(start->ModuleList()), s.left);
        EXPECT_EQ(Sql("SELECT macaddress || ' - ' || descri FROM vemtor_vantrel ORDER BY rowid"), s.left);
    }
}

// The entry's defaults; a row selected, or Edit, takes that row's address
// (the port stays), View details opens that row's module; with no row
// selected neither does anything.
TEST_F(Pages, StartPageRowsLeadToTheirOwnModule)
{
    StartPanel* start = Main()->startPanel;
    EXPECT_EQ(start->IpCtrl()->GetValue() + ":" + start->PortCtrl()->GetValue(), "192.168.100.10:65000");
    AddModule("127.0.0.1", "00:1e:c0:4a:10:01", "one");
    AddModule("127.0.0.2", "00:1e:c0:4a:10:02", "two");
    Main()->ShowStartPanel();
    start->PortCtrl()->ChangeValue("65011");
    const struct {
        int row;     // selected; -1 none
        int button;  // 0: the selection itself
        wxString ip;
        PanelIndex panel;
    } cases[] = {
        {1, 0, "127.0.0.2", PANEL_START},     {0, wxID_EDIT, "127.0.0.1", PANEL_START},
        {-1, wxID_EDIT, "127.0.0.1", PANEL_START}, {-1, wxID_VIEW_DETAILS, "127.0.0.1", PANEL_START},
        {1, wxID_VIEW_DETAILS, "127.0.0.1", PANEL_DETAILS},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << " button " << c.button);
        wxListBox* list = start->ModuleList();
        list->SetSelection(c.row);
        if (c.button) {
            ASSERT_TRUE(Click(start, c.button));
        } else {
            wxCommandEvent picked(wxEVT_LISTBOX, list->GetId());
            picked.SetInt(c.row);
            picked.SetEventObject(list);
            list->ProcessWindowEvent(picked);
        }
        EXPECT_TRUE(dialogs->Messages().empty()) << testing::PrintToString(dialogs->Messages());
        EXPECT_EQ(start->IpCtrl()->GetValue() + ":" + start->PortCtrl()->GetValue(), c.ip + ":65011");
        EXPECT_EQ(Main()->currentPanel, c.panel);
    }
    EXPECT_EQ(Shown(Main()->GetPanel(PANEL_DETAILS)).at(2), "00:1e:c0:4a:10:02");
}

// Each stored value follows its label, the password never; a second row of
// the same MAC makes a second block below the first one's Back button. Back
// by the page's button, then by the menu.
TEST_F(Pages, DetailsPageShowsAStoredModuleAndGoesBack)
{
    Sql("INSERT INTO vemtor_vantrel VALUES ('127.0.0.21', 'plant-floor', '255.255.255.0', '127.0.0.1', 1, "
        "'00:1e:c0:4a:10:01', 0, 3, 's3cret-key', 'Boiler room')");
    Sql("INSERT INTO vemtor_vantrel VALUES ('127.0.0.22', '', '', '', 0, '00:1e:c0:4a:10:02', 0, 1, '', 'other')");
    Sql("INSERT INTO vemtor_vantrel VALUES ('127.0.0.23', 'spare', '', '', '', '00:1e:c0:4a:10:01', 0, 7, "
        "'s3cret-too', 'Spare')");
    const Texts block = {"Vantrel Details", "MAC Address", "00:1e:c0:4a:10:01", "IP"};
    Texts expected = block;
    for (const char* t : {"127.0.0.21", "Description", "Boiler room", "SSID", "plant-floor", "Netmask",
                          "255.255.255.0", "Default Gateway", "127.0.0.1", "Network Type", "Infrastructure",
                          "Security", "WEP"})
        expected.push_back(t);
    expected.insert(expected.end(), block.begin(), block.end());
    for (const char* t : {"127.0.0.23", "Description", "Spare", "SSID", "spare", "Netmask", "",
                          "Default Gateway", "", "Network Type", "Ad-Hoc", "Security", ""})
        expected.push_back(t);
    for (bool button : {true, false}) {
        SCOPED_TRACE(button ? "Back button" : "Back command");
        Main()->ShowDetailsPanel("00:1e:c0:4a:10:01");
        ASSERT_EQ(Main()->currentPanel, PANEL_DETAILS);
        wxWindow* page = Main()->GetPanel(PANEL_DETAILS);
        const Texts shown = Shown(page);
        EXPECT_EQ(shown, expected);
        for (const wxString& text : shown)
            EXPECT_EQ(text.Find("s3cret"), wxNOT_FOUND) << "the password is never shown";
        std::vector<wxRect> titles, backs;
        for (wxWindow* child : page->GetChildren()) {
            if (child->GetId() == ID_BACK)
                backs.push_back(child->GetRect());
            if (child->GetLabel() == "Vantrel Details" && dynamic_cast<wxStaticText*>(child))
                titles.push_back(child->GetRect());
        }
        ASSERT_EQ(backs.size(), 2u);
        ASSERT_EQ(titles.size(), 2u);
        EXPECT_GT(titles[1].GetTop(), backs[0].GetBottom());
        ExpectBackToStart(button);
    }
}

const wxString Mac = "00:1e:c0:12:34:56";  // the test module's own

class Hub : public Home {
protected:
    void SetUp() override
    {
        Home::SetUp();
        module.SetIdentity("1.4.0", 'C', "porch");
        ASSERT_TRUE(module.Start());
    }
    // The hub shown once the show operation returned, or null.
    VantrelPanel* ShowHub(const wxString& ip = "127.0.0.1", const wxString& port = "")
    {
        Main()->ShowModulePanel(ip, port.empty() ? module.PortText() : port);
        guitest::Pump();
        return dynamic_cast<VantrelPanel*>(Main()->GetPanel(PANEL_MODULE));
    }
    TestModule module;
};

// Connect from the start page: a port outside 1 to 65535 is refused before
// the question, and no module sees a connection: not the one where "70000"
// lands when cut to 16 bits (4464), nor the one where "-1" does (65535),
// which "65535" itself reaches. The hub shows that module and stores it.
TEST_F(Hub, ConnectFromTheStartPageChecksThePortAndShowsTheModule)
{
    const char* const ip = "127.77.0.1";
    TestModule cut(ip, 4464), edge(ip, 65535);
    edge.SetIdentity("1.4.0", 'C', "porch");
    ASSERT_TRUE(cut.Start()) << ip << ":4464 is taken by another program";
    ASSERT_TRUE(edge.Start()) << ip << ":65535 is taken by another program";
    StartPanel* start = Main()->startPanel;
    // An address the entry refuses (a first octet past 223) is told, and nothing is asked.
    start->IpCtrl()->SetValue(ip);
    static_cast<wxTextCtrl*>(start->FindWindow(2004))->ChangeValue("224");
    ASSERT_TRUE(Click(start, 31));
    EXPECT_EQ(dialogs->Messages(), Texts{"Error: Invalid IP = 224.77.0.1"});
    start->IpCtrl()->SetValue(ip);
    for (const char* port : {"70000", "65536", "0", "-1", "", "1e3", "65535"}) {
        SCOPED_TRACE(port);
        const bool valid = wxString(port) == "65535";
        dialogs->Clear();
        dialogs->Answer(wxID_YES);
        start->PortCtrl()->ChangeValue(port);  // past the field's filter, as a paste may be
        ASSERT_TRUE(Click(start, 31));
        EXPECT_EQ(dialogs->Messages(),
                  Texts{valid ? "Connect to device?: Are you sure to connect to device with "
                                "IP = 127.77.0.1 and Port = 65535?"
                              : "Error: Invalid Port = " + wxString(port) +
                                    "\n\nThe port must be a whole number from 1 to 65535."});
        EXPECT_EQ(Main()->currentPanel, valid ? PANEL_MODULE : PANEL_START);
        EXPECT_EQ(cut.Connections() + edge.Connections(), valid ? 1 : 0);
    }
    auto* hub = dynamic_cast<VantrelPanel*>(Main()->GetPanel(PANEL_MODULE));
    ASSERT_NE(hub, nullptr);
    EXPECT_EQ(Shown(hub), (Texts{"Vantrel-CS-UART Configuration", "Connected successful to:", "MAC ADDRESS:", Mac,
                                 "IP:", "127.77.0.1", "Alias:", "porch", "Type:", "Vantrel-CS-UART",
                                 "Firmware version:", "1.4.0"}));
    EXPECT_EQ(Sql("SELECT ip, macaddress, descri FROM vemtor_vantrel"),
              Texts{"127.77.0.1|" + Mac + "|porch"});
    EXPECT_TRUE(SaveScreenshot("hub.png"));
    ExpectBackToStart();

    // A registry that fails to store is told; the hub is built all the same.
    Sql("DROP TABLE vemtor_vantrel");
    dialogs->Clear();
    ASSERT_NE(ShowHub(), nullptr);
    ASSERT_EQ(dialogs->Messages().size(), 1u);
    EXPECT_TRUE(dialogs->Messages()[0].StartsWith("Error: ") &&
                dialogs->Messages()[0].Contains("vemtor_vantrel"))
        << dialogs->Messages()[0];
}

// A refusal is reported and a module that answered stays listed. A report,
// failure too, ends the wait at once; a silent module's wait runs out (51
// steps: 0, 2, ..., 98 shown, 100 ends it) and stops its worker at once,
// though the receive time-out is long: no thread, no socket and no error
// are left behind.
TEST_F(Hub, RefusalsAreReportedAndLeaveTheModuleListed)
{
    TestModule refusing, silent;
    refusing.SetFault(Fault::Refuse);
    silent.SetFault(Fault::Silent);
    ASSERT_TRUE(refusing.Start() && silent.Start());
    sock_set_receive_timeout(15);  // the silent module's worker would still be waiting
    int highest = -1;
    wxTimer watcher;
    watcher.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        for (wxWindow* top : wxTopLevelWindows)
            if (auto* progress = dynamic_cast<wxProgressDialog*>(top); progress && progress->IsShown())
                highest = std::max(highest, progress->GetValue());
    });
    watcher.Start(25);
    const wxString longIp(40, '1');
    struct Case {
        char type;
        const char* firmware;
        uint16_t buffer;
        wxString error;  // "": the hub is shown
        wxString ip = "127.0.0.1", port = "";
    } cases[] = {
        {'S', "1.2.0", 1024, ""},
        {'S', "1.4.0", 128,
         "Your Vantrel module has an USDB buffer size of 128 bytes\n\nPlease use Configuration Version "
         "1.0.2"},
        {'Z', "1.4.0", 1024,
         "Your Vantrel model seems to be unknown. Please contact Vemtor Technical Support"},
        {'A', "1.0.9", 1024,
         "Your version of Vantrel CAN-bus is not supported by this Vantrel Glimra version.\n\nPlease use "
         "Vantrel Glimra Version 1.1.9"},
        {'C', "1.4.0", 1024, "Vantrel module unreachable", "127.0.0.1", refusing.PortText()},
        {'C', "1.4.0", 1024, "Invalid Vantrel module address: " + longIp, longIp},
        {'C', "1.4.0", 1024, "Connection aborted by user", "127.0.0.1", silent.PortText()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        Sql("DELETE FROM vemtor_vantrel");
        dialogs->Clear();
        module.SetIdentity(c.firmware, c.type, "case", c.buffer);
        cmd_set_error(CMD_ERR_VCOM_SAVE);  // never recorded by the library
        highest = -1;
        EXPECT_EQ(ShowHub(c.ip, c.port) != nullptr, c.error.empty());
        if (c.error == "Connection aborted by user") {
            EXPECT_EQ(highest, 98);
        } else {
            EXPECT_LT(highest, 50) << "the wait outlived its report";
        }
        EXPECT_EQ(dialogs->Messages(), c.error.empty() ? Texts{} : Texts{"Error: " + c.error});
        EXPECT_EQ(Main()->currentPanel, c.error.empty() ? PANEL_MODULE : PANEL_START);
        // A module that answered is stored, and listed when refused.
        const bool answered = c.ip == "127.0.0.1" && c.port.empty();
        EXPECT_EQ(Sql("SELECT descri FROM vemtor_vantrel").size(), answered ? 1u : 0u);
        if (!c.error.empty()) {
            EXPECT_EQ(Main()->startPanel->MacAddresses().Index(Mac) != wxNOT_FOUND, answered);
        }
    }
    EXPECT_EQ(cmd_get_error(), CMD_ERR_VCOM_SAVE) << "the stopped exchange recorded an error";
    EXPECT_TRUE(guitest::WaitFor([] { return CommandJob::Running() == 0; }, 1000));
    EXPECT_TRUE(
        guitest::WaitFor([&] { return OpenConnections(silent.Address(), silent.Port()) == 0; }, 1000));
}

// The field is read-only until Edit. A failed exchange, an echo without its
// save block, and an echo that differs in the alias or in the section code
// are each told as such and store nothing; once done, the reboot notice shows
// and the field is no longer editable.
TEST_F(Hub, AliasEditWritesChecksTheEchoAndStores)
{
    VantrelPanel* hub = ShowHub();
    ASSERT_NE(hub, nullptr);
    wxTextCtrl* field = hub->GetAliasCtrl();
    EXPECT_FALSE(field->IsEditable());
    ASSERT_TRUE(Click(hub, ID_HUB_ALIAS_EDIT));
    guitest::Pump();
    field->SetValue("garage");
    const struct {
        Fault fault;
        int param;
        wxString error;  // "": saved
    } cases[] = {
        {Fault::CloseEarly, 0, "Vantrel module unreachable"},
        {Fault::MissingBlock, DATABLOCK_SAVE, "datablock not found"},
        {Fault::AlterEcho, DATABLOCK_ALIAS, "Configuration saved with errors!"},
        {Fault::AlterEcho, DATABLOCK_SAVE, "Configuration saved with errors!"},
        {Fault::None, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        const bool done = c.error.empty();
        module.SetFault(c.fault, c.param);
        dialogs->Clear();
        ASSERT_TRUE(Click(hub, ID_HUB_ALIAS_SAVE));
        guitest::Pump();
        EXPECT_EQ(dialogs->Messages(), done ? Texts{} : Texts{"Error: " + c.error});
        EXPECT_EQ(Sql("SELECT descri FROM vemtor_vantrel"), Texts{done ? "garage" : "porch"});
        EXPECT_EQ(ShowsText(hub, "*Vantrel reboot required"), done);
        EXPECT_EQ(field->IsEditable(), !done);
        // What was written: the alias in 32 bytes and the alias section's save code.
        testmod::Bytes alias = {'g', 'a', 'r', 'a', 'g', 'e'};
        alias.resize(32, 0);
        const testmod::Frame sent = module.Requests().back();
        EXPECT_EQ(testmod::Header(sent), std::make_tuple(1, 0, int(CMD_ACTION_SET)));
        EXPECT_EQ(sent.data, testmod::EncodeBlocks({{1, DATABLOCK_ALIAS, 0, alias}, {1, DATABLOCK_SAVE, 0, {4}}}));
    }
}

// Every other feature button hands its page the hub's address and port, the
// module's type and firmware (the old socket page: none), the UART page its MAC.
TEST_F(Hub, FeatureButtonsOpenTheirPagesWithTheModule)
{
    std::vector<std::pair<int, PageArgs>> built;
    for (int i = PANEL_NET; i < PANEL_SLOT_COUNT; ++i)
        if (i != PANEL_SCAN && i != PANEL_TERMINAL)
            MainWindow::RegisterPage(PanelIndex(i), [&built, i](const PageArgs& a) -> wxWindow* {
                built.push_back({i, a});
                return new wxPanel(MainWindow::GetInstance()->frame);
            });
    // Firmware 1.4.1 offers power save and batch only after a login.
    module.SetIdentity("1.4.1", '2', "unit");
    VantrelPanel* plain = ShowHub();
    ASSERT_NE(plain, nullptr);
    EXPECT_FALSE(plain->FindWindow(ID_HUB_POWERSAVE) || plain->FindWindow(ID_HUB_BATCH_CONF));
    Main()->loggedIn = true;
    const wxString hub = "127.0.0.1|" + module.PortText() + "|";
    struct Case {
        char type;
        const char* firmware;
        int button, panel;
        wxString args;  // ip|port|mac|dataPort|type|firmware
    };
    std::vector<Case> cases = {
        {'S', "1.1.9", ID_HUB_UART, PANEL_UART, hub + Mac + "||S|119"},
        {'C', "1.1.9", ID_HUB_SOCKET, PANEL_SOCKET, hub + "||C|0"},
        {'I', "1.3.0", ID_HUB_I2C, PANEL_I2C, hub + "||I|130"},
    };
    // clang-format off
    const std::pair<int, int> allOf2[] = {
        {ID_HUB_NETWORK, PANEL_NET}, {ID_HUB_SOCKET_NEW, PANEL_SOCKET_NEW}, {ID_HUB_ADVANCED, PANEL_ADVANCED},
        {ID_HUB_CANBUS, PANEL_CANBUS}, {ID_HUB_CANBUS_ACTUATION, PANEL_CANBUS_ACTUATION}, {ID_HUB_IO, PANEL_IO},
        {ID_HUB_ADC, PANEL_ADC}, {ID_HUB_POWERSAVE, PANEL_POWERSAVE}, {ID_HUB_BATCH_CONF, PANEL_BATCH_CONF}};
    // clang-format on
    for (const auto& [button, panel] : allOf2)
        cases.push_back({'2', "1.4.1", button, panel, hub + "||2|141"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        module.SetIdentity(c.firmware, c.type, "unit");
        VantrelPanel* page = ShowHub();
        ASSERT_NE(page, nullptr);
        built.clear();
        ASSERT_TRUE(Click(page, c.button));
        ASSERT_EQ(built.size(), 1u);
        const PageArgs& a = built[0].second;
        EXPECT_EQ(built[0].first, c.panel);
        EXPECT_EQ(wxString::Format("%s|%s|%s|%s|%c|%d", a.ip, a.port, a.mac, a.dataPort, a.type, a.firmware),
                  c.args);
    }
}

// Holds a modal dialog, when asked to, until the read's worker has reported;
// the dialog script answers it then.
struct UntilReported : wxModalDialogHook {
    explicit UntilReported(bool hold) : hold(hold) { Register(); }
    int Enter(wxDialog*) override
    {
        if (hold) {
            EXPECT_TRUE(guitest::WaitFor([] { return CommandJob::Running() == 0; }, 5000));
        }
        return wxID_NONE;
    }
    void Exit(wxDialog*) override {}
    bool hold;
};

// Cancel pressed once while the module never accepts: No waits on for the
// connect failure, which is told; Yes abandons the read, unless the worker
// reported while the question was open.
TEST_F(Hub, TheCancelQuestionWaitsOnOrAbandonsTheRead)
{
    TestModule never;
    never.SetFault(Fault::NeverAccept);
    ASSERT_TRUE(never.Start());
    const struct {
        int answer;
        bool reported;  // before the answer
        wxString error;
    } cases[] = {
        {wxID_NO, false, "socket connection timeout"},
        {wxID_YES, true, "socket connection timeout"},
        {wxID_YES, false, "Connection aborted by user"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.answer << (c.reported ? " after the report" : ""));
        dialogs->Clear();
        dialogs->Answer(c.answer);
        UntilReported hold(c.reported);
        bool pressed = false;
        wxTimer presser;
        presser.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
            for (wxWindow* top : wxTopLevelWindows)
                if (dynamic_cast<wxProgressDialog*>(top) && top->IsShown() && !pressed)
                    pressed = Click(top, wxID_CANCEL);
        });
        presser.Start(20);
        EXPECT_EQ(ShowHub("127.0.0.1", never.PortText()), nullptr);
        EXPECT_EQ(dialogs->Messages(), (Texts{"End Connection?: Do you really want to cancel connection?",
                                              "Error: " + c.error}));
        EXPECT_TRUE(guitest::WaitFor([] { return CommandJob::Running() == 0; }, 3000));
    }
}

// The hub's terminal opens on the data port of the module's type, and its
// Back reads the module on the configuration port 65000. Those ports are
// fixed: the modules stand on an address of this process's own.
TEST_F(Hub, TerminalOpensOnTheDataPortOfTheModuleType)
{
    const std::string address = ProcessAddress(72);
    TestModule hub(address), config(address, ConfigPort);
    config.SetIdentity("1.4.5", 'A', "tank");
    ASSERT_TRUE(hub.Start() && config.Start()) << address << ":65000 is taken by another program";
    const std::pair<char, uint16_t> cases[] = {{'A', CanDataPort}, {'d', IoDataPort}};
    for (const auto& [type, port] : cases) {
        SCOPED_TRACE(type);
        TestModule data(address, port);
        data.SetDataService(true);
        ASSERT_TRUE(data.Start()) << address << ":" << port << " is taken by another program";
        hub.SetIdentity("1.4.5", type, "tank");
        dialogs->Clear();
        ASSERT_NE(ShowHub(address, hub.PortText()), nullptr);
        ASSERT_TRUE(Click(Main()->GetPanel(PANEL_MODULE), ID_HUB_TERMINAL));
        EXPECT_EQ(Main()->currentPanel, PANEL_TERMINAL);
        EXPECT_TRUE(guitest::WaitFor([&] { return data.DataConnected(); }, 3000));
        const int reads = config.Connections();
        Command(ID_BACK);
        guitest::Pump();
        EXPECT_EQ(Main()->currentPanel, PANEL_MODULE);
        EXPECT_EQ(config.Connections(), reads + 1);
        EXPECT_TRUE(dialogs->Messages().empty()) << testing::PrintToString(dialogs->Messages());
        EXPECT_TRUE(guitest::WaitFor([&] { return !data.DataConnected(); }, 2000));
    }
}

// Every address of the range is held by this test: test modules at .2 and .5
// (more where a test places them), a refusing port at the others, so that no
// other program on this machine can answer a probe.
class Scan : public Home {
protected:
    void SetUp() override
    {
        Home::SetUp();
        sock_set_connect_timeout(3);  // what each scan must put back
        for (int n = 1; n <= 6; ++n)
            Place(n, n == 2 || n == 5 ? Fault::None : Fault::Refuse);
        Main()->ShowScanPanel();
        page = dynamic_cast<VantrelScanPanel*>(Main()->GetPanel(PANEL_SCAN));
        ASSERT_NE(page, nullptr);
        page->Bind(wxEventTypeTag<wxCommandEvent>(EVT_SCAN_PROGRESS), [this](wxCommandEvent& e) {
            progress.push_back(e.GetString());
            e.Skip();
        });
    }
    static wxString At(int n) { return wxString::Format("127.65.0.%d", n); }
    void Place(int n, Fault fault, int param = 0)
    {
        at[n].reset();  // lets go of the address first
        at[n] = std::make_unique<TestModule>(At(n).ToStdString(), 65000);
        at[n]->SetIdentity("1.4.0", 'S', "unit " + std::to_string(n), 1024, {0, 30, 192, 0, 0, uint8_t(n)});
        at[n]->SetFault(fault, param);
        ASSERT_TRUE(at[n]->Start()) << At(n) << ":65000 is taken by another program";
    }
    std::map<int, std::unique_ptr<TestModule>> at;
    VantrelScanPanel* page = nullptr;
    Texts progress;
};

// A range that cannot be scanned is said and nothing is probed; one address
// alone is a range. A module answering without its MAC or alias ends the scan
// at its address, and a stop ends it at once: nothing of an ended scan
// arrives later, not even in a scan started before its events came in. A
// whole range finds exactly its modules, each sent a request of its own (not
// the reply an earlier exchange left), and stores them.
TEST_F(Scan, FindsExactlyTheModulesOfARangeOrSaysWhyNot)
{
    sock_set_receive_timeout(10);  // a stop cannot wait for it
    const wxString fields =
        "\n\nEvery field needs a number: the first from 1 to 223, the others from 0 to 255.";
    const wxString ended =
        "The module at 127.65.0.2 answered without its MAC address or alias: the scan ended there.";
    const wxString reversed = "Start IP 127.65.0.4 comes after End IP 127.65.0.3: there is nothing to scan.";
    const struct {
        wxString from, to;
        int missing;  // the block 127.65.0.2 leaves out; -1: a stop while 127.65.0.3 keeps it
                      // waiting, -2: that stop and at once a scan of 127.65.0.6 alone
        wxString message, label;  // label "": the scan never started
        Texts probed;
    } cases[] = {
        {At(1), "127.65.1.6", 0, "Start and End Ip must be in the same subnet (C class)!", "", {}},
        {"127.65.0.", At(6), 0, "Invalid Start IP = 127.65.0." + fields, "", {}},
        {At(1), "127.65.0.256", 0, "Invalid End IP = 127.65.0.256" + fields, "", {}},
        {At(4), At(3), 0, reversed, "", {}},
        {At(3), At(3), 0, "", "Scan finished!", {At(3)}},
        {At(1), At(5), DATABLOCK_ALIAS, ended, "Scan ended at 127.65.0.2!", {At(1), At(2)}},
        {At(1), At(5), DATABLOCK_MAC, ended, "Scan ended at 127.65.0.2!", {At(1), At(2)}},
        {At(1), At(5), -1, "", "Scan stopped!", {At(1), At(2), At(3)}},
        {At(1), At(5), -2, "", "Scan finished!", {At(1), At(2), At(3), At(6)}},
        {At(1), At(6), 0, "", "Scan finished!", {At(1), At(2), At(3), At(4), At(5), At(6)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.from + " - " + c.to + " " + c.label);
        dialogs->Clear();
        progress.clear();
        Place(2, c.missing > 0 ? Fault::MissingBlock : Fault::None, c.missing);
        Place(3, c.missing < 0 ? Fault::Silent : Fault::Refuse);
        const auto scan = [this](const wxString& from, const wxString& to) {
            std::vector<wxTextCtrl*> octets;  // the start control's four, then the end control's
            for (wxWindow* child : page->GetChildren())
                if (child->GetId() >= 2004 && child->GetId() <= 2007)
                    octets.push_back(static_cast<wxTextCtrl*>(child));
            for (int i = 0; i < 4; ++i) {
                octets.at(i)->ChangeValue(wxSplit(from, '.')[i]);
                octets.at(4 + i)->ChangeValue(wxSplit(to, '.')[i]);
            }
            Click(page, 32);  // the start/stop button
        };
        scan(c.from, c.to);
        if (c.missing < 0) {
            ASSERT_TRUE(at[3]->WaitForRequests(1, 3000));
            if (c.missing == -1) {
                EXPECT_TRUE(guitest::WaitFor(
                    [this] { return page->StatusLabel()->GetLabel() == "Scan in progress... -> " + At(3); },
                    2000));
            }
            Click(page, 32);
            EXPECT_FALSE(page->IsScanning()) << "stopped at once";
            if (c.missing == -2)
                scan(At(6), At(6));  // before the stopped scan's reports are handled
        }
        ASSERT_TRUE(guitest::WaitFor([this] { return !page->IsScanning(); }, 5000));
        EXPECT_EQ(dialogs->Messages(), c.message.empty() ? Texts{} : Texts{"Error: " + c.message});
        // A clean end: no worker, no connection to this test's listeners, the time-out put back.
        EXPECT_TRUE(guitest::WaitFor([] { return ScanJob::Running() == 0; }, 1000));
        EXPECT_TRUE(guitest::WaitFor(
            [this] {
                int n = 0;
                for (const auto& [k, module] : at)
                    n += OpenConnections(module->Address(), 65000);
                return n == 0;
            },
            1000));
        EXPECT_EQ(sock_get_connect_timeout(), 3);
        guitest::PumpFor(100);
        EXPECT_EQ(progress, c.probed);
        EXPECT_EQ(page->StatusLabel()->IsShown(), !c.label.empty()) << "a refused start changes nothing";
        EXPECT_TRUE(c.label.empty() || page->StatusLabel()->GetLabel() == c.label);
        if (c.missing == -2) {
            EXPECT_EQ(Listed(page->FoundList()), Texts{});
        }
    }
    EXPECT_EQ(Listed(page->FoundList()), (Texts{"IP: 127.65.0.2 - MAC: 00:1e:c0:00:00:02 - Alias: unit 2",
                                                "IP: 127.65.0.5 - MAC: 00:1e:c0:00:00:05 - Alias: unit 5"}));
    EXPECT_EQ(Sql("SELECT ip, macaddress, descri FROM vemtor_vantrel ORDER BY rowid"),
              (Texts{"127.65.0.2|00:1e:c0:00:00:02|unit 2", "127.65.0.5|00:1e:c0:00:00:05|unit 5"}));
    for (int n : {2, 5}) {
        ASSERT_EQ(at[n]->Requests().size(), 1u);
        const testmod::Frame probe = at[n]->Requests()[0];
        EXPECT_EQ(testmod::Header(probe), std::make_tuple(1, 0, int(CMD_ACTION_GET)));
        EXPECT_EQ(probe.data, testmod::EncodeBlocks({{1, DATABLOCK_MAC, 0, {}}, {1, DATABLOCK_ALIAS, 0, {}}}));
    }
    // Connect opens the hub of the module selected, on the configuration port.
    page->FoundList()->SetSelection(1);
    ASSERT_TRUE(Click(page, 31));
    guitest::Pump();
    auto* hub = dynamic_cast<VantrelPanel*>(Main()->GetPanel(PANEL_MODULE));
    ASSERT_NE(hub, nullptr) << testing::PrintToString(dialogs->Messages());
    EXPECT_EQ(hub->GetIp() + ":" + hub->GetPort(), At(5) + ":65000");
    ExpectBackToStart();
}

TEST(ScanTimeout, HeldAtOneSecondWhileAnyScanRuns)
{
    // +1 starts a scan, -1 ends the oldest; then the time-out in force. The
    // second scan starts before the first one's worker has ended.
    const std::pair<int, int> steps[] = {{+1, 1}, {-1, 7}, {+1, 1}, {+1, 1}, {-1, 1}, {-1, 7}};
    const uint8_t saved = sock_get_connect_timeout();
    sock_set_connect_timeout(7);
    std::vector<std::unique_ptr<ScanTimeout>> scans;
    for (const auto& [step, timeout] : steps) {
        if (step > 0)
            scans.push_back(std::make_unique<ScanTimeout>());
        else
            scans.erase(scans.begin());
        EXPECT_EQ(sock_get_connect_timeout(), timeout) << "after " << scans.size() << " scans";
    }
    sock_set_connect_timeout(saved);
}

}  // namespace
