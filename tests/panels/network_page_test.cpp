// The network page against a test module: its read, the write of each
// network type with its conditional datablocks, the registry row, the
// last-configuration file, export and import, and the toolbar's tools.
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>
#include <wx/valtext.h>

#include "HubLogic.h"
#include "VantrelNetPanel.h"
#include "VantrelToolBar.h"
#include "page_fixture.h"
#include "wxIPCtrl.h"

using paneltest::BlockList;
using paneltest::Field;
using paneltest::ReadFile;
using testmod::Bytes;
using testmod::Fault;

namespace {

const wxString Question = "Update configuration?: Are you sure to update module configuration?";
const wxString RebootAskMore = paneltest::RebootPrompt("Vantrel-S-UART", true);
const wxString RebootNow = paneltest::RebootPrompt("Vantrel-S-UART", false);
const std::string Golden =
    (std::filesystem::path(__FILE__).parent_path() / "data" / "network_last_config.xml").string();

class NetPage : public paneltest::PageTest {
protected:
    // Values of one-element datablocks, then the module started.
    void Module(const std::string& firmware, const std::vector<std::pair<int, Bytes>>& values)
    {
        for (const auto& [id, bytes] : values)
            module.SetElement(uint16_t(id), 0, bytes);
        StartModule(firmware, 'S');
    }
    // The module of the golden file: Ad-Hoc with WEP, an empty SSID.
    void AdHocWepModule()
    {
        // clang-format off
        Module("1.4.0", {{13, {0}}, {14, {192, 168, 1, 50}}, {8, {2}}, {15, {255, 255, 255, 0}},
                         {16, {192, 168, 1, 1}}, {5, {2}}, {12, {6}}, {6, {3}}, {9, Field("a&b<c>d&ef", 63)}});
        // clang-format on
    }
    VantrelNetPanel* Open() { return OpenFromHub<VantrelNetPanel>(ID_HUB_NETWORK, PANEL_NET); }
    bool ToolsEnabled()
    {
        wxToolBar* bar = Main()->toolBar->frameToolBar.get();
        const bool on = bar->GetToolEnabled(ID_IMPORT_CONF);
        EXPECT_EQ(bar->GetToolEnabled(ID_EXPORT_CONF), on);
        EXPECT_EQ(bar->GetToolEnabled(ID_LOAD_LAST_CONF), on);
        return on;
    }
    // A choice made as the user makes it.
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
    std::vector<wxString> Rows()
    {
        return apptest::Sql(
            "SELECT ip, ssid, netmask, gw, nwtype, macaddress, idtype, security, pwd, descri "
            "FROM vemtor_vantrel");
    }
};

TEST_F(NetPage, AdHocWepReadWrittenStoredAndSavedToFile)
{
    AdHocWepModule();
    // Every block but the alias must be in the reply; a failed read leads back
    // to the hub, whose tools stay disabled.
    module.SetFault(Fault::MissingBlock, 9, 13);
    EXPECT_EQ(Open(), nullptr);
    EXPECT_EQ(dialogs->Messages(), std::vector<wxString>{"Error: datablock not found"});
    EXPECT_EQ(Main()->currentPanel, PANEL_MODULE);
    EXPECT_FALSE(ToolsEnabled());
    Command(ID_IMPORT_CONF);  // reaches no page
    EXPECT_EQ(dialogs->Messages().size(), 1u);
    module.SetFault(Fault::MissingBlock, 39, 13);
    VantrelNetPanel* page = Open();
    ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
    module.SetFault(Fault::None);
    EXPECT_TRUE(ToolsEnabled());
    ASSERT_EQ(PageRequests().size(), 1u);
    BlockList read;
    for (int id : {13, 14, 2, 10, 8, 15, 16, 5, 12, 6, 9, 39})
        read.emplace_back(id, 1, 0, Bytes{});
    EXPECT_EQ(Blocks(PageRequests()[0]), read);
    EXPECT_EQ(PageRequests()[0].action, 0);

    EXPECT_EQ(
        (std::vector<wxString>{page->NetworkTypeCombo()->GetValue(), page->SecurityTypeCombo()->GetValue(),
                               page->ChannelCombo()->GetValue()}),
        (std::vector<wxString>{"Ad-Hoc", "WEP", "6"}));
    EXPECT_EQ(page->SecurityTypeCombo()->GetCount(), 2u);
    EXPECT_TRUE(page->PasswordText()->IsEnabled());
    auto* hex = dynamic_cast<wxTextValidator*>(page->PasswordText()->GetValidator());
    ASSERT_NE(hex, nullptr) << "a WEP key takes hexadecimal digits only";
    EXPECT_TRUE(hex->IsValid("0123456789abcdef").empty());
    EXPECT_FALSE(hex->IsValid("A").empty());
    EXPECT_FALSE(hex->IsValid("g").empty());
    EXPECT_TRUE(SaveScreenshot("network-page.png"));

    // Unchanged: no gateway for Ad-Hoc; No at the prompt leads home. Without
    // the hub's row a new row is inserted.
    apptest::Sql("DELETE FROM vemtor_vantrel");
    Confirm(page, {wxID_YES, wxID_NO});
    EXPECT_EQ(dialogs->Messages(), (std::vector<wxString>{Question, RebootAskMore}));
    ASSERT_EQ(PageRequests().size(), 2u);
    EXPECT_EQ(PageRequests()[1].action, 1);
    // clang-format off
    EXPECT_EQ(Blocks(PageRequests()[1]), (BlockList{
        {13, 1, 0, {0}}, {14, 1, 0, {192, 168, 1, 50}}, {10, 1, 0, Field("", 32)}, {8, 1, 0, {2}},
        {15, 1, 0, {255, 255, 255, 0}}, {5, 1, 0, {2}}, {12, 1, 0, {6}}, {6, 1, 0, {3}},
        {9, 1, 0, Field("a&b<c>d&ef", 63)}, {11, 1, 0, {1}}, {24, 1, 0, {1}}}));
    // clang-format on
    EXPECT_EQ(Rows(), std::vector<wxString>{
                          "192.168.1.50||255.255.255.0|192.168.1.1|0|00:1e:c0:12:34:56|1|1|a&b<c>d&ef|"});
    EXPECT_EQ(ReadFile(dir->File("lastConfig.xml")), ReadFile(Golden));
    EXPECT_EQ(Main()->currentPanel, PANEL_START);
    EXPECT_FALSE(ToolsEnabled());

    // Export through the toolbar, change the form and confirm it, import:
    // the page is back to editing the form of the file, but for the empty
    // SSID, which the file leaves alone.
    page = Open();
    ASSERT_NE(page, nullptr);
    dialogs->Clear();
    dialogs->FilePath(dir->File("saved.xml"));
    Command(ID_EXPORT_CONF);
    EXPECT_EQ(ReadFile(dir->File("saved.xml")), ReadFile(Golden));
    Choose(page->NetworkTypeCombo(), NET_INFRASTRUCTURE);
    Choose(page->SecurityTypeCombo(), 2);
    EXPECT_EQ(page->PasswordText()->GetValidator(), nullptr);
    EXPECT_FALSE(page->ChannelCombo()->IsEnabled());
    page->PasswordText()->ChangeValue("wpa2-secret");
    page->SsidText()->ChangeValue("typed");
    page->IpAddressCtrl()->SetValue("10.0.0.9");
    Choose(page->RfPowerLevelCombo(), 0);
    ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
    ASSERT_TRUE(page->InConfirmView());
    page->ShowPasswordCheck()->SetValue(true);  // shown in plain text, the key stays as checked
    Send(page->ShowPasswordCheck(), wxEVT_CHECKBOX, 1);
    EXPECT_FALSE(page->PasswordText()->HasFlag(wxTE_PASSWORD));
    EXPECT_EQ(page->PasswordText()->GetValue(), "wpa2-secret");
    EXPECT_FALSE(page->PasswordText()->IsEnabled());
    dialogs->FilePath(dir->File("saved.xml"));
    Command(ID_IMPORT_CONF);
    EXPECT_EQ(dialogs->Messages(),
              (std::vector<wxString>{"Export configuration to file: ", "Info: Configuration saved",
                                     "Import configuration file: "}));
    EXPECT_FALSE(page->InConfirmView());
    EXPECT_EQ((std::vector<wxString>{page->NetworkTypeCombo()->GetValue(),
                                     page->SecurityTypeCombo()->GetValue(), page->PasswordText()->GetValue(),
                                     page->IpAddressCtrl()->GetValue(), page->RfPowerLevelCombo()->GetValue(),
                                     page->ChannelCombo()->GetValue(), page->SsidText()->GetValue()}),
              (std::vector<wxString>{"Ad-Hoc", "WEP", "a&b<c>d&ef", "192.168.1.50", "High", "6", "typed"}));
    EXPECT_TRUE(page->NetworkTypeCombo()->IsEnabled() && page->PasswordText()->IsEnabled() &&
                page->ChannelCombo()->IsEnabled());
    EXPECT_NE(page->PasswordText()->GetValidator(), nullptr);
}

// Infrastructure writes the gateway and no channel; an existing row is
// updated; a changed netmask in the echo is told without "!", and the write
// counts all the same.
TEST_F(NetPage, InfrastructureWpa2WithAlteredNetmaskEcho)
{
    // clang-format off
    Module("1.3.0", {{13, {0}}, {14, {10, 1, 2, 3}}, {8, {1}}, {15, {255, 255, 0, 0}}, {16, {10, 1, 0, 1}},
                     {5, {1}}, {12, {3}}, {6, {2}}, {9, Field("oldsecret", 63)}});
    // clang-format on
    apptest::AddModule("10.9.9.9", "00:1e:c0:12:34:56", "porch");
    VantrelNetPanel* page = Open();
    ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
    EXPECT_EQ(page->SecurityTypeCombo()->GetValue(), "WPA2");
    EXPECT_FALSE(page->ChannelCombo()->IsEnabled());
    // Ad-Hoc forgets the security; DHCP chooses Infrastructure and locks it.
    Choose(page->NetworkTypeCombo(), NET_ADHOC);
    Choose(page->AddressAssignmentCombo(), ADDRESS_DHCP);
    EXPECT_EQ(page->NetworkTypeCombo()->GetValue(), "Infrastructure");
    EXPECT_FALSE(page->NetworkTypeCombo()->IsEnabled());
    EXPECT_EQ(page->SecurityTypeCombo()->GetValue(), "None");
    EXPECT_EQ(page->SecurityTypeCombo()->GetCount(), 4u);
    Choose(page->AddressAssignmentCombo(), ADDRESS_MANUAL);
    EXPECT_TRUE(page->NetworkTypeCombo()->IsEnabled());
    Choose(page->SecurityTypeCombo(), 2);
    EXPECT_EQ(page->PasswordText()->GetValue(), "") << "a new security empties the key";

    // A last file nested 200,000 deep (1.4 MB) is refused before it is
    // parsed, by Load Last and by Import; a key too short for WPA2 stops the
    // edit.
    std::string open, close;
    for (int i = 0; i < 200000; ++i)
        open += "<a>", close += "</a>";
    std::ofstream(dir->File("lastConfig.xml"), std::ios::binary) << open << close;
    Command(ID_LOAD_LAST_CONF);
    dialogs->FilePath(dir->File("lastConfig.xml"));
    Command(ID_IMPORT_CONF);
    page->PasswordText()->ChangeValue("short");
    Click(page, ID_PAGE_EDIT);
    EXPECT_FALSE(page->InConfirmView());
    EXPECT_EQ(
        dialogs->Messages(),
        (std::vector<wxString>{"Error: Selected file is not a valid XML file.",
                               "Import configuration file: ", "Error: Selected file is not a valid XML file.",
                               "Error: WPA Password must be defined with at least 8 characters"}));

    page->PasswordText()->ChangeValue("new-secret");
    page->SsidText()->ChangeValue("office");
    module.SetFault(Fault::AlterEcho, 15, 24);
    Confirm(page, {wxID_YES});
    EXPECT_EQ(dialogs->Messages(),
              (std::vector<wxString>{Question, "Error: Configuration saved with errors", RebootNow}));
    ASSERT_EQ(PageRequests().size(), 2u);
    // clang-format off
    EXPECT_EQ(Blocks(PageRequests()[1]), (BlockList{
        {13, 1, 0, {0}}, {14, 1, 0, {10, 1, 2, 3}}, {10, 1, 0, Field("office", 32)}, {8, 1, 0, {1}},
        {15, 1, 0, {255, 255, 0, 0}}, {16, 1, 0, {10, 1, 0, 1}}, {5, 1, 0, {1}}, {6, 1, 0, {2}},
        {9, 1, 0, Field("new-secret", 63)}, {11, 1, 0, {0}}, {24, 1, 0, {1}}}));
    // clang-format on
    EXPECT_EQ(Rows(), std::vector<wxString>{
                          "10.1.2.3|office|255.255.0.0|10.1.0.1|1|00:1e:c0:12:34:56||2|new-secret|porch"});
    EXPECT_NE(ReadFile(dir->File("lastConfig.xml")).find("<psk>new-secret</psk>"), std::string::npos);
    EXPECT_EQ(Main()->currentPanel, PANEL_START);
    EXPECT_FALSE(ToolsEnabled());
}

}  // namespace
