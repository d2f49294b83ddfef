// The CAN bus page against a test module: its first view and checks, the
// signal and message lists read in chunks, the Dec/Hex switch, the row
// checks, and the exact commands of a write.
#include <wx/combobox.h>
#include <wx/grid.h>

#include <fstream>

#include "HubLogic.h"
#include "VantrelCanbusPanel.h"
#include "canbus_page_util.h"

using namespace paneltest;
using testmod::Bytes;
using testmod::Fault;

namespace {

const wxString Updated =
    "Updated!: CANBUS configuration updated\n\nA module reboot is required to prevent the loss of "
    "configuration!";

class CanbusPage : public CanPageTest {
protected:
    void Start(uint32_t speed, uint8_t acquisition)
    {
        module.SetElement(DATABLOCK_CAN_SETTINGS, 0, CanSettingsElement(speed, acquisition, 0x2A));
        StartModule("1.4.3", 'A');
    }
    VantrelCanbusPanel* Open() { return OpenFromHub<VantrelCanbusPanel>(ID_HUB_CANBUS, PANEL_CANBUS); }
    static std::vector<wxString> Row(wxGrid* grid, int r)
    {
        std::vector<wxString> cells;
        for (int c = 0; c < grid->GetNumberCols(); ++c)
            cells.push_back(grid->GetCellValue(r, c));
        return cells;
    }
    void Confirm(VantrelCanbusPanel* page)
    {
        ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
        ASSERT_TRUE(page->InConfirmView());
        Click(page, ID_PAGE_CONFIRM);
        guitest::Pump();
    }
};

TEST_F(CanbusPage, SignalListReadEditedInHexAndWritten)
{
    module.SetElement(DATABLOCK_CAN_SIGNALS, 0, {0, 0, 1, 0x23, 0, 8, 16, 1});
    module.SetElement(DATABLOCK_CAN_SIGNALS, 13, {0, 0, 0, 5, 7, 0, 8, 9});
    Start(125000, 0);
    VantrelCanbusPanel* page = Open();
    ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
    EXPECT_EQ(RequestsFrom(0), (std::vector<BlockList>{{{44, 1, 0, {}}}}));
    EXPECT_EQ(page->SpeedCombo()->GetValue(), "125000");
    EXPECT_EQ(page->SelectionCombo()->GetValue(), "Selected signals (14 maximum)");

    ASSERT_TRUE(Click(page, ID_CAN_EDIT_MESSAGES));
    ASSERT_TRUE(page->InListView());
    EXPECT_EQ(RequestsFrom(1), ListReads(41, 7, {0, 7}));
    wxGrid* grid = page->Grid();
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(grid->GetNumberRows(), 14);
    EXPECT_EQ(Row(grid, 0), (std::vector<wxString>{"0", "291", "Standard", "8", "16", "Motorola"}));
    EXPECT_EQ(Row(grid, 13), (std::vector<wxString>{"13", "5", "Standard", "0", "8", "Intel"}));
    EXPECT_FALSE(page->SpeedCombo()->IsEnabled());

    ChooseBase(page, 1);
    EXPECT_EQ(grid->GetCellValue(0, 1), "123");
    grid->SetCellValue(1, 1, "10");
    grid->SetCellValue(1, 4, "8");
    EXPECT_TRUE(SaveScreenshot("canbus-signals.png"));

    // The file holds decimal ids while the grid shows Hex, and loads back in Hex.
    const std::string file = dir->File("signals.csv");
    dialogs->FilePath(file);
    ASSERT_TRUE(Click(page, ID_CAN_SAVE));
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[0], "291,0,8,16,1");
    EXPECT_EQ(lines[1], "16,0,0,8,0");
    grid->SetCellValue(0, 1, "0");
    grid->SetCellValue(0, 5, "Intel");
    dialogs->FilePath(file);
    ASSERT_TRUE(Click(page, ID_CAN_LOAD));
    EXPECT_EQ(Row(grid, 0), (std::vector<wxString>{"0", "123", "Standard", "8", "16", "Motorola"}));
    EXPECT_EQ(dialogs->Messages(), (std::vector<wxString>{"Save to file: ", "Load file: "}));
    dialogs->Clear();

    dialogs->Answer(wxID_YES);
    dialogs->Answer(wxID_OK);
    dialogs->Answer(wxID_NO);
    Confirm(page);
    EXPECT_EQ(dialogs->Messages(), (std::vector<wxString>{CanQuestion, Updated, CanReboot}));
    const Bytes first = Chunk(7, 8, {{0, {0, 0, 1, 0x23, 0, 8, 16, 1}}, {1, {0, 0, 0, 16, 0, 0, 8, 0}}});
    const Bytes second = Chunk(7, 8, {{6, {0, 0, 0, 5, 0, 0, 8, 0}}});
    // The speed's bit timing, the code of signals with XML, byte 10 as read.
    EXPECT_EQ(RequestsFrom(3),
              (std::vector<BlockList>{
                  {{41, 7, 0, first}},
                  {{41, 7, 7, second}},
                  {{24, 1, 0, {5}}},
                  {{44, 1, 0, {0x00, 0x01, 0xE8, 0x48, 3, 2, 1, 1, 1, 0, 0x2A}}, {24, 1, 0, {6}}},
              }));
    EXPECT_EQ(Main()->currentPanel, PANEL_START);
}

TEST_F(CanbusPage, MessageListRowChecksAndWrite)
{
    module.SetElement(DATABLOCK_CAN_MESSAGES, 3, {0, 0, 0x07, 0xFF, 255});
    module.SetElement(DATABLOCK_CAN_MESSAGES, 31, {0x1F, 0xFF, 0xFF, 0xFF, 1});
    module.SetElement(DATABLOCK_CAN_MESSAGES, 32, {0, 0, 0, 1, 0});
    Start(20000, 4);
    VantrelCanbusPanel* page = Open();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->SelectionCombo()->GetValue(), "Selected messages (32 maximum)");
    EXPECT_EQ(page->OutputCombo()->GetValue(), "CSV");
    ASSERT_TRUE(Click(page, ID_CAN_EDIT_MESSAGES));
    EXPECT_EQ(RequestsFrom(1), ListReads(40, 8, {0, 8, 16, 24}));
    wxGrid* grid = page->Grid();
    ASSERT_EQ(grid->GetNumberRows(), 32);
    EXPECT_EQ(Row(grid, 3), (std::vector<wxString>{"0", "2047", "Standard"}));
    EXPECT_EQ(Row(grid, 31), (std::vector<wxString>{"1", "536870911", "Extended"}));

    // A standard id one above its limit: told, marked red, no view switch.
    grid->SetCellValue(0, 1, "2048");
    ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
    EXPECT_EQ(dialogs->Messages(), std::vector<wxString>{"Max 0x7FF: Msg ID max 0x7FF"});
    EXPECT_FALSE(page->InConfirmView());
    EXPECT_EQ(grid->GetCellTextColour(0, 1), wxColour(255, 0, 0));
    EXPECT_EQ(PageRequests().size(), 5u);

    grid->SetCellValue(0, 1, "2047");
    ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
    ASSERT_TRUE(page->InConfirmView());
    EXPECT_EQ(grid->GetCellTextColour(0, 1), wxColour(0, 0, 0));
    EXPECT_TRUE(grid->IsReadOnly(0, 1));
    dialogs->Clear();
    dialogs->Answer(wxID_YES);
    dialogs->Answer(wxID_OK);
    dialogs->Answer(wxID_YES);
    Click(page, ID_PAGE_CONFIRM);
    guitest::Pump();
    EXPECT_EQ(dialogs->Messages(), (std::vector<wxString>{CanQuestion, Updated, CanReboot}));
    std::vector<BlockList> writes = RequestsFrom(5);
    ASSERT_EQ(writes.size(), 7u) << "six writes, then the hub's read";
    writes.pop_back();
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        ASSERT_EQ(writes[k].size(), 1u);
        EXPECT_EQ(std::get<0>(writes[k][0]), 40);
        EXPECT_EQ(std::get<1>(writes[k][0]), 8);
        EXPECT_EQ(std::get<2>(writes[k][0]), 8 * k);
    }
    // Row 3 was not enabled: written with type 2; element 32 is never touched.
    EXPECT_EQ(module.Element(40, 0), (Bytes{0, 0, 0x07, 0xFF, 0}));
    EXPECT_EQ(module.Element(40, 3), (Bytes{0, 0, 0x07, 0xFF, 2}));
    EXPECT_EQ(module.Element(40, 31), (Bytes{0x1F, 0xFF, 0xFF, 0xFF, 1}));
    EXPECT_EQ(module.Element(40, 32), (Bytes{0, 0, 0, 1, 0}));
    EXPECT_EQ(writes[4], (BlockList{{24, 1, 0, {5}}}));
    EXPECT_EQ(writes[5],
              (BlockList{{44, 1, 0, {0, 0, 0x4E, 0x20, 7, 7, 2, 2, 1, 4, 0x2A}}, {24, 1, 0, {6}}}));
    EXPECT_EQ(Main()->currentPanel, PANEL_MODULE);
}

// The first view's checks, a list that cannot be read, the rebuild by the
// list view's back button, and Back in each view.
TEST_F(CanbusPage, FirstViewChecksFailedReadRebuildAndBack)
{
    Start(1000001, 6);
    wxWeakRef<VantrelCanbusPanel> page = Open();
    ASSERT_TRUE(page);
    EXPECT_EQ(page->SpeedCombo()->GetValue(), "1000001") << "a speed outside the list is offered after it";
    EXPECT_EQ(page->SpeedCombo()->GetCount(), 12u);
    EXPECT_EQ(page->OutputCombo()->GetValue(), "Native");

    page->SelectionCombo()->SetSelection(0);
    Click(page, ID_CAN_EDIT_MESSAGES);
    page->SelectionCombo()->SetSelection(1);
    Click(page, ID_CAN_EDIT_MESSAGES);
    EXPECT_EQ(dialogs->Messages(),
              (std::vector<wxString>{
                  "Error!: Selection type \"Selected Signale\" not allowed for \"Native\" output type",
                  "Error!: Baudrate value maximum value: 1000000"}));
    EXPECT_EQ(PageRequests().size(), 1u);

    // The list read fails: reported, and the first view stays as it was.
    page->SpeedCombo()->SetSelection(10);
    module.SetFault(Fault::MissingBlock, 40, 40);
    dialogs->Clear();
    Click(page, ID_CAN_EDIT_MESSAGES);
    EXPECT_EQ(dialogs->Messages(), std::vector<wxString>{"Error: datablock not found"});
    EXPECT_EQ(PageRequests().size(), 2u);
    EXPECT_FALSE(page->InListView());
    EXPECT_TRUE(page->SpeedCombo()->IsEnabled());
    EXPECT_EQ(page->Grid(), nullptr);
    EXPECT_NE(page->FindWindow(ID_CAN_EDIT_MESSAGES), nullptr);

    module.SetFault(Fault::None);
    ASSERT_TRUE(Click(page, ID_CAN_EDIT_MESSAGES));
    ASSERT_TRUE(page->InListView());
    EXPECT_EQ(PageRequests().size(), 6u);

    // Back 37 builds the page anew from a new read.
    module.SetElement(DATABLOCK_CAN_SETTINGS, 0, CanSettingsElement(125000, 6, 0));
    ASSERT_TRUE(Click(page, ID_CAN_REBUILD));
    guitest::Pump();
    EXPECT_TRUE(guitest::WaitFor([&] { return !page; }, 2000));
    wxWeakRef<VantrelCanbusPanel> fresh = dynamic_cast<VantrelCanbusPanel*>(Main()->GetPanel(PANEL_CANBUS));
    ASSERT_TRUE(fresh);
    EXPECT_FALSE(fresh->InListView());
    EXPECT_EQ(PageRequests().size(), 7u);
    EXPECT_EQ(Blocks(PageRequests()[6]), (BlockList{{44, 1, 0, {}}}));

    // After a confirmation view the list view's back button is Back; the
    // Back command returns to the list view from it, then leaves the page.
    ASSERT_TRUE(Click(fresh, ID_CAN_EDIT_MESSAGES));
    ASSERT_TRUE(Click(fresh, ID_PAGE_EDIT));
    Command(ID_BACK);
    guitest::Pump();
    ASSERT_TRUE(fresh);
    EXPECT_FALSE(fresh->InConfirmView());
    EXPECT_TRUE(fresh->InListView());
    EXPECT_EQ(fresh->FindWindow(ID_CAN_REBUILD), nullptr);
    EXPECT_NE(fresh->FindWindow(ID_BACK), nullptr);
    Command(ID_BACK);
    EXPECT_EQ(Main()->currentPanel, PANEL_MODULE);
    EXPECT_TRUE(guitest::WaitFor([&] { return !fresh; }, 2000));
}

}  // namespace
