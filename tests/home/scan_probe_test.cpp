// The scan's probe loop against test modules on loopback addresses, without
// a thread or a window: what it reports, what each module receives, how it
// ends, and the connect time-out it holds while it runs.
#include <dirent.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ScanProbe.h"
#include "cmd_test_hooks.h"
#include "sock.h"
#include "test_module.h"

namespace {

using testmod::Fault;
using testmod::TestModule;

int OpenFdCount()
{
    int n = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d))
            ++n;
        closedir(d);
    }
    return n;
}

// The test module closes its side of a connection a moment after ours.
bool FdCountSettles(int expected)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (OpenFdCount() != expected) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class Recorder : public ScanListener {
public:
    void OnProgress(const std::string& ip) override
    {
        probed.push_back(ip);
        timeouts.push_back(sock_get_connect_timeout());
        if (onProgress)
            onProgress(ip);
    }
    void OnFound(const ScanResultRecord& record) override { found.push_back(record); }

    std::vector<std::string> probed;
    std::vector<int> timeouts;
    std::vector<ScanResultRecord> found;
    std::function<void(const std::string&)> onProgress;
};

// Fast exchanges; the connect time-out the scan must put back is 7.
class ScanProbeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        connect_ = sock_get_connect_timeout();
        receive_ = sock_get_receive_timeout();
        pause_ = cmd_test_get_exchange_pause_ms();
        sock_set_connect_timeout(7);
        sock_set_receive_timeout(2);
        cmd_test_set_exchange_pause_ms(0);
    }
    void TearDown() override
    {
        sock_set_connect_timeout(connect_);
        sock_set_receive_timeout(receive_);
        cmd_test_set_exchange_pause_ms(pause_);
    }

    // Modules on the given last octets of 127.0.0.x, all on one port.
    std::vector<std::unique_ptr<TestModule>> StartModules(const std::vector<int>& octets)
    {
        for (int attempt = 0; attempt < 10; ++attempt) {
            std::vector<std::unique_ptr<TestModule>> modules;
            uint16_t port = 0;
            bool ok = true;
            for (int octet : octets) {
                auto m = std::make_unique<TestModule>("127.0.0." + std::to_string(octet), port);
                m->SetIdentity("1.4.0", 'S', "module " + std::to_string(octet), 1024,
                               {0x00, 0x1e, 0xc0, 0x00, 0x00, uint8_t(octet)});
                if (!m->Start()) {
                    ok = false;
                    break;
                }
                port = m->Port();
                modules.push_back(std::move(m));
            }
            if (ok) {
                port_ = port;
                return modules;
            }
        }
        ADD_FAILURE() << "no common free port";
        return {};
    }

    uint16_t port_ = 0;
    uint8_t connect_ = 0, receive_ = 0;
    unsigned pause_ = 0;
};

TEST(ScanRange, FromFieldTexts)
{
    struct Case {
        const char* f[5];
        const char* base;
        int first, last;
    } cases[] = {
        {{"192", "168", "100", "1", "255"}, "192.168.100.", 1, 255},
        {{"127", "0", "0", "", "6"}, "127.0.0.", 0, 6},
        {{"10", "010", "1", "010", "20"}, "10.010.1.", 10, 20},  // decimal, as typed
        {{"127", "0", "0", "9", "3"}, "127.0.0.", 9, 3},
        {{"127", "0", "0", "5", ""}, "127.0.0.", 5, 0},
    };
    for (const Case& c : cases) {
        const ScanRange r = MakeScanRange(c.f[0], c.f[1], c.f[2], c.f[3], c.f[4]);
        EXPECT_EQ(r.base, c.base);
        EXPECT_EQ(r.first, c.first);
        EXPECT_EQ(r.last, c.last);
    }
}

TEST_F(ScanProbeTest, FindsTheModulesOfTheRangeEachWithItsOwnRequest)
{
    auto modules = StartModules({2, 4});
    ASSERT_EQ(modules.size(), 2u);
    Recorder rec;
    const ScanEnd end = ScanAddresses(MakeScanRange("127", "0", "0", "1", "6"), port_, rec, nullptr);

    EXPECT_EQ(end, ScanEnd::Finished);
    EXPECT_EQ(rec.probed, (std::vector<std::string>{"127.0.0.1", "127.0.0.2", "127.0.0.3", "127.0.0.4",
                                                    "127.0.0.5", "127.0.0.6"}));
    EXPECT_EQ(rec.timeouts, std::vector<int>(6, 1));
    EXPECT_EQ(sock_get_connect_timeout(), 7);
    ASSERT_EQ(rec.found.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        const int octet = i == 0 ? 2 : 4;
        const ScanResultRecord& r = rec.found[i];
        EXPECT_EQ(std::vector<int>(r.ip, r.ip + 4), (std::vector<int>{127, 0, 0, octet}));
        EXPECT_EQ(r.mac[5], octet);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(r.alias)), "module " + std::to_string(octet));

        // Each module got the probe itself, not the reply an earlier
        // exchange left in the message.
        const auto requests = modules[i]->Requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].action, CMD_ACTION_GET);
        std::vector<testmod::Block> blocks;
        ASSERT_TRUE(testmod::DecodeBlocks(requests[0].data, false, &blocks));
        ASSERT_EQ(blocks.size(), 2u);
        EXPECT_EQ(blocks[0].id, DATABLOCK_MAC);
        EXPECT_EQ(blocks[1].id, DATABLOCK_ALIAS);
    }
}

TEST_F(ScanProbeTest, FullAliasHasNoTerminator)
{
    auto modules = StartModules({3});
    ASSERT_EQ(modules.size(), 1u);
    modules[0]->SetElement(DATABLOCK_ALIAS, 0, testmod::Bytes(32, 'Q'));
    Recorder rec;
    ASSERT_EQ(ScanAddresses(MakeScanRange("127", "0", "0", "3", "3"), port_, rec, nullptr),
              ScanEnd::Finished);
    ASSERT_EQ(rec.found.size(), 1u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(rec.found[0].alias), 32), std::string(32, 'Q'));
    EXPECT_EQ(rec.probed.size(), 1u);
}

TEST_F(ScanProbeTest, ReplyWithoutMacOrAliasEndsTheScan)
{
    for (int missing : {DATABLOCK_MAC, DATABLOCK_ALIAS}) {
        SCOPED_TRACE(missing);
        auto modules = StartModules({2, 4});
        ASSERT_EQ(modules.size(), 2u);
        modules[0]->SetFault(Fault::MissingBlock, missing);
        Recorder rec;
        EXPECT_EQ(ScanAddresses(MakeScanRange("127", "0", "0", "1", "6"), port_, rec, nullptr),
                  ScanEnd::IncompleteReply);
        EXPECT_EQ(rec.probed, (std::vector<std::string>{"127.0.0.1", "127.0.0.2"}));
        EXPECT_TRUE(rec.found.empty());
        EXPECT_TRUE(modules[1]->Requests().empty());
        EXPECT_EQ(sock_get_connect_timeout(), 7);
    }
}

TEST_F(ScanProbeTest, StopCutsTheExchangeInProgressShort)
{
    auto modules = StartModules({2});
    ASSERT_EQ(modules.size(), 1u);
    modules[0]->SetFault(Fault::Silent);
    sock_set_receive_timeout(10);
    CmdCancel cancel;
    Recorder rec;
    std::thread stopper;
    rec.onProgress = [&](const std::string& ip) {
        if (ip == "127.0.0.2")
            stopper = std::thread([&] {
                modules[0]->WaitForRequests(1, 5000);
                cancel.Cancel();
            });
    };
    const int fds = OpenFdCount();
    const auto start = std::chrono::steady_clock::now();
    const ScanEnd end = ScanAddresses(MakeScanRange("127", "0", "0", "1", "6"), port_, rec, &cancel);
    const auto took = std::chrono::steady_clock::now() - start;
    stopper.join();

    EXPECT_EQ(end, ScanEnd::Stopped);
    EXPECT_LT(took, std::chrono::seconds(3));  // well below the 10 s receive time-out
    EXPECT_EQ(rec.probed, (std::vector<std::string>{"127.0.0.1", "127.0.0.2"}));
    EXPECT_EQ(sock_get_connect_timeout(), 7);
    // The scan's socket is closed, so the module closes its side too.
    EXPECT_TRUE(FdCountSettles(fds));
}

TEST_F(ScanProbeTest, TimeoutHeldWhileAnyScanRuns)
{
    // Steps: +1 starts a scan, -1 ends the oldest; the time-out after each.
    struct Case {
        const char* name;
        std::vector<int> steps;
        std::vector<int> timeouts;
    } cases[] = {
        {"one scan", {+1, -1}, {1, 7}},
        {"overlapping, first ends first", {+1, +1, -1, -1}, {1, 1, 1, 7}},
        {"back to back", {+1, -1, +1, -1}, {1, 7, 1, 7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::unique_ptr<ScanTimeout>> scans;
        for (size_t i = 0; i < c.steps.size(); ++i) {
            if (c.steps[i] > 0)
                scans.push_back(std::make_unique<ScanTimeout>());
            else
                scans.erase(scans.begin());
            EXPECT_EQ(sock_get_connect_timeout(), c.timeouts[i]) << "after step " << i;
            EXPECT_EQ(ScanTimeout::Holders(), static_cast<int>(scans.size()));
        }
    }
}

}  // namespace
