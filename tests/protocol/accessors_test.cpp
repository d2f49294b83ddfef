// The typed accessors against the test module on loopback, and the CAN text
// frames.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>

#include "can_text.h"
#include "cmd_accessors.h"
#include "cmd_error.h"
#include "proto_test_util.h"
#include "test_module.h"

namespace {

using testmod::Fault;
using testmod::Frame;
using testmod::TestModule;
using Call = std::function<bool(const char* ip, uint16_t port)>;

constexpr const char* kIp = "127.0.0.1";
// Never recorded by the library: shows that a refusal left the code alone.
constexpr int kUntouched = CMD_ERR_VCOM_SAVE;

// The block ids of a request and the values of each, in order.
std::vector<std::pair<uint16_t, Bytes>> BlocksOf(const Frame& f)
{
    std::vector<testmod::Block> blocks;
    EXPECT_TRUE(testmod::DecodeBlocks(f.data, f.action != CMD_ACTION_GET, &blocks));
    std::vector<std::pair<uint16_t, Bytes>> out;
    for (const auto& b : blocks)
        out.push_back({b.id, b.values});
    return out;
}

Bytes Text(const std::string& s, size_t size)
{
    Bytes b(s.begin(), s.end());
    b.resize(size, 0);
    return b;
}

NETWORK_RECORD Network(uint8_t infrastructure, uint8_t security)
{
    NETWORK_RECORD n = {};
    n.infrastructure = infrastructure;
    const uint8_t ip[4] = {10, 1, 2, 3}, mask[4] = {255, 255, 255, 0}, gw[4] = {10, 1, 2, 254};
    memcpy(n.ip, ip, 4);
    memcpy(n.netmask, mask, 4);
    memcpy(n.gateway, gw, 4);
    strcpy(n.ssid, "workshop");
    n.security = security;
    strcpy(n.key, "open sesame");
    n.channel = 11;
    n.rfPower = 2;
    n.block7Value = 5;
    return n;
}

class Accessors : public testing::Test {
protected:
    ExchangeSettings settings{1, 1, 0};
};

// Each write sends its blocks, most significant byte first, and ends with the
// section it saves. Types that need an identity read get one first.
TEST_F(Accessors, WritesFrameTheirBlocks)
{
    const UART_RECORD uart = {921600, 2, 1};
    const std::string forty = "0123456789abcdefghijKLMNOPQRSTUVWXYZ+-*/";
    auto network = [](uint8_t infra, uint8_t security) {
        return [=](const char* ip, uint16_t p) {
            NETWORK_RECORD n = Network(infra, security);
            return cmd_set_network(ip, p, &n);
        };
    };
    const Bytes gw = {10, 1, 2, 254}, key = Text("open sesame", 63), ssid = Text("workshop", 32);
    const Bytes net_head[] = {{10, 1, 2, 3}, {255, 255, 255, 0}};
    auto net = [&](uint8_t block5, Bytes gateway, Bytes k, uint8_t security) {
        return std::vector<std::pair<uint16_t, Bytes>>{
            {5, {block5}}, {14, net_head[0]}, {15, net_head[1]}, {16, gateway}, {10, ssid}, {9, k},
            {6, {security}}, {12, {11}}, {8, {2}}, {7, {5}}, {24, {CONF_SECTION_NETWORK}}};
    };
    struct Case {
        const char* name;
        char type;  // 0: no identity read expected
        Call call;
        std::vector<std::pair<uint16_t, Bytes>> blocks;
    } cases[] = {
        {"alias cut to 32", 0, [&](const char* ip, uint16_t p) { return cmd_set_alias(ip, p, forty.c_str()); },
         {{39, Text(forty.substr(0, 32), 32)}, {24, {CONF_SECTION_ALIAS}}}},
        {"empty alias", 0, [](const char* ip, uint16_t p) { return cmd_set_alias(ip, p, ""); },
         {{39, Bytes(32, 0)}, {24, {CONF_SECTION_ALIAS}}}},
        {"uart", 'G', [&](const char* ip, uint16_t p) { return cmd_set_uart(ip, p, &uart); },
         {{35, Hex("00 0E 10 00")}, {34, {1}}, {33, {2}}, {24, {CONF_SECTION_UART}}}},
        {"infrastructure with WPA2", 0, network(1, 2), net(1, gw, key, 2)},
        {"infrastructure open", 0, network(1, 0), net(1, gw, Bytes(63, 0), 0)},
        {"ad-hoc open", 0, network(0, 0), net(0, Bytes(4, 0), Bytes(63, 0), 0)},
        {"ad-hoc with WEP", 0, network(0, 3), net(2, Bytes(4, 0), key, 3)},
        {"io line 3", 'E', [](const char* ip, uint16_t p) { return cmd_set_io(ip, p, 3, 1, 0); },
         {{45, {3, 1, 0}}, {24, {CONF_SECTION_IO}}}},
        // The bit timing goes back as the settings read just before hold it.
        {"can", 'B', [](const char* ip, uint16_t p) { return cmd_set_can(ip, p, 1000000, 8, 2); },
         {{44, Hex("00 0F 42 40  0A 0B 0C 0D 0E  08 02")}, {24, {CONF_SECTION_CAN_SETTINGS}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestModule m;
        if (c.type)
            m.SetIdentity("1.5.0", c.type, "x");
        m.SetElement(DATABLOCK_CAN_SETTINGS, 0, Hex("00 03 D0 90  0A 0B 0C 0D 0E  01 00"));
        ASSERT_TRUE(m.Start());
        ASSERT_TRUE(c.call(kIp, m.Port()));
        auto requests = m.Requests();
        ASSERT_EQ(requests.size(), c.type == 'B' ? 3u : c.type ? 2u : 1u);
        if (c.type) {
            EXPECT_EQ(requests[0].data, Hex("01 00 26 00"));
        }
        EXPECT_EQ(requests.back().action, CMD_ACTION_SET);
        EXPECT_EQ(requests.back().msgCnt, 1);
        EXPECT_EQ(BlocksOf(requests.back()), c.blocks);
    }
}

// Refusals: by module type after one identity read (-14), or by argument with
// nothing sent at all (their code, or the previous one kept).
TEST_F(Accessors, Refusals)
{
    UART_RECORD out;
    const UART_RECORD bad_parity = {115200, 1, 3};
    uint8_t a = 0, b = 0;
    uint32_t rate = 0;
    auto network = [](std::function<void(NETWORK_RECORD&)> change) {
        return [change](const char* ip, uint16_t p) {
            NETWORK_RECORD n = Network(1, 2);
            change(n);
            return cmd_set_network(ip, p, &n);
        };
    };
    struct Case {
        const char* name;
        char type;
        Call call;
        int code;
        size_t requests;
    } cases[] = {
        {"uart on A", 'A', [&](const char* ip, uint16_t p) { return cmd_get_uart(ip, p, &out); }, -14, 1},
        {"io line 2 on B", 'B', [](const char* ip, uint16_t p) { return cmd_set_io(ip, p, 2, 1, 0); }, -14, 1},
        {"io line 0 on C", 'C', [&](const char* ip, uint16_t p) { return cmd_get_io(ip, p, 0, &a, &b); }, -14, 1},
        {"can on S", 'S', [&](const char* ip, uint16_t p) { return cmd_get_can(ip, p, &rate, &a, &b); }, -14, 1},
        {"alias with a tab", 'S', [](const char* ip, uint16_t p) { return cmd_set_alias(ip, p, "front\tdoor"); },
         CMD_ERR_ALIAS, 0},
        {"parity 3", 'S', [&](const char* ip, uint16_t p) { return cmd_set_uart(ip, p, &bad_parity); },
         CMD_ERR_UART_CONF, 0},
        {"security 4", 'S', network([](NETWORK_RECORD& n) { n.security = 4; }), CMD_ERR_NETWORK_CONF, 0},
        {"key with 0xC3", 'S', network([](NETWORK_RECORD& n) { strcpy(n.key, "k\xc3y"); }),
         CMD_ERR_NETWORK_CONF, 0},
        {"channel 15", 'S', network([](NETWORK_RECORD& n) { n.channel = 15; }), kUntouched, 0},
        {"RF power 3", 'S', network([](NETWORK_RECORD& n) { n.rfPower = 3; }), kUntouched, 0},
        {"io line 4", 'D', [](const char* ip, uint16_t p) { return cmd_set_io(ip, p, 4, 0, 0); }, kUntouched, 0},
        {"acquisition 6", 'A', [](const char* ip, uint16_t p) { return cmd_set_can(ip, p, 1, 6, 0); },
         kUntouched, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestModule m;
        m.SetIdentity("1.5.0", c.type, "x");
        ASSERT_TRUE(m.Start());
        cmd_set_error(kUntouched);
        EXPECT_FALSE(c.call(kIp, m.Port()));
        EXPECT_EQ(cmd_get_error(), c.code);
        EXPECT_EQ(m.Requests().size(), c.requests);
    }
}

TEST(CanText, Parse)
{
    struct Case {
        const char* text;
        bool ok;
        uint32_t id = 0;
        uint8_t extended = 0, dlc = 0;
        Bytes data = {};
    } cases[] = {
        {"xx*,7ff,00,02,ab,01,#yy", true, 0x7FF, 0, 2, {0xAB, 0x01, 0, 0}},
        {"*,1fffffff,01,04,de,ad,be,ef,#", true, 0x1FFFFFFF, 1, 4, {0xDE, 0xAD, 0xBE, 0xEF}},
        // Eight bytes: the first four come out, nothing past the output.
        {"*,123,00,08,01,02,03,04,05,06,07,08,#", true, 0x123, 0, 8, {1, 2, 3, 4}},
        {"*,800,00,01,ab,#", false},       // standard id above 0x7FF
        {"*,20000000,01,01,00,#", false},  // extended id above 0x1FFFFFFF
        {"*,1,00,01,ab,cd,#", false},      // more bytes than dlc
        {"*,10,00,09,#", false},
        {"*,10,00,01,g1,#", false},
        {"*,7ff,00,01,00", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        struct {
            uint32_t before = 0xA5A5A5A5, data = 0xAAAAAAAA, after = 0xA5A5A5A5;
        } out;
        uint32_t id = 0;
        uint8_t extended = 0, dlc = 0;
        // Not terminated, on the heap: a read past the length shows under ASan.
        std::vector<char> text(c.text, c.text + strlen(c.text));
        ASSERT_EQ(can_text_parse(text.data(), uint16_t(text.size()), &id, &extended, &dlc, &out.data), c.ok);
        EXPECT_EQ(out.before, 0xA5A5A5A5u);
        EXPECT_EQ(out.after, 0xA5A5A5A5u);
        if (!c.ok) {
            EXPECT_EQ(out.data, 0xAAAAAAAAu) << "a refused frame must leave the outputs alone";
            continue;
        }
        EXPECT_EQ(id, c.id);
        EXPECT_EQ(extended, c.extended);
        EXPECT_EQ(dlc, c.dlc);
        Bytes data(4);
        memcpy(data.data(), &out.data, 4);
        EXPECT_EQ(data, c.data);
    }
}

}  // namespace
