// The advanced page against a test module: the datablocks read and written
// by type and firmware, a refused task period, and the reboot prompt.
#include <wx/combobox.h>
#include <wx/textctrl.h>

#include "HubLogic.h"
#include "VantrelAdvancedPanel.h"
#include "page_fixture.h"
#include "sock.h"

using testmod::Bytes;
using testmod::Fault;

namespace {

const wxString Question = "Update configuration?: Are you sure to update module configuration?";

wxString Reboot(const char* model, bool askMore)
{
    const wxString head = wxString("Updated: Module configuration updated.\n\nREBOOT your ") + model;
    return askMore ? head + " module after configuration.\n\nDo you want to configure other settings?"
                   : head + " now!";
}

// Short layout: ports 65100, 65300, 65200; min data 10, max wait 100, polling 500; init string "AT".
Bytes ShortRecord()
{
    Bytes b(44, 0);
    const Bytes head = {0xFE, 0x4C, 0xFF, 0x14, 0xFE, 0xB0, 0x00, 0x0A, 0x00, 0x64, 0x01, 0xF4, 'A', 'T'};
    std::copy(head.begin(), head.end(), b.begin());
    return b;
}

class AdvancedPage : public paneltest::PageTest {
protected:
    VantrelAdvancedPanel* Open()
    {
        return OpenFromHub<VantrelAdvancedPanel>(ID_HUB_ADVANCED, PANEL_ADVANCED);
    }
};

// What each module is asked for and sent, and where its reboot prompt leads.
TEST_F(AdvancedPage, ReadsAndWritesByTypeAndFirmware)
{
    struct Case {
        const char* firmware;
        char type;
        std::vector<int> read;
        const char* model;
        bool askMore;
    } cases[] = {
        {"1.3.2", 'A', {46, 49, 50}, "Vantrel-S-CAN", true},
        {"1.3.1", 'C', {46}, "Vantrel-CS-UART", true},
        {"1.2.1", 'S', {46}, "Vantrel-S-UART", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.firmware);
        module.SetElement(46, 0, ShortRecord());
        module.SetElement(49, 0, {1});
        module.SetElement(50, 0, {0x00, 0x3C, 1});
        module.SetIdentity(c.firmware, c.type, "porch");
        if (module.Port() == 0) {
            ASSERT_TRUE(module.Start());
        }
        VantrelAdvancedPanel* page = Open();
        ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
        ASSERT_EQ(PageRequests().size(), 1u);
        std::vector<int> read;
        for (const auto& b : Blocks(PageRequests()[0]))
            read.push_back(std::get<0>(b));
        EXPECT_EQ(read, c.read);

        Bytes record = ShortRecord();
        std::vector<std::tuple<int, int, int, Bytes>> written;
        if (c.type == 'A') {
            EXPECT_EQ(page->TextField(ADV_CAN_PORT)->GetValue(), "65300");
            EXPECT_EQ(page->ChoiceField(ADV_FILTER_TYPE)->GetValue(), "CAN Controller");
            EXPECT_EQ(page->TextField(ADV_TASK_PERIOD)->GetValue(), "60");
            EXPECT_EQ(page->TextField(ADV_UART_PORT), nullptr);
            // The largest period refused with its caption, the view unchanged.
            page->TextField(ADV_TASK_PERIOD)->SetValue("4001");
            dialogs->Clear();
            EXPECT_TRUE(Click(page, ID_PAGE_EDIT));
            EXPECT_EQ(
                dialogs->Messages(),
                std::vector<wxString>{"Task period error: You must specify a task periodo minor than 4000s"});
            EXPECT_FALSE(page->InConfirmView());
            page->TextField(ADV_TASK_PERIOD)->SetValue("4000");
            page->ChoiceField(ADV_AUTO_REBOOT)->SetSelection(0);
            written = {{46, 1, 0, record}, {49, 1, 0, {1}}, {50, 1, 0, {0x0F, 0xA0, 0}}, {24, 1, 0, {8}}};
        } else {
            EXPECT_EQ(page->TextField(ADV_UART_PORT)->GetValue(), "65100");
            EXPECT_EQ(page->TextField(ADV_TASK_PERIOD), nullptr);
            if (c.type == 'C') {
                EXPECT_EQ(page->TextField(ADV_INIT_STRING)->GetValue(), "AT");
                page->TextField(ADV_INIT_STRING)->SetValue("ATZ");
                record[14] = 'Z';
            } else {
                EXPECT_EQ(page->TextField(ADV_INIT_STRING), nullptr);
                record[12] = record[13] = 0;  // not carried at 121
            }
            page->TextField(ADV_MIN_DATA)->SetValue("65535");
            record[6] = record[7] = 0xFF;
            written = {{46, 1, 0, record}, {24, 1, 0, {8}}};
        }
        if (c.type == 'A') {
            EXPECT_TRUE(SaveScreenshot("advanced-edit.png"));
        }

        dialogs->Clear();
        dialogs->Answer(wxID_YES);
        dialogs->Answer(wxID_NO);
        ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
        EXPECT_FALSE(page->TextField(ADV_MIN_DATA)->IsEnabled());
        Click(page, ID_PAGE_CONFIRM);
        guitest::Pump();
        EXPECT_EQ(dialogs->Messages(), (std::vector<wxString>{Question, Reboot(c.model, c.askMore)}));
        ASSERT_EQ(PageRequests().size(), 2u);
        EXPECT_EQ(Blocks(PageRequests()[1]), written);
        EXPECT_EQ(module.Element(46, 0), record);
        EXPECT_EQ(Main()->currentPanel, PANEL_START);
    }
}

// A failed write tells the protocol library's own reason and returns to
// editing; an echo that differs is told and the write counts all the same.
TEST_F(AdvancedPage, WriteFailures)
{
    module.SetElement(46, 0, ShortRecord());
    StartModule("1.3.1", 'C');
    sock_set_receive_timeout(1);  // the bad reply is waited out
    struct Case {
        Fault fault;
        bool written;
    } cases[] = {{Fault::BadCrc, false}, {Fault::AlterEcho, true}};
    for (const Case& c : cases) {
        module.SetFault(Fault::None);
        VantrelAdvancedPanel* page = Open();
        ASSERT_NE(page, nullptr);
        module.SetFault(c.fault, c.fault == Fault::AlterEcho ? 46 : 0, 24);
        dialogs->Clear();
        dialogs->Answer(wxID_YES);
        dialogs->Answer(wxID_NO);
        ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
        Click(page, ID_PAGE_CONFIRM);
        guitest::Pump();
        const std::vector<wxString> messages = dialogs->Messages();
        ASSERT_EQ(messages.size(), c.written ? 3u : 2u);
        if (c.written) {
            EXPECT_EQ(messages[1], "Error: Configuration saved with errors!");
            EXPECT_EQ(Main()->currentPanel, PANEL_START);
            continue;
        }
        EXPECT_EQ(messages[1], "Error: socket reciv timeout");
        ASSERT_EQ(Main()->GetPanel(PANEL_ADVANCED), page);
        EXPECT_FALSE(page->InConfirmView());
        EXPECT_TRUE(page->TextField(ADV_UART_PORT)->IsEnabled());
    }
}

}  // namespace
