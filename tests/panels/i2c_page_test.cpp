// The I2C sensor page against a test module: the record shown, the checks
// on the way to the confirmation view, the write, and a failed write that
// returns to editing.
#include <wx/combobox.h>
#include <wx/textctrl.h>

#include "HubLogic.h"
#include "VantrelI2CPanel.h"
#include "page_fixture.h"

using testmod::Bytes;
using testmod::Fault;

namespace {

const wxString Question = "Update configuration?: Are you sure to update module configuration?";

class I2cPage : public paneltest::PageTest {
protected:
    void SetUp() override
    {
        PageTest::SetUp();
        // Polling 1000 ms, an output type the list lacks, offset -2.5.
        module.SetElement(48, 0, {0, 0, 0x03, 0xE8, 4, 0x80, 0x19});
        StartModule("1.2.0", 'I');
    }
    VantrelI2CPanel* Open() { return OpenFromHub<VantrelI2CPanel>(ID_HUB_I2C, PANEL_I2C); }
};

TEST_F(I2cPage, ChecksThenWritesTheRecord)
{
    VantrelI2CPanel* page = Open();
    ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
    EXPECT_EQ(Blocks(PageRequests()[0]), (decltype(Blocks({})){{48, 1, 0, {}}}));
    EXPECT_EQ((std::vector<wxString>{page->OutputCombo()->GetValue(), page->PollingField()->GetValue(),
                                     page->OffsetField()->GetValue()}),
              (std::vector<wxString>{"", "1000", "-2.5"}));

    struct Check {
        const char* polling;
        const char* offset;
        const char* message;
    } refused[] = {
        {"999", "0", "Polling TIME error: You must specify a valid Polling TIME greater than 1000 ms"},
        {"", "0", "Polling TIME error: You must specify a valid Polling TIME greater than 1000 ms"},
        {"1000", "3001", "Temperature Offset error: You must specify a valid offset between -3000 and 3000"},
        {"1000", "-3001", "Temperature Offset error: You must specify a valid offset between -3000 and 3000"},
    };
    for (const Check& c : refused) {
        SCOPED_TRACE(c.message);
        page->PollingField()->ChangeValue(c.polling);
        page->OffsetField()->ChangeValue(c.offset);
        dialogs->Clear();
        Click(page, ID_PAGE_EDIT);
        EXPECT_EQ(dialogs->Messages(), std::vector<wxString>{c.message});
        EXPECT_FALSE(page->InConfirmView());
    }

    // The output type goes back as read; 2.35 is sent as 23 tenths.
    page->PollingField()->ChangeValue("1500");
    page->OffsetField()->ChangeValue("2.35");
    ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
    ASSERT_TRUE(page->InConfirmView());
    EXPECT_FALSE(page->OffsetField()->IsEnabled());
    dialogs->Clear();
    dialogs->Answer(wxID_YES);
    dialogs->Answer(wxID_NO);
    Click(page, ID_PAGE_CONFIRM);
    guitest::Pump();
    EXPECT_EQ(dialogs->Messages().at(0), Question);
    ASSERT_EQ(PageRequests().size(), 2u);
    EXPECT_EQ(Blocks(PageRequests()[1]),
              (decltype(Blocks({})){{48, 1, 0, {0, 0, 0x05, 0xDC, 4, 0x00, 0x17}}, {24, 1, 0, {9}}}));
    EXPECT_EQ(Main()->currentPanel, PANEL_START);
}

// A write whose connection fails shows the exchange's error and returns to
// the edit view with what was typed.
TEST_F(I2cPage, FailedWriteReturnsToEditing)
{
    VantrelI2CPanel* page = Open();
    ASSERT_NE(page, nullptr);
    module.SetFault(Fault::CloseEarly, 0, 24);
    page->OffsetField()->ChangeValue("-12.3");
    page->OutputCombo()->SetSelection(2);
    ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
    dialogs->Answer(wxID_YES);
    Click(page, ID_PAGE_CONFIRM);
    guitest::Pump();
    // The module closed without a reply: no error code of the library's own.
    EXPECT_EQ(dialogs->Messages(), (std::vector<wxString>{Question, "Error: Vantrel module unreachable"}));
    ASSERT_EQ(Main()->GetPanel(PANEL_I2C), page);
    EXPECT_FALSE(page->InConfirmView());
    EXPECT_TRUE(page->OffsetField()->IsEnabled());
    EXPECT_EQ(page->OffsetField()->GetValue(), "-12.3");
    EXPECT_EQ(Blocks(PageRequests().at(1)).at(0),
              (std::tuple<int, int, int, Bytes>(48, 1, 0, {0, 0, 0x03, 0xE8, 2, 0x80, 0x7B})));
}

}  // namespace
