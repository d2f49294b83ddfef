// The network, socket, UART and advanced pages against a test module: what
// each reads and writes, its registry row and files, and where failures lead.
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/grid.h>
#include <wx/listbox.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>
#include <wx/valtext.h>

#include <map>

#include "ByteOrder.h"
#include "HubLogic.h"
#include "StartPanel.h"
#include "UartLogic.h"
#include "VantrelAdvancedPanel.h"
#include "VantrelNetPanel.h"
#include "VantrelSocketNewPanel.h"
#include "VantrelSocketPanel.h"
#include "VantrelToolBar.h"
#include "VantrelUartPanel.h"
#include "page_fixture.h"
#include "sock.h"
#include "wxIPCtrl.h"

using paneltest::BlockList;
using paneltest::Field;
using paneltest::ReadFile;
using testmod::Bytes;
using testmod::Fault;

namespace {

const wxString Question = "Update configuration?: Are you sure to update module configuration?";
const wxString SocketQuestion = "Update configuration?: Are you sure to update SOCKET configuration?";
const wxString UartQuestion =
    "Update configuration?: Are you sure to update module UART/RS485/RS232 configuration?";
const wxString RebootAskMore = paneltest::RebootPrompt("Vantrel-S-UART", true);
const wxString RebootNow = paneltest::RebootPrompt("Vantrel-S-UART", false);
const wxString RebootCs = paneltest::RebootPrompt("Vantrel-CS-UART");
constexpr auto Entry = paneltest::SocketEntry;
using Texts = std::vector<wxString>;
const wxString NetWarning = "Please pay attention to your Network Configuration.\nAll changes will be irreversible!";
const wxString UartWarning = "Please pay attention to your UART/RS485/RS232 Configuration before update!";

const std::string Golden =
    (std::filesystem::path(__FILE__).parent_path() / "data" / "network_last_config.xml").string();

class NetSide : public paneltest::PageTest {
protected:
    // The blocks of the page's read (k 0) or write (k 1), or a block telling
    // how many requests there were when that is not k + 1.
    BlockList Request(size_t k) const
    {
        const std::vector<testmod::Frame> r = PageRequests();
        return r.size() == k + 1 ? Blocks(r[k]) : BlockList{{-1, int(r.size()), 0, {}}};
    }
    static Texts Shown(std::initializer_list<const wxTextEntry*> controls)
    {
        Texts out;
        for (const wxTextEntry* c : controls)
            out.push_back(c->GetValue());
        return out;
    }
    // The question, an error and the reboot prompt, those not empty.
    static Texts Said(const wxString& question, const wxString& error, const wxString& reboot)
    {
        Texts out{question};
        for (const wxString& m : {error, reboot})
            if (!m.empty())
                out.push_back(m);
        return out;
    }
    VantrelNetPanel* Open() { return OpenFromHub<VantrelNetPanel>(ID_HUB_NETWORK, PANEL_NET); }
    bool ToolsEnabled() { return Main()->toolBar->frameToolBar->GetToolEnabled(ID_IMPORT_CONF); }
    static void Choose(wxComboBox* combo, int index)
    {
        combo->SetSelection(index);
        Send(combo, wxEVT_COMBOBOX, index);
    }
    static void Send(wxWindow* control, wxEventType type, int value)
    {
        wxCommandEvent event(type, control->GetId());
        event.SetEventObject(control);
        event.SetInt(value);
        control->ProcessWindowEvent(event);
    }
    // Whether the IP, netmask and gateway fields take typing, 'e' or 'd' each:
    // the first octet field of the address control on each row.
    static std::string AddressFields(wxWindow* page)
    {
        std::string out;
        for (int y : {130, 250, 280})
            for (wxWindow* w : page->GetChildren())
                if (w->GetId() == 2004 && w->GetPosition().y == y + 2)
                    out += w->IsEnabled() ? 'e' : 'd';
        return out;
    }
    // After a refused write the page is open in its edit view.
    void ExpectEditing(PanelIndex index, ConfigPage* page, wxWindow* control)
    {
        ASSERT_EQ(Main()->GetPanel(index), page);
        EXPECT_FALSE(page->InConfirmView());
        EXPECT_TRUE(control->IsEnabled());
    }
};

using NetPage = NetSide;

// The module of the golden file, Ad-Hoc with WEP and an empty SSID: read,
// written unchanged, stored and saved; then the form changed and the file
// loaded back.
TEST_F(NetPage, AdHocWepReadWrittenStoredAndLoadedBack)
{
    // clang-format off
    const std::pair<int, Bytes> values[] = {{13, {0}}, {14, {192, 168, 1, 50}}, {8, {2}},
        {15, {255, 255, 255, 0}}, {16, {192, 168, 1, 1}}, {5, {2}}, {12, {6}}, {6, {3}},
        {9, Field("a&b<c>d&ef", 63)}};
    // clang-format on
    for (const auto& [id, bytes] : values)
        module.SetElement(uint16_t(id), 0, bytes);
    StartModule("1.3.0", 'S');
    // A read missing any block but the alias leads back to the hub, tools disabled.
    module.SetFault(Fault::MissingBlock, 9, 13);
    EXPECT_EQ(Open(), nullptr);
    EXPECT_EQ(dialogs->Messages(), Texts{"Error: datablock not found"});
    EXPECT_EQ(Main()->currentPanel, PANEL_MODULE);
    EXPECT_FALSE(ToolsEnabled());
    module.SetFault(Fault::MissingBlock, 39, 13);
    VantrelNetPanel* page = Open();
    ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
    EXPECT_TRUE(ToolsEnabled());
    BlockList read;
    for (int id : {13, 14, 2, 10, 8, 15, 16, 5, 12, 6, 9, 39})
        read.emplace_back(id, 1, 0, Bytes{});
    EXPECT_EQ(Request(0), read);
    EXPECT_EQ(Shown({page->NetworkTypeCombo(), page->SecurityTypeCombo(), page->ChannelCombo()}),
              (Texts{"Ad-Hoc", "WEP", "6"}));
    EXPECT_EQ(ButtonTips(page), (Texts{"Go back to Vantrel Panel", NetWarning}));
    EXPECT_TRUE(SaveScreenshot("network-page.png"));

    // Unchanged: no gateway for Ad-Hoc; a new row is inserted; a changed
    // netmask in the echo is told without "!".
    apptest::Sql("DELETE FROM vemtor_vantrel");
    module.SetFault(Fault::AlterEcho, 15, 24);
    Confirm(page, {wxID_YES});
    module.SetFault(Fault::None);
    EXPECT_EQ(dialogs->Messages(), Said(Question, "Error: Configuration saved with errors", RebootNow));
    // clang-format off
    EXPECT_EQ(Request(1), (BlockList{
        {13, 1, 0, {0}}, {14, 1, 0, {192, 168, 1, 50}}, {10, 1, 0, Field("", 32)}, {8, 1, 0, {2}},
        {15, 1, 0, {255, 255, 255, 0}}, {5, 1, 0, {2}}, {12, 1, 0, {6}}, {6, 1, 0, {3}},
        {9, 1, 0, Field("a&b<c>d&ef", 63)}, {11, 1, 0, {1}}, {24, 1, 0, {1}}}));
    EXPECT_EQ(apptest::Sql("SELECT ip, ssid, netmask, gw, nwtype, macaddress, idtype, security, pwd, descri "
                           "FROM vemtor_vantrel"),
              Texts{"192.168.1.50||255.255.255.0|192.168.1.1|0|00:1e:c0:12:34:56|1|1|a&b<c>d&ef|"});
    // clang-format on
    EXPECT_EQ(ReadFile(dir->File("lastConfig.xml")), ReadFile(Golden));
    EXPECT_EQ(Main()->currentPanel, PANEL_START);
    EXPECT_FALSE(ToolsEnabled());

    // Ad-Hoc forgets the security; DHCP chooses Infrastructure and locks it;
    // a key too short for WPA2 stops the edit.
    page = Open();
    ASSERT_NE(page, nullptr);
    dialogs->Clear();
    dialogs->FilePath(dir->File("saved.xml"));
    Command(ID_EXPORT_CONF);
    EXPECT_EQ(ReadFile(dir->File("saved.xml")), ReadFile(Golden));
    Choose(page->NetworkTypeCombo(), NET_INFRASTRUCTURE);
    EXPECT_FALSE(page->ChannelCombo()->IsEnabled()) << "Infrastructure takes no channel";
    Choose(page->NetworkTypeCombo(), NET_ADHOC);
    EXPECT_EQ(page->SecurityTypeCombo()->GetValue(), "None");
    Choose(page->AddressAssignmentCombo(), ADDRESS_DHCP);
    EXPECT_EQ(page->NetworkTypeCombo()->GetValue(), "Infrastructure");
    EXPECT_FALSE(page->NetworkTypeCombo()->IsEnabled());
    Choose(page->SecurityTypeCombo(), 2);
    EXPECT_EQ(page->PasswordText()->GetValue(), "") << "a new security empties the key";
    page->PasswordText()->ChangeValue("short");
    page->SsidText()->ChangeValue("typed");
    page->IpAddressCtrl()->SetValue("10.0.0.9");
    Choose(page->RfPowerLevelCombo(), 0);
    Click(page, ID_PAGE_EDIT);
    EXPECT_FALSE(page->InConfirmView());
    page->PasswordText()->ChangeValue("wpa2-secret");
    ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
    ASSERT_TRUE(page->InConfirmView());
    EXPECT_EQ(ButtonTips(page), (Texts{"Go Back to modify configuration!", NetWarning}));
    page->ShowPasswordCheck()->SetValue(true);  // shown in plain text, the key stays as checked
    Send(page->ShowPasswordCheck(), wxEVT_CHECKBOX, 1);
    EXPECT_FALSE(page->PasswordText()->HasFlag(wxTE_PASSWORD) || page->PasswordText()->IsEnabled());

    // Load Last edits the form of the file again, but for the empty SSID,
    // which the file leaves alone; Manual unlocks the network type. A file
    // nested 200,000 deep is refused unparsed by Load Last and Import.
    Command(ID_LOAD_LAST_CONF);
    EXPECT_FALSE(page->InConfirmView());
    EXPECT_EQ(Shown({page->NetworkTypeCombo(), page->SecurityTypeCombo(), page->PasswordText(),
                     page->RfPowerLevelCombo(), page->ChannelCombo(), page->SsidText()}),
              (Texts{"Ad-Hoc", "WEP", "a&b<c>d&ef", "High", "6", "typed"}));
    EXPECT_EQ(page->IpAddressCtrl()->GetValue(), "192.168.1.50");
    EXPECT_TRUE(page->NetworkTypeCombo()->IsEnabled() && page->PasswordText()->IsEnabled() &&
                page->ChannelCombo()->IsEnabled());
    auto* hex = dynamic_cast<wxTextValidator*>(page->PasswordText()->GetValidator());
    ASSERT_NE(hex, nullptr) << "a WEP key takes hexadecimal digits only";
    EXPECT_TRUE(hex->IsValid("0123456789abcdef").empty());
    EXPECT_FALSE(hex->IsValid("A").empty()) << "lower case only";
    EXPECT_FALSE(hex->IsValid("g").empty());
    std::string open, close;
    for (int i = 0; i < 200000; ++i)
        open += "<a>", close += "</a>";
    std::ofstream(dir->File("lastConfig.xml"), std::ios::binary) << open << close;
    Command(ID_LOAD_LAST_CONF);
    dialogs->FilePath(dir->File("lastConfig.xml"));
    Command(ID_IMPORT_CONF);
    EXPECT_EQ(dialogs->Messages(),
              (Texts{"Export configuration to file: ", "Info: Configuration saved",
                     "Error: WPA Password must be defined with at least 8 characters",
                     "Error: Selected file is not a valid XML file.",
                     "Import configuration file: ", "Error: Selected file is not a valid XML file."}));

    // A second save updates the module's row, which the hub gave its alias:
    // still one row, listed once.
    Confirm(page, {wxID_YES});
    EXPECT_EQ(dialogs->Messages(), (Texts{Question, RebootNow}));
    EXPECT_EQ(apptest::Sql("SELECT ip, ssid, netmask, gw, nwtype, macaddress, idtype, security, pwd, descri "
                           "FROM vemtor_vantrel"),
              Texts{"192.168.1.50|typed|255.255.255.0|192.168.1.1|0|00:1e:c0:12:34:56|1|1|a&b<c>d&ef|porch"});
    ASSERT_EQ(Main()->currentPanel, PANEL_START);
    const wxArrayString listed = Main()->startPanel->ModuleList()->GetStrings();
    EXPECT_EQ(Texts(listed.begin(), listed.end()), Texts{"00:1e:c0:12:34:56 - porch"});
}

// An Infrastructure module on DHCP with no security and no gateway: the
// locks it opens with, the key typed after choosing WPA kept when shown,
// addresses imported, a registry refusal told, and the write and its file.
TEST_F(NetPage, InfrastructureDhcpImportedWrittenThoughTheRegistryRefuses)
{
    // clang-format off
    const std::pair<int, Bytes> values[] = {{13, {1}}, {14, {10, 0, 0, 5}}, {10, Field("office", 32)}, {8, {1}},
        {15, {255, 255, 0, 0}}, {16, {0, 0, 0, 0}}, {5, {1}}, {12, {11}}, {6, {0}}, {9, Field("keep-me", 63)}};
    // clang-format on
    for (const auto& [id, bytes] : values)
        module.SetElement(uint16_t(id), 0, bytes);
    StartModule("1.3.1", 'S');
    VantrelNetPanel* page = Open();
    ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
    EXPECT_EQ(dialogs->Messages(), Texts{}) << "a gateway of 0.0.0.0 is no error";
    EXPECT_EQ(Shown({page->SecurityTypeCombo(), page->PasswordText()}), (Texts{"None", "keep-me"}));
    EXPECT_EQ(page->DefaultGatewayCtrl()->GetValue(), "0.0.0.0");
    EXPECT_EQ(AddressFields(page), "ddd");
    EXPECT_TRUE(page->NetworkTypeCombo()->IsEnabled());
    EXPECT_FALSE(page->PasswordText()->IsEnabled()) << "no security, no key";
    ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
    EXPECT_TRUE(page->InConfirmView()) << testing::PrintToString(dialogs->Messages());
    Command(ID_BACK);
    EXPECT_EQ(AddressFields(page), "ddd");
    EXPECT_FALSE(page->NetworkTypeCombo()->IsEnabled()) << "DHCP locks the network type";

    Choose(page->AddressAssignmentCombo(), ADDRESS_MANUAL);
    EXPECT_EQ(AddressFields(page), "eee");
    Choose(page->AddressAssignmentCombo(), ADDRESS_DHCP);
    EXPECT_EQ(AddressFields(page), "ddd");
    Choose(page->SecurityTypeCombo(), 1);
    EXPECT_TRUE(page->PasswordText()->IsEnabled());
    page->PasswordText()->ChangeValue("typed-key-1");
    page->ShowPasswordCheck()->SetValue(true);
    Send(page->ShowPasswordCheck(), wxEVT_CHECKBOX, 1);
    EXPECT_EQ(page->PasswordText()->GetValue(), "typed-key-1");
    EXPECT_FALSE(page->PasswordText()->HasFlag(wxTE_PASSWORD));

    std::ofstream(dir->File("in.xml"), std::ios::binary)
        << "<root><network><netmask>255.255.255.128</netmask><gateway>10.0.0.1</gateway>"
           "<channel>3</channel></network></root>";
    dialogs->FilePath(dir->File("in.xml"));
    Command(ID_IMPORT_CONF);
    EXPECT_EQ(Shown({page->SecurityTypeCombo(), page->ChannelCombo()}), (Texts{"WPA", "3"}));
    EXPECT_EQ(page->NetmaskCtrl()->GetValue(), "255.255.255.128");
    EXPECT_EQ(page->DefaultGatewayCtrl()->GetValue(), "10.0.0.1");

    // An export that cannot be created, or not put in place, is told.
    std::filesystem::create_directory(dir->File("taken.xml"));
    dialogs->Clear();
    for (const char* name : {"missing/out.xml", "taken.xml"}) {
        dialogs->FilePath(dir->File(name));
        Command(ID_EXPORT_CONF);
    }
    EXPECT_EQ(dialogs->Messages(),
              (Texts{"Export configuration to file: ",
                     "Error: Error saving Configuration: cannot create " + dir->File("missing/out.xml"),
                     "Export configuration to file: ", "Error: Error saving Configuration"}));

    // The registry refuses the row: told, and the write still counts.
    for (const char* change : {"INSERT", "UPDATE"})
        apptest::Sql(
            wxString::Format("CREATE TRIGGER refuse_%s BEFORE %s ON vemtor_vantrel "
                             "BEGIN SELECT RAISE(ABORT, 'registry refuses'); END",
                             change, change));
    Confirm(page, {wxID_YES, wxID_NO});
    EXPECT_EQ(dialogs->Messages(),
              (Texts{Question, "Error: constraint failed[1811]: registry refuses", RebootAskMore}));
    // clang-format off
    EXPECT_EQ(Request(1), (BlockList{
        {13, 1, 0, {1}}, {14, 1, 0, {10, 0, 0, 5}}, {10, 1, 0, Field("office", 32)}, {8, 1, 0, {1}},
        {15, 1, 0, {255, 255, 255, 128}}, {16, 1, 0, {10, 0, 0, 1}}, {5, 1, 0, {1}}, {6, 1, 0, {1}},
        {9, 1, 0, Field("typed-key-1", 63)}, {11, 1, 0, {0}}, {24, 1, 0, {1}}}));
    // clang-format on
    EXPECT_EQ(ReadFile(dir->File("lastConfig.xml")),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n  <network>\n    <dhcp>1</dhcp>\n"
              "    <ip>10.0.0.5</ip>\n    <rfpower>1</rfpower>\n    <ssid>office</ssid>\n"
              "    <netmask>255.255.255.128</netmask>\n    <gateway>10.0.0.1</gateway>\n"
              "    <nwtype>1</nwtype>\n    <channel>3</channel>\n    <security>1</security>\n"
              "    <psk>typed-key-1</psk>\n  </network>\n</root>\n");
    EXPECT_EQ(Main()->currentPanel, PANEL_START);
}

using SocketPages = NetSide;

TEST_F(SocketPages, NewerPageWritesThreeRowsFromIndexOne)
{
    // A configuration socket, a client, a UDP socket closing by rule 5 on a
    // port of no channel, and an inactive server.
    module.SetElement(37, 0, Entry(0, 1, 2, 65000, 0, {0, 0, 0, 0}, 0, 0, 1));
    module.SetElement(37, 1, Entry(1, 1, 0, 65100, 502, {192, 168, 1, 10}, 1, 3000, 1));
    module.SetElement(37, 2, Entry(2, 1, 1, 4242, 7, {10, 0, 0, 1}, 5, 100, 1));
    module.SetElement(37, 3, Entry(3, 0, 2, 65200, 0, {0, 0, 0, 0}, 3, 0, 1));
    Bytes advanced(44, 0);
    advanced[0] = 0xFE, advanced[1] = 0x4C, advanced[4] = 0xFE, advanced[5] = 0xB0;  // 65100, -, 65200
    module.SetElement(46, 0, advanced);
    StartModule("1.4.0", 'C');
    auto* page = OpenFromHub<VantrelSocketNewPanel>(ID_HUB_SOCKET_NEW, PANEL_SOCKET_NEW);
    ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
    EXPECT_EQ(Request(0), (BlockList{{37, 4, 0, {}}, {46, 1, 0, {}}}));

    // No record with a count: nothing is sent.
    dialogs->Answer(wxID_YES);
    ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
    for (SocketRecord& r : page->EditedRecords())
        r.count = 0;
    Click(page, ID_PAGE_CONFIRM);
    guitest::Pump();
    EXPECT_EQ(dialogs->Messages(),
              Said(SocketQuestion, "Error: Error on socket update. Configuration not saved!", ""));
    EXPECT_EQ(PageRequests().size(), 1u);
    ExpectEditing(PANEL_SOCKET_NEW, page, page->Grid());
    wxGrid* grid = page->Grid();
    EXPECT_TRUE(grid->IsReadOnly(3, COL_SERVER_IP)) << "a TCP Server's address is locked";
    grid->SetCellValue(3, COL_TYPE, "TCP Client");
    wxGridEvent changed(grid->GetId(), wxEVT_GRID_CELL_CHANGED, grid, 3, COL_TYPE);
    grid->GetEventHandler()->ProcessEvent(changed);
    EXPECT_FALSE(grid->IsReadOnly(3, COL_SERVER_IP));
    EXPECT_EQ(grid->GetCellValue(3, COL_SERVER_IP), "0.0.0.0");

    // An active client without an address is refused and marked.
    grid->SetCellValue(3, COL_ACTIVE, "1");
    dialogs->Clear();
    EXPECT_TRUE(Click(page, ID_PAGE_EDIT));
    EXPECT_EQ(dialogs->Messages(), Texts{"Server IP Required: In case of TCP Client you must "
                                         "specify a valid Server Ip Address"});
    EXPECT_FALSE(page->InConfirmView());
    EXPECT_EQ(grid->GetCellTextColour(3, COL_SERVER_IP), wxColour(255, 0, 0));

    grid->SetCellValue(3, COL_SERVER_IP, "10.0.0.3");
    grid->SetCellValue(3, COL_SERVER_PORT, "8000");
    grid->SetCellValue(3, COL_LOCAL_PORT, "CTRL PORT");
    grid->SetCellValue(2, COL_TYPE, "TCP Server");
    grid->SetCellValue(2, COL_LOCAL_PORT, "DIGITAL I/O");
    EXPECT_TRUE(SaveScreenshot("socket-new-edit.png"));
    ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
    EXPECT_EQ(grid->GetCellTextColour(3, COL_SERVER_IP), wxColour(0, 0, 0)) << "mended, no longer red";
    Confirm(page, {wxID_YES, wxID_NO});
    EXPECT_EQ(dialogs->Messages(), (Texts{SocketQuestion, RebootCs}));
    Bytes sent;
    for (const Bytes& e : {Entry(0, 1, 0, 65100, 502, {192, 168, 1, 10}, 1, 3000, 1),
                           Entry(1, 1, 2, 65200, 7, {10, 0, 0, 1}, 5, 100, 1),
                           Entry(2, 1, 0, 60000, 8000, {10, 0, 0, 3}, 3, 0, 1)})
        sent.insert(sent.end(), e.begin(), e.end());
    EXPECT_EQ(Request(1), (BlockList{{37, 3, 1, sent}, {24, 1, 0, {3}}}));
    EXPECT_EQ(Main()->currentPanel, PANEL_START);
}

// The older page reads the sockets alone and writes them from index 0: a
// table written back unchanged gives the module the bytes it sent.
TEST_F(SocketPages, OlderPageWritesBackAnUnchangedTable)
{
    const std::vector<Bytes> table = {Entry(0, 1, 2, 65000, 0, {0, 0, 0, 0}, 0, 0, 1),
                                      Entry(1, 1, 0, 65100, 502, {192, 168, 1, 10}, 1, 3000, 1),
                                      Entry(2, 1, 1, 4242, 7, {10, 0, 0, 1}, 5, 100, 1),
                                      Entry(3, 0, 2, 65200, 0, {0, 0, 0, 0}, 3, 0, 1)};
    Bytes sent;
    for (uint8_t k = 0; k < 4; ++k) {
        module.SetElement(37, k, table[k]);
        sent.insert(sent.end(), table[k].begin(), table[k].end());
    }
    StartModule("1.1.9", 'C');
    auto* page = OpenFromHub<VantrelSocketPanel>(ID_HUB_SOCKET, PANEL_SOCKET);
    ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
    EXPECT_EQ(Request(0), (BlockList{{37, 4, 0, {}}}));
    EXPECT_EQ(page->Grid()->GetCellValue(2, COL_LOCAL_PORT), "4242");
    Confirm(page, {wxID_YES, wxID_NO});
    EXPECT_EQ(dialogs->Messages(), (Texts{SocketQuestion, RebootCs}));
    EXPECT_EQ(Request(1), (BlockList{{37, 4, 0, sent}, {24, 1, 0, {3}}}));
    EXPECT_EQ(Main()->currentPanel, PANEL_START);
}

using UartPage = NetSide;

// The row is inserted, then updated; a failure returns to the edit view with
// what was typed. Back returns to editing from the confirmation view and
// leaves the page from the edit view.
TEST_F(UartPage, ReadWriteFailuresAndBack)
{
    struct Case {
        int parity, stop;  // selections made; -1 leaves the list as read
        const char* rate;
        Fault fault;
        int answer;
        wxString error;
        const char* row;       // the registry row written; null when nothing is
        UartSettings written;  // stop bits, parity, baud rate
        uint32_t readRate = 115200;
    } cases[] = {
        // clang-format off
        {-1, -1, "115200", Fault::None, wxID_NO, "", "EVEN|2|115200", {2, 2, 115200}},
        {1, 0, "250000", Fault::None, wxID_YES, "", "ODD|1|250000", {1, 1, 250000}},
        // A rate the list lacks is shown as read and written back.
        {-1, -1, nullptr, Fault::None, wxID_NO, "", "EVEN|2|9601", {2, 2, 9601}, 9601},
        {-1, -1, "4294967296", Fault::None, wxID_NO,
         "Error: Invalid Baud Rate \"4294967296\": please enter a number from 0 to 4294967295", nullptr, {}},
        {-1, -1, "38400", Fault::CloseEarly, wxID_NO, "Error: Network down. Configuration not saved! "
         "Please check your Wi-Fi connection and Vantrel module connection", nullptr, {}},
        // clang-format on
    };
    StartModule("1.4.0", 'S');
    wxString row;
    wxWeakRef<VantrelUartPanel> page;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.rate ? c.rate : "as read") << " " << c.readRate);
        module.SetFault(Fault::None);
        module.SetElement(33, 0, {2});
        module.SetElement(34, 0, {2});
        module.SetElement(35, 0, Bytes(U32ToBytes(c.readRate), U32ToBytes(c.readRate) + 4));
        page = OpenFromHub<VantrelUartPanel>(ID_HUB_UART, PANEL_UART);
        ASSERT_TRUE(page) << testing::PrintToString(dialogs->Messages());
        EXPECT_EQ(Blocks(PageRequests().at(0)), (BlockList{{33, 1, 0, {}}, {34, 1, 0, {}}, {35, 1, 0, {}}}));
        EXPECT_EQ(Shown({page->StopBitsCombo(), page->ParityBitsCombo(), page->BaudRateCombo()}),
                  (Texts{"2", "EVEN", wxString::Format("%u", c.readRate)}));
        if (c.parity >= 0) {
            page->ParityBitsCombo()->SetSelection(c.parity);
            page->StopBitsCombo()->SetSelection(c.stop);
        }
        if (c.rate)
            page->BaudRateCombo()->SetValue(c.rate);
        module.SetFault(c.fault, 0, 24);
        Confirm(page, {wxID_YES, c.answer});
        EXPECT_EQ(dialogs->Messages(), Said(UartQuestion, c.error, c.row ? RebootAskMore : ""));
        EXPECT_EQ(PageRequests().size() > 1, c.fault != Fault::None || c.row);
        if (c.row) {
            std::vector<BlockValue> sent = UartWriteBlocks(c.written);
            sent.push_back(MakeBlock(24, {2}));
            EXPECT_EQ(Blocks(PageRequests()[1]), paneltest::Tuples(sent));
            row = wxString("00:1e:c0:12:34:56|") + c.row;
        }
        EXPECT_EQ(apptest::Sql("SELECT * FROM vemtor_vantrel_uart"), Texts{row});
        if (c.row) {
            EXPECT_EQ(Main()->currentPanel, c.answer == wxID_YES ? PANEL_MODULE : PANEL_START);
            continue;
        }
        ExpectEditing(PANEL_UART, page, page->BaudRateCombo());
        EXPECT_EQ(page->BaudRateCombo()->GetValue(), c.rate);
    }
    // The title with the model name, the hint, and each view's tool tips.
    EXPECT_TRUE(apptest::ShowsText(page, "Vantrel-S-UART UART/RS485/RS232 Configuration"));
    EXPECT_TRUE(apptest::ShowsText(page, "Please fill UART/RS485/RS232 configuration parameters."));
    EXPECT_EQ(ButtonTips(page), (Texts{"Go Back to Vantrel Panel", UartWarning}));
    ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
    EXPECT_EQ(ButtonTips(page), (Texts{"Go Back to modify configuration!", UartWarning}));
    EXPECT_TRUE(SaveScreenshot("uart-confirm.png"));
    Command(ID_BACK);
    ExpectEditing(PANEL_UART, page, page->BaudRateCombo());
    EXPECT_EQ(ButtonTips(page), (Texts{"Go Back to Vantrel Panel", UartWarning}));
    Command(ID_BACK);
    EXPECT_EQ(Main()->currentPanel, PANEL_MODULE);
    EXPECT_TRUE(guitest::WaitFor([&] { return !page; }, 2000)) << "the page was never destroyed";
}

using AdvancedPage = NetSide;

// Each module reads and writes the blocks of its layout, with the fields it
// shows edited. A differing echo is told and the write counts; a failed write
// tells the library's reason and returns to editing.
TEST_F(AdvancedPage, WritesTheBlocksOfEachLayout)
{
    struct Case {
        const char* firmware;
        int number;
        char type;
        Fault fault;
        const char* model;  // of the reboot prompt; null when the write fails
        wxString error;
    } cases[] = {
        {"1.3.2", 132, 'A', Fault::None, "Vantrel-S-CAN", ""},
        {"1.3.1", 131, 'C', Fault::None, "Vantrel-CS-UART", ""},
        {"1.2.1", 121, 'S', Fault::None, "Vantrel-S-UART", ""},
        {"1.2.2", 122, 'C', Fault::AlterEcho, "Vantrel-CS-UART", "Error: Configuration saved with errors!"},
        {"1.2.2", 122, 'C', Fault::BadCrc, nullptr, "Error: socket reciv timeout"}};
    // Short layout: ports 65100, 65300, 65200; min data 10, max wait 100, polling 500; init string "AT".
    std::map<int, Bytes> held = {
        {46, {0xFE, 0x4C, 0xFF, 0x14, 0xFE, 0xB0, 0x00, 0x0A, 0x00, 0x64, 0x01, 0xF4, 'A', 'T'}},
        {49, {0}},  // apart from the auto reboot, so that one cannot show the other
        {50, {0x00, 0x3C, 1}}};
    held[46].resize(44, 0);
    sock_set_receive_timeout(1);  // the bad reply is waited out
    ASSERT_TRUE(module.Start());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.firmware);
        module.SetFault(Fault::None);
        for (const auto& [id, bytes] : held)
            module.SetElement(uint16_t(id), 0, bytes);
        module.SetIdentity(c.firmware, c.type, "porch");
        auto* page = OpenFromHub<VantrelAdvancedPanel>(ID_HUB_ADVANCED, PANEL_ADVANCED);
        ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
        BlockList read;
        std::vector<BlockBytes> values;
        for (const BlockRef& b : AdvancedReadBlocks(c.type, c.number)) {
            read.emplace_back(b.id, 1, 0, Bytes{});
            values.push_back(held.at(b.id));
        }
        EXPECT_EQ(Request(0), read);
        AdvancedConfig want = DecodeAdvanced(values, c.type, c.number);
        EXPECT_EQ(page->TextField(ADV_MIN_DATA)->GetValue(), "10");
        page->TextField(ADV_MIN_DATA)->SetValue("65535");
        want.min_data = 65535;
        if (page->TextField(ADV_TASK_PERIOD)) {
            page->ChoiceField(ADV_AUTO_REBOOT)->SetSelection(0);
            want.auto_reboot = 0;
            EXPECT_TRUE(SaveScreenshot("advanced-edit.png"));
        }
        // A text of no 8-bit form is refused with its caption.
        if (wxTextCtrl* init = page->TextField(ADV_INIT_STRING); init && c.fault == Fault::None) {
            init->SetValue(wxString::FromUTF8("AT\xE2\x82\xAC"));
            dialogs->Clear();
            EXPECT_TRUE(Click(page, ID_PAGE_EDIT));
            EXPECT_EQ(dialogs->Messages(),
                      Texts{"Init String error: You must specify a valid Init String - max 32 chars"});
            ExpectEditing(PANEL_ADVANCED, page, init);
            init->SetValue("AT");
        }
        module.SetFault(c.fault, c.fault == Fault::AlterEcho ? 46 : 0, 24);
        Confirm(page, {wxID_YES, wxID_NO});
        EXPECT_EQ(dialogs->Messages(),
                  Said(Question, c.error, c.model ? paneltest::RebootPrompt(c.model, c.number > 121) : ""));
        std::vector<BlockValue> sent;
        ASSERT_TRUE(AdvancedWriteBlocks(want, c.type, c.number, &sent));
        sent.push_back(MakeBlock(24, {8}));
        EXPECT_EQ(Request(1), paneltest::Tuples(sent));
        if (c.model)
            EXPECT_EQ(Main()->currentPanel, PANEL_START);
        else
            ExpectEditing(PANEL_ADVANCED, page, page->TextField(ADV_MIN_DATA));
    }
}

}  // namespace
