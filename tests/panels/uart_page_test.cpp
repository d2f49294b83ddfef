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
        Seed();
        StartModule("1.4.0", 'S');
    }
    void Seed()
    {
        module.SetElement(33, 0, {2});
        module.SetElement(34, 0, {2});
        module.SetElement(35, 0, {0x00, 0x01, 0xC2, 0x00});
    }
    VantrelUartPanel* Open() { return OpenFromHub<VantrelUartPanel>(ID_HUB_UART, PANEL_UART); }
    std::vector<wxString> UartRows() { return apptest::Sql("SELECT * FROM vemtor_vantrel_uart"); }
};

// Unchanged, the values read go back and No at the prompt leads home; a rate
// typed outside the list is written and Yes leads to the hub; the registry row
// is inserted, then updated. An echo that differs is told and the write counts
// all the same; a write that fails, or a rate that cannot be sent, returns to
// the edit view with what was typed.
TEST_F(UartPage, ReadWriteFailuresAndEchoErrors)
{
    struct Case {
        int parity, stop;  // selections made; -1 leaves the list as read
        const char* rate;
        Fault fault;
        int param, answer;
        wxString error;
        const char* row;  // the registry row written; null when nothing is
        Bytes written;    // stop bits, parity, baud rate
    } cases[] = {
        // clang-format off
        {-1, -1, "115200", Fault::None, 0, wxID_NO, "", "EVEN|2|115200", {2, 2, 0x00, 0x01, 0xC2, 0x00}},
        {1, 0, "250000", Fault::None, 0, wxID_YES, "", "ODD|1|250000", {1, 1, 0x00, 0x03, 0xD0, 0x90}},
        {-1, -1, "115200", Fault::AlterEcho, 24, wxID_NO, "Error: Configuration saved with errors!", "EVEN|2|115200",
         {2, 2, 0x00, 0x01, 0xC2, 0x00}},
        {-1, -1, "38400", Fault::CloseEarly, 0, wxID_NO, "Error: Network down. Configuration not saved! Please check "
         "your Wi-Fi connection and Vantrel module connection", nullptr, {}},
        {-1, -1, "4294967296", Fault::None, 0, wxID_NO,
         "Error: Invalid Baud Rate \"4294967296\": please enter a number from 0 to 4294967295", nullptr, {}},
        // clang-format on
    };
    wxString row;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rate);
        module.SetFault(Fault::None);
        Seed();
        VantrelUartPanel* page = Open();
        ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
        EXPECT_EQ(Blocks(PageRequests().at(0)),
                  (paneltest::BlockList{{33, 1, 0, {}}, {34, 1, 0, {}}, {35, 1, 0, {}}}));
        EXPECT_EQ(
            (std::vector<wxString>{page->StopBitsCombo()->GetValue(), page->ParityBitsCombo()->GetValue(),
                                   page->BaudRateCombo()->GetValue()}),
            (std::vector<wxString>{"2", "EVEN", "115200"}));
        if (c.parity >= 0) {
            page->ParityBitsCombo()->SetSelection(c.parity);
            page->StopBitsCombo()->SetSelection(c.stop);
        }
        page->BaudRateCombo()->SetValue(c.rate);
        module.SetFault(c.fault, c.param, 24);
        Confirm(page, {wxID_YES, c.answer});
        std::vector<wxString> messages{Question};
        if (!c.error.empty())
            messages.push_back(c.error);
        if (c.row)
            messages.push_back(Reboot);
        EXPECT_EQ(dialogs->Messages(), messages);
        EXPECT_EQ(PageRequests().size() > 1, c.fault != Fault::None || c.row);
        if (c.row) {
            const Bytes& w = c.written;
            EXPECT_EQ(PageRequests().at(1).action, 1);
            EXPECT_EQ(Blocks(PageRequests()[1]),
                      (paneltest::BlockList{{33, 1, 0, {w[0]}},
                                            {34, 1, 0, {w[1]}},
                                            {35, 1, 0, Bytes(w.begin() + 2, w.end())},
                                            {24, 1, 0, {2}}}));
            row = wxString("00:1e:c0:12:34:56|") + c.row;
        }
        EXPECT_EQ(UartRows(), std::vector<wxString>{row});
        if (c.row) {
            EXPECT_EQ(Main()->currentPanel, c.answer == wxID_YES ? PANEL_MODULE : PANEL_START);
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
