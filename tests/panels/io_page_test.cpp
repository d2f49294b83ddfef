// The digital I/O, analog input, I2C sensor and power-save pages against a test module.
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/grid.h>
#include <wx/textctrl.h>

#include "ChannelGrid.h"
#include "HubLogic.h"
#include "VantrelADCPanel.h"
#include "VantrelI2CPanel.h"
#include "VantrelIOPanel.h"
#include "VantrelPowersavePanel.h"
#include "page_fixture.h"

using paneltest::BlockList;
using testmod::Fault;

namespace {

class IoPage : public paneltest::PageTest {
protected:
    VantrelIOPanel* Open() { return OpenFromHub<VantrelIOPanel>(ID_HUB_IO, PANEL_IO); }
    // Opens the list editor of a cell and picks `choice` in it, leaving it open.
    static void PickInEditor(wxGrid* grid, int row, int column, const wxString& choice)
    {
        grid->SetGridCursor(row, column);
        grid->EnableCellEditControl();
        wxGridCellEditor* editor = grid->GetCellEditor(row, column);
        auto* list = dynamic_cast<wxComboBox*>(editor->GetWindow());
        editor->DecRef();
        ASSERT_TRUE(list && grid->IsCellEditControlShown());
        list->SetStringSelection(choice);
    }
    // Per row, its cells: '#' read-only. In the edit view read-only cells
    // alone are grey.
    static std::vector<std::string> LockedCells(wxGrid* grid, bool editView = true)
    {
        std::vector<std::string> rows(grid->GetNumberRows());
        for (int k = 0; k < grid->GetNumberRows(); ++k)
            for (int c = 0; c < grid->GetNumberCols(); ++c) {
                rows[k] += grid->IsReadOnly(k, c) ? '#' : '.';
                if (editView) {
                    EXPECT_EQ(grid->GetCellBackgroundColour(k, c) == LockedCellColour, grid->IsReadOnly(k, c))
                        << k << "/" << c;
                }
            }
        return rows;
    }
    // From the hub, as its button would (shown only above 1.4.0 after login).
    VantrelPowersavePanel* OpenPowersave(int firmware)
    {
        if (!ShowHub())
            return nullptr;
        before = module.Requests().size();
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
};

// Lines 2 and 3 of a 'B' module are locked; line 1 comes with another index
// byte and values above 1. A failed write stays in the confirmation view and
// the way back restores the locks; an altered echo is told, and the reboot
// prompt follows all the same.
TEST_F(IoPage, LinesAndAnalogInputsReadWrittenAndLocked)
{
    for (uint8_t k = 0; k < 4; ++k)
        module.SetElement(45, k, {k, uint8_t(k % 2), 0});
    module.SetElement(45, 1, {9, 5, 7});
    const uint8_t enables[4] = {5, 0, 1, 0};
    for (uint8_t i = 0; i < 4; ++i)
        module.SetElement(54, i, {uint8_t(3 - i), enables[i]});
    StartModule("1.4.0", 'B');
    VantrelIOPanel* page = Open();
    ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
    EXPECT_TRUE(SaveScreenshot("io-page.png"));
    const std::vector<std::string> locked = {"#..", "#..", "###", "###"};
    EXPECT_EQ(LockedCells(page->Grid()), locked);
    module.SetFault(Fault::CloseEarly, 0, 24);
    Confirm(page, {wxID_YES});
    EXPECT_EQ(dialogs->Messages().size(), 2u);
    ASSERT_EQ(Main()->GetPanel(PANEL_IO), page);
    EXPECT_EQ(LockedCells(page->Grid(), false), std::vector<std::string>(4, "###"));
    Command(ID_BACK);
    EXPECT_FALSE(page->InConfirmView());
    EXPECT_EQ(LockedCells(page->Grid()), locked);
    // The type is still in its open list when the edit button is pressed.
    page->Grid()->SetCellValue(0, 1, "1");
    PickInEditor(page->Grid(), 0, 2, "Digital Output");
    module.SetFault(Fault::AlterEcho, 45, 24);
    Confirm(page, {wxID_YES});
    EXPECT_EQ(dialogs->Messages(),
              (std::vector<wxString>{"Update configuration?: Are you sure to update I/O configuration?",
                                     "Error: Configuration saved with errors!",
                                     paneltest::RebootPrompt("Vantrel-CS-CAN")}));
    ASSERT_EQ(PageRequests().size(), 3u);
    EXPECT_EQ(Blocks(PageRequests()[2]),
              (BlockList{{45, 4, 0, {0, 1, 1, 1, 1, 1, 2, 0, 0, 3, 1, 0}}, {24, 1, 0, {7}}}));
    // The analog inputs are read whatever their index bytes, 5 as ticked, and
    // written back with the indices 0 to 3 and their own section.
    module.SetFault(Fault::None);
    module.SetIdentity("1.4.0", '4', "porch");
    VantrelADCPanel* adc = OpenFromHub<VantrelADCPanel>(ID_HUB_ADC, PANEL_ADC);
    ASSERT_NE(adc, nullptr) << testing::PrintToString(dialogs->Messages());
    adc->Grid()->SetCellValue(2, 1, "");
    adc->Grid()->SetCellValue(3, 1, "1");
    // Every cell locked while confirming, every Enable cell open again after.
    ASSERT_TRUE(Click(adc, ID_PAGE_EDIT));
    EXPECT_EQ(LockedCells(adc->Grid(), false), std::vector<std::string>(4, "##"));
    ASSERT_TRUE(Click(adc, ID_PAGE_GO_BACK));
    EXPECT_EQ(LockedCells(adc->Grid()), std::vector<std::string>(4, "#."));
    Confirm(adc, {wxID_YES});
    ASSERT_EQ(PageRequests().size(), 2u);
    EXPECT_EQ(Blocks(PageRequests()[1]),
              (BlockList{{54, 4, 0, {0, 1, 1, 0, 2, 0, 3, 1}}, {24, 1, 0, {0x0B}}}));
}

// The lines and locks of each kind of module, the same after a visit to the
// confirmation view, where every cell of every line is locked.
TEST_F(IoPage, LocksOfEachModuleTypeKeptThroughTheViews)
{
    StartModule("1.4.0", '9');
    const std::vector<std::string> types(8, "#.#"), open(8, "#..");
    // type, Idx / Enable / Type cells of each line.
    const std::pair<char, std::vector<std::string>> cases[] = {
        {'9', types},
        {'d', {types.begin(), types.begin() + 4}},
        {'C', {"###", "###", "#..", "#.."}},
        {'4', open},
    };
    for (const auto& [type, rows] : cases) {
        SCOPED_TRACE(std::string(1, type));
        module.SetIdentity("1.4.0", type, "porch");
        VantrelIOPanel* page = Open();
        ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
        EXPECT_EQ(LockedCells(page->Grid()), rows);
        ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
        EXPECT_EQ(LockedCells(page->Grid(), false), std::vector<std::string>(rows.size(), "###"));
        ASSERT_TRUE(Click(page, ID_PAGE_GO_BACK));
        EXPECT_EQ(LockedCells(page->Grid()), rows);
    }
}

// The record shown (an output type the list lacks, offset -2.5), the checks
// on the way to the confirmation view, a write the module closes on without
// a reply (back to editing with what was typed), and the write.
TEST_F(IoPage, I2cChecksFailedWriteAndWrite)
{
    module.SetElement(48, 0, {0, 0, 0x03, 0xE8, 4, 0x80, 0x19});
    StartModule("1.2.0", 'I');
    VantrelI2CPanel* page = OpenFromHub<VantrelI2CPanel>(ID_HUB_I2C, PANEL_I2C);
    ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
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
    page->PollingField()->ChangeValue("1500");
    page->OffsetField()->ChangeValue("2.35");
    module.SetFault(Fault::CloseEarly, 0, 24);
    for (bool fails : {true, false}) {
        if (!fails)
            module.SetFault(Fault::None);
        Confirm(page, {wxID_YES, wxID_NO});
        EXPECT_EQ(dialogs->Messages().at(1), fails ? wxString("Error: Vantrel module unreachable")
                                                   : paneltest::RebootPrompt("Vantrel-I2C-TH"));
        // The output type goes back as read; 2.35 is sent as 23 tenths.
        EXPECT_EQ(Blocks(PageRequests().back()),
                  (BlockList{{48, 1, 0, {0, 0, 0x05, 0xDC, 4, 0x00, 0x17}}, {24, 1, 0, {9}}}));
        if (fails) {
            ASSERT_EQ(Main()->GetPanel(PANEL_I2C), page);
            EXPECT_FALSE(page->InConfirmView());
            EXPECT_EQ(page->OffsetField()->GetValue(), "2.35");
        }
    }
    EXPECT_EQ(PageRequests().size(), 3u);
    EXPECT_EQ(Main()->currentPanel, PANEL_START);
}

// A field takes five typed characters, or as many as the value it shows:
// a longer value read is shown whole and written back as read; a polling
// time past 32 bits is refused.
TEST_F(IoPage, I2cLongValuesShownWhole)
{
    StartModule("1.2.0", 'I');
    // record read, polling and offset shown, each with three 9s typed at its end.
    const std::tuple<testmod::Bytes, std::vector<wxString>, std::vector<wxString>> cases[] = {
        {{0xFF, 0xFF, 0xFF, 0xFF, 1, 0x84, 0xD2}, {"4294967295", "-123.4"}, {"4294967295", "-123.4"}},
        {{0, 0, 0x03, 0xE8, 1, 0x00, 0x0D}, {"1000", "1.3"}, {"10009", "1.399"}},
    };
    for (const auto& [record, shown, typed] : cases) {
        SCOPED_TRACE(shown[0]);
        module.SetElement(48, 0, record);
        VantrelI2CPanel* page = OpenFromHub<VantrelI2CPanel>(ID_HUB_I2C, PANEL_I2C);
        ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
        std::vector<wxString> values, lengthened;
        for (wxTextCtrl* field : {page->PollingField(), page->OffsetField()}) {
            values.push_back(field->GetValue());
            for (int key = 0; key < 3; ++key)
                field->AppendText("9");
            lengthened.push_back(field->GetValue());
            field->ChangeValue(values.back());
        }
        EXPECT_EQ(values, shown);
        EXPECT_EQ(lengthened, typed);
        if (shown[0].length() == 10) {
            page->PollingField()->ChangeValue("4294967296");
            dialogs->Clear();
            Click(page, ID_PAGE_EDIT);
            EXPECT_EQ(dialogs->Messages(),
                      std::vector<wxString>{
                          "Polling TIME error: You must specify a valid Polling TIME from 1000 to 4294967295 ms"});
            EXPECT_FALSE(page->InConfirmView());
            page->PollingField()->ChangeValue(shown[0]);
        }
        Confirm(page, {wxID_YES, wxID_NO});
        EXPECT_EQ(Blocks(PageRequests().back()), (BlockList{{48, 1, 0, record}, {24, 1, 0, {9}}}));
    }
}

// The output type chosen goes into the record, the first and the last of the
// list alike; the form takes no input while it is being confirmed.
TEST_F(IoPage, I2cOutputTypeChosenAndFormLockedWhileConfirming)
{
    StartModule("1.2.0", 'I');
    // choice, record sent.
    const std::pair<int, testmod::Bytes> cases[] = {
        {0, {0, 0, 0x03, 0xE8, 0, 0x00, 0x0D}},
        {3, {0, 0, 0x03, 0xE8, 3, 0x00, 0x0D}},
    };
    for (const auto& [choice, record] : cases) {
        module.SetElement(48, 0, {0, 0, 0x03, 0xE8, 2, 0x00, 0x0D});
        VantrelI2CPanel* page = OpenFromHub<VantrelI2CPanel>(ID_HUB_I2C, PANEL_I2C);
        ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
        EXPECT_EQ(page->OutputCombo()->GetValue(), "CLOUD");
        page->OutputCombo()->SetSelection(choice);
        ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
        EXPECT_EQ((std::vector<bool>{page->OutputCombo()->IsEnabled(), page->PollingField()->IsEnabled(),
                                     page->OffsetField()->IsEnabled()}),
                  std::vector<bool>(3, false));
        ASSERT_TRUE(Click(page, ID_PAGE_GO_BACK));
        EXPECT_EQ((std::vector<bool>{page->OutputCombo()->IsEnabled(), page->PollingField()->IsEnabled(),
                                     page->OffsetField()->IsEnabled()}),
                  std::vector<bool>(3, true));
        Confirm(page, {wxID_YES, wxID_NO});
        EXPECT_EQ(Blocks(PageRequests().back()), (BlockList{{48, 1, 0, record}, {24, 1, 0, {9}}})) << choice;
    }
}

TEST_F(IoPage, PowersaveReadWrittenBackRefusedForOldFirmwareAndCommands)
{
    // Only Wi-Fi sleep, boot delay 300 s, sleep time 3600 s, running time 60 s.
    const testmod::Bytes Record = {1, 0x01, 0x2C, 0, 0, 0x0E, 0x10, 0, 0, 0, 0x3C, 0};
    module.SetElement(51, 0, Record);
    StartModule("1.4.0", 'S');
    VantrelPowersavePanel* page = OpenPowersave(140);
    ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
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
    dialogs->Clear();
    Click(page, ID_PAGE_EDIT);
    EXPECT_FALSE(page->InConfirmView());
    EXPECT_EQ(dialogs->Messages(),
              std::vector<wxString>{"Error: Invalid Boot Delay Time \"65536\": please enter "
                                    "a number of seconds from 0 to 65535"});
    page->BootDelayField()->ChangeValue("300");
    Confirm(page, {wxID_YES});
    EXPECT_EQ(Blocks(PageRequests().back()), (BlockList{{51, 1, 0, Record}, {24, 1, 0, {10}}}));
    // Firmware 1.3.9 is refused before any traffic: the one request since is
    // the identity read of the hub it falls back to. Then the two commands.
    dialogs->Clear();
    EXPECT_EQ(OpenPowersave(139), nullptr);
    EXPECT_EQ(dialogs->Messages(),
              std::vector<wxString>{"Error: Powersave modes are supported only on firmware >= 1.4.0"});
    ASSERT_EQ(PageRequests().size(), 1u);
    EXPECT_EQ(Blocks(PageRequests()[0]), (BlockList{{2, 1, 0, {}}, {38, 1, 0, {}}}));
    page = OpenPowersave(140);
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
    // Nothing is sent for 0, nor for a pasted negative number.
    Run(page, ID_SLEEP_NOW_TIME, "", ID_SLEEP_NOW);
    Run(page, ID_SLEEP_NOW_TIME, "-5", ID_SLEEP_NOW);
    EXPECT_EQ(dialogs->Messages(),
              std::vector<wxString>{"Error: Invalid Sleep Now Time \"-5\": please enter a "
                                    "number of seconds from 0 to 4294967295"});
    EXPECT_EQ(PageRequests().size(), 1u);
    // A running counter of 0 is sent; the page stays in its view.
    Run(page, ID_RUNNING_COUNTER_TIME, "0", ID_SET_RUNNING_COUNTER);
    EXPECT_EQ(dialogs->Messages(),
              std::vector<wxString>{"Module running: Running counter reset to 0 seconds"});
    EXPECT_EQ(Blocks(PageRequests().back()), (BlockList{{53, 1, 0, {0, 0, 0, 0}}}));
    ASSERT_EQ(Main()->GetPanel(PANEL_POWERSAVE), page);
    // Sleep now carries no section save, then the start page.
    Run(page, ID_SLEEP_NOW_TIME, "3600", ID_SLEEP_NOW);
    EXPECT_EQ(dialogs->Messages(),
              std::vector<wxString>{"Module Sleeping: Module put in Sleep for 3600 seconds"});
    EXPECT_EQ(Blocks(PageRequests().back()), (BlockList{{52, 1, 0, {1, 0, 0, 0x0E, 0x10}}}));
    EXPECT_EQ(Main()->currentPanel, PANEL_START);
}

// A field that cannot be sent is named with its own text; each command's
// button shows its field as typed; an echo that differs is told before the
// command's message.
TEST_F(IoPage, PowersaveRefusalsLabelsAndEchoErrors)
{
    StartModule("1.4.0", 'S');
    VantrelPowersavePanel* page = OpenPowersave(140);
    ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
    page->RandomBox()->SetValue(false);
    const wxString range = "\": please enter a number of seconds from 0 to 4294967295";
    // field, text, what is told.
    const std::tuple<wxTextCtrl*, const char*, wxString> refused[] = {
        {page->RunningTimeField(), "4294967296", "Error: Invalid Running Time \"4294967296" + range},
        {page->SleepTimeField(), "-1", "Error: Invalid Sleep Time \"-1" + range},
    };
    for (const auto& [field, text, told] : refused) {
        const wxString kept = field->GetValue();
        field->ChangeValue(text);
        dialogs->Clear();
        Click(page, ID_PAGE_EDIT);
        EXPECT_FALSE(page->InConfirmView());
        EXPECT_EQ(dialogs->Messages(), std::vector<wxString>{told});
        field->ChangeValue(kept);
    }
    // field, text typed, the labels of the sleep-now and running-counter buttons.
    const std::tuple<int, const char*, const char*, const char*> labels[] = {
        {ID_SLEEP_NOW_TIME, "007", "Sleep Now for 007 s", "Set Running counter to 0 s"},
        {ID_RUNNING_COUNTER_TIME, "12", "Sleep Now for 007 s", "Set Running counter to 12 s"},
        {ID_SLEEP_NOW_TIME, "", "Sleep Now for  s", "Set Running counter to 12 s"},
    };
    for (const auto& [field, text, sleepLabel, counterLabel] : labels) {
        dynamic_cast<wxTextCtrl*>(page->FindWindow(field))->SetValue(text);
        EXPECT_EQ(page->FindWindow(ID_SLEEP_NOW)->GetLabel(), sleepLabel) << text;
        EXPECT_EQ(page->FindWindow(ID_SET_RUNNING_COUNTER)->GetLabel(), counterLabel) << text;
    }
    // datablock whose echo is altered, field, text, button, record sent, what is told.
    const std::tuple<int, int, const char*, int, testmod::Bytes, std::vector<wxString>> echoes[] = {
        {53,
         ID_RUNNING_COUNTER_TIME,
         "5",
         ID_SET_RUNNING_COUNTER,
         {0, 0, 0, 5},
         {"Error: Set Running counter error!", "Module running: Running counter reset to 5 seconds"}},
        {52,
         ID_SLEEP_NOW_TIME,
         "007",
         ID_SLEEP_NOW,
         {1, 0, 0, 0, 7},
         {"Error: Sleep now error!", "Module Sleeping: Module put in Sleep for 7 seconds"}},
    };
    for (const auto& [block, field, text, button, record, told] : echoes) {
        module.SetFault(Fault::AlterEcho, block);
        Run(page, field, text, button);
        EXPECT_EQ(dialogs->Messages(), told);
        EXPECT_EQ(Blocks(PageRequests().back()), (BlockList{{block, 1, 0, record}}));
    }
    EXPECT_EQ(Main()->currentPanel, PANEL_START);
}

}  // namespace
