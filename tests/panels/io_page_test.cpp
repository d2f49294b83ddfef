// The digital I/O and analog input pages against a test module: as many
// lines as the module type has, the locks through every view, the writes
// and their echo.
#include <wx/grid.h>

#include "HubLogic.h"
#include "VantrelADCPanel.h"
#include "VantrelIOPanel.h"
#include "page_fixture.h"

using paneltest::BlockList;
using testmod::Fault;

namespace {

const wxString Question = "Update configuration?: Are you sure to update I/O configuration?";

class IoPage : public paneltest::PageTest {
protected:
    VantrelIOPanel* Open() { return OpenFromHub<VantrelIOPanel>(ID_HUB_IO, PANEL_IO); }
    // Per line in use, its Idx, Enable and Type cells: '#' read-only.
    static std::vector<std::string> ReadOnlyCells(VantrelIOPanel* page)
    {
        std::vector<std::string> rows(page->LineCount());
        for (int k = 0; k < page->LineCount(); ++k)
            for (int c = 0; c < 3; ++c)
                rows[k] += page->Grid()->IsReadOnly(k, c) ? '#' : '.';
        return rows;
    }
};

// Line 5 comes with another index byte and values above 1; line 3 is
// changed. An altered echo is told, and the reboot prompt follows all the same.
TEST_F(IoPage, EightLinesReadAndWritten)
{
    for (uint8_t k = 0; k < 8; ++k)
        module.SetElement(45, k, {k, uint8_t(k % 2), 0});
    module.SetElement(45, 5, {9, 5, 7});
    module.SetElement(45, 3, {3, 0, 0});
    StartModule("1.4.0", '4');
    module.SetFault(Fault::AlterEcho, 45, 24);
    VantrelIOPanel* page = Open();
    ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
    EXPECT_EQ(Blocks(PageRequests().at(0)), (BlockList{{45, 8, 0, {}}}));
    wxGrid* grid = page->Grid();
    EXPECT_EQ(grid->GetCellValue(5, 0) + grid->GetCellValue(5, 1) + grid->GetCellValue(5, 2),
              "51Digital Output");
    EXPECT_TRUE(SaveScreenshot("io-page.png"));
    grid->SetCellValue(3, 1, "1");
    grid->SetCellValue(3, 2, "Digital Output");
    Confirm(page, {wxID_YES});
    EXPECT_EQ(dialogs->Messages(), (std::vector<wxString>{Question, "Error: Configuration saved with errors!",
                                                          paneltest::RebootPrompt("QEMLIX-D4IO-S")}));
    ASSERT_EQ(PageRequests().size(), 2u);
    EXPECT_EQ(Blocks(PageRequests()[1]),
              (BlockList{{45, 8, 0, {0, 0, 0, 1, 1, 0, 2, 0, 0, 3, 1, 1, 4, 0, 0, 5, 1, 1, 6, 0, 0, 7, 1, 0}},
                         {24, 1, 0, {7}}}));
}

// Lines 2 and 3 of a 'B' module are locked; a failed write stays in the
// confirmation view, and the way back restores the locks.
TEST_F(IoPage, LocksSurviveAFailedWrite)
{
    StartModule("1.4.0", 'B');
    VantrelIOPanel* page = Open();
    ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
    const std::vector<std::string> locked = {"#..", "#..", "###", "###"};
    EXPECT_EQ(ReadOnlyCells(page), locked);
    module.SetFault(Fault::CloseEarly, 0, 24);
    Confirm(page, {wxID_YES});
    EXPECT_EQ(dialogs->Messages(),
              (std::vector<wxString>{Question,
                                     "Error: Network down. Configuration not saved! Please check your "
                                     "Wi-Fi connection and Vantrel module connection"}));
    ASSERT_EQ(Main()->GetPanel(PANEL_IO), page);
    EXPECT_EQ(ReadOnlyCells(page), std::vector<std::string>(4, "###"));
    Command(ID_BACK);
    EXPECT_FALSE(page->InConfirmView());
    EXPECT_EQ(ReadOnlyCells(page), locked);
}

// The analog inputs are read whatever their index bytes, and written back
// with the indices 0 to 3 and their own section.
TEST_F(IoPage, AnalogInputsReadTickedAndWrittenAllOff)
{
    const uint8_t enables[4] = {5, 0, 1, 0};
    for (uint8_t i = 0; i < 4; ++i)
        module.SetElement(54, i, {uint8_t(3 - i), enables[i]});
    StartModule("1.4.0", '4');
    VantrelADCPanel* page = OpenFromHub<VantrelADCPanel>(ID_HUB_ADC, PANEL_ADC);
    ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
    std::vector<wxString> shown;
    for (int i = 0; i < 4; ++i) {
        shown.push_back(page->Grid()->GetCellValue(i, 0) + "/" + page->Grid()->GetCellValue(i, 1));
        page->Grid()->SetCellValue(i, 1, "");
    }
    EXPECT_EQ(shown, (std::vector<wxString>{"0/1", "1/", "2/1", "3/"}));
    Confirm(page, {wxID_YES});
    ASSERT_EQ(PageRequests().size(), 2u);
    EXPECT_EQ(Blocks(PageRequests()[0]), (BlockList{{54, 4, 0, {}}}));
    EXPECT_EQ(Blocks(PageRequests()[1]),
              (BlockList{{54, 4, 0, {0, 0, 1, 0, 2, 0, 3, 0}}, {24, 1, 0, {0x0B}}}));
}

}  // namespace
