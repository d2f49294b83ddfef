// The power-save page against a test module: the firmware check before any
// traffic, a read written back unchanged, the random boot delay, and the
// sleep-now and running-counter commands.
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/textctrl.h>

#include "VantrelPowersavePanel.h"
#include "page_fixture.h"

using testmod::Bytes;

namespace {

// Only Wi-Fi sleep, boot delay 300 s, sleep time 3600 s, running time 60 s.
const Bytes Record = {1, 0x01, 0x2C, 0, 0, 0x0E, 0x10, 0, 0, 0, 0x3C, 0};

class PowersavePage : public paneltest::PageTest {
protected:
    void SetUp() override
    {
        PageTest::SetUp();
        module.SetElement(51, 0, Record);
        StartModule("1.4.0", 'S');
    }
    // As the hub's button would (it shows only above 1.4.0 and after login).
    VantrelPowersavePanel* Open(int firmware)
    {
        if (!ShowHub())
            return nullptr;
        before = module.Requests().size();
        connections = module.Connections();
        Main()->ShowPowersavePanel(module.Address(), module.PortText(), 'S', firmware);
        guitest::Pump();
        return dynamic_cast<VantrelPowersavePanel*>(Main()->GetPanel(PANEL_POWERSAVE));
    }
    static wxTextCtrl* Field(VantrelPowersavePanel* page, int id)
    {
        return dynamic_cast<wxTextCtrl*>(page->FindWindow(id));
    }

    int connections = 0;  // the module's connections before the page was asked for
};

TEST_F(PowersavePage, OldFirmwareIsRefusedBeforeAnyTraffic)
{
    EXPECT_EQ(Open(139), nullptr);
    EXPECT_EQ(dialogs->Messages(),
              std::vector<wxString>{"Error: Powersave modes are supported only on firmware >= 1.4.0"});
    EXPECT_EQ(Main()->currentPanel, PANEL_MODULE);
    // The one connection since is the identity read of the hub it falls back to.
    EXPECT_EQ(module.Connections(), connections + 1);
    ASSERT_EQ(PageRequests().size(), 1u);
    EXPECT_EQ(Blocks(PageRequests()[0]), (decltype(Blocks({})){{2, 1, 0, {}}, {38, 1, 0, {}}}));
}

TEST_F(PowersavePage, UnchangedWriteSendsBackWhatWasRead)
{
    VantrelPowersavePanel* page = Open(140);
    ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
    EXPECT_EQ(Blocks(PageRequests()[0]), (decltype(Blocks({})){{51, 1, 0, {}}}));
    EXPECT_EQ(
        (std::vector<wxString>{page->SleepTypeCombo()->GetValue(), page->BootDelayField()->GetValue(),
                               page->RunningTimeField()->GetValue(), page->SleepTimeField()->GetValue()}),
        (std::vector<wxString>{"Only Wi-Fi Sleep", "300", "60", "3600"}));
    EXPECT_TRUE(page->RandomBox()->GetValue());
    EXPECT_TRUE(SaveScreenshot("powersave-page.png"));

    // Drawn at random on the way to the confirmation view, and kept on the way back.
    page->BootDelayField()->ChangeValue("99999");
    ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
    unsigned long drawn = 300;
    EXPECT_TRUE(page->BootDelayField()->GetValue().ToULong(&drawn));
    EXPECT_LT(drawn, 300u);
    EXPECT_FALSE(page->BootDelayField()->IsEnabled());
    ASSERT_TRUE(Click(page, ID_PAGE_GO_BACK));
    EXPECT_EQ(page->BootDelayField()->GetValue(), wxString::Format("%lu", drawn));

    // Without the draw, a boot delay beyond 16 bits is refused before anything is sent.
    page->RandomBox()->SetValue(false);
    page->BootDelayField()->ChangeValue("65536");
    EXPECT_FALSE(Click(page, ID_PAGE_EDIT) && page->InConfirmView());
    EXPECT_EQ(dialogs->Messages(),
              std::vector<wxString>{"Error: Invalid Boot Delay Time \"65536\": please enter a "
                                    "number of seconds from 0 to 65535"});

    page->BootDelayField()->ChangeValue("300");
    ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
    dialogs->Clear();
    dialogs->Answer(wxID_YES);
    dialogs->Answer(wxID_NO);
    Click(page, ID_PAGE_CONFIRM);
    guitest::Pump();
    EXPECT_EQ(dialogs->Messages().size(), 2u);
    ASSERT_EQ(PageRequests().size(), 2u);
    EXPECT_EQ(Blocks(PageRequests()[1]), (decltype(Blocks({})){{51, 1, 0, Record}, {24, 1, 0, {10}}}));
    EXPECT_EQ(module.Element(51, 0), Record);
    EXPECT_EQ(Main()->currentPanel, PANEL_START);
}

TEST_F(PowersavePage, SleepNowAndRunningCounter)
{
    VantrelPowersavePanel* page = Open(140);
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
    wxButton* sleepButton = dynamic_cast<wxButton*>(page->FindWindow(ID_SLEEP_NOW));
    ASSERT_NE(sleepButton, nullptr);

    // 0 sends nothing; a pasted negative number is refused.
    Field(page, ID_SLEEP_NOW_TIME)->SetValue("");
    EXPECT_EQ(sleepButton->GetLabel(), "Sleep Now for  s");
    Click(page, ID_SLEEP_NOW);
    Field(page, ID_SLEEP_NOW_TIME)->SetValue("-5");
    Click(page, ID_SLEEP_NOW);
    EXPECT_EQ(dialogs->Messages(),
              std::vector<wxString>{"Error: Invalid Sleep Now Time \"-5\": please enter a "
                                    "number of seconds from 0 to 4294967295"});
    EXPECT_EQ(PageRequests().size(), 1u);

    // A running counter of 0 is sent; the page stays in its view.
    dialogs->Clear();
    Click(page, ID_SET_RUNNING_COUNTER);
    EXPECT_EQ(dialogs->Messages(),
              std::vector<wxString>{"Module running: Running counter reset to 0 seconds"});
    ASSERT_EQ(PageRequests().size(), 2u);
    EXPECT_EQ(Blocks(PageRequests()[1]), (decltype(Blocks({})){{53, 1, 0, {0, 0, 0, 0}}}));
    ASSERT_EQ(Main()->GetPanel(PANEL_POWERSAVE), page);
    EXPECT_TRUE(page->InConfirmView());

    // Sleep now, without a section save, then the start page.
    Field(page, ID_SLEEP_NOW_TIME)->SetValue("3600");
    EXPECT_EQ(sleepButton->GetLabel(), "Sleep Now for 3600 s");
    dialogs->Clear();
    Click(page, ID_SLEEP_NOW);
    EXPECT_EQ(dialogs->Messages(),
              std::vector<wxString>{"Module Sleeping: Module put in Sleep for 3600 seconds"});
    ASSERT_EQ(PageRequests().size(), 3u);
    EXPECT_EQ(Blocks(PageRequests()[2]), (decltype(Blocks({})){{52, 1, 0, {1, 0, 0, 0x0E, 0x10}}}));
    EXPECT_EQ(Main()->currentPanel, PANEL_START);
}

}  // namespace
