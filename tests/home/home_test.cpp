// The pages of the home area in the real main window, in a fresh working
// folder: the start page's list and its questions, what the details page shows
// of a stored module, the hub against a test module on 127.0.0.1 (the identity
// read under the progress wait, the registry row, the buttons, the refusals, an
// abandoned wait, the alias edit), and the scan of 127.0.0.1 to 127.0.0.6 with
// test modules on the configuration port 65000 (these tests hold its lock).
#include <wx/bmpbuttn.h>
#include <wx/frame.h>
#include <wx/listbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include <chrono>
#include <map>

#include "CommandProgressWait.h"
#include "HubLogic.h"
#include "ScanDevicesThread.h"
#include "SendCommandThread.h"
#include "StartPanel.h"
#include "VantrelPanel.h"
#include "VantrelScanPanel.h"
#include "app_fixture.h"
#include "sock.h"
#include "test_module.h"
#include "wxIPCtrl.h"

using namespace apptest;
using testmod::Fault;
using testmod::TestModule;

namespace {

using Pages = AppTest;

std::vector<wxString> Listed(StartPanel* page)
{
    std::vector<wxString> rows;
    for (unsigned i = 0; i < page->ModuleList()->GetCount(); ++i)
        rows.push_back(page->ModuleList()->GetString(i));
    return rows;
}

TEST_F(Pages, StartPageListsDeletesAndClearsAfterItsQuestions)
{
    AddModule("127.0.0.1", "00:1e:c0:4a:10:01", "one");
    AddModule("127.0.0.2", "00:1e:c0:4a:10:02", "two");
    AddModule("127.0.0.3", "00:1e:c0:4a:10:02", "two again");
    AddModule("127.0.0.4", "00:1e:c0:4a:10:03", wxString::FromUTF8("Ünïcode – ok"));
    const std::vector<wxString> all = {"00:1e:c0:4a:10:01 - one", "00:1e:c0:4a:10:02 - two",
                                       "00:1e:c0:4a:10:02 - two again",
                                       wxString::FromUTF8("00:1e:c0:4a:10:03 - Ünïcode – ok")};
    StartPanel* start = Main()->startPanel;
    EXPECT_EQ(Listed(start), all);
    EXPECT_EQ(start->IpAddresses()[3], "127.0.0.4");

    const wxString one = "Erase device?: Are you sure to delete selected device?";
    const wxString every = "Erase devices?: Are you sure to delete all devices?";
    struct Step {
        int button;
        int answer;
        const wxString& question;
        std::vector<wxString> left;
    } steps[] = {
        {wxID_DELETE, wxID_NO, one, all},
        {wxID_DELETE, wxID_YES, one, {all[0], all[3]}},  // every row of the selected MAC
        {wxID_CLEAR, wxID_NO, every, {all[0], all[3]}},
        {wxID_CLEAR, wxID_YES, every, {}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.question + (s.answer == wxID_YES ? " yes" : " no"));
        start->ModuleList()->SetSelection(1);
        dialogs->Clear();
        dialogs->Answer(s.answer);
        ASSERT_TRUE(Click(start, s.button));
        EXPECT_EQ(dialogs->Messages(), std::vector<wxString>{s.question});
        EXPECT_EQ(dialogs->Shown()[0].style & (wxYES_NO | wxICON_QUESTION), wxYES_NO | wxICON_QUESTION);
        EXPECT_EQ(Listed(start), s.left);
        EXPECT_EQ(Sql("SELECT macaddress || ' - ' || descri FROM vemtor_vantrel ORDER BY rowid"), s.left);
    }
}

TEST_F(Pages, DetailsPageShowsAStoredModuleAndItsBackLeadsHome)
{
    struct Case {
        const char* nwtype;
        const char* security;  // stored as SQL
        const char* network;
        const char* shownSecurity;
    } cases[] = {{"1", "3", "Infrastructure", "WEP"}, {"0", "NULL", "Ad-Hoc", "None"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.network + wxString("/") + c.shownSecurity);
        Sql("DELETE FROM vemtor_vantrel");
        Sql(wxString::Format(
            "INSERT INTO vemtor_vantrel VALUES ('127.0.0.21', 'plant-floor', '255.255.255.0', "
            "'127.0.0.1', %s, '00:1e:c0:4a:10:01', 0, %s, 's3cret-key', 'Boiler room')",
            c.nwtype, c.security));
        Main()->ShowDetailsPanel("00:1e:c0:4a:10:01");
        ASSERT_EQ(Main()->currentPanel, PANEL_DETAILS);
        wxWeakRef<wxWindow> page = Main()->GetPanel(PANEL_DETAILS);
        // Each value follows its label.
        std::map<wxString, wxString> shown;
        wxString label;
        for (wxWindow* child : page->GetChildren())
            if (dynamic_cast<wxStaticText*>(child)) {
                shown[label] = child->GetLabel();
                label = child->GetLabel();
                EXPECT_EQ(label.Find("s3cret"), wxNOT_FOUND) << "the password is never shown";
            }
        const std::map<wxString, wxString> expected = {
            {"MAC Address", "00:1e:c0:4a:10:01"}, {"IP", "127.0.0.21"},
            {"Description", "Boiler room"},       {"SSID", "plant-floor"},
            {"Netmask", "255.255.255.0"},         {"Default Gateway", "127.0.0.1"},
            {"Network Type", c.network},          {"Security", c.shownSecurity}};
        for (const auto& [name, value] : expected)
            EXPECT_EQ(shown[name], value) << name;

        // The page's Back replaces it from inside its own handler.
        AddModule("127.0.0.9", "00:1e:c0:4a:10:09", "added meanwhile");
        ASSERT_TRUE(Click(page, ID_BACK));
        EXPECT_EQ(Main()->currentPanel, PANEL_START);
        EXPECT_TRUE(Main()->startPanel->IsShown());
        EXPECT_EQ(Main()->startPanel->ModuleList()->GetCount(), 2u) << "the list is read again";
        EXPECT_TRUE(guitest::WaitFor([&] { return !page; }, 2000)) << "the details page was never destroyed";
    }
    EXPECT_TRUE(dialogs->Shown().empty());
}

const wxString Mac = "00:1e:c0:12:34:56";  // the test module's own

class Hub : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        module.SetIdentity("1.4.0", 'C', "porch");
        ASSERT_TRUE(module.Start());
    }
    // The hub shown once the show operation returned, or null.
    VantrelPanel* ShowHub(const wxString& ip = "127.0.0.1", const wxString& port = "")
    {
        Main()->ShowModulePanel(ip, port.empty() ? module.PortText() : port);
        guitest::Pump();
        return dynamic_cast<VantrelPanel*>(Main()->GetPanel(PANEL_MODULE));
    }
    TestModule module;
};

TEST_F(Hub, ConnectFromTheStartPageShowsTheModuleAndStoresIt)
{
    Main()->startPanel->IpCtrl()->SetValue("127.0.0.1");
    Main()->startPanel->PortCtrl()->SetValue(module.PortText());
    dialogs->Answer(wxID_YES);
    ASSERT_TRUE(Click(Main()->startPanel, 31));
    auto* hub = dynamic_cast<VantrelPanel*>(Main()->GetPanel(PANEL_MODULE));
    ASSERT_NE(hub, nullptr) << testing::PrintToString(dialogs->Messages());
    EXPECT_EQ(dialogs->Messages(),
              std::vector<wxString>{"Connect to device?: Are you sure to connect to device "
                                    "with IP = 127.0.0.1 and Port = " +
                                    module.PortText() + "?"});
    for (const wxString text : {"Vantrel-CS-UART Configuration", "1.4.0", "porch", "00:1e:c0:12:34:56"})
        EXPECT_TRUE(ShowsText(hub, text)) << text;
    EXPECT_EQ(Sql("SELECT ip, macaddress, descri FROM vemtor_vantrel"),
              std::vector<wxString>{"127.0.0.1|" + Mac + "|porch"});
    EXPECT_EQ(CommandJob::Running(), 0);

    EXPECT_TRUE(SaveScreenshot("hub.png"));

    // A registry that fails to store is reported; the hub is built all the same.
    Sql("DROP TABLE vemtor_vantrel");
    dialogs->Clear();
    ASSERT_NE(ShowHub(), nullptr);
    ASSERT_EQ(dialogs->Shown().size(), 1u);
    EXPECT_TRUE(dialogs->Messages()[0].StartsWith("Error: ")) << dialogs->Messages()[0];
}

TEST_F(Hub, ButtonsFollowTheModuleAndRefusalsLeaveItListed)
{
    TestModule refusing;
    refusing.SetFault(Fault::Refuse);
    ASSERT_TRUE(refusing.Start());
    const char* const buffer128 =
        "Your Vantrel module has an USDB buffer size of 128 bytes\n\nPlease use Configuration Version 1.0.2";
    const char* const unknown =
        "Your Vantrel model seems to be unknown. Please contact Vemtor Technical Support";
    const char* const oldCan =
        "Your version of Vantrel CAN-bus is not supported by this Vantrel Glimra version.\n\nPlease use "
        "Vantrel "
        "Glimra Version 1.1.9";
    const wxString longIp(40, '1');
    struct Case {
        char type;
        const char* firmware;
        bool loggedIn;
        std::vector<int> ids;  // the picture buttons; none when refused
        wxString error = "";
        uint16_t buffer = 1024;
        wxString ip = "127.0.0.1", port = "";
    } cases[] = {
        {'S', "1.2.0", false, {12, 23, 14, 22, 13, 20}},
        {'S', "1.1.9", false, {12, 16, 14, 13, 20}},
        {'D', "1.1.2", false, {12, 16, 14}},
        {'I', "1.3.0", false, {12, 23, 14, 25}},
        {'a', "1.0.9", false, {12, 16, 14, 17}},
        {'2', "1.2.0", false, {12, 23, 14, 22, 17, 24, 20, 21}},
        {'C', "1.4.1", true, {12, 23, 14, 22, 13, 20, 26, 27}},
        {'C', "1.4.0", true, {12, 23, 14, 22, 13, 20}},
        {'S', "1.4.0", false, {}, buffer128, 128},
        {'Z', "1.4.0", false, {}, unknown},
        {'A', "1.0.9", false, {}, oldCan},
        {'C', "1.4.0", false, {}, "Vantrel module unreachable", 1024, "127.0.0.1", refusing.PortText()},
        {'C', "1.4.0", false, {}, "Invalid Vantrel module address: " + longIp, 1024, longIp},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, c.type) + " " + c.firmware + (c.loggedIn ? " logged in" : ""));
        Sql("DELETE FROM vemtor_vantrel");
        dialogs->Clear();
        module.SetIdentity(c.firmware, c.type, "case", c.buffer);
        Main()->loggedIn = c.loggedIn;
        std::vector<int> ids;
        if (VantrelPanel* hub = ShowHub(c.ip, c.port))
            for (wxWindow* child : hub->GetChildren())
                if (dynamic_cast<wxBitmapButton*>(child))
                    ids.push_back(child->GetId());
        EXPECT_EQ(ids, c.ids);
        EXPECT_EQ(dialogs->Messages(),
                  c.error.empty() ? std::vector<wxString>{} : std::vector<wxString>{"Error: " + c.error});
        // A module that answered is stored and listed, refused or not.
        const bool answered = c.ip == "127.0.0.1" && c.port.empty();
        EXPECT_EQ(Sql("SELECT descri FROM vemtor_vantrel").size(), answered ? 1u : 0u);
        if (!c.error.empty()) {
            EXPECT_EQ(Main()->currentPanel, PANEL_START);
            EXPECT_EQ(Main()->startPanel->MacAddresses().Index(Mac) != wxNOT_FOUND, answered);
        }
    }
}

TEST_F(Hub, AnAbandonedWaitLeavesNoWorkerAndNoSocket)
{
    const wxString question = "End Connection?: Do you really want to cancel connection?";
    const wxString aborted = "Error: Connection aborted by user";
    struct Case {
        int pressEveryMs;  // 0: nobody presses Cancel, the wait runs out
        std::vector<int> answers;
        std::vector<wxString> messages;
        int atLeastMs;
    } cases[] = {
        {0, {}, {aborted}, CommandWaitSteps * 100},
        {150, {wxID_NO, wxID_YES}, {question, question, aborted}, 0},
    };
    module.SetFault(Fault::Silent);
    sock_set_receive_timeout(15);  // the worker would still be waiting
    for (const Case& c : cases) {
        dialogs->Clear();
        for (int answer : c.answers)
            dialogs->Answer(answer);
        // Presses the progress dialog's Cancel, as the user would.
        wxTimer presser;
        presser.Bind(wxEVT_TIMER, [](wxTimerEvent&) {
            for (wxWindow* top : wxTopLevelWindows)
                if (wxWindow* cancel = top->IsShown() ? top->FindWindow(wxID_CANCEL) : nullptr) {
                    wxCommandEvent click(wxEVT_BUTTON, wxID_CANCEL);
                    click.SetEventObject(cancel);
                    cancel->ProcessWindowEvent(click);
                }
        });
        if (c.pressEveryMs)
            presser.Start(c.pressEveryMs);
        const auto begin = std::chrono::steady_clock::now();
        EXPECT_EQ(ShowHub(), nullptr);
        EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(c.atLeastMs));
        presser.Stop();
        EXPECT_EQ(dialogs->Messages(), c.messages);
        EXPECT_TRUE(guitest::WaitFor([] { return CommandJob::Running() == 0; }, 1000));
        EXPECT_TRUE(guitest::WaitFor([&] { return OpenConnections(module.Port()) == 0; }, 1000));
    }
}

TEST_F(Hub, AliasEditWritesChecksTheEchoAndStores)
{
    VantrelPanel* hub = ShowHub();
    ASSERT_NE(hub, nullptr);
    ASSERT_TRUE(Click(hub, ID_HUB_ALIAS_EDIT));
    guitest::Pump();
    wxTextCtrl* field = hub->GetAliasCtrl();
    field->SetValue("garage");
    module.SetFault(Fault::AlterEcho, DATABLOCK_ALIAS);
    struct Case {
        std::vector<wxString> messages;
        const char* stored;
        bool done;  // the reboot notice shown and the field no longer editable
    } cases[] = {{{"Error: Configuration saved with errors!"}, "porch", false}, {{}, "garage", true}};
    for (const Case& c : cases) {
        dialogs->Clear();
        ASSERT_TRUE(Click(hub, ID_HUB_ALIAS_SAVE));
        guitest::Pump();
        EXPECT_EQ(dialogs->Messages(), c.messages);
        EXPECT_EQ(Sql("SELECT descri FROM vemtor_vantrel"), std::vector<wxString>{c.stored});
        EXPECT_EQ(ShowsText(hub, "*Vantrel reboot required"), c.done);
        EXPECT_EQ(field->IsEditable(), !c.done);
        // What was written: the alias in 32 bytes and the alias section's save code.
        std::vector<testmod::Block> blocks;
        ASSERT_TRUE(testmod::DecodeBlocks(module.Requests().back().data, true, &blocks));
        ASSERT_EQ(blocks.size(), 2u);
        testmod::Bytes alias = {'g', 'a', 'r', 'a', 'g', 'e'};
        alias.resize(32, 0);
        EXPECT_EQ(blocks[0].id, DATABLOCK_ALIAS);
        EXPECT_EQ(blocks[0].values, alias);
        EXPECT_EQ(blocks[1].id, DATABLOCK_SAVE);
        EXPECT_EQ(blocks[1].values, testmod::Bytes{4});
        module.SetFault(Fault::None);
    }
}

class Scan : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        sock_set_connect_timeout(3);  // what each scan must put back
        for (uint8_t n : {2, 5}) {
            modules.push_back(std::make_unique<TestModule>("127.0.0." + std::to_string(n), 65000));
            modules.back()->SetIdentity("1.4.0", 'S', "unit " + std::to_string(n), 1024,
                                        {0, 30, 192, 0, 0, n});
            ASSERT_TRUE(modules.back()->Start()) << "port 65000 of 127.0.0." << int(n) << " is taken";
        }
        Main()->ShowScanPanel();
        page = dynamic_cast<VantrelScanPanel*>(Main()->GetPanel(PANEL_SCAN));
        ASSERT_NE(page, nullptr);
        page->Bind(wxEventTypeTag<wxCommandEvent>(EVT_SCAN_PROGRESS), [this](wxCommandEvent& e) {
            progress.push_back(e.GetString());
            e.Skip();
        });
    }
    void StartStop() { Click(page, 32); }  // the page's start/stop button
    // Starts a scan of the range; false when it did not end in time.
    bool RunScan(const char* from, const char* to, int ms = 5000)
    {
        progress.clear();
        page->StartControl()->SetValue(from);
        page->EndControl()->SetValue(to);
        StartStop();
        return guitest::WaitFor([this] { return !page->IsScanning(); }, ms);
    }
    // The scan ended cleanly: no worker, no connection, the time-out put back.
    void ExpectCleanEnd()
    {
        EXPECT_TRUE(guitest::WaitFor([] { return ScanJob::Running() == 0; }, 1000));
        EXPECT_TRUE(guitest::WaitFor([] { return OpenConnections(65000) == 0; }, 1000));
        EXPECT_EQ(sock_get_connect_timeout(), 3);
    }

    std::vector<std::unique_ptr<TestModule>> modules;
    VantrelScanPanel* page = nullptr;
    std::vector<wxString> progress;
};

TEST_F(Scan, FindsExactlyTheModulesOfTheRange)
{
    ASSERT_TRUE(RunScan("127.0.0.1", "127.0.1.6"));
    EXPECT_EQ(dialogs->Messages(),
              std::vector<wxString>{"Error: Start and End Ip must be in the same subnet (C class)!"});
    EXPECT_EQ(page->Job(), nullptr);

    dialogs->Clear();
    ASSERT_TRUE(RunScan("127.0.0.1", "127.0.0.6"));
    EXPECT_EQ(page->StatusLabel()->GetLabel(), "Scan finished!");
    EXPECT_EQ(progress, (std::vector<wxString>{"127.0.0.1", "127.0.0.2", "127.0.0.3", "127.0.0.4",
                                               "127.0.0.5", "127.0.0.6"}));
    ASSERT_EQ(page->FoundList()->GetCount(), 2u);
    EXPECT_EQ(page->FoundList()->GetString(0), "IP: 127.0.0.2 - MAC: 00:1e:c0:00:00:02 - Alias: unit 2");
    EXPECT_EQ(page->FoundList()->GetString(1), "IP: 127.0.0.5 - MAC: 00:1e:c0:00:00:05 - Alias: unit 5");
    EXPECT_EQ(
        Sql("SELECT ip, macaddress, descri FROM vemtor_vantrel ORDER BY rowid"),
        (std::vector<wxString>{"127.0.0.2|00:1e:c0:00:00:02|unit 2", "127.0.0.5|00:1e:c0:00:00:05|unit 5"}));
    EXPECT_TRUE(dialogs->Shown().empty());
    ExpectCleanEnd();
    // Each module got a request of its own, not the reply that an earlier
    // exchange left in the message.
    for (const auto& m : modules) {
        std::vector<testmod::Block> blocks;
        ASSERT_EQ(m->Requests().size(), 1u);
        EXPECT_EQ(m->Requests()[0].action, CMD_ACTION_GET);
        ASSERT_TRUE(testmod::DecodeBlocks(m->Requests()[0].data, false, &blocks));
        ASSERT_EQ(blocks.size(), 2u);
        EXPECT_EQ(blocks[0].id, DATABLOCK_MAC);
        EXPECT_EQ(blocks[1].id, DATABLOCK_ALIAS);
    }
}

TEST_F(Scan, AStopOrAReplyWithoutMacOrAliasEndsTheScanCleanly)
{
    TestModule silent("127.0.0.3", 65000);  // takes the connection, never answers
    silent.SetFault(Fault::Silent);
    ASSERT_TRUE(silent.Start());
    sock_set_receive_timeout(10);
    struct Case {
        int missing;  // 0: the user stops the scan while 127.0.0.3 keeps it waiting
        size_t probed, found;
    } cases[] = {{DATABLOCK_MAC, 2, 0}, {DATABLOCK_ALIAS, 2, 0}, {0, 3, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.missing);
        modules[0]->SetFault(c.missing ? Fault::MissingBlock : Fault::None, c.missing);
        const bool ended = RunScan("127.0.0.1", "127.0.0.6", c.missing ? 5000 : 0);
        if (!c.missing) {
            EXPECT_FALSE(ended);
            ASSERT_TRUE(silent.WaitForRequests(1, 3000));
            guitest::WaitFor([&] { return progress.size() == c.probed; }, 1000);
            StartStop();
            EXPECT_FALSE(page->IsScanning()) << "stopped at once";
        }
        EXPECT_EQ(page->StatusLabel()->GetLabel(), "Scan stopped!");
        ExpectCleanEnd();
        guitest::PumpFor(100);
        EXPECT_EQ(page->StatusLabel()->GetLabel(), "Scan stopped!") << "nothing of the ended scan arrives";
        EXPECT_EQ(progress.size(), c.probed);
        EXPECT_EQ(page->FoundList()->GetCount(), c.found);
        EXPECT_EQ(modules[1]->Connections(), 0) << "127.0.0.5 is never probed";
    }
}

TEST(ScanTimeout, HeldAtOneSecondWhileAnyScanRuns)
{
    // +1 starts a scan, -1 ends the oldest; then the time-out in force. The
    // second scan starts before the first one's worker has ended.
    const std::pair<int, int> steps[] = {{+1, 1}, {-1, 7}, {+1, 1}, {+1, 1}, {-1, 1}, {-1, 7}};
    const uint8_t saved = sock_get_connect_timeout();
    sock_set_connect_timeout(7);
    std::vector<std::unique_ptr<ScanTimeout>> scans;
    for (const auto& [step, timeout] : steps) {
        if (step > 0)
            scans.push_back(std::make_unique<ScanTimeout>());
        else
            scans.erase(scans.begin());
        EXPECT_EQ(sock_get_connect_timeout(), timeout) << "after " << scans.size() << " scans";
    }
    sock_set_connect_timeout(saved);
}

}  // namespace
