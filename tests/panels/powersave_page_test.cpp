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
    // From the hub, as its button would (shown only above 1.4.0 after login).
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
    // Types into a command's field and presses its button.
    void Run(VantrelPowersavePanel* page, int field, const wxString& text, int button)
    {
        dynamic_cast<wxTextCtrl*>(page->FindWindow(field))->SetValue(text);
        dialogs->Clear();
        Click(page, button);
    }

    int connections = 0;  // the module's connections before the page was asked for
};

TEST_F(PowersavePage, OldFirmwareIsRefusedBeforeAnyTraffic)
{
    EXPECT_EQ(Open(139), nullptr);
    EXPECT_EQ(dialogs->Messages(),
              std::vector<wxString>{"Error: Powersave modes are supported only on firmware >= 1.4.0"});
    // The one connection since is the identity read of the hub it falls back to.
    EXPECT_EQ(module.Connections(), connections + 1);
    ASSERT_EQ(PageRequests().size(), 1u);
    EXPECT_EQ(Blocks(PageRequests()[0]), (decltype(Blocks({})){{2, 1, 0, {}}, {38, 1, 0, {}}}));
    EXPECT_EQ(Main()->currentPanel, PANEL_MODULE);
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
    EXPECT_TRUE(SaveScreenshot("powersave-page.png"));

    // "Random Gen?" (checked) replaces even a boot delay too large to send.
    page->BootDelayField()->ChangeValue("99999");
    ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
    unsigned long drawn = 300;
    EXPECT_TRUE(page->BootDelayField()->GetValue().ToULong(&drawn) && drawn < 300) << drawn;
    ASSERT_TRUE(Click(page, ID_PAGE_GO_BACK));

    // Without it, such a boot delay is refused before anything is sent.
    page->RandomBox()->SetValue(false);
    page->BootDelayField()->ChangeValue("65536");
    Click(page, ID_PAGE_EDIT);
    EXPECT_FALSE(page->InConfirmView());
    EXPECT_EQ(dialogs->Messages(),
              std::vector<wxString>{"Error: Invalid Boot Delay Time \"65536\": please enter a "
                                    "number of seconds from 0 to 65535"});

    page->BootDelayField()->ChangeValue("300");
    ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
    dialogs->Answer(wxID_YES);
    Click(page, ID_PAGE_CONFIRM);
    guitest::Pump();
    ASSERT_EQ(PageRequests().size(), 2u);
    EXPECT_EQ(Blocks(PageRequests()[1]), (decltype(Blocks({})){{51, 1, 0, Record}, {24, 1, 0, {10}}}));
}

TEST_F(PowersavePage, SleepNowAndRunningCounter)
{
    VantrelPowersavePanel* page = Open(140);
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(Click(page, ID_PAGE_EDIT));

    // Nothing is sent for 0, nor for a pasted negative number.
    Run(page, ID_SLEEP_NOW_TIME, "", ID_SLEEP_NOW);
    EXPECT_EQ(page->FindWindow(ID_SLEEP_NOW)->GetLabel(), "Sleep Now for  s");
    EXPECT_TRUE(dialogs->Messages().empty());
    Run(page, ID_SLEEP_NOW_TIME, "-5", ID_SLEEP_NOW);
    EXPECT_EQ(dialogs->Messages(),
              std::vector<wxString>{"Error: Invalid Sleep Now Time \"-5\": please enter a "
                                    "number of seconds from 0 to 4294967295"});
    EXPECT_EQ(PageRequests().size(), 1u);

    // A running counter of 0 is sent; the page stays in its view.
    Run(page, ID_RUNNING_COUNTER_TIME, "0", ID_SET_RUNNING_COUNTER);
    EXPECT_EQ(dialogs->Messages(),
              std::vector<wxString>{"Module running: Running counter reset to 0 seconds"});
    ASSERT_EQ(PageRequests().size(), 2u);
    EXPECT_EQ(Blocks(PageRequests()[1]), (decltype(Blocks({})){{53, 1, 0, {0, 0, 0, 0}}}));
    ASSERT_EQ(Main()->GetPanel(PANEL_POWERSAVE), page);
    EXPECT_TRUE(page->InConfirmView());

    // Sleep now carries no section save, then the start page.
    Run(page, ID_SLEEP_NOW_TIME, "3600", ID_SLEEP_NOW);
    EXPECT_EQ(dialogs->Messages(),
              std::vector<wxString>{"Module Sleeping: Module put in Sleep for 3600 seconds"});
    ASSERT_EQ(PageRequests().size(), 3u);
    EXPECT_EQ(Blocks(PageRequests()[2]), (decltype(Blocks({})){{52, 1, 0, {1, 0, 0, 0x0E, 0x10}}}));
    EXPECT_EQ(Main()->currentPanel, PANEL_START);
}

}  // namespace
