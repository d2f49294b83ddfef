// The started main window: frame, bars, start page; the error report, the
// reboot prompt, Info and About, and Quit.
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/menu.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>

#include <set>

#include "StartPanel.h"
#include "Startup.h"
#include "VantrelMenuBar.h"
#include "VantrelToolBar.h"
#include "app_test_util.h"
#include "cmd_error.h"
#include "test_pages.h"

using namespace apptest;

namespace {

class MainWindowTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        UnregisterAll();
    }
    void TearDown() override
    {
        UnregisterAll();
        ShellTest::TearDown();
    }
};

TEST_F(MainWindowTest, StartsWithTitleStatusStartPageAndNoPage)
{
    MainWindow* main = Main();
    ASSERT_NE(main->frame, nullptr);
    EXPECT_EQ(main->frame->GetTitle(), "Vantrel Glimra");
    EXPECT_TRUE(main->frame->IsShown());
    EXPECT_EQ(main->statusBar->GetFieldsCount(), 1);
    EXPECT_EQ(main->statusBar->GetStatusText(0), "Vantrel Glimra - ver. 1.4.3");
    // Fixed size on this 1024-pixel display: no resize border, no maximize.
    EXPECT_EQ(main->frame->GetSize(), wxSize(800, 600));
    EXPECT_FALSE(main->frame->HasFlag(wxRESIZE_BORDER));
    EXPECT_FALSE(main->frame->HasFlag(wxMAXIMIZE_BOX));
    EXPECT_TRUE(main->frame->HasFlag(wxCLOSE_BOX));

    EXPECT_EQ(main->currentPanel, PANEL_START);
    EXPECT_EQ(FilledSlots(), 0);
    EXPECT_FALSE(main->loggedIn);
    ASSERT_NE(main->startPanel, nullptr);
    EXPECT_TRUE(main->startPanel->IsShown());
    EXPECT_EQ(main->startPanel->GetParent(), main->frame);
    EXPECT_NE(main->sizer->GetItem(main->startPanel), nullptr);
    EXPECT_EQ(main->frame->GetSizer(), main->sizer);

    // The logo sits beside the pages, outside the sizer.
    int logos = 0;
    for (wxWindow* child : main->frame->GetChildren())
        if (auto* bitmap = dynamic_cast<wxStaticBitmap*>(child)) {
            ++logos;
            EXPECT_EQ(bitmap->GetPosition(), wxPoint(585, 5));
            EXPECT_EQ(main->sizer->GetItem(bitmap), nullptr);
        }
    EXPECT_EQ(logos, 1);
    // Nothing to report on a clean start (no update server, no tip).
    EXPECT_TRUE(dialogs->Shown().empty()) << dialogs->Shown().front().message;
}

TEST_F(MainWindowTest, MenusHoldTheTenCommandsInOrder)
{
    struct Item {
        int menu;
        int id;
        const char* label;
    };
    const char* const menus[] = {"&File", "&DB Function", "&Extra", "&Help"};
    const Item items[] = {
        {0, 5002, "&Home"},   {0, 5107, "&Back"},           {0, 5006, "&Quit"},       {1, 3, "&Import DB"},
        {1, 4, "&Export DB"}, {1, 5, "&Revert DB Changes"}, {2, 14, "&JIX-Terminal"}, {2, 15, "&LOGIN"},
        {3, 5009, "&Info"},   {3, 5014, "&About VEMTOR"},
    };
    wxMenuBar* bar = Main()->frame->GetMenuBar();
    ASSERT_EQ(bar, Main()->menuBar);
    ASSERT_EQ(bar->GetMenuCount(), 4u);
    for (int m = 0; m < 4; ++m)
        EXPECT_EQ(bar->GetMenuLabel(m), menus[m]);
    size_t next[4] = {0, 0, 0, 0};
    for (const Item& item : items) {
        const wxMenuItemList& list = bar->GetMenu(item.menu)->GetMenuItems();
        ASSERT_LT(next[item.menu], list.size()) << item.label;
        const wxMenuItem* got = list[next[item.menu]++];
        EXPECT_EQ(got->GetId(), item.id) << item.label;
        EXPECT_EQ(got->GetItemLabel(), item.label);
        EXPECT_EQ(got->GetKind(), wxITEM_NORMAL) << item.label;
    }
    for (int m = 0; m < 4; ++m)
        EXPECT_EQ(bar->GetMenu(m)->GetMenuItemCount(), next[m]) << menus[m];
}

TEST_F(MainWindowTest, ToolbarHoldsSixToolsWithTheConfigToolsDisabled)
{
    struct Tool {
        int id;  // 0: separator
        const char* label;
        bool enabled;
    };
    const Tool tools[] = {
        {5107, "Back", true},
        {5002, "Home", true},
        {0, "", false},
        {5006, "Exit", true},
        {0, "", false},
        {56, "Import configuration", false},
        {57, "Export current configuration", false},
        {58, "Load Last configuration", false},
    };
    wxToolBar* bar = Main()->toolBar->frameToolBar;
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar, Main()->frame->GetToolBar());
    ASSERT_EQ(bar->GetToolsCount(), std::size(tools));
    for (size_t i = 0; i < std::size(tools); ++i) {
        const wxToolBarToolBase* tool = bar->GetToolByPos(int(i));
        if (tools[i].id == 0) {
            EXPECT_TRUE(tool->IsSeparator()) << i;
            continue;
        }
        EXPECT_EQ(tool->GetId(), tools[i].id);
        EXPECT_EQ(tool->GetLabel(), tools[i].label);
        EXPECT_EQ(bar->GetToolEnabled(tools[i].id), tools[i].enabled) << tools[i].label;
    }
    Main()->toolBar->EnableConfigTools(true);
    for (int id : {56, 57, 58})
        EXPECT_TRUE(bar->GetToolEnabled(id)) << id;
    for (int id : {5107, 5002, 5006})
        EXPECT_TRUE(bar->GetToolEnabled(id)) << id;
}

TEST(FrameLayout, OnlyASixHundredPixelDisplayGetsAMaximizedFrame)
{
    const long fixed = wxCAPTION | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxCLOSE_BOX;
    struct Case {
        int height;
        wxSize size;
        long style;
        bool maximized;
    };
    const Case cases[] = {
        {600, wxSize(800, 570), fixed | wxMAXIMIZE_BOX | wxMAXIMIZE, true},
        {599, wxSize(800, 600), fixed, false},
        {601, wxSize(800, 600), fixed, false},
        {768, wxSize(800, 600), fixed, false},
        {1024, wxSize(800, 600), fixed, false},
    };
    for (const Case& c : cases) {
        const FrameLayout layout = ChooseFrameLayout(c.height);
        EXPECT_EQ(layout.size, c.size) << c.height;
        EXPECT_EQ(layout.style, c.style) << c.height;
        EXPECT_EQ(layout.maximized, c.maximized) << c.height;
    }
    EXPECT_EQ(fixed, 0x20001c00);
}

TEST_F(MainWindowTest, ReportErrorFillsAnEmptyTextAndShowsOrThrowsIt)
{
    struct Case {
        int code;
        const char* message;
        const char* shown;
    };
    const Case cases[] = {
        {CMD_ERR_CONNECT_TIMEOUT, "", "socket connection timeout"},
        {CMD_ERR_RECV_TIMEOUT, "", "socket reciv timeout"},
        {CMD_ERR_DATABLOCK_NOT_FOUND, "", "datablock not found"},
        {0, "", "Vantrel module unreachable"},
        {111, "", "Vantrel module unreachable"},
        // A text of the caller's own is kept, whatever the last error.
        {CMD_ERR_CONNECT_TIMEOUT, "Configuration not saved!", "Configuration not saved!"},
    };
    MainWindow* main = Main();
    const int16_t saved = cmd_get_error();
    for (const Case& c : cases) {
        cmd_set_error(c.code);
        dialogs->Clear();
        main->ReportError(wxString::FromUTF8(c.message), false);
        ASSERT_EQ(dialogs->Shown().size(), 1u) << c.code;
        EXPECT_EQ(dialogs->Shown()[0].title, "Error");
        EXPECT_EQ(dialogs->Shown()[0].message, c.shown);
        EXPECT_EQ(dialogs->Shown()[0].style, wxOK | wxICON_ERROR);

        dialogs->Clear();
        wxString thrown;
        try {
            main->ReportError(wxString::FromUTF8(c.message), true);
            ADD_FAILURE() << "no throw for " << c.code;
        } catch (const wxString& text) {
            thrown = text;
        }
        EXPECT_EQ(thrown, c.shown);
        EXPECT_TRUE(dialogs->Shown().empty()) << "a throw shows nothing";
        // The report reads the last error and leaves it.
        EXPECT_EQ(cmd_get_error(), c.code);
    }
    cmd_set_error(saved);
}

TEST_F(MainWindowTest, RebootPromptTellsTheModelAndLeadsOn)
{
    const wxString question =
        "Module configuration updated.\n\nREBOOT your Vantrel-S-UART module after "
        "configuration.\n\nDo you want to configure other settings?";
    const wxString notice = "Module configuration updated.\n\nREBOOT your Vantrel-S-UART now!";
    struct Case {
        bool askMore;
        int answer;
        const wxString& message;
        long style;
        int panel;
    };
    const Case cases[] = {
        {false, wxID_OK, notice, wxOK | wxICON_EXCLAMATION, PANEL_START},
        {true, wxID_YES, question, wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION, PANEL_MODULE},
        {true, wxID_NO, question, wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION, PANEL_START},
        {true, wxID_CANCEL, question, wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION, PANEL_START},
    };
    EXPECT_EQ(long(wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION), 0x48a);
    RegisterProbe(PANEL_MODULE);
    RegisterProbe(PANEL_NET);
    for (const Case& c : cases) {
        Main()->ShowNetPanel("127.0.0.9", "65001", 'S', 150);
        ASSERT_EQ(Main()->currentPanel, PANEL_NET);
        wxWeakRef<wxWindow> caller = Main()->GetPanel(PANEL_NET);
        Builds().clear();
        dialogs->Clear();
        dialogs->Answer(c.answer);
        MainWindow::AskConfigureMore(MainWindow::GetModelName('S'), "127.0.0.9", "65001", c.askMore);
        ASSERT_EQ(dialogs->Shown().size(), 1u);
        EXPECT_EQ(dialogs->Shown()[0].title, "Updated");
        EXPECT_EQ(dialogs->Shown()[0].message, c.message);
        EXPECT_EQ(dialogs->Shown()[0].style, c.style);
        EXPECT_EQ(Main()->currentPanel, c.panel);
        ExpectOnePage("after the prompt");
        if (c.panel == PANEL_MODULE) {
            ASSERT_EQ(Builds().size(), 1u);
            EXPECT_EQ(Builds()[0].args.ip, "127.0.0.9");
            EXPECT_EQ(Builds()[0].args.port, "65001");
        } else {
            EXPECT_TRUE(Builds().empty());
            EXPECT_TRUE(Main()->startPanel->IsShown());
        }
        EXPECT_EQ(Main()->GetPanel(PANEL_NET), nullptr);
        guitest::Pump();
        EXPECT_FALSE(caller) << "the calling page is gone once the event loop ran";
    }
}

TEST_F(MainWindowTest, InfoAndAboutShowTheirOkBoxes)
{
    Main();
    Command(ID_INFO);
    Command(ID_ABOUT);
    ASSERT_EQ(dialogs->Shown().size(), 2u);
    EXPECT_EQ(dialogs->Shown()[0].title, "Info");
    EXPECT_EQ(dialogs->Shown()[0].message, "Vantrel Glimra ver. 1.4.3");
    EXPECT_EQ(dialogs->Shown()[0].style & (wxOK | wxYES_NO | wxCANCEL | wxICON_MASK), wxOK);
    EXPECT_EQ(dialogs->Shown()[1].title, "About VEMTOR");
    EXPECT_NE(dialogs->Shown()[1].message.Find("\n\n"), wxNOT_FOUND) << "paragraphs";
    EXPECT_EQ(dialogs->Shown()[1].style & (wxOK | wxYES_NO | wxCANCEL | wxICON_MASK), wxOK);
}

TEST_F(MainWindowTest, QuitClosesTheFrameAndDestroysThePageShown)
{
    RegisterProbe(PANEL_MODULE);
    Main()->ShowModulePanel("127.0.0.9", "65000");
    wxWeakRef<wxWindow> page = Main()->GetPanel(PANEL_MODULE);
    wxWeakRef<wxWindow> frame = Main()->frame;
    ASSERT_TRUE(page);
    Command(ID_QUIT);
    EXPECT_TRUE(guitest::WaitFor([&] { return !frame; }, 3000));
    EXPECT_FALSE(page);
    // The menu bar cleared the slots on its way out.
    EXPECT_EQ(FilledSlots(), 0);
    EXPECT_TRUE(dialogs->Shown().empty());
}

}  // namespace

