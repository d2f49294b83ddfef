// The CAN actuation page against a test module: the execution message list
// read and written in chunks, the commands of each selection, and where an
// echo error or a failed command leaves the user.
#include <wx/combobox.h>
#include <wx/grid.h>

#include "HubLogic.h"
#include "VantrelCanbusActuactionPanel.h"
#include "canbus_page_util.h"

using namespace paneltest;
using testmod::Bytes;
using testmod::Fault;

namespace {

class ActuationPage : public CanPageTest {
protected:
    // Byte 9 belongs to the CAN bus page: every write sends it back as read.
    void SetSelection(uint8_t actuation)
    {
        module.SetElement(DATABLOCK_CAN_SETTINGS, 0, CanSettingsElement(20000, 7, actuation));
    }
    VantrelCanbusActuactionPanel* Open()
    {
        return OpenFromHub<VantrelCanbusActuactionPanel>(ID_HUB_CANBUS_ACTUATION, PANEL_CANBUS_ACTUATION);
    }
    // Through the list view to the confirmation view, then confirmed.
    void EditAndConfirm(VantrelCanbusActuactionPanel* page)
    {
        ASSERT_TRUE(Click(page, ID_PAGE_EDIT));
        ASSERT_TRUE(page->InConfirmView());
        Click(page, ID_PAGE_CONFIRM);
        guitest::Pump();
    }
    static BlockList Settings(uint8_t actuation)
    {
        return {{44, 1, 0, {0, 0, 0x4E, 0x20, 7, 7, 2, 2, 1, 7, actuation}}, {24, 1, 0, {6}}};
    }
};

TEST_F(ActuationPage, SelectedMessagesReadEditedInHexAndWritten)
{
    module.SetElement(DATABLOCK_CAN_EXEC_MESSAGES, 0, {0, 0, 1, 0x23, 0});
    module.SetElement(DATABLOCK_CAN_EXEC_MESSAGES, 5, {0, 0, 0, 9, 7});
    SetSelection(1);
    StartModule("1.4.3", 'A');
    VantrelCanbusActuactionPanel* page = Open();
    ASSERT_NE(page, nullptr) << testing::PrintToString(dialogs->Messages());
    EXPECT_EQ(page->SpeedCombo()->GetValue(), "20000");
    EXPECT_EQ(page->SelectionCombo()->GetCount(), 5u);
    EXPECT_EQ(page->SelectionCombo()->GetValue(), "Selected messages (50 maximum) - CSV");

    ASSERT_TRUE(Click(page, ID_CAN_EDIT_MESSAGES));
    EXPECT_EQ(RequestsFrom(1), ListReads(47, 8, {0, 8, 16, 24}));
    wxGrid* grid = page->Grid();
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(grid->GetNumberRows(), 32);
    EXPECT_EQ(grid->GetCellValue(31, 0), "31");
    EXPECT_EQ(grid->GetCellValue(5, 1), "9");
    EXPECT_EQ(grid->GetCellValue(5, 2), "Standard") << "a type above 1 reads as standard";

    ChooseBase(page, 1);
    EXPECT_EQ(grid->GetCellValue(0, 1), "123");
    grid->SetCellValue(2, 1, "10");
    dialogs->Answer(wxID_YES);
    dialogs->Answer(wxID_NO);
    EditAndConfirm(page);
    EXPECT_EQ(dialogs->Messages(), (std::vector<wxString>{CanQuestion, CanReboot}));
    const Bytes first = Chunk(8, 5, {{0, {0, 0, 1, 0x23, 0}}, {2, {0, 0, 0, 16, 0}}, {5, {0, 0, 0, 9, 0}}});
    const Bytes zeros = Chunk(8, 5, {});
    EXPECT_EQ(RequestsFrom(5), (std::vector<BlockList>{{{47, 8, 0, first}},
                                                       {{47, 8, 8, zeros}},
                                                       {{47, 8, 16, zeros}},
                                                       {{47, 8, 24, zeros}},
                                                       {{24, 1, 0, {5}}},
                                                       Settings(1)}));
    EXPECT_EQ(Main()->currentPanel, PANEL_START);
}

// What each selection sends, and where the sequence stops.
TEST_F(ActuationPage, CommandsBySelectionAndFailures)
{
    const wxString notSent = "Error: Vantrel module unreachable";  // the half reply left no code
    struct Case {
        const char* what;
        uint8_t selection;
        Fault fault;
        int param, onlyWith;
        std::vector<wxString> messages;
        size_t writes;
        int panel;  // where the user is afterwards; -1 still on the confirmation view
    } cases[] = {
        {"all messages", 0, Fault::None, 0, -1, {CanQuestion, CanReboot}, 2, PANEL_START},
        {"none", 2, Fault::None, 0, -1, {CanQuestion, CanReboot}, 2, PANEL_START},
        {"table echo differs", 1, Fault::AlterEcho, 47, 47, {CanQuestion, SavedWithErrors}, 1, PANEL_START},
        {"save echo differs", 4, Fault::AlterEcho, 24, 24, {CanQuestion, SavedWithErrors}, 5, PANEL_START},
        {"settings not sent", 3, Fault::CloseEarly, 0, 44, {CanQuestion, notSent}, 2, -1},
    };
    StartModule("1.4.3", 'A');
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        module.SetFault(Fault::None);
        SetSelection(c.selection);
        VantrelCanbusActuactionPanel* page = Open();
        ASSERT_NE(page, nullptr);
        ASSERT_EQ(page->SelectionCombo()->GetSelection(), c.selection);
        ASSERT_TRUE(Click(page, ID_CAN_EDIT_MESSAGES));
        const size_t reads = PageRequests().size();
        EXPECT_EQ(reads, ExecSelectionHasList(c.selection) ? 5u : 1u);
        module.SetFault(c.fault, c.param, c.onlyWith);
        dialogs->Clear();
        dialogs->Answer(wxID_YES);
        dialogs->Answer(wxID_NO);
        EditAndConfirm(page);
        EXPECT_EQ(dialogs->Messages(), c.messages);
        const std::vector<BlockList> writes = RequestsFrom(reads);
        ASSERT_EQ(writes.size(), c.writes);
        if (!ExecSelectionHasList(c.selection)) {
            EXPECT_EQ(writes[0], (BlockList{{24, 1, 0, {5}}}));
        }
        if (c.writes == 2 || c.writes == 6) {
            EXPECT_EQ(writes.back(), Settings(c.selection));
        }
        if (c.panel >= 0) {
            EXPECT_EQ(Main()->currentPanel, c.panel);
            continue;
        }
        ASSERT_EQ(Main()->GetPanel(PANEL_CANBUS_ACTUATION), page);
        EXPECT_TRUE(page->InConfirmView());
    }
}

}  // namespace
