// The advanced page against a test module: the datablocks read and written
// by type and firmware, a refused task period, the reboot prompt, and where
// a failed write leads.
#include <wx/combobox.h>
#include <wx/textctrl.h>

#include "HubLogic.h"
#include "VantrelAdvancedPanel.h"
#include "page_fixture.h"
#include "sock.h"

using paneltest::BlockList;
using testmod::Bytes;
using testmod::Fault;

namespace {

const wxString Question = "Update configuration?: Are you sure to update module configuration?";

// Short layout: ports 65100, 65300, 65200; min data 10, max wait 100, polling 500; init string "AT".
Bytes ShortRecord()
{
    Bytes b = {0xFE, 0x4C, 0xFF, 0x14, 0xFE, 0xB0, 0x00, 0x0A, 0x00, 0x64, 0x01, 0xF4, 'A', 'T'};
    b.resize(44, 0);
    return b;
}

class AdvancedPage : public paneltest::PageTest {
protected:
    void SetUp() override
    {
        PageTest::SetUp();
        module.SetElement(46, 0, ShortRecord());
        module.SetElement(49, 0, {1});
        module.SetElement(50, 0, {0x00, 0x3C, 1});
    }
    VantrelAdvancedPanel* Open()
    {
        return OpenFromHub<VantrelAdvancedPanel>(ID_HUB_ADVANCED, PANEL_ADVANCED);
    }
};

// A CAN module above 1.3.1 reads and writes the filter and the task
// settings; a period one above the largest is refused with its caption.
TEST_F(AdvancedPage, CanModuleWithTaskSettings)
{
    StartModule("1.3.2", 'A');
    VantrelAdvancedPanel* page = Open();
    ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
    EXPECT_EQ(Blocks(PageRequests().at(0)), (BlockList{{46, 1, 0, {}}, {49, 1, 0, {}}, {50, 1, 0, {}}}));
    EXPECT_EQ((std::vector<wxString>{page->TextField(ADV_CAN_PORT)->GetValue(),
                                     page->ChoiceField(ADV_FILTER_TYPE)->GetValue(),
                                     page->TextField(ADV_TASK_PERIOD)->GetValue()}),
              (std::vector<wxString>{"65300", "CAN Controller", "60"}));

    page->TextField(ADV_TASK_PERIOD)->SetValue("4001");
    EXPECT_TRUE(Click(page, ID_PAGE_EDIT));
    EXPECT_EQ(dialogs->Messages(),
              std::vector<wxString>{"Task period error: You must specify a task periodo minor than 4000s"});
    EXPECT_FALSE(page->InConfirmView());
    page->TextField(ADV_TASK_PERIOD)->SetValue("4000");
    page->ChoiceField(ADV_AUTO_REBOOT)->SetSelection(0);
    EXPECT_TRUE(SaveScreenshot("advanced-edit.png"));
    Confirm(page, {wxID_YES, wxID_NO});
    EXPECT_EQ(dialogs->Messages(),
              (std::vector<wxString>{Question, paneltest::RebootPrompt("Vantrel-S-CAN", true)}));
    ASSERT_EQ(PageRequests().size(), 2u);
    EXPECT_EQ(Blocks(PageRequests()[1]),
              (BlockList{
                  {46, 1, 0, ShortRecord()}, {49, 1, 0, {1}}, {50, 1, 0, {0x0F, 0xA0, 0}}, {24, 1, 0, {8}}}));
    EXPECT_EQ(Main()->currentPanel, PANEL_START);
}

// Up to 1.3.1 the record goes alone; it carries the init string above
// 1.2.1, where the reboot prompt also offers more settings. An echo that
// differs is told and the write counts all the same; a failed write tells the
// protocol library's own reason and returns to editing.
TEST_F(AdvancedPage, SerialModulesWriteTheRecordAlone)
{
    struct Case {
        const char* firmware;
        char type;
        Fault fault;
        const char* model;  // of the reboot prompt; null when the write fails
        bool initString;
        wxString error;
    } cases[] = {
        {"1.3.1", 'C', Fault::None, "Vantrel-CS-UART", true, ""},
        {"1.2.1", 'S', Fault::None, "Vantrel-S-UART", false, ""},
        {"1.2.2", 'C', Fault::AlterEcho, "Vantrel-CS-UART", true, "Error: Configuration saved with errors!"},
        {"1.2.2", 'C', Fault::BadCrc, nullptr, true, "Error: socket reciv timeout"}};
    sock_set_receive_timeout(1);  // the bad reply is waited out
    for (const Case& c : cases) {
        SCOPED_TRACE(c.firmware);
        module.SetFault(Fault::None);
        module.SetIdentity(c.firmware, c.type, "porch");
        if (module.Port() == 0) {
            ASSERT_TRUE(module.Start());
        }
        VantrelAdvancedPanel* page = Open();
        ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
        EXPECT_EQ(Blocks(PageRequests().at(0)), (BlockList{{46, 1, 0, {}}}));
        EXPECT_EQ(page->TextField(ADV_UART_PORT)->GetValue(), "65100");
        Bytes record = ShortRecord();
        page->TextField(ADV_MIN_DATA)->SetValue("65535");
        record[6] = record[7] = 0xFF;
        if (c.initString) {
            EXPECT_EQ(page->TextField(ADV_INIT_STRING)->GetValue(), "AT");
            page->TextField(ADV_INIT_STRING)->SetValue("ATZ");
            record[14] = 'Z';
        } else {
            EXPECT_EQ(page->TextField(ADV_INIT_STRING), nullptr);
            record[12] = record[13] = 0;
        }
        module.SetFault(c.fault, c.fault == Fault::AlterEcho ? 46 : 0, 24);
        Confirm(page, {wxID_YES, wxID_NO});
        std::vector<wxString> messages{Question};
        if (!c.error.empty())
            messages.push_back(c.error);
        if (c.model)
            messages.push_back(paneltest::RebootPrompt(c.model, c.initString));
        EXPECT_EQ(dialogs->Messages(), messages);
        ASSERT_EQ(PageRequests().size(), 2u);
        EXPECT_EQ(Blocks(PageRequests()[1]), (BlockList{{46, 1, 0, record}, {24, 1, 0, {8}}}));
        module.SetElement(46, 0, ShortRecord());
        if (c.model) {
            EXPECT_EQ(Main()->currentPanel, PANEL_START);
            continue;
        }
        ASSERT_EQ(Main()->GetPanel(PANEL_ADVANCED), page);
        EXPECT_FALSE(page->InConfirmView());
        EXPECT_TRUE(page->TextField(ADV_UART_PORT)->IsEnabled());
    }
}

}  // namespace
