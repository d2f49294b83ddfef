// The analog input page against a test module: four channels read whatever
// their index bytes, written back with the indices 0 to 3.
#include <wx/grid.h>

#include "HubLogic.h"
#include "VantrelADCPanel.h"
#include "page_fixture.h"

namespace {

class AdcPage : public paneltest::PageTest {};

TEST_F(AdcPage, ReadsTicksAndWritesAllOff)
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

    ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
    dialogs->Answer(wxID_YES);
    Click(page, ID_PAGE_CONFIRM);
    guitest::Pump();
    ASSERT_EQ(PageRequests().size(), 2u);
    EXPECT_EQ(Blocks(PageRequests()[0]), (decltype(Blocks({})){{54, 4, 0, {}}}));
    EXPECT_EQ(Blocks(PageRequests()[1]),
              (decltype(Blocks({})){{54, 4, 0, {0, 0, 1, 0, 2, 0, 3, 0}}, {24, 1, 0, {0x0B}}}));
}

}  // namespace
