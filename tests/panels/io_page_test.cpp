// The digital I/O page against a test module: the read of as many lines as
// the module type has, the locks through every view, the write and its echo.
#include <wx/grid.h>

#include "HubLogic.h"
#include "VantrelIOPanel.h"
#include "page_fixture.h"

using testmod::Bytes;
using testmod::Fault;

namespace {

const wxString Question = "Update configuration?: Are you sure to update I/O configuration?";
const wxString NetworkDown =
    "Error: Network down. Configuration not saved! Please check your Wi-Fi connection and Vantrel module "
    "connection";

wxString Reboot(char type)
{
    return "Updated: Module configuration updated.\n\nREBOOT your " + MainWindow::GetModelName(type) +
           " module after configuration.\n\nDo you want to configure other settings?";
}

class IoPage : public paneltest::PageTest {
protected:
    VantrelIOPanel* Open() { return OpenFromHub<VantrelIOPanel>(ID_HUB_IO, PANEL_IO); }
    // Which cells of the lines in use take no input: '#' read-only, one
    // string of Idx, Enable, Type per line.
    static std::vector<std::string> ReadOnlyCells(VantrelIOPanel* page)
    {
        std::vector<std::string> rows;
        for (int k = 0; k < page->LineCount(); ++k) {
            std::string row;
            for (int c = 0; c < 3; ++c)
                row += page->Grid()->IsReadOnly(k, c) ? '#' : '.';
            rows.push_back(row);
        }
        return rows;
    }
};

// Eight lines on a digit type; line 5 comes with another index byte and
// values above 1. Line 3 is changed; an altered echo is told, and the
// reboot prompt follows either way.
TEST_F(IoPage, ReadsEightLinesAndWritesThemBack)
{
    for (uint8_t k = 0; k < 8; ++k)
        module.SetElement(45, k, {k, uint8_t(k % 2), 0});
    module.SetElement(45, 5, {9, 5, 7});
    StartModule("1.4.0", '4');
    const Bytes written = {0, 0, 0, 1, 1, 0, 2, 0, 0, 3, 1, 1, 4, 0, 0, 5, 1, 1, 6, 0, 0, 7, 1, 0};

    for (bool alterEcho : {false, true}) {
        SCOPED_TRACE(alterEcho ? "altered echo" : "clean echo");
        module.SetFault(alterEcho ? Fault::AlterEcho : Fault::None, 45, 24);
        module.SetElement(45, 3, {3, 0, 0});
        VantrelIOPanel* page = Open();
        ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
        ASSERT_EQ(PageRequests().size(), 1u);
        EXPECT_EQ(Blocks(PageRequests()[0]), (decltype(Blocks({})){{45, 8, 0, {}}}));
        wxGrid* grid = page->Grid();
        ASSERT_EQ(grid->GetNumberRows(), 8);
        EXPECT_EQ((std::vector<wxString>{grid->GetCellValue(5, 0), grid->GetCellValue(5, 1),
                                         grid->GetCellValue(5, 2), grid->GetCellValue(6, 1),
                                         grid->GetCellValue(6, 2)}),
                  (std::vector<wxString>{"5", "1", "Digital Output", "", "Digital Input"}));
        EXPECT_EQ(ReadOnlyCells(page), std::vector<std::string>(8, "#.."));
        if (!alterEcho) {
            EXPECT_TRUE(SaveScreenshot("io-page.png"));
        }

        grid->SetCellValue(3, 1, "1");
        grid->SetCellValue(3, 2, "Digital Output");
        ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
        EXPECT_EQ(ReadOnlyCells(page), std::vector<std::string>(8, "###"));
        dialogs->Clear();
        dialogs->Answer(wxID_YES);
        dialogs->Answer(wxID_NO);
        Click(page, ID_PAGE_CONFIRM);
        guitest::Pump();
        std::vector<wxString> messages = {Question, Reboot('4')};
        if (alterEcho)
            messages.insert(messages.begin() + 1, "Error: Configuration saved with errors!");
        EXPECT_EQ(dialogs->Messages(), messages);
        ASSERT_EQ(PageRequests().size(), 2u);
        EXPECT_EQ(Blocks(PageRequests()[1]), (decltype(Blocks({})){{45, 8, 0, written}, {24, 1, 0, {7}}}));
        EXPECT_EQ(Main()->currentPanel, PANEL_START);
    }
}

// Lines 2 and 3 of a 'B' module are locked in the edit view, all cells in
// the confirmation view; a failed write stays there, and the way back
// restores the locks.
TEST_F(IoPage, LocksSurviveViewsAndAFailedWrite)
{
    StartModule("1.4.0", 'B');
    VantrelIOPanel* page = Open();
    ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
    EXPECT_EQ(Blocks(PageRequests()[0]), (decltype(Blocks({})){{45, 4, 0, {}}}));
    const std::vector<std::string> locked = {"#..", "#..", "###", "###"};
    EXPECT_EQ(ReadOnlyCells(page), locked);
    EXPECT_EQ(page->Grid()->GetCellBackgroundColour(2, 1), wxColour(204, 204, 204));

    module.SetFault(Fault::CloseEarly, 0, 24);
    ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
    dialogs->Clear();
    dialogs->Answer(wxID_YES);
    Click(page, ID_PAGE_CONFIRM);
    guitest::Pump();
    EXPECT_EQ(dialogs->Messages(), (std::vector<wxString>{Question, NetworkDown}));
    ASSERT_EQ(Main()->GetPanel(PANEL_IO), page);
    EXPECT_TRUE(page->InConfirmView());
    EXPECT_EQ(ReadOnlyCells(page), std::vector<std::string>(4, "###"));

    Command(ID_BACK);
    EXPECT_FALSE(page->InConfirmView());
    EXPECT_EQ(ReadOnlyCells(page), locked);
    ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
    ASSERT_TRUE(Click(page, ID_PAGE_GO_BACK));
    EXPECT_EQ(ReadOnlyCells(page), locked);
}

}  // namespace
