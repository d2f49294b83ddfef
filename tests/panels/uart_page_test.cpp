// The UART page against a test module: its read, the two views, the write
// and its echo, the registry row, and where each failure leads.
#include <wx/combobox.h>

#include "HubLogic.h"
#include "VantrelUartPanel.h"
#include "page_fixture.h"
#include "sock.h"

using testmod::Bytes;
using testmod::Fault;

namespace {

const wxString Question =
    "Update configuration?: Are you sure to update module UART/RS485/RS232 configuration?";
const wxString Reboot = paneltest::RebootPrompt("Vantrel-S-UART");

class UartPage : public paneltest::PageTest {
protected:
    void SetUp() override
    {
        PageTest::SetUp();
        module.SetElement(33, 0, {2});
        module.SetElement(34, 0, {2});
        module.SetElement(35, 0, {0x00, 0x01, 0xC2, 0x00});
        StartModule("1.4.0", 'S');
    }
    VantrelUartPanel* Open() { return OpenFromHub<VantrelUartPanel>(ID_HUB_UART, PANEL_UART); }
    std::vector<wxString> UartRows() { return apptest::Sql("SELECT * FROM vemtor_vantrel_uart"); }
};

TEST_F(UartPage, ReadsShowsAndWritesTheSerialLine)
{
    VantrelUartPanel* page = Open();
    ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
    ASSERT_EQ(PageRequests().size(), 1u);
    EXPECT_EQ(PageRequests()[0].action, 0);
    EXPECT_EQ(Blocks(PageRequests()[0]),
              (paneltest::BlockList{{33, 1, 0, {}}, {34, 1, 0, {}}, {35, 1, 0, {}}}));
    EXPECT_EQ((std::vector<wxString>{page->StopBitsCombo()->GetValue(), page->ParityBitsCombo()->GetValue(),
                                     page->BaudRateCombo()->GetValue()}),
              (std::vector<wxString>{"2", "EVEN", "115200"}));

    // Unchanged: the values read go back, then the UART section; No at the prompt leads home.
    Confirm(page, {wxID_YES, wxID_NO});
    EXPECT_EQ(dialogs->Messages(), (std::vector<wxString>{Question, Reboot}));
    ASSERT_EQ(PageRequests().size(), 2u);
    EXPECT_EQ(PageRequests()[1].action, 1);
    EXPECT_EQ(Blocks(PageRequests()[1]),
              (paneltest::BlockList{
                  {33, 1, 0, {2}}, {34, 1, 0, {2}}, {35, 1, 0, {0x00, 0x01, 0xC2, 0x00}}, {24, 1, 0, {2}}}));
    EXPECT_EQ(Main()->currentPanel, PANEL_START);
    EXPECT_EQ(UartRows(), std::vector<wxString>{"00:1e:c0:12:34:56|EVEN|2|115200"});

    // Changed, with a rate typed outside the list: the row is updated, and Yes leads to the hub.
    page = Open();
    ASSERT_NE(page, nullptr);
    page->ParityBitsCombo()->SetSelection(1);
    page->StopBitsCombo()->SetSelection(0);
    page->BaudRateCombo()->SetValue("250000");
    Confirm(page, {wxID_YES, wxID_YES});
    EXPECT_EQ(dialogs->Messages(), (std::vector<wxString>{Question, Reboot}));
    EXPECT_EQ((std::vector<Bytes>{module.Element(33, 0), module.Element(34, 0), module.Element(35, 0)}),
              (std::vector<Bytes>{{1}, {1}, {0x00, 0x03, 0xD0, 0x90}}));
    EXPECT_EQ(UartRows(), std::vector<wxString>{"00:1e:c0:12:34:56|ODD|1|250000"});
    EXPECT_EQ(Main()->currentPanel, PANEL_MODULE);
}

// An echo that differs is told, and the write counts all the same; a write
// that fails, or a baud rate that cannot be sent, returns to the edit view
// with what was typed.
TEST_F(UartPage, WriteFailuresAndEchoErrors)
{
    struct Case {
        Fault fault;
        int param;
        const char* rate;
        wxString error;
        bool written;  // the row and the reboot prompt follow
        size_t requests;
    } cases[] = {
        {Fault::AlterEcho, 24, "115200", "Error: Configuration saved with errors!", true, 2},
        {Fault::CloseEarly, 0, "38400",
         "Error: Network down. Configuration not saved! Please check your Wi-Fi connection and Vantrel "
         "module "
         "connection",
         false, 2},
        {Fault::None, 0, "4294967296",
         "Error: Invalid Baud Rate \"4294967296\": please enter a number from 0 to 4294967295", false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rate);
        module.SetFault(Fault::None);
        VantrelUartPanel* page = Open();
        ASSERT_NE(page, nullptr);
        apptest::Sql("DELETE FROM vemtor_vantrel_uart");
        module.SetFault(c.fault, c.param, 24);
        page->BaudRateCombo()->SetValue(c.rate);
        Confirm(page, {wxID_YES, wxID_NO});
        std::vector<wxString> messages{Question, c.error};
        if (c.written)
            messages.push_back(Reboot);
        EXPECT_EQ(dialogs->Messages(), messages);
        EXPECT_EQ(PageRequests().size(), c.requests);
        EXPECT_EQ(UartRows().size(), c.written ? 1u : 0u);
        if (c.written) {
            EXPECT_EQ(Main()->currentPanel, PANEL_START);
            continue;
        }
        ASSERT_EQ(Main()->GetPanel(PANEL_UART), page);
        EXPECT_FALSE(page->InConfirmView());
        EXPECT_TRUE(page->BaudRateCombo()->IsEnabled());
        EXPECT_EQ(page->BaudRateCombo()->GetValue(), c.rate);
    }
}

// Back returns to editing from the confirmation view and leaves the page
// from the edit view, however often the views were switched. A read that
// outlasts the wait's 51 steps is abandoned: its connection is closed at
// once rather than held to the end of the exchange, and the hub is shown.
TEST_F(UartPage, BackInEachViewAndAnAbandonedRead)
{
    wxWeakRef<VantrelUartPanel> page = Open();
    ASSERT_TRUE(page);
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
        EXPECT_FALSE(page->BaudRateCombo()->IsEnabled());
        if (round == 0) {
            EXPECT_TRUE(SaveScreenshot("uart-confirm.png"));
        }
        if (round == 1)
            ASSERT_TRUE(Click(page, ID_PAGE_GO_BACK));
        else
            Command(ID_BACK);
        guitest::Pump();
        ASSERT_TRUE(page);
        EXPECT_FALSE(page->InConfirmView()) << round;
        EXPECT_TRUE(page->BaudRateCombo()->IsEnabled());
    }
    Command(ID_BACK);
    EXPECT_EQ(Main()->currentPanel, PANEL_MODULE);
    EXPECT_TRUE(guitest::WaitFor([&] { return !page; }, 2000)) << "the page was never destroyed";
    EXPECT_TRUE(dialogs->Shown().empty()) << testing::PrintToString(dialogs->Messages());

    sock_set_receive_timeout(30);
    module.SetFault(Fault::Silent, 0, 33);
    EXPECT_EQ(Open(), nullptr);
    EXPECT_EQ(dialogs->Messages(), std::vector<wxString>{"Error: Connection aborted by user"});
    EXPECT_EQ(Main()->currentPanel, PANEL_MODULE);
    EXPECT_EQ(Main()->GetPanel(PANEL_UART), nullptr);
    EXPECT_TRUE(guitest::WaitFor(
        [&] { return apptest::OpenConnections(module.Address(), module.Port()) == 0; }, 2000));
}

}  // namespace
