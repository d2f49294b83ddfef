// The I2C sensor page against a test module: the record shown, the checks on
// the way to the confirmation view, a failed write that returns to editing,
// and the write.
#include <wx/combobox.h>
#include <wx/textctrl.h>

#include "HubLogic.h"
#include "VantrelI2CPanel.h"
#include "page_fixture.h"

namespace {

const wxString Question = "Update configuration?: Are you sure to update module configuration?";

class I2cPage : public paneltest::PageTest {};

TEST_F(I2cPage, ChecksFailedWriteAndWrite)
{
    // Polling 1000 ms, an output type the list lacks, offset -2.5.
    module.SetElement(48, 0, {0, 0, 0x03, 0xE8, 4, 0x80, 0x19});
    StartModule("1.2.0", 'I');
    VantrelI2CPanel* page = OpenFromHub<VantrelI2CPanel>(ID_HUB_I2C, PANEL_I2C);
    ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
    EXPECT_EQ(Blocks(PageRequests()[0]), (decltype(Blocks({})){{48, 1, 0, {}}}));
    EXPECT_EQ((std::vector<wxString>{page->OutputCombo()->GetValue(), page->PollingField()->GetValue(),
                                     page->OffsetField()->GetValue()}),
              (std::vector<wxString>{"", "1000", "-2.5"}));

    // polling, offset, what the user is told.
    const std::tuple<const char*, const char*, const char*> refused[] = {
        {"999", "0", "Polling TIME error: You must specify a valid Polling TIME greater than 1000 ms"},
        {"1000", "-3001", "Temperature Offset error: You must specify a valid offset between -3000 and 3000"},
    };
    for (const auto& [polling, offset, message] : refused) {
        page->PollingField()->ChangeValue(polling);
        page->OffsetField()->ChangeValue(offset);
        dialogs->Clear();
        Click(page, ID_PAGE_EDIT);
        EXPECT_EQ(dialogs->Messages(), std::vector<wxString>{message});
        EXPECT_FALSE(page->InConfirmView());
    }

    // The module closes without a reply: no error code of the library's own;
    // back to editing with what was typed.
    page->PollingField()->ChangeValue("1500");
    page->OffsetField()->ChangeValue("2.35");
    module.SetFault(testmod::Fault::CloseEarly, 0, 24);
    for (bool fails : {true, false}) {
        if (!fails)
            module.SetFault(testmod::Fault::None);
        ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
        dialogs->Clear();
        dialogs->Answer(wxID_YES);
        dialogs->Answer(wxID_NO);
        Click(page, ID_PAGE_CONFIRM);
        guitest::Pump();
        EXPECT_EQ(dialogs->Messages().at(1),
                  fails ? wxString("Error: Vantrel module unreachable")
                        : "Updated: Module configuration updated.\n\nREBOOT your "
                          "Vantrel-I2C-TH module after configuration.\n\nDo you want "
                          "to configure other settings?");
        // The output type goes back as read; 2.35 is sent as 23 tenths.
        EXPECT_EQ(Blocks(PageRequests().back()),
                  (decltype(Blocks({})){{48, 1, 0, {0, 0, 0x05, 0xDC, 4, 0x00, 0x17}}, {24, 1, 0, {9}}}));
        if (fails) {
            ASSERT_EQ(Main()->GetPanel(PANEL_I2C), page);
            EXPECT_FALSE(page->InConfirmView());
            EXPECT_EQ(page->OffsetField()->GetValue(), "2.35");
        }
    }
    EXPECT_EQ(PageRequests().size(), 3u);
    EXPECT_EQ(Main()->currentPanel, PANEL_START);
}

}  // namespace
