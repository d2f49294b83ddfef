// The two socket pages against a test module: what each reads, the grid's
// checks and locks, the write at each page's start index, a table written
// back unchanged, and nothing to write. (Every page reads through the same
// wait; the UART page's test shows an expired one abandoned.)
#include <wx/grid.h>

#include "HubLogic.h"
#include "VantrelSocketNewPanel.h"
#include "VantrelSocketPanel.h"
#include "page_fixture.h"

using testmod::Bytes;

namespace {

const wxString Question = "Update configuration?: Are you sure to update SOCKET configuration?";
const wxString Reboot = paneltest::RebootPrompt("Vantrel-CS-UART");

using paneltest::BlockList;
constexpr auto Entry = paneltest::SocketEntry;

class SocketPages : public paneltest::PageTest {
protected:
    // A configuration socket, a client, a UDP socket closing by rule 5 on
    // a port of no channel, and an inactive server.
    void SetUp() override
    {
        PageTest::SetUp();
        table = {Entry(0, 1, 2, 65000, 0, {0, 0, 0, 0}, 0, 0, 1),
                 Entry(1, 1, 0, 65100, 502, {192, 168, 1, 10}, 1, 3000, 1),
                 Entry(2, 1, 1, 4242, 7, {10, 0, 0, 1}, 5, 100, 1),
                 Entry(3, 0, 2, 65200, 0, {0, 0, 0, 0}, 3, 0, 1)};
        for (uint8_t k = 0; k < 4; ++k)
            module.SetElement(37, k, table[k]);
        Bytes advanced(44, 0);
        advanced[0] = 0xFE, advanced[1] = 0x4C, advanced[4] = 0xFE, advanced[5] = 0xB0;  // 65100, -, 65200
        module.SetElement(46, 0, advanced);
    }
    static void ChangeType(wxGrid* grid, int row, const wxString& type)
    {
        grid->SetCellValue(row, COL_TYPE, type);
        wxGridEvent changed(grid->GetId(), wxEVT_GRID_CELL_CHANGED, grid, row, COL_TYPE);
        grid->GetEventHandler()->ProcessEvent(changed);
    }

    std::vector<Bytes> table;
};

// The newer page reads the sockets and the service ports, and writes the
// three rows after the configuration socket from index 1.
TEST_F(SocketPages, NewerPageWritesThreeRowsFromIndexOne)
{
    StartModule("1.4.0", 'C');
    auto* page = OpenFromHub<VantrelSocketNewPanel>(ID_HUB_SOCKET_NEW, PANEL_SOCKET_NEW);
    ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
    ASSERT_EQ(PageRequests().size(), 1u);
    EXPECT_EQ(Blocks(PageRequests()[0]), (BlockList{{37, 4, 0, {}}, {46, 1, 0, {}}}));

    // Should no record have a count, nothing is sent and the page returns to editing.
    dialogs->Answer(wxID_YES);
    ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
    for (SocketRecord& r : page->EditedRecords())
        r.count = 0;
    Click(page, ID_PAGE_CONFIRM);
    guitest::Pump();
    EXPECT_EQ(dialogs->Messages(),
              (std::vector<wxString>{Question, "Error: Error on socket update. Configuration not saved!"}));
    EXPECT_EQ(PageRequests().size(), 1u);
    ASSERT_EQ(Main()->GetPanel(PANEL_SOCKET_NEW), page);
    EXPECT_FALSE(page->InConfirmView());
    wxGrid* grid = page->Grid();
    EXPECT_FALSE(grid->IsReadOnly(1, COL_ACTIVE));

    EXPECT_EQ(grid->GetCellValue(0, COL_LOCAL_PORT), "CONFIG");
    EXPECT_EQ(grid->GetCellValue(1, COL_LOCAL_PORT), "UART");
    EXPECT_EQ(grid->GetCellValue(2, COL_TYPE), "");
    EXPECT_EQ(grid->GetCellValue(2, COL_CLOSE_RULE), "");
    EXPECT_TRUE(grid->IsReadOnly(0, COL_ACTIVE));
    EXPECT_TRUE(grid->IsReadOnly(3, COL_SERVER_IP)) << "a TCP Server's address is locked";
    ChangeType(grid, 3, "TCP Client");
    EXPECT_FALSE(grid->IsReadOnly(3, COL_SERVER_IP));
    EXPECT_EQ(grid->GetCellValue(3, COL_SERVER_IP), "0.0.0.0");

    // An active client without an address is refused and marked.
    grid->SetCellValue(3, COL_ACTIVE, "1");
    dialogs->Clear();
    EXPECT_TRUE(Click(page, ID_PAGE_EDIT));
    EXPECT_EQ(dialogs->Messages(), std::vector<wxString>{"Server IP Required: In case of TCP Client you must "
                                                         "specify a valid Server Ip Address"});
    EXPECT_FALSE(page->InConfirmView());
    EXPECT_EQ(grid->GetCellTextColour(3, COL_SERVER_IP), wxColour(255, 0, 0));

    grid->SetCellValue(3, COL_SERVER_IP, "10.0.0.3");
    grid->SetCellValue(3, COL_SERVER_PORT, "8000");
    grid->SetCellValue(3, COL_LOCAL_PORT, "CTRL PORT");
    grid->SetCellValue(2, COL_TYPE, "TCP Server");
    grid->SetCellValue(2, COL_LOCAL_PORT, "DIGITAL I/O");
    EXPECT_TRUE(SaveScreenshot("socket-new-edit.png"));
    Confirm(page, {wxID_YES, wxID_NO});
    EXPECT_EQ(dialogs->Messages(), (std::vector<wxString>{Question, Reboot}));
    ASSERT_EQ(PageRequests().size(), 2u);
    Bytes sent;
    for (const Bytes& e : {Entry(0, 1, 0, 65100, 502, {192, 168, 1, 10}, 1, 3000, 1),
                           Entry(1, 1, 2, 65200, 7, {10, 0, 0, 1}, 5, 100, 1),
                           Entry(2, 1, 0, 60000, 8000, {10, 0, 0, 3}, 3, 0, 1)})
        sent.insert(sent.end(), e.begin(), e.end());
    EXPECT_EQ(Blocks(PageRequests()[1]), (BlockList{{37, 3, 1, sent}, {24, 1, 0, {3}}}));
    EXPECT_EQ(Main()->currentPanel, PANEL_START);
}

// The older page reads the sockets alone and writes them from index 0; a
// table written back unchanged gives the module the bytes it sent.
TEST_F(SocketPages, OlderPageWritesBackAnUnchangedTable)
{
    StartModule("1.1.9", 'C');
    auto* page = OpenFromHub<VantrelSocketPanel>(ID_HUB_SOCKET, PANEL_SOCKET);
    ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
    ASSERT_EQ(PageRequests().size(), 1u);
    EXPECT_EQ(Blocks(PageRequests()[0]), (BlockList{{37, 4, 0, {}}}));
    EXPECT_EQ(page->Grid()->GetCellValue(2, COL_LOCAL_PORT), "4242");
    Confirm(page, {wxID_YES, wxID_NO});
    EXPECT_EQ(dialogs->Messages(), (std::vector<wxString>{Question, Reboot}));
    ASSERT_EQ(PageRequests().size(), 2u);
    Bytes sent;
    for (const Bytes& e : table)
        sent.insert(sent.end(), e.begin(), e.end());
    EXPECT_EQ(Blocks(PageRequests()[1]), (BlockList{{37, 4, 0, sent}, {24, 1, 0, {3}}}));
}

}  // namespace
