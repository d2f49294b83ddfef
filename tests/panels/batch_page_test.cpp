// The batch configuration page against test modules.
#include <wx/button.h>

#include <filesystem>

#include "AdvancedLogic.h"
#include "HubLogic.h"
#include "VantrelBatchConf.h"
#include "page_fixture.h"

using paneltest::Field;
using paneltest::SocketEntry;
using testmod::Bytes;
using testmod::Fault;
using testmod::TestModule;

namespace {

const wxString Reboot = paneltest::RebootPrompt("Vantrel-S-UART");

// A UART module's settings as its pages leave them (the newer socket page
// writes rows 1 to 3 with index bytes 0 to 2).
void ConfigureA(TestModule& m)
{
    AdvancedConfig c;
    c.uart_port = 65100, c.digital_io_port = 65200, c.min_data = 10, c.max_wait_time = 100;
    c.init_string = "AT+X";
    BlockBytes advanced;
    EncodeAdvanced(c, 145, &advanced);
    // clang-format off
    const std::vector<std::pair<uint16_t, Bytes>> values = {
        {13, {0}}, {14, {10, 0, 0, 5}}, {10, Field("alpha-net", 32)}, {8, {2}}, {15, {255, 255, 255, 0}},
        {16, {10, 0, 0, 1}}, {5, {1}}, {6, {2}}, {9, Field("alpha-secret-key", 63)}, {11, {0}},  // WPA2
        {46, advanced}, {50, {0x00, 0x3C, 1}}, {33, {2}}, {34, {1}}, {35, {0, 0, 0x25, 0x80}},
        {51, {1, 0x01, 0x2C, 0, 0, 0x0E, 0x10, 0, 0, 0, 0x3C, 0}}};
    // clang-format on
    for (const auto& [id, bytes] : values)
        m.SetElement(id, 0, bytes);
    m.SetElement(37, 0, SocketEntry(0, 1, 2, 65000, 0, {0, 0, 0, 0}, 1, 0, 1));
    m.SetElement(37, 1, SocketEntry(0, 1, 0, 65100, 502, {192, 168, 1, 10}, 1, 200, 1));
    m.SetElement(37, 2, SocketEntry(1, 1, 2, 65200, 0, {0, 0, 0, 0}, 1, 0, 1));
    m.SetElement(37, 3, SocketEntry(2, 0, 0, 65100, 7, {10, 0, 0, 1}, 1, 100, 1));
    for (uint8_t k = 0; k < 4; ++k)
        m.SetElement(45, k, {k, uint8_t(k != 2), uint8_t(k % 3 == 1)});
    m.SetIdentity("1.4.5", 'S', "alpha", 1024, {0x00, 0x1E, 0xC0, 0, 0, 0x0A});
}

// Every datablock element the pages write for those settings, but the
// module's own address.
const std::vector<std::pair<uint16_t, uint8_t>> Written = {
    {13, 0}, {10, 0}, {8, 0},  {15, 0}, {16, 0}, {5, 0},  {6, 0},  {9, 0},  {11, 0}, {37, 1}, {37, 2},
    {37, 3}, {46, 0}, {50, 0}, {33, 0}, {34, 0}, {35, 0}, {45, 0}, {45, 1}, {45, 2}, {45, 3}, {51, 0}};

// Another module of the type: other bytes in every element written.
void ConfigureB(TestModule& m)
{
    for (const auto& [id, index] : Written)
        m.SetElement(id, index, Bytes(testmod::ElementSize(id), 0x5A));
    m.SetElement(14, 0, {10, 0, 0, 6});
    m.SetElement(37, 0, Bytes(18, 0xA5));
    m.SetIdentity("1.4.5", 'S', "beta", 1024, {0x00, 0x1E, 0xC0, 0, 0, 0x0B});
}

class BatchPage : public paneltest::PageTest {
protected:
    VantrelBatchConf* Page(TestModule& m, char type)
    {
        Main()->ShowBatchConf(m.Address(), m.PortText(), type, 145);
        guitest::Pump();
        return dynamic_cast<VantrelBatchConf*>(Main()->GetPanel(PANEL_BATCH_CONF));
    }
    // Chooses `path` in the file dialog of button `id`, then answers `answers`.
    void Press(VantrelBatchConf* page, int id, const wxString& path, const std::vector<int>& answers = {})
    {
        dialogs->Clear();
        dialogs->FilePath(path);
        dialogs->Answer(wxID_OK);
        for (int answer : answers)
            dialogs->Answer(answer);
        Click(page, id);
        guitest::Pump();
    }
    static wxString Summary(const wxString& title, const wxString& path, const wxString& lines)
    {
        return title + ": Configuration \"" + path + "\" sent to the Vantrel-S-UART module at 127.0.0.1:\n" +
               lines;
    }
};

TEST_F(BatchPage, SavedConfigurationLoadsIntoAnotherModuleOfItsType)
{
    ConfigureA(module);
    ASSERT_TRUE(module.Start());
    TestModule b;
    ConfigureB(b);
    ASSERT_TRUE(b.Start());
    const Bytes bIp = b.Element(14, 0), bConfigSocket = b.Element(37, 0);
    const wxString path = dir->File("alpha.db");
    Main()->loggedIn = true;
    VantrelBatchConf* page = OpenFromHub<VantrelBatchConf>(ID_HUB_BATCH_CONF, PANEL_BATCH_CONF);
    ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
    EXPECT_TRUE(SaveScreenshot("batch-page.png"));
    Press(page, ID_BATCH_SAVE, path);
    EXPECT_EQ(dialogs->Messages(),
              (std::vector<wxString>{"Export current module conf to file: ", "Info: Configuration saved"}));
    // Identity, then one read per page; the record two pages read is read once.
    EXPECT_EQ(PageRequests().size(), 7u);
    Press(Page(b, 'S'), ID_BATCH_LOAD, path, {wxID_YES, wxID_OK, wxID_NO});
    ASSERT_EQ(dialogs->Messages().size(), 4u);
    EXPECT_NE(dialogs->Messages()[1].Find("module 00:1e:c0:00:00:0a, firmware 1.4.5) to the"), wxNOT_FOUND);
    EXPECT_EQ(dialogs->Messages()[2], Summary("Configuration loaded", path,
                                              "\nNetwork: written\nSocket: written\nAdvanced: written\nUART: "
                                              "written\nDigital I/O: written\nPower save: written"));
    EXPECT_EQ(dialogs->Messages()[3], Reboot);
    for (const auto& [id, index] : Written)
        EXPECT_EQ(b.Element(id, index), module.Element(id, index)) << id << "/" << int(index);
    EXPECT_EQ(b.Element(14, 0), bIp) << "the module keeps its own address";
    EXPECT_EQ(b.Element(39, 0), Field("beta", 32)) << "and its alias";
    EXPECT_EQ(b.Element(37, 0), bConfigSocket);
    // The address read first, then each section's datablocks with its save last.
    const std::vector<testmod::Frame> requests = b.Requests();
    ASSERT_GE(requests.size(), 2u);
    std::vector<int> sections;
    for (size_t i = 1; i < requests.size(); ++i) {
        const std::vector<testmod::Block> blocks = paneltest::BlocksOf(requests[i]);
        ASSERT_GE(blocks.size(), 2u);
        sections.push_back(blocks.back().values.at(0));
    }
    EXPECT_EQ(sections, (std::vector<int>{1, 3, 8, 2, 7, 10}));
    EXPECT_EQ(Blocks(requests[1])[1], std::make_tuple(14, 1, 0, bIp));
    EXPECT_EQ(apptest::Sql("SELECT ip, ssid, macaddress FROM vemtor_vantrel WHERE rowid > 1"),
              std::vector<wxString>{"10.0.0.6|alpha-net|00:1e:c0:00:00:0b"});
    EXPECT_EQ(apptest::Sql("SELECT * FROM vemtor_vantrel_uart"),
              std::vector<wxString>{"00:1e:c0:00:00:0b|ODD|2|9600"});
    // A UART module's file is refused for a CAN module before any traffic.
    const size_t sent = b.Requests().size();
    Press(Page(b, 'A'), ID_BATCH_LOAD, path);
    EXPECT_EQ(dialogs->Messages().back(),
              "Error: \"" + path +
                  "\" holds the configuration of a Vantrel-S-UART module (type S); "
                  "this module is a Vantrel-S-CAN (type A). Nothing was sent.");
    EXPECT_EQ(b.Requests().size(), sent);
    // Back leads to the start page.
    Command(ID_BACK);
    EXPECT_EQ(Main()->currentPanel, PANEL_START);
    // The registry is never written over; a read that fails writes no file and
    // names its section; a write whose exchange fails ends the load there.
    page = Page(module, 'S');
    const wxString broken = dir->File("broken.db");
    for (const char* name : {"vantrel-conf.db", "last_backup.db"}) {
        const wxString registry = dir->File(name);
        Press(page, ID_BATCH_SAVE, registry);
        EXPECT_EQ(
            dialogs->Messages().back(),
            "Error: \"" + registry + "\" is the module registry of Vantrel Glimra: choose another file");
    }
    module.SetFault(Fault::MissingBlock, 45, 45);
    Press(page, ID_BATCH_SAVE, broken);
    ASSERT_EQ(dialogs->Messages().size(), 2u);
    EXPECT_TRUE(dialogs->Messages()[1].StartsWith(
        "Error: Configuration not saved to file: the Digital I/O settings could not be read.\n\n"))
        << dialogs->Messages()[1];
    EXPECT_FALSE(std::filesystem::exists(broken.ToStdString()));
    // The same module again (b's MAC): its registry rows are updated, not added.
    TestModule c;
    ConfigureB(c);
    c.SetFault(Fault::CloseEarly, 0, 45);
    ASSERT_TRUE(c.Start());
    Press(Page(c, 'S'), ID_BATCH_LOAD, path, {wxID_YES, wxID_OK, wxID_NO});
    ASSERT_EQ(dialogs->Messages().size(), 4u);
    const wxString summary = dialogs->Messages()[2];
    EXPECT_TRUE(summary.StartsWith(Summary(
        "Error", path,
        "\nNetwork: written\nSocket: written\nAdvanced: written\nUART: written\nDigital I/O: failed (")))
        << summary;
    EXPECT_TRUE(summary.EndsWith(")\nPower save: not sent")) << summary;
    EXPECT_EQ(dialogs->Messages()[3], Reboot) << "the sections written still want the reboot";
    EXPECT_EQ(
        apptest::Sql("SELECT count(*) FROM vemtor_vantrel WHERE macaddress = '00:1e:c0:00:00:0b' UNION ALL "
                     "SELECT count(*) FROM vemtor_vantrel_uart"),
        (std::vector<wxString>{"1", "1"}));
}

// An address or port that cannot be used is told before any traffic; a load
// whose module cannot be reached sends nothing and asks for no reboot.
TEST_F(BatchPage, UnusableAddressAndUnreachableModule)
{
    ConfigureA(module);
    ASSERT_TRUE(module.Start());
    const wxString path = dir->File("alpha.db");
    Press(Page(module, 'S'), ID_BATCH_SAVE, path);
    ASSERT_EQ(dialogs->Messages().back(), "Info: Configuration saved");
    const size_t sent = module.Requests().size();
    // address, port, what is told.
    const std::tuple<wxString, wxString, wxString> refused[] = {
        {module.Address(), "65536", "Error: Invalid Vantrel module port: 65536"},
        {module.Address(), "0", "Error: Invalid Vantrel module port: 0"},
        {wxString(L"127.0.0.\u00b9"), module.PortText(),
         wxString(L"Error: Invalid Vantrel module address: 127.0.0.\u00b9")},
    };
    for (const auto& [ip, port, told] : refused)
        for (int id : {ID_BATCH_SAVE, ID_BATCH_LOAD}) {
            Main()->ShowBatchConf(ip, port, 'S', 145);
            guitest::Pump();
            auto* page = dynamic_cast<VantrelBatchConf*>(Main()->GetPanel(PANEL_BATCH_CONF));
            ASSERT_NE(page, nullptr);
            Press(page, id, path);
            EXPECT_EQ(dialogs->Messages().back(), told) << id;
        }
    EXPECT_EQ(module.Requests().size(), sent);
    TestModule d;
    d.SetFault(Fault::Refuse);
    ASSERT_TRUE(d.Start());
    Press(Page(d, 'S'), ID_BATCH_LOAD, path, {wxID_YES});
    ASSERT_EQ(dialogs->Messages().size(), 3u) << testing::PrintToString(dialogs->Messages());
    const wxString summary = dialogs->Messages()[2];
    EXPECT_TRUE(summary.StartsWith(Summary("Error", path, "\nNetwork: failed ("))) << summary;
    EXPECT_TRUE(
        summary.EndsWith(")\nSocket: not sent\nAdvanced: not sent\nUART: not sent\nDigital I/O: not sent\n"
                         "Power save: not sent"))
        << summary;
    EXPECT_EQ(Main()->currentPanel, PANEL_BATCH_CONF);
}

}  // namespace
