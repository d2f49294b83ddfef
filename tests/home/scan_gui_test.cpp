// The scan page end to end: test modules on two of 127.0.0.1 to 127.0.0.6
// on the configuration port 65000 (these tests hold the port's lock).
#include <gtest/gtest.h>
#include <wx/bmpbuttn.h>
#include <wx/listbox.h>
#include <wx/stattext.h>
#include <wx/wxsqlite3.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "Db.h"
#include "MainWindow.h"
#include "ScanDevicesThread.h"
#include "StartPanel.h"
#include "VantrelPanel.h"
#include "VantrelScanPanel.h"
#include "hub_test_util.h"
#include "sock.h"
#include "test_module.h"
#include "wxIPCtrl.h"

namespace {

using hubtest::OpenConnections;
using hubtest::RegistryColumn;
using testmod::Fault;
using testmod::TestModule;

constexpr int ID_CONNECT = 31;
constexpr int ID_START_STOP = 32;

class ScanPage : public hubtest::HubTest {
protected:
    void SetUp() override
    {
        HubTest::SetUp();
        // A value the scan must put back when it is done.
        sock_set_connect_timeout(3);
        for (int octet : {2, 5}) {
            auto m = std::make_unique<TestModule>("127.0.0." + std::to_string(octet), 65000);
            m->SetIdentity("1.4.0", 'S', "unit " + std::to_string(octet), 1024,
                           {0x00, 0x1e, 0xc0, 0x00, 0x00, uint8_t(octet)});
            ASSERT_TRUE(m->Start()) << "port 65000 of 127.0.0." << octet << " is taken";
            modules.push_back(std::move(m));
        }
    }
    void TearDown() override
    {
        HubTest::TearDown();
        // Nothing of any scan is left running.
        EXPECT_TRUE(guitest::WaitFor([] { return ScanJob::Running() == 0; }, 3000));
        EXPECT_EQ(ScanTimeout::Holders(), 0);
    }

    VantrelScanPanel* ShowScan()
    {
        Main()->ShowScanPanel();
        auto* page = dynamic_cast<VantrelScanPanel*>(Main()->GetPanel(PANEL_SCAN));
        if (page) {
            // Records every address reported, then lets the page see it.
            page->Bind(wxEventTypeTag<wxCommandEvent>(EVT_SCAN_PROGRESS), [this](wxCommandEvent& e) {
                progress.push_back(e.GetString());
                e.Skip();
            });
        }
        return page;
    }

    void SetRange(VantrelScanPanel* page, const wxString& from, const wxString& to)
    {
        ASSERT_TRUE(page->StartControl()->SetValue(from));
        ASSERT_TRUE(page->EndControl()->SetValue(to));
    }

    bool WaitScanEnd(VantrelScanPanel* page, int ms = 5000)
    {
        return guitest::WaitFor([page] { return !page->IsScanning(); }, ms);
    }

    std::vector<std::unique_ptr<TestModule>> modules;
    std::vector<wxString> progress;
};

TEST_F(ScanPage, FindsExactlyTheModulesOfTheRange)
{
    VantrelScanPanel* page = ShowScan();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(Main()->currentPanel, PANEL_SCAN);
    EXPECT_FALSE(page->StatusLabel()->IsShown());
    SetRange(page, "127.0.0.1", "127.0.0.6");
    ASSERT_TRUE(Click(page, ID_START_STOP));
    EXPECT_TRUE(page->IsScanning());
    EXPECT_TRUE(page->StatusLabel()->IsShown());
    ASSERT_TRUE(WaitScanEnd(page));

    EXPECT_EQ(page->StatusLabel()->GetLabel(), "Scan finished!");
    EXPECT_EQ(progress, (std::vector<wxString>{"127.0.0.1", "127.0.0.2", "127.0.0.3", "127.0.0.4",
                                               "127.0.0.5", "127.0.0.6"}));
    ASSERT_EQ(page->FoundList()->GetCount(), 2u);
    EXPECT_EQ(page->FoundList()->GetString(0), "IP: 127.0.0.2 - MAC: 00:1e:c0:00:00:02 - Alias: unit 2");
    EXPECT_EQ(page->FoundList()->GetString(1), "IP: 127.0.0.5 - MAC: 00:1e:c0:00:00:05 - Alias: unit 5");
    EXPECT_EQ(page->FoundAddresses().size(), 2u);
    EXPECT_EQ(RegistryColumn("macaddress"),
              (std::vector<wxString>{"00:1e:c0:00:00:02", "00:1e:c0:00:00:05"}));
    EXPECT_EQ(RegistryColumn("ip"), (std::vector<wxString>{"127.0.0.2", "127.0.0.5"}));
    EXPECT_EQ(RegistryColumn("descri"), (std::vector<wxString>{"unit 2", "unit 5"}));
    EXPECT_TRUE(guitest::WaitFor([] { return ScanJob::Running() == 0; }, 2000));
    EXPECT_EQ(sock_get_connect_timeout(), 3);
    EXPECT_TRUE(dialogs->Shown().empty()) << ::testing::PrintToString(Messages());

    // A second scan of the same range keeps one row per module.
    modules[0]->SetIdentity("1.4.0", 'S', "renamed", 1024, {0x00, 0x1e, 0xc0, 0x00, 0x00, 2});
    ASSERT_TRUE(Click(page, ID_START_STOP));
    ASSERT_TRUE(WaitScanEnd(page));
    EXPECT_EQ(page->FoundList()->GetCount(), 2u);
    EXPECT_EQ(RegistryColumn("descri"), (std::vector<wxString>{"renamed", "unit 5"}));

    // Connect to the second module found: its hub on port 65000.
    page->FoundList()->SetSelection(1);
    ASSERT_TRUE(Click(page, ID_CONNECT));
    guitest::Pump();
    VantrelPanel* hub = Hub();
    ASSERT_NE(hub, nullptr) << ::testing::PrintToString(Messages());
    EXPECT_EQ(hub->GetIp(), "127.0.0.5");
    EXPECT_EQ(hub->GetPort(), "65000");
    EXPECT_EQ(hub->GetAlias(), "unit 5");
}

TEST_F(ScanPage, ConnectWithoutSelectionDoesNothing)
{
    VantrelScanPanel* page = ShowScan();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(Click(page, ID_CONNECT));
    guitest::Pump();
    EXPECT_EQ(Main()->currentPanel, PANEL_SCAN);
    for (const auto& m : modules)
        EXPECT_EQ(m->Connections(), 0);
}

TEST_F(ScanPage, StopMidScanEndsAtOnce)
{
    // The third address takes the connection and never answers.
    TestModule silent("127.0.0.3", 65000);
    silent.SetFault(Fault::Silent);
    ASSERT_TRUE(silent.Start());
    sock_set_receive_timeout(10);

    VantrelScanPanel* page = ShowScan();
    ASSERT_NE(page, nullptr);
    SetRange(page, "127.0.0.1", "127.0.0.6");
    ASSERT_TRUE(Click(page, ID_START_STOP));
    ASSERT_TRUE(silent.WaitForRequests(1, 3000));
    guitest::PumpFor(50);
    const auto begin = std::chrono::steady_clock::now();
    ASSERT_TRUE(Click(page, ID_START_STOP));
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(100));

    EXPECT_FALSE(page->IsScanning());
    EXPECT_EQ(page->StatusLabel()->GetLabel(), "Scan stopped!");
    EXPECT_TRUE(guitest::WaitFor([] { return ScanJob::Running() == 0; }, 1000));
    guitest::PumpFor(200);
    EXPECT_EQ(page->StatusLabel()->GetLabel(), "Scan stopped!");
    EXPECT_EQ(page->FoundList()->GetCount(), 1u);  // what was found stays
    EXPECT_EQ(modules[1]->Connections(), 0);       // .5 was never probed
    EXPECT_EQ(sock_get_connect_timeout(), 3);
    EXPECT_TRUE(guitest::WaitFor([] { return OpenConnections(65000) == 0; }, 1000));
}

TEST_F(ScanPage, BackDuringScanLeavesAtOnce)
{
    TestModule silent("127.0.0.3", 65000);
    silent.SetFault(Fault::Silent);
    ASSERT_TRUE(silent.Start());
    sock_set_receive_timeout(10);

    VantrelScanPanel* page = ShowScan();
    ASSERT_NE(page, nullptr);
    SetRange(page, "127.0.0.1", "127.0.0.6");
    ASSERT_TRUE(Click(page, ID_START_STOP));
    ASSERT_TRUE(silent.WaitForRequests(1, 3000));
    guitest::PumpFor(50);
    const auto begin = std::chrono::steady_clock::now();
    wxCommandEvent back(wxEVT_MENU, ID_BACK);
    Main()->OnBack(back);
    guitest::Pump();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(500));

    EXPECT_EQ(Main()->currentPanel, PANEL_START);
    EXPECT_EQ(Main()->GetPanel(PANEL_SCAN), nullptr);
    EXPECT_TRUE(guitest::WaitFor([] { return ScanJob::Running() == 0; }, 1000));
    EXPECT_EQ(sock_get_connect_timeout(), 3);
    // The module found before leaving is listed on the start page.
    EXPECT_NE(Main()->startPanel->MacAddresses().Index("00:1e:c0:00:00:02"), wxNOT_FOUND);
}

TEST_F(ScanPage, ConnectDuringScanStopsItFirst)
{
    TestModule silent("127.0.0.3", 65000);
    silent.SetFault(Fault::Silent);
    ASSERT_TRUE(silent.Start());
    sock_set_receive_timeout(10);
    // Module .2 answers as usual and notes whether the scan was over by the
    // time the hub's identity read reached it.
    std::atomic<int> scanGoneAtHubRead{-1};
    TestModule* two = modules[0].get();
    two->SetResponder(
        [two, &scanGoneAtHubRead](const testmod::Frame& request) -> std::optional<testmod::Bytes> {
            std::vector<testmod::Block> blocks;
            testmod::DecodeBlocks(request.data, false, &blocks);
            bool identity = false;
            for (testmod::Block& b : blocks) {
                b.values = two->Element(b.id, b.index);
                identity |= b.id == DATABLOCK_MODULE_INFO;
            }
            if (identity) {
                const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
                while (ScanJob::Running() != 0 && std::chrono::steady_clock::now() < end)
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                scanGoneAtHubRead = ScanJob::Running() == 0;
            }
            testmod::Frame reply = request;
            reply.data = testmod::EncodeBlocks(blocks);
            return testmod::EncodeFrame(reply);
        });

    VantrelScanPanel* page = ShowScan();
    ASSERT_NE(page, nullptr);
    SetRange(page, "127.0.0.1", "127.0.0.6");
    ASSERT_TRUE(Click(page, ID_START_STOP));
    ASSERT_TRUE(silent.WaitForRequests(1, 3000));
    ASSERT_TRUE(guitest::WaitFor([page] { return page->FoundList()->GetCount() == 1; }, 1000));
    page->FoundList()->SetSelection(0);
    ASSERT_TRUE(Click(page, ID_CONNECT));
    guitest::Pump();

    VantrelPanel* hub = Hub();
    ASSERT_NE(hub, nullptr) << ::testing::PrintToString(Messages());
    EXPECT_EQ(hub->GetIp(), "127.0.0.2");
    EXPECT_EQ(scanGoneAtHubRead.load(), 1);
    EXPECT_EQ(modules[1]->Connections(), 0);  // the scan went no further
    EXPECT_EQ(sock_get_connect_timeout(), 3);
}

TEST_F(ScanPage, ReplyWithoutAliasEndsTheScan)
{
    modules[0]->SetFault(Fault::MissingBlock, DATABLOCK_ALIAS);
    VantrelScanPanel* page = ShowScan();
    ASSERT_NE(page, nullptr);
    SetRange(page, "127.0.0.1", "127.0.0.6");
    ASSERT_TRUE(Click(page, ID_START_STOP));
    ASSERT_TRUE(WaitScanEnd(page));
    EXPECT_EQ(page->StatusLabel()->GetLabel(), "Scan stopped!");
    EXPECT_EQ(progress, (std::vector<wxString>{"127.0.0.1", "127.0.0.2"}));
    EXPECT_EQ(page->FoundList()->GetCount(), 0u);
    EXPECT_EQ(modules[1]->Connections(), 0);
    EXPECT_TRUE(guitest::WaitFor([] { return ScanJob::Running() == 0; }, 1000));
    EXPECT_EQ(sock_get_connect_timeout(), 3);

    // The page can scan again.
    modules[0]->SetFault(Fault::None);
    progress.clear();
    ASSERT_TRUE(Click(page, ID_START_STOP));
    ASSERT_TRUE(WaitScanEnd(page));
    EXPECT_EQ(page->StatusLabel()->GetLabel(), "Scan finished!");
    EXPECT_EQ(page->FoundList()->GetCount(), 2u);
}

TEST_F(ScanPage, RangeChecks)
{
    struct Case {
        const char* from;
        const char* to;
        bool starts;
        size_t probes;
    } cases[] = {
        {"127.0.0.1", "127.0.1.6", false, 0},
        {"127.0.0.1", "126.0.0.6", false, 0},
        {"127.0.0.9", "127.0.0.3", true, 0},  // reversed: finished at once
        {"127.0.0.5", "127.0.0.5", true, 1},
    };
    VantrelScanPanel* page = ShowScan();
    ASSERT_NE(page, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " to " + c.to);
        dialogs->Clear();
        progress.clear();
        SetRange(page, c.from, c.to);
        ASSERT_TRUE(Click(page, ID_START_STOP));
        if (!c.starts) {
            EXPECT_FALSE(page->IsScanning());
            EXPECT_EQ(page->Job(), nullptr);
            EXPECT_EQ(Messages(),
                      std::vector<wxString>{"Error: Start and End Ip must be in the same subnet (C class)!"});
            continue;
        }
        ASSERT_TRUE(WaitScanEnd(page));
        EXPECT_EQ(page->StatusLabel()->GetLabel(), "Scan finished!");
        EXPECT_EQ(progress.size(), c.probes);
        EXPECT_TRUE(dialogs->Shown().empty());
    }
}

TEST_F(ScanPage, RestartRightAfterTheEndKeepsItsScan)
{
    VantrelScanPanel* page = ShowScan();
    ASSERT_NE(page, nullptr);
    SetRange(page, "127.0.0.2", "127.0.0.2");
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(Click(page, ID_START_STOP));
        const int id = page->Job()->Id();
        ASSERT_TRUE(WaitScanEnd(page));
        EXPECT_EQ(page->StatusLabel()->GetLabel(), "Scan finished!");
        EXPECT_EQ(page->FoundList()->GetCount(), 1u);
        // Started again while the previous worker may still be ending.
        ASSERT_TRUE(Click(page, ID_START_STOP));
        ASSERT_NE(page->Job(), nullptr);
        EXPECT_NE(page->Job()->Id(), id);
        EXPECT_TRUE(page->IsScanning());
        ASSERT_TRUE(WaitScanEnd(page));
        EXPECT_EQ(page->FoundList()->GetCount(), 1u);
    }
    EXPECT_TRUE(guitest::WaitFor([] { return ScanJob::Running() == 0; }, 2000));
    EXPECT_EQ(sock_get_connect_timeout(), 3);
}

TEST_F(ScanPage, RegistryFailureIsReportedAndTheScanGoesOn)
{
    VantrelScanPanel* page = ShowScan();
    ASSERT_NE(page, nullptr);
    {
        wxSQLite3Database db;
        db.Open(Db::FileName);
        db.ExecuteUpdate("DROP TABLE vemtor_vantrel");
        db.Close();
    }
    SetRange(page, "127.0.0.1", "127.0.0.6");
    ASSERT_TRUE(Click(page, ID_START_STOP));
    ASSERT_TRUE(WaitScanEnd(page));
    EXPECT_EQ(page->StatusLabel()->GetLabel(), "Scan finished!");
    EXPECT_EQ(page->FoundList()->GetCount(), 2u);
    ASSERT_EQ(dialogs->Shown().size(), 2u);
    for (const guitest::ShownDialog& d : dialogs->Shown()) {
        EXPECT_EQ(d.title, "Error");
        EXPECT_TRUE(d.message.Contains("vemtor_vantrel")) << d.message;
    }
}

}  // namespace
