// The hub end to end under the real main window, against test modules on
// 127.0.0.1: the identity read under the progress wait, the registry row,
// the refusals, the buttons, the navigation and the alias edit.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/listbox.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/wxsqlite3.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>

#include "CommandProgressWait.h"
#include "Db.h"
#include "HubLogic.h"
#include "MainWindow.h"
#include "SendCommandThread.h"
#include "StartPanel.h"
#include "VantrelPanel.h"
#include "hub_test_util.h"
#include "sock.h"
#include "test_module.h"
#include "wxIPCtrl.h"

namespace {

using hubtest::OpenConnections;
using hubtest::PictureButtonIds;
using hubtest::RegistryColumn;
using hubtest::ShowsText;
using testmod::Fault;
using testmod::TestModule;

const wxString Mac = "00:1e:c0:12:34:56";  // the test module's default MAC

// Presses the progress dialog's Cancel button every `period_ms` while the
// dialog is up, as the user would.
class CancelPresser : public wxTimer {
public:
    explicit CancelPresser(int period_ms) { Start(period_ms); }
    void Notify() override
    {
        for (wxWindow* top : wxTopLevelWindows) {
            if (top->GetLabel() != "Connection to Vantrel" || !top->IsShown())
                continue;
            if (wxWindow* cancel = top->FindWindow(wxID_CANCEL)) {
                if (!cancel->IsEnabled())
                    continue;
                wxCommandEvent click(wxEVT_BUTTON, wxID_CANCEL);
                click.SetEventObject(cancel);
                cancel->ProcessWindowEvent(click);
                ++presses;
            }
        }
    }
    int presses = 0;
};

class HubPage : public hubtest::HubTest {
protected:
    void SetUp() override
    {
        HubTest::SetUp();
        module.SetIdentity("1.4.0", 'C', "porch");
        ASSERT_TRUE(module.Start());
    }

    // Builds the hub on the test module, as every caller of the hub does.
    VantrelPanel* ShowHub()
    {
        Main()->ShowModulePanel("127.0.0.1", module.PortText());
        guitest::Pump();
        return Hub();
    }

    TestModule module;
};

TEST_F(HubPage, ConnectFromTheStartPageShowsTheModule)
{
    StartPanel* start = Main()->startPanel;
    ASSERT_NE(start, nullptr);
    start->IpCtrl()->SetValue("127.0.0.1");
    start->PortCtrl()->SetValue(module.PortText());
    dialogs->Answer(wxID_YES);  // "Are you sure to connect ...?"
    const auto begin = std::chrono::steady_clock::now();
    ASSERT_TRUE(Click(start, 31));
    const auto took = std::chrono::steady_clock::now() - begin;
    guitest::Pump();

    VantrelPanel* hub = Hub();
    ASSERT_NE(hub, nullptr) << ::testing::PrintToString(Messages());
    EXPECT_EQ(dialogs->Shown().size(), 1u) << ::testing::PrintToString(Messages());
    // One step at least: 100 ms plus ten times the 1 s connect time-out.
    EXPECT_GE(took, std::chrono::milliseconds(110));
    EXPECT_LT(took, std::chrono::seconds(2));
    EXPECT_EQ(Main()->currentPanel, PANEL_MODULE);
    EXPECT_TRUE(ShowsText(hub, MainWindow::GetModelName('C') + " Configuration"));
    EXPECT_TRUE(ShowsText(hub, "1.4.0"));
    EXPECT_TRUE(ShowsText(hub, "porch"));
    EXPECT_TRUE(ShowsText(hub, Mac));
    EXPECT_TRUE(ShowsText(hub, "127.0.0.1"));
    EXPECT_TRUE(ShowsText(hub, "Connected successful to:"));
    EXPECT_EQ(hub->GetFirmwareVersion(), 140);
    EXPECT_FALSE(hub->GetAliasCtrl()->IsEditable());
    EXPECT_EQ(RegistryColumn("macaddress"), std::vector<wxString>{Mac});
    EXPECT_EQ(RegistryColumn("ip"), std::vector<wxString>{"127.0.0.1"});
    EXPECT_EQ(RegistryColumn("descri"), std::vector<wxString>{"porch"});
    // The progress dialog is gone and nothing runs any more.
    for (wxWindow* top : wxTopLevelWindows)
        EXPECT_FALSE(top->GetLabel() == "Connection to Vantrel" && top->IsShown());
    EXPECT_EQ(CommandJob::Running(), 0);

    // A picture of the hub for the build's artifacts.
    Main()->frame->Raise();
    guitest::PumpFor(300);
    const wxRect rect = Main()->frame->GetScreenRect();
    wxBitmap shot(rect.width, rect.height);
    {
        wxScreenDC screen;
        wxMemoryDC memory(shot);
        memory.Blit(0, 0, rect.width, rect.height, &screen, rect.x, rect.y);
    }
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    std::filesystem::create_directories(VANTREL_ARTIFACTS_DIR);
    EXPECT_TRUE(shot.SaveFile(VANTREL_ARTIFACTS_DIR "/hub.png", wxBITMAP_TYPE_PNG));
}

TEST_F(HubPage, ButtonsFollowTypeFirmwareAndLogin)
{
    struct Case {
        char type;
        const char* firmware;
        bool loggedIn;
        std::vector<int> ids;
    } cases[] = {
        {'S', "1.2.0", false, {12, 23, 14, 22, 13, 20}},
        {'S', "1.1.9", false, {12, 16, 14, 13, 20}},
        {'D', "1.1.2", false, {12, 16, 14}},
        {'I', "1.3.0", false, {12, 23, 14, 25}},
        {'a', "1.0.9", false, {12, 16, 14, 17}},
        {'2', "1.2.0", false, {12, 23, 14, 22, 17, 24, 20, 21}},
        {'C', "1.4.1", false, {12, 23, 14, 22, 13, 20}},
        {'C', "1.4.1", true, {12, 23, 14, 22, 13, 20, 26, 27}},
        {'C', "1.4.0", true, {12, 23, 14, 22, 13, 20}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, c.type) + " " + c.firmware + (c.loggedIn ? " logged in" : ""));
        module.SetIdentity(c.firmware, c.type, "case");
        Main()->loggedIn = c.loggedIn;
        VantrelPanel* hub = ShowHub();
        ASSERT_NE(hub, nullptr) << ::testing::PrintToString(Messages());
        std::vector<int> shown = PictureButtonIds(hub);
        EXPECT_EQ(shown, c.ids);
        EXPECT_TRUE(ShowsText(hub, c.firmware));
    }
    EXPECT_TRUE(dialogs->Shown().empty()) << ::testing::PrintToString(Messages());
}

TEST_F(HubPage, RefusedModulesStayListed)
{
    struct Case {
        const char* name;
        const char* firmware;
        char type;
        uint16_t buffer;
        const char* text;
    } cases[] = {
        {"legacy buffer, unknown model", "1.4.0", 'Z', 128,
         "Your Vantrel module has an USDB buffer size of 128 bytes\n\nPlease use Configuration Version "
         "1.0.2"},
        {"unknown model", "1.4.0", 'Z', 1024,
         "Your Vantrel model seems to be unknown. Please contact Vemtor Technical Support"},
        {"old CAN firmware", "1.0.9", 'A', 1024,
         "Your version of Vantrel CAN-bus is not supported by this Vantrel Glimra version.\n\nPlease use "
         "Vantrel "
         "Glimra Version 1.1.9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs->Clear();
        module.SetIdentity(c.firmware, c.type, c.name, c.buffer);
        EXPECT_EQ(ShowHub(), nullptr);
        EXPECT_EQ(Messages(), std::vector<wxString>{wxString("Error: ") + c.text});
        EXPECT_EQ(Main()->currentPanel, PANEL_START);
        EXPECT_TRUE(Main()->startPanel->IsShown());
        const wxArrayString& listed = Main()->startPanel->MacAddresses();
        EXPECT_NE(listed.Index(Mac), wxNOT_FOUND);
        EXPECT_EQ(RegistryColumn("descri"), std::vector<wxString>{c.name});
    }
}

TEST_F(HubPage, FailedReadsFallBackToTheStartPage)
{
    TestModule refusing;
    refusing.SetFault(Fault::Refuse);
    ASSERT_TRUE(refusing.Start());
    TestModule noInfo;
    noInfo.SetIdentity("1.4.0", 'C', "x");
    noInfo.SetFault(Fault::MissingBlock, DATABLOCK_MODULE_INFO);
    ASSERT_TRUE(noInfo.Start());

    struct Case {
        const char* name;
        wxString ip;
        wxString port;
        const char* text;
    } cases[] = {
        {"refused connection", "127.0.0.1", refusing.PortText(), "Vantrel module unreachable"},
        {"no module info", "127.0.0.1", noInfo.PortText(), "datablock not found"},
        {"address too long", wxString(40, '1'), module.PortText(),
         "Invalid Vantrel module address: 1111111111111111111111111111111111111111"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs->Clear();
        Main()->ShowModulePanel(c.ip, c.port);
        guitest::Pump();
        EXPECT_EQ(Hub(), nullptr);
        EXPECT_EQ(Messages(), std::vector<wxString>{wxString("Error: ") + c.text});
        EXPECT_EQ(Main()->currentPanel, PANEL_START);
    }
    EXPECT_TRUE(RegistryColumn("macaddress").empty());
    EXPECT_EQ(module.Connections(), 0);  // the long address never went out
}

TEST_F(HubPage, SilentModuleRunsTheWaitOut)
{
    module.SetFault(Fault::Silent);
    sock_set_receive_timeout(15);  // the worker would still be waiting
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(ShowHub(), nullptr);
    const auto took = std::chrono::steady_clock::now() - begin;

    EXPECT_EQ(Messages(), std::vector<wxString>{"Error: Connection aborted by user"});
    // 51 steps of 110 ms, and no cancel question on the way.
    EXPECT_GE(took, std::chrono::milliseconds(CommandWaitSteps * 110));
    EXPECT_LT(took, std::chrono::milliseconds(CommandWaitSteps * 110 + 2500));
    // The worker was told to stop: it ends at once and closes its socket.
    EXPECT_TRUE(guitest::WaitFor([] { return CommandJob::Running() == 0; }, 1000));
    const uint16_t port = module.Port();
    EXPECT_TRUE(guitest::WaitFor([port] { return OpenConnections(port) == 0; }, 1000));
    EXPECT_EQ(Main()->currentPanel, PANEL_START);
}

TEST_F(HubPage, CancelAsksAndOnlyYesEndsTheWait)
{
    module.SetFault(Fault::Silent);
    sock_set_receive_timeout(15);
    dialogs->Answer(wxID_NO);
    dialogs->Answer(wxID_YES);
    CancelPresser presser(150);
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(ShowHub(), nullptr);
    const auto took = std::chrono::steady_clock::now() - begin;
    presser.Stop();

    EXPECT_EQ(presser.presses, 2);
    EXPECT_LT(took, std::chrono::seconds(3));
    const std::vector<guitest::ShownDialog>& shown = dialogs->Shown();
    ASSERT_EQ(shown.size(), 3u) << ::testing::PrintToString(Messages());
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(shown[i].title, "End Connection?");
        EXPECT_EQ(shown[i].message, "Do you really want to cancel connection?");
        EXPECT_EQ(shown[i].style & (wxYES_NO | wxICON_QUESTION), wxYES_NO | wxICON_QUESTION);
        EXPECT_FALSE(shown[i].style & wxNO_DEFAULT);
    }
    EXPECT_EQ(shown[2].title, "Error");
    EXPECT_EQ(shown[2].message, "Connection aborted by user");
    EXPECT_TRUE(guitest::WaitFor([] { return CommandJob::Running() == 0; }, 1000));
    const uint16_t port = module.Port();
    EXPECT_TRUE(guitest::WaitFor([port] { return OpenConnections(port) == 0; }, 1000));
}

// Answers the cancel question with Yes only after the module's reply has
// reached the page: the read still counts.
class LateYes : public wxModalDialogHook {
public:
    LateYes() { Register(); }
    ~LateYes() override { Unregister(); }
    int Enter(wxDialog*) override
    {
        ++questions;
        guitest::PumpFor(600);
        return wxID_YES;
    }
    void Exit(wxDialog*) override {}
    int questions = 0;
};

TEST_F(HubPage, ReplyDuringTheCancelQuestionIsUsed)
{
    module.SetFault(Fault::Late, 250);
    dialogs.reset();  // LateYes answers instead
    LateYes yes;
    CancelPresser presser(20);
    VantrelPanel* hub = ShowHub();
    presser.Stop();
    EXPECT_EQ(yes.questions, 1);
    ASSERT_NE(hub, nullptr);
    EXPECT_EQ(hub->GetAlias(), "porch");
}

TEST_F(HubPage, FeatureButtonsOpenTheirPages)
{
    struct Opened {
        int index = -1;
        PageArgs args;
    } opened;
    const PanelIndex indexes[] = {
        PANEL_NET, PANEL_UART,      PANEL_TERMINAL,  PANEL_SOCKET,     PANEL_CANBUS,
        PANEL_IO,  PANEL_ADC,       PANEL_ADVANCED,  PANEL_SOCKET_NEW, PANEL_CANBUS_ACTUATION,
        PANEL_I2C, PANEL_POWERSAVE, PANEL_BATCH_CONF};
    for (PanelIndex index : indexes)
        MainWindow::RegisterPage(index, [&opened, index](const PageArgs& a) -> wxWindow* {
            opened.index = index;
            opened.args = a;
            return new wxPanel(MainWindow::GetInstance()->frame);
        });

    // The hub's own port is the test module's, never 65000: only the
    // terminal gets the configuration port 65000.
    const wxString port = module.PortText();
    struct Case {
        char type;
        const char* firmware;
        int id;
        int index;
        wxString port;
        int fw;             // as handed over; 0 where the page takes none
        wxString mac;       // the UART page only
        wxString dataPort;  // the terminal only
    } cases[] = {
        {'A', "1.4.1", ID_HUB_NETWORK, PANEL_NET, port, 141, "", ""},
        {'A', "1.4.1", ID_HUB_SOCKET_NEW, PANEL_SOCKET_NEW, port, 141, "", ""},
        {'A', "1.4.1", ID_HUB_TERMINAL, PANEL_TERMINAL, "65000", 0, "", "65300"},
        {'A', "1.4.1", ID_HUB_ADVANCED, PANEL_ADVANCED, port, 141, "", ""},
        {'A', "1.4.1", ID_HUB_CANBUS, PANEL_CANBUS, port, 141, "", ""},
        {'A', "1.4.1", ID_HUB_CANBUS_ACTUATION, PANEL_CANBUS_ACTUATION, port, 141, "", ""},
        {'A', "1.4.1", ID_HUB_IO, PANEL_IO, port, 141, "", ""},
        {'A', "1.4.1", ID_HUB_POWERSAVE, PANEL_POWERSAVE, port, 141, "", ""},
        {'A', "1.4.1", ID_HUB_BATCH_CONF, PANEL_BATCH_CONF, port, 141, "", ""},
        {'C', "1.1.9", ID_HUB_UART, PANEL_UART, port, 119, Mac, ""},
        {'C', "1.1.9", ID_HUB_SOCKET, PANEL_SOCKET, port, 0, "", ""},
        {'C', "1.1.9", ID_HUB_TERMINAL, PANEL_TERMINAL, "65000", 0, "", "65100"},
        {'1', "1.2.0", ID_HUB_ADC, PANEL_ADC, port, 120, "", ""},
        {'I', "1.2.0", ID_HUB_I2C, PANEL_I2C, port, 120, "", ""},
        {'I', "1.2.0", ID_HUB_TERMINAL, PANEL_TERMINAL, "65000", 0, "", "65100"},
        {'d', "1.2.0", ID_HUB_TERMINAL, PANEL_TERMINAL, "65000", 0, "", "65200"},
    };
    Main()->loggedIn = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, c.type) + " button " + std::to_string(c.id));
        module.SetIdentity(c.firmware, c.type, "feature");
        VantrelPanel* hub = ShowHub();
        ASSERT_NE(hub, nullptr);
        opened = Opened();
        ASSERT_TRUE(Click(hub, c.id));
        guitest::Pump();
        EXPECT_EQ(opened.index, c.index);
        EXPECT_EQ(Main()->currentPanel, c.index);
        EXPECT_EQ(opened.args.ip, "127.0.0.1");
        EXPECT_EQ(opened.args.port, c.port);
        EXPECT_EQ(opened.args.type, c.type);
        EXPECT_EQ(opened.args.firmware, c.fw);
        EXPECT_EQ(opened.args.mac, c.mac);
        EXPECT_EQ(opened.args.dataPort, c.dataPort);
    }

    // Ids the hub does not serve change nothing; Back leads home.
    VantrelPanel* hub = ShowHub();
    ASSERT_NE(hub, nullptr);
    opened = Opened();
    for (int id : {15, 11, 28}) {
        wxCommandEvent stray(wxEVT_BUTTON, id);
        hub->ProcessWindowEvent(stray);
    }
    guitest::Pump();
    EXPECT_EQ(opened.index, -1);
    EXPECT_EQ(Hub(), hub);
    wxCommandEvent back(wxEVT_MENU, ID_BACK);
    Main()->OnBack(back);
    guitest::Pump();
    EXPECT_EQ(Main()->currentPanel, PANEL_START);
    EXPECT_TRUE(dialogs->Shown().empty()) << ::testing::PrintToString(Messages());

    for (PanelIndex index : indexes)
        MainWindow::RegisterPage(index, nullptr);
}

TEST_F(HubPage, AliasEditWritesChecksAndStores)
{
    VantrelPanel* hub = ShowHub();
    ASSERT_NE(hub, nullptr);
    wxTextCtrl* field = hub->GetAliasCtrl();
    EXPECT_EQ(hub->FindWindow(ID_HUB_ALIAS_SAVE), nullptr);
    ASSERT_TRUE(Click(hub, ID_HUB_ALIAS_EDIT));
    guitest::Pump();
    EXPECT_TRUE(field->IsEditable());
    EXPECT_EQ(hub->FindWindow(ID_HUB_ALIAS_EDIT), nullptr);
    ASSERT_NE(hub->FindWindow(ID_HUB_ALIAS_SAVE), nullptr);
    EXPECT_FALSE(ShowsText(hub, "*Vantrel reboot required"));

    // An altered echo: reported, nothing stored, still editing.
    module.SetFault(Fault::AlterEcho, DATABLOCK_ALIAS);
    field->SetValue("garage");
    ASSERT_TRUE(Click(hub, ID_HUB_ALIAS_SAVE));
    guitest::Pump();
    EXPECT_EQ(Messages(), std::vector<wxString>{"Error: Configuration saved with errors!"});
    EXPECT_EQ(RegistryColumn("descri"), std::vector<wxString>{"porch"});
    EXPECT_TRUE(field->IsEditable());
    EXPECT_NE(hub->FindWindow(ID_HUB_ALIAS_SAVE), nullptr);
    EXPECT_FALSE(ShowsText(hub, "*Vantrel reboot required"));

    // A text without an 8-bit form is refused before anything is sent.
    dialogs->Clear();
    module.SetFault(Fault::None);
    const size_t before = module.Requests().size();
    field->SetValue(wxString(L"caf\u20ac"));
    ASSERT_TRUE(Click(hub, ID_HUB_ALIAS_SAVE));
    EXPECT_EQ(Messages(), std::vector<wxString>{
                              "Error: The alias must be at most 32 characters of the 8-bit character set"});
    EXPECT_EQ(module.Requests().size(), before);

    // Save again: written, echoed, stored.
    dialogs->Clear();
    field->SetValue("garage");
    ASSERT_TRUE(Click(hub, ID_HUB_ALIAS_SAVE));
    guitest::Pump();
    EXPECT_TRUE(dialogs->Shown().empty()) << ::testing::PrintToString(Messages());
    const testmod::Frame write = module.Requests().back();
    EXPECT_EQ(write.action, CMD_ACTION_SET);
    std::vector<testmod::Block> blocks;
    ASSERT_TRUE(testmod::DecodeBlocks(write.data, true, &blocks));
    ASSERT_EQ(blocks.size(), 2u);
    testmod::Bytes expected = {'g', 'a', 'r', 'a', 'g', 'e'};
    expected.resize(32, 0);
    EXPECT_EQ(blocks[0].id, DATABLOCK_ALIAS);
    EXPECT_EQ(blocks[0].values, expected);
    EXPECT_EQ(blocks[1].id, DATABLOCK_SAVE);
    EXPECT_EQ(blocks[1].values, testmod::Bytes{4});
    EXPECT_TRUE(ShowsText(hub, "*Vantrel reboot required"));
    EXPECT_FALSE(field->IsEditable());
    EXPECT_EQ(hub->FindWindow(ID_HUB_ALIAS_SAVE), nullptr);
    EXPECT_EQ(hub->FindWindow(ID_HUB_ALIAS_EDIT), nullptr);
    EXPECT_EQ(RegistryColumn("descri"), std::vector<wxString>{"garage"});
    EXPECT_EQ(hub->GetAlias(), "porch");  // the value read with the identity
}

TEST_F(HubPage, RegistryFailuresAreReportedAndTheHubStillBuilt)
{
    ASSERT_NE(ShowHub(), nullptr);
    Main()->ShowStartPanel();
    // The table goes behind the registry's back: every store now fails.
    {
        wxSQLite3Database db;
        db.Open(Db::FileName);
        db.ExecuteUpdate("DROP TABLE vemtor_vantrel");
        db.Close();
    }
    dialogs->Clear();
    VantrelPanel* hub = ShowHub();
    ASSERT_NE(hub, nullptr);
    ASSERT_EQ(dialogs->Shown().size(), 1u);
    EXPECT_EQ(dialogs->Shown()[0].title, "Error");
    EXPECT_TRUE(dialogs->Shown()[0].message.Contains("vemtor_vantrel")) << dialogs->Shown()[0].message;

    dialogs->Clear();
    ASSERT_TRUE(Click(hub, ID_HUB_ALIAS_EDIT));
    guitest::Pump();
    hub->GetAliasCtrl()->SetValue("shed");
    ASSERT_TRUE(Click(hub, ID_HUB_ALIAS_SAVE));
    guitest::Pump();
    ASSERT_EQ(dialogs->Shown().size(), 1u);
    EXPECT_EQ(dialogs->Shown()[0].title, "Error");
    // The module has the new alias all the same.
    EXPECT_TRUE(ShowsText(hub, "*Vantrel reboot required"));
    EXPECT_EQ(Hub(), hub);
}

}  // namespace
