// The CAN bus and CAN actuation pages against a test module.
#include <wx/combobox.h>
#include <wx/grid.h>
#include <wx/radiobox.h>
#include <wx/textctrl.h>
#include <wx/valtext.h>

#include <map>

#include "HubLogic.h"
#include "VantrelCanbusActuactionPanel.h"
#include "VantrelCanbusPanel.h"
#include "cmd_error.h"
#include "page_fixture.h"

using namespace paneltest;
using testmod::Bytes;
using testmod::Fault;

namespace {

using Requests = std::vector<BlockList>;

const wxString Question = "Update configuration?: Are you sure to update module CANBUS configuration?";
const wxString Updated =
    "Updated!: CANBUS configuration updated\n\nA module reboot is required to prevent the loss of "
    "configuration!";
const wxString Reboot = RebootPrompt("Vantrel-S-CAN");

// Datablock 44 as written at 20000 bit/s (its bit timing), then bytes 9 and 10.
BlockList Settings20k(uint8_t acquisition, uint8_t actuation)
{
    return {{44, 1, 0, {0, 0, 0x4E, 0x20, 7, 7, 2, 2, 1, acquisition, actuation}}, {24, 1, 0, {6}}};
}

// List `id` of `size`-byte elements, zero but for those of `set` it has,
// written in its chunks; then the lists' save alone, and the settings.
Requests ListWrites(uint16_t id, int chunk, int elements, size_t size, const std::map<int, Bytes>& set,
                    const BlockList& settings)
{
    Bytes all(elements * size, 0);
    for (const auto& [index, bytes] : set)
        if (index < elements)
            std::copy(bytes.begin(), bytes.end(), all.begin() + long(index * size));
    Requests out;
    for (int k = 0; k < elements; k += chunk)
        out.push_back(
            {{id, chunk, k, Bytes(all.begin() + long(k * size), all.begin() + long((k + chunk) * size))}});
    out.push_back({{24, 1, 0, {5}}});
    out.push_back(settings);
    return out;
}

// The input mode of a cell's editor, from the text control a copy of it
// makes: whether it admits hexadecimal digits and how many characters it
// takes; -1 for any other editor.
int EditorMode(wxGrid* grid, int row, int col)
{
    wxGridCellEditor* editor = grid->GetCellEditor(row, col);
    wxGridCellEditor* copy = editor->Clone();
    editor->DecRef();
    copy->Create(grid->GetGridWindow(), wxID_ANY, new wxEvtHandler);
    auto* text = wxDynamicCast(copy->GetWindow(), wxTextCtrl);
    int mode = -1;
    if (text) {
        for (char digit = '0'; digit <= '9'; ++digit)
            text->WriteText(wxString(digit));
        const auto* filter = dynamic_cast<wxTextValidator*>(text->GetValidator());
        const bool hex = filter && filter->IsValid("abcdef").empty();
        const std::tuple<bool, size_t, int> modes[] = {
            {false, 3, 3}, {false, 4, 4}, {false, 9, 5}, {true, 3, 6}, {true, 8, 7}};
        for (const auto& [isHex, length, m] : modes)
            if (hex == isHex && text->GetValue().length() == length)
                mode = m;
    }
    copy->Destroy();
    copy->DecRef();
    return mode;
}

class CanPages : public PageTest {
protected:
    // Datablock 44 of the module. Bytes 4-8 hold no timing: a write must send the speed's own.
    void SetCanSettings(uint32_t speed, uint8_t acquisition, uint8_t actuation)
    {
        module.SetElement(DATABLOCK_CAN_SETTINGS, 0,
                          {uint8_t(speed >> 24), uint8_t(speed >> 16), uint8_t(speed >> 8), uint8_t(speed), 9,
                           9, 9, 9, 9, acquisition, actuation});
    }
    CanPage* Open(bool actuation)
    {
        if (actuation)
            return OpenFromHub<VantrelCanbusActuactionPanel>(ID_HUB_CANBUS_ACTUATION, PANEL_CANBUS_ACTUATION);
        return OpenFromHub<VantrelCanbusPanel>(ID_HUB_CANBUS, PANEL_CANBUS);
    }
    // The blocks of each request from the `from`-th one since the page was asked for.
    Requests RequestsFrom(size_t from)
    {
        Requests out;
        const std::vector<testmod::Frame> all = PageRequests();
        for (size_t i = from; i < all.size(); ++i)
            out.push_back(Blocks(all[i]));
        return out;
    }
};

TEST_F(CanPages, SignalListReadEditedInHexAndWritten)
{
    module.SetElement(DATABLOCK_CAN_SIGNALS, 0, {0, 0, 1, 0x23, 0, 8, 16, 1});
    module.SetElement(DATABLOCK_CAN_SIGNALS, 2, {0, 0, 0, 0x20, 1, 4, 8, 0});
    module.SetElement(DATABLOCK_CAN_SIGNALS, 13, {0, 0, 0, 5, 7, 0, 8, 9});
    SetCanSettings(125000, 0, 0x2A);
    StartModule("1.4.3", 'A');
    CanPage* page = Open(false);
    ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
    ASSERT_TRUE(Click(page, ID_CAN_EDIT_MESSAGES));
    // The settings' read, then the list in chunks of 7.
    EXPECT_EQ(RequestsFrom(0), (Requests{{{44, 1, 0, {}}}, {{41, 7, 0, {}}}, {{41, 7, 7, {}}}}));
    wxGrid* grid = page->Grid();
    ASSERT_TRUE(grid && grid->GetNumberRows() == 14);
    // Msg_ID editors by the row's id type (row 2 extended), start bit and
    // length 3 digits; Num alone is locked.
    const auto modes = [&] {
        return std::vector<int>{EditorMode(grid, 0, 1), EditorMode(grid, 2, 1), EditorMode(grid, 2, 3),
                                EditorMode(grid, 2, 4)};
    };
    EXPECT_EQ(modes(), (std::vector<int>{4, 5, 3, 3}));
    EXPECT_EQ(std::vector<bool>({grid->IsReadOnly(0, 0), grid->IsReadOnly(0, 1), grid->IsReadOnly(0, 3)}),
              std::vector<bool>({true, false, false}));
    // The Hex choice as a click would make it.
    page->IdFormatBox()->SetSelection(1);
    wxCommandEvent hex(wxEVT_RADIOBOX, ID_CAN_ID_FORMAT);
    hex.SetInt(1);
    page->IdFormatBox()->ProcessWindowEvent(hex);
    EXPECT_EQ(modes(), (std::vector<int>{6, 7, 3, 3}));
    EXPECT_EQ(grid->GetCellValue(2, 1), "20");
    grid->SetCellValue(1, 1, "10");
    grid->SetCellValue(1, 4, "8");
    EXPECT_TRUE(SaveScreenshot("canbus-signals.png"));
    // The file holds decimal ids while the grid shows Hex; row 0 loads back in Hex.
    const std::string file = dir->File("signals.csv");
    dialogs->FilePath(file);
    ASSERT_TRUE(Click(page, ID_CAN_SAVE));
    EXPECT_EQ(ReadFile(file).substr(0, 24), "291,0,8,16,1\n16,0,0,8,0\n");
    grid->SetCellValue(0, 1, "0");
    grid->SetCellValue(0, 5, "Intel");
    dialogs->FilePath(file);
    ASSERT_TRUE(Click(page, ID_CAN_LOAD));
    EXPECT_EQ(grid->GetCellValue(0, 5), "Motorola");
    // A row's start bit, then its length: the cell at fault red, the tested
    // one before it black again.
    const wxColour red(255, 0, 0), black(0, 0, 0);
    const std::tuple<const char*, const char*, wxString, wxColour, wxColour> rowFaults[] = {
        {"256", "8", "Max 255: Start Bit max 255", red, black},
        {"255", "0", "Max 255: Length max 255", black, red},
    };
    for (const auto& [start, length, message, startColour, lengthColour] : rowFaults) {
        grid->SetCellValue(2, 3, start);
        grid->SetCellValue(2, 4, length);
        dialogs->Clear();
        Click(page, ID_PAGE_EDIT);
        EXPECT_EQ(dialogs->Messages(), std::vector<wxString>{message});
        EXPECT_EQ(
            std::tuple(grid->GetCellTextColour(2, 3), grid->GetCellTextColour(2, 4), page->InConfirmView()),
            std::tuple(startColour, lengthColour, false));
    }
    grid->SetCellValue(2, 3, "4");
    grid->SetCellValue(2, 4, "8");
    // Load is closed while confirming; back in the list view Num stays locked.
    wxWindow* load = page->FindWindow(ID_CAN_LOAD);
    ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
    EXPECT_EQ(std::tuple(page->InConfirmView(), load->IsEnabled(), grid->IsReadOnly(0, 3)),
              std::tuple(true, false, true));
    Command(ID_BACK);
    EXPECT_EQ(
        std::tuple(page->InConfirmView(), load->IsEnabled(), grid->IsReadOnly(0, 0), grid->IsReadOnly(0, 3)),
        std::tuple(false, true, true, false));
    EXPECT_EQ(std::tuple(grid->GetCellTextColour(2, 3), grid->GetCellTextColour(2, 4)),
              std::tuple(black, black));
    Confirm(page, {wxID_YES, wxID_OK, wxID_NO});
    EXPECT_EQ(dialogs->Messages(), (std::vector<wxString>{Question, Updated, Reboot}));
    // The speed's bit timing, the code of signals with XML, byte 10 as read.
    EXPECT_EQ(RequestsFrom(3),
              ListWrites(41, 7, 14, 8,
                         {{0, {0, 0, 1, 0x23, 0, 8, 16, 1}},
                          {1, {0, 0, 0, 16, 0, 0, 8, 0}},
                          {2, {0, 0, 0, 0x20, 1, 4, 8, 0}},
                          {13, {0, 0, 0, 5, 0, 0, 8, 0}}},
                         {{44, 1, 0, {0x00, 0x01, 0xE8, 0x48, 3, 2, 1, 1, 1, 0, 0x2A}}, {24, 1, 0, {6}}}));
}

// The first view's checks and an unreadable list leave it as it was; the list
// view's back button builds the page anew from a new read. A standard id one
// past its limit is marked red; row 3, not enabled, is written with type 2.
TEST_F(CanPages, MessageListChecksFailedReadRebuildBackAndWrite)
{
    module.SetElement(DATABLOCK_CAN_MESSAGES, 3, {0, 0, 0x07, 0xFF, 255});
    module.SetElement(DATABLOCK_CAN_MESSAGES, 31, {0x1F, 0xFF, 0xFF, 0xFF, 1});
    SetCanSettings(1000001, 6, 0);
    StartModule("1.4.3", 'A');
    wxWeakRef<CanPage> page = Open(false);
    ASSERT_TRUE(page);
    EXPECT_EQ(page->SpeedCombo()->GetValue(), "1000001") << "a speed outside the list is offered after it";
    page->SelectionCombo()->SetSelection(0);
    Click(page, ID_CAN_EDIT_MESSAGES);
    page->SelectionCombo()->SetSelection(1);
    Click(page, ID_CAN_EDIT_MESSAGES);
    page->SpeedCombo()->SetSelection(10);
    module.SetFault(Fault::MissingBlock, 40, 40);
    Click(page, ID_CAN_EDIT_MESSAGES);
    EXPECT_EQ(dialogs->Messages(),
              (std::vector<wxString>{
                  "Error!: Selection type \"Selected Signale\" not allowed for \"Native\" output type",
                  "Error!: Baudrate value maximum value: 1000000", "Error: datablock not found"}));
    EXPECT_EQ(PageRequests().size(), 2u);
    EXPECT_EQ(std::tuple(page->InListView(), page->SpeedCombo()->IsEnabled(), page->Grid()),
              std::tuple(false, true, nullptr));
    module.SetFault(Fault::None);
    ASSERT_TRUE(Click(page, ID_CAN_EDIT_MESSAGES));
    SetCanSettings(20000, 4, 0x2A);
    ASSERT_TRUE(Click(page, ID_CAN_REBUILD));
    EXPECT_TRUE(guitest::WaitFor([&] { return !page; }, 2000));
    wxWeakRef<VantrelCanbusPanel> fresh = dynamic_cast<VantrelCanbusPanel*>(Main()->GetPanel(PANEL_CANBUS));
    ASSERT_TRUE(fresh);
    ASSERT_TRUE(Click(fresh, ID_CAN_EDIT_MESSAGES));
    EXPECT_EQ(
        RequestsFrom(6),
        (Requests{
            {{44, 1, 0, {}}}, {{40, 8, 0, {}}}, {{40, 8, 8, {}}}, {{40, 8, 16, {}}}, {{40, 8, 24, {}}}}));
    wxGrid* grid = fresh->Grid();
    ASSERT_TRUE(grid && grid->GetNumberRows() == 32);
    // Back goes from the confirmation view to the list view.
    ASSERT_TRUE(Click(fresh, ID_PAGE_EDIT));
    Command(ID_BACK);
    EXPECT_EQ(std::tuple(fresh->InListView(), grid->IsReadOnly(0, 1)), std::tuple(true, false));
    grid->SetCellValue(0, 1, "2048");
    dialogs->Clear();
    ASSERT_TRUE(Click(fresh, ID_PAGE_EDIT));
    EXPECT_EQ(dialogs->Messages(), std::vector<wxString>{"Max 0x7FF: Msg ID max 0x7FF"});
    EXPECT_FALSE(fresh->InConfirmView());
    EXPECT_EQ(grid->GetCellTextColour(0, 1), wxColour(255, 0, 0));
    grid->SetCellValue(0, 1, "2047");
    dialogs->Clear();
    for (int answer : {wxID_YES, wxID_OK, wxID_YES})
        dialogs->Answer(answer);
    ASSERT_TRUE(Click(fresh, ID_PAGE_EDIT));
    EXPECT_EQ(std::tuple(grid->GetCellTextColour(0, 1), grid->IsReadOnly(0, 1)),
              std::tuple(wxColour(0, 0, 0), true));
    Click(fresh, ID_PAGE_CONFIRM);
    guitest::Pump();
    EXPECT_EQ(dialogs->Messages(), (std::vector<wxString>{Question, Updated, Reboot}));
    Requests writes = ListWrites(
        40, 8, 32, 5, {{0, {0, 0, 7, 0xFF, 0}}, {3, {0, 0, 7, 0xFF, 2}}, {31, {0x1F, 0xFF, 0xFF, 0xFF, 1}}},
        Settings20k(4, 0x2A));
    writes.push_back({{2, 1, 0, {}}, {38, 1, 0, {}}});
    EXPECT_EQ(RequestsFrom(11), writes);
    EXPECT_EQ(Main()->currentPanel, PANEL_MODULE);
}

// What each actuation selection sends, and where the sequence stops. A list
// element's type above 1 is read as standard; byte 9 belongs to the CAN bus
// page and goes back as read.
TEST_F(CanPages, ActuationCommandsBySelectionAndFailures)
{
    const wxString notSent = "Error: Vantrel module unreachable";  // the half reply left no code
    const wxString echoError = "Error: Configuration saved with errors!";
    struct Case {
        uint8_t selection;
        Fault fault;
        int param, onlyWith;
        std::vector<wxString> messages;
        size_t reads;   // the settings, then the list's chunks where the selection has a list
        size_t writes;  // how many of the list's chunks, its save and the settings
        int panel;      // where the user is afterwards; on this page, its confirmation view
    } cases[] = {
        {0, Fault::None, 0, -1, {Question, Reboot}, 1, 2, PANEL_START},
        {2, Fault::None, 0, -1, {Question, Reboot}, 1, 2, PANEL_START},           // NONE
        {1, Fault::AlterEcho, 47, 47, {Question, echoError}, 5, 1, PANEL_START},  // a list chunk's echo
        {4, Fault::AlterEcho, 24, 24, {Question, echoError}, 5, 5, PANEL_START},  // the lists' save echo
        {3, Fault::CloseEarly, 0, 44, {Question, notSent}, 1, 2, PANEL_CANBUS_ACTUATION},
    };
    module.SetElement(DATABLOCK_CAN_EXEC_MESSAGES, 0, {0, 0, 1, 0x23, 0});
    module.SetElement(DATABLOCK_CAN_EXEC_MESSAGES, 5, {0, 0, 0, 9, 7});
    StartModule("1.4.3", 'A');
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.selection));
        module.SetFault(Fault::None);
        SetCanSettings(20000, 7, c.selection);
        CanPage* page = Open(true);
        ASSERT_NE(page, nullptr);
        ASSERT_TRUE(Click(page, ID_CAN_EDIT_MESSAGES));
        ASSERT_EQ(PageRequests().size(), c.reads);
        module.SetFault(c.fault, c.param, c.onlyWith);
        cmd_set_error(0);  // a half reply leaves the last error as an earlier test left it
        Confirm(page, {wxID_YES, wxID_NO});
        EXPECT_EQ(dialogs->Messages(), c.messages);
        const Requests all =
            ListWrites(47, 8, c.reads == 5 ? 32 : 0, 5, {{0, {0, 0, 1, 0x23, 0}}, {5, {0, 0, 0, 9, 0}}},
                       Settings20k(7, c.selection));
        EXPECT_EQ(RequestsFrom(c.reads), Requests(all.begin(), all.begin() + long(c.writes)));
        EXPECT_EQ(Main()->currentPanel, c.panel);
        EXPECT_TRUE(c.panel != PANEL_CANBUS_ACTUATION || page->InConfirmView());
    }
}

// The first view by firmware and datablock 44, and what a write sends back:
// the speed chosen in the list, the page's own selection, the other page's
// byte as read. The CAN bus page refuses a speed of 0, the actuation page
// writes it; an echo error there still ends with the reboot prompt.
TEST_F(CanPages, FirstViewByFirmwareAndTheSettingsWritten)
{
    const wxString bus = "Vantrel-S-CAN CANBUS Configuration",
                   actuation = "Vantrel-S-CAN CANBUS Execution Configuration";
    const std::vector<wxString> written = {Question, Updated, Reboot};
    struct Case {
        bool actuation;
        const char* firmware;
        uint32_t speed;
        uint8_t acquisition, execution;  // bytes 9 and 10 read
        wxString title, speedShown;
        int selection, output;  // output -1: no such box
        unsigned selections, outputs;
        int chosenSpeed;  // the list entry chosen before Edit; -1 none
        bool echoError;   // the lists' save echoed wrong
        std::vector<wxString> messages;
        BlockList last;  // the last request the module got
    } cases[] = {
        // clang-format off
        // Code 7 is Native: not offered, it shows "All messages" with XML, written as 2.
        {false, "1.4.2", 125000, 7, 3, bus, "125000", 2, 0, 4, 2, 0, false, written, Settings20k(2, 3)},
        {false, "1.4.3", 0, 8, 1, bus, "0", 3, 0, 4, 3, -1, false,
         {"Error!: Baudrate value maximum value: 1000000"}, {{44, 1, 0, {}}}},
        {false, "1.4.3", 50000, 5, 1, bus, "50000", 2, 1, 4, 3, -1, true,
         {Question, "Error: Configuration saved with errors!", Reboot}, {{24, 1, 0, {5}}}},
        // Byte 3 is Native: not offered, it shows its CSV entry.
        {true, "1.4.2", 0, 7, 3, actuation, "0", 0, -1, 3, 0, -1, false, {Question, Reboot},
         {{44, 1, 0, {0, 0, 0, 0, 3, 2, 1, 1, 1, 7, 0}}, {24, 1, 0, {6}}}},
        {true, "1.4.3", 20000, 6, 3, actuation, "20000", 3, -1, 5, 0, 10, false, {Question, Reboot},
         {{44, 1, 0, {0, 0x0F, 0x42, 0x40, 3, 2, 1, 1, 1, 6, 3}}, {24, 1, 0, {6}}}},
        // clang-format on
    };
    StartModule("1.4.3", 'A');
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title + " " + c.firmware + " " + c.speedShown);
        module.SetFault(Fault::None);
        module.SetIdentity(c.firmware, 'A', "porch");
        SetCanSettings(c.speed, c.acquisition, c.execution);
        CanPage* page = Open(c.actuation);
        ASSERT_NE(page, nullptr);
        auto* busPage = dynamic_cast<VantrelCanbusPanel*>(page);
        const wxComboBox* output = busPage ? busPage->OutputCombo() : nullptr;
        EXPECT_TRUE(apptest::ShowsText(page, c.title));
        EXPECT_EQ(std::tuple(page->SpeedCombo()->GetValue(), page->SelectionCombo()->GetSelection(),
                             page->SelectionCombo()->GetCount(), output ? output->GetSelection() : -1,
                             output ? output->GetCount() : 0u),
                  std::tuple(c.speedShown, c.selection, c.selections, c.output, c.outputs));
        if (c.chosenSpeed >= 0)
            page->SpeedCombo()->SetSelection(c.chosenSpeed);
        dialogs->Clear();
        ASSERT_TRUE(Click(page, ID_CAN_EDIT_MESSAGES));
        if (page->InListView()) {
            module.SetFault(c.echoError ? Fault::AlterEcho : Fault::None, DATABLOCK_SAVE, DATABLOCK_SAVE);
            Confirm(page, c.actuation ? std::vector<int>{wxID_YES, wxID_NO}
                                      : std::vector<int>{wxID_YES, wxID_OK, wxID_NO});
        }
        EXPECT_EQ(dialogs->Messages(), c.messages);
        EXPECT_EQ(Blocks(module.Requests().back()), c.last);
    }
}

}  // namespace
