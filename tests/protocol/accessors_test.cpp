// The typed accessors against the test module on loopback, and the CAN text
// frames.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <string>

#include "can_text.h"
#include "cmd_accessors.h"
#include "cmd_error.h"
#include "proto_test_util.h"
#include "test_module.h"

namespace {

using testmod::Block;
using testmod::Fault;
using testmod::Frame;
using testmod::TestModule;
using Call = std::function<bool(const char* ip, uint16_t port)>;

constexpr const char* kIp = "127.0.0.1";
// Never recorded by the library: shows that a refusal left the code alone.
constexpr int kUntouched = CMD_ERR_VCOM_SAVE;

std::vector<Block> BlocksOf(const Frame& f)
{
    std::vector<Block> blocks;
    EXPECT_TRUE(testmod::DecodeBlocks(f.data, f.action != CMD_ACTION_GET, &blocks));
    return blocks;
}

std::vector<uint16_t> IdsOf(const Frame& f)
{
    std::vector<uint16_t> ids;
    for (const Block& b : BlocksOf(f))
        ids.push_back(b.id);
    return ids;
}

// The values of the first block with `id`, checked to be one element at `index`.
Bytes ValuesOf(const Frame& f, uint16_t id, uint8_t index = 0)
{
    for (const Block& b : BlocksOf(f))
        if (b.id == id) {
            EXPECT_EQ(b.count, 1) << "id " << id;
            EXPECT_EQ(b.index, index) << "id " << id;
            return b.values;
        }
    ADD_FAILURE() << "no block " << id;
    return {};
}

Bytes Text(const std::string& s, size_t size)
{
    Bytes b(s.begin(), s.end());
    b.resize(size, 0);
    return b;
}

void ExpectModuleInfoRead(const Frame& f)
{
    EXPECT_EQ(f.action, CMD_ACTION_GET);
    EXPECT_EQ(f.data, Hex("01 00 26 00"));
}

NETWORK_RECORD SampleNetwork()
{
    NETWORK_RECORD n = {};
    n.infrastructure = 1;
    const uint8_t ip[4] = {10, 1, 2, 3}, mask[4] = {255, 255, 255, 0}, gw[4] = {10, 1, 2, 254};
    memcpy(n.ip, ip, 4);
    memcpy(n.netmask, mask, 4);
    memcpy(n.gateway, gw, 4);
    strcpy(n.ssid, "workshop");
    n.security = 2;
    strcpy(n.key, "open sesame");
    n.channel = 11;
    n.rfPower = 2;
    n.block7Value = 5;
    return n;
}

class Accessors : public testing::Test {
protected:
    ExchangeSettings settings{1, 1, 0};
    TestModule module;

    void SetUp() override { ASSERT_TRUE(module.Start()); }
    uint16_t Port() const { return module.Port(); }
};

TEST_F(Accessors, ModuleInfoIsUnpacked)
{
    const std::string alias32 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
    module.SetIdentity("1.4.0", 'S', alias32, 0x1234);
    MODULE_INFO info;
    ASSERT_TRUE(cmd_get_module_info(kIp, Port(), &info));
    EXPECT_STREQ(info.firmware, "1.4.0");
    EXPECT_EQ(info.type, 'S');
    EXPECT_EQ(info.alias, alias32) << "a full 32-byte alias must still be terminated";
    EXPECT_EQ(info.bufferSize, 0x1234);

    auto requests = module.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].msgCnt, 1);
    EXPECT_EQ(requests[0].dest, 0);
    ExpectModuleInfoRead(requests[0]);
}

TEST_F(Accessors, ModuleInfoFailures)
{
    module.SetFault(Fault::MissingBlock, DATABLOCK_MODULE_INFO);
    MODULE_INFO info;
    EXPECT_FALSE(cmd_get_module_info(kIp, Port(), &info));
    EXPECT_EQ(cmd_get_error(), CMD_ERR_DATABLOCK_NOT_FOUND);

    module.Stop();
    EXPECT_FALSE(cmd_get_module_info(kIp, Port(), &info));
    EXPECT_EQ(cmd_get_error(), ECONNREFUSED);
}

// Each accessor that depends on the module type reads the identity once and
// refuses with -14 without a second exchange.
TEST_F(Accessors, TypeRefusalsAfterOneIdentityRead)
{
    const UART_RECORD uart = {9600, 1, 0};
    uint8_t a = 0, b = 0;
    uint32_t rate = 0;
    UART_RECORD out;
    struct Case {
        const char* name;
        char type;
        Call call;
    } cases[] = {
        {"get_uart on A", 'A', [&](const char* ip, uint16_t p) { return cmd_get_uart(ip, p, &out); }},
        {"get_uart on D", 'D', [&](const char* ip, uint16_t p) { return cmd_get_uart(ip, p, &out); }},
        {"get_uart without identity", '\0',
         [&](const char* ip, uint16_t p) { return cmd_get_uart(ip, p, &out); }},
        {"set_uart on B", 'B', [&](const char* ip, uint16_t p) { return cmd_set_uart(ip, p, &uart); }},
        {"get_io on F", 'F', [&](const char* ip, uint16_t p) { return cmd_get_io(ip, p, 0, &a, &b); }},
        {"set_io on G", 'G', [&](const char* ip, uint16_t p) { return cmd_set_io(ip, p, 3, 1, 1); }},
        {"get_io line 2 on A", 'A', [&](const char* ip, uint16_t p) { return cmd_get_io(ip, p, 2, &a, &b); }},
        {"get_io line 3 on B", 'B', [&](const char* ip, uint16_t p) { return cmd_get_io(ip, p, 3, &a, &b); }},
        {"set_io line 2 on B", 'B', [&](const char* ip, uint16_t p) { return cmd_set_io(ip, p, 2, 1, 0); }},
        {"get_io line 0 on C", 'C', [&](const char* ip, uint16_t p) { return cmd_get_io(ip, p, 0, &a, &b); }},
        {"set_io line 1 on S", 'S', [&](const char* ip, uint16_t p) { return cmd_set_io(ip, p, 1, 0, 0); }},
        {"get_can on S", 'S', [&](const char* ip, uint16_t p) { return cmd_get_can(ip, p, &rate, &a, &b); }},
        {"set_can on C", 'C', [&](const char* ip, uint16_t p) { return cmd_set_can(ip, p, 500000, 1, 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestModule m;
        if (c.type)
            m.SetIdentity("1.5.0", c.type, "x");
        ASSERT_TRUE(m.Start());
        cmd_set_error(0);
        EXPECT_FALSE(c.call(kIp, m.Port()));
        EXPECT_EQ(cmd_get_error(), CMD_ERR_NOT_SUPPORTED);
        auto requests = m.Requests();
        ASSERT_EQ(requests.size(), 1u);
        ExpectModuleInfoRead(requests[0]);
    }
}

// Refusals of the arguments alone: nothing reaches the module, and the code
// is the table's or, for the plain refusals, the one left from before.
TEST_F(Accessors, ArgumentRefusalsSendNothing)
{
    module.SetIdentity("1.5.0", 'A', "x");
    uint8_t a = 0, b = 0;
    auto network = [](std::function<void(NETWORK_RECORD&)> change) {
        return [change](const char* ip, uint16_t p) {
            NETWORK_RECORD n = SampleNetwork();
            change(n);
            return cmd_set_network(ip, p, &n);
        };
    };
    auto uart = [](uint8_t stop_bits, uint8_t parity) {
        return [=](const char* ip, uint16_t p) {
            const UART_RECORD u = {115200, stop_bits, parity};
            return cmd_set_uart(ip, p, &u);
        };
    };
    auto alias = [](std::string text) {
        return [text](const char* ip, uint16_t p) { return cmd_set_alias(ip, p, text.c_str()); };
    };
    struct Case {
        const char* name;
        Call call;
        int code;
    } cases[] = {
        {"alias with a tab", alias("front\tdoor"), CMD_ERR_ALIAS},
        {"alias with 0x1F", alias("a\x1f"), CMD_ERR_ALIAS},
        {"alias with 0x80", alias("caf\x80"), CMD_ERR_ALIAS},
        {"tab past the 32 sent", alias(std::string(35, 'a') + "\t"), CMD_ERR_ALIAS},
        {"infrastructure 2", network([](NETWORK_RECORD& n) { n.infrastructure = 2; }), CMD_ERR_NETWORK_CONF},
        {"security 4", network([](NETWORK_RECORD& n) { n.security = 4; }), CMD_ERR_NETWORK_CONF},
        {"SSID with a newline", network([](NETWORK_RECORD& n) { strcpy(n.ssid, "lab\n"); }),
         CMD_ERR_NETWORK_CONF},
        {"key with 0xC3", network([](NETWORK_RECORD& n) { strcpy(n.key, "k\xc3y"); }), CMD_ERR_NETWORK_CONF},
        {"unused key still checked", network([](NETWORK_RECORD& n) {
             n.security = 0;
             strcpy(n.key, "\x7");
         }),
         CMD_ERR_NETWORK_CONF},
        {"bad SSID before bad channel", network([](NETWORK_RECORD& n) {
             n.ssid[0] = 1;
             n.channel = 0;
         }),
         CMD_ERR_NETWORK_CONF},
        {"parity 3", uart(1, 3), CMD_ERR_UART_CONF},
        {"stop bits 3", uart(3, 0), CMD_ERR_UART_CONF},
        {"channel 0", network([](NETWORK_RECORD& n) { n.channel = 0; }), kUntouched},
        {"channel 15", network([](NETWORK_RECORD& n) { n.channel = 15; }), kUntouched},
        {"RF power 3", network([](NETWORK_RECORD& n) { n.rfPower = 3; }), kUntouched},
        {"datablock 7 value 8", network([](NETWORK_RECORD& n) { n.block7Value = 8; }), kUntouched},
        {"get_io line 4", [&](const char* ip, uint16_t p) { return cmd_get_io(ip, p, 4, &a, &b); },
         kUntouched},
        {"set_io line 4", [](const char* ip, uint16_t p) { return cmd_set_io(ip, p, 4, 0, 0); }, kUntouched},
        {"set_io enable 2", [](const char* ip, uint16_t p) { return cmd_set_io(ip, p, 0, 2, 0); },
         kUntouched},
        {"set_io type 2", [](const char* ip, uint16_t p) { return cmd_set_io(ip, p, 0, 0, 2); }, kUntouched},
        {"acquisition 6", [](const char* ip, uint16_t p) { return cmd_set_can(ip, p, 1, 6, 0); }, kUntouched},
        {"acquisition 7", [](const char* ip, uint16_t p) { return cmd_set_can(ip, p, 1, 7, 0); }, kUntouched},
        {"acquisition 9", [](const char* ip, uint16_t p) { return cmd_set_can(ip, p, 1, 9, 0); }, kUntouched},
        {"execution 3", [](const char* ip, uint16_t p) { return cmd_set_can(ip, p, 1, 8, 3); }, kUntouched},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cmd_set_error(kUntouched);
        EXPECT_FALSE(c.call(kIp, Port()));
        EXPECT_EQ(cmd_get_error(), c.code);
    }
    EXPECT_EQ(module.Connections(), 0);
}

TEST_F(Accessors, AliasIsCutAndPadded)
{
    const std::string forty = "0123456789abcdefghijKLMNOPQRSTUVWXYZ+-*/";
    struct Case {
        std::string alias;
        Bytes sent;
    } cases[] = {
        {forty, Text(forty.substr(0, 32), 32)},
        {"hall", Text("hall", 32)},
        {"", Bytes(32, 0)},
        {" ~\x7f", Text(" ~\x7f", 32)},  // both ends of the allowed range
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.alias);
        TestModule m;
        ASSERT_TRUE(m.Start());
        ASSERT_TRUE(cmd_set_alias(kIp, m.Port(), c.alias.c_str()));
        auto requests = m.Requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].action, CMD_ACTION_SET);
        EXPECT_EQ(IdsOf(requests[0]), (std::vector<uint16_t>{DATABLOCK_ALIAS, DATABLOCK_SAVE}));
        EXPECT_EQ(ValuesOf(requests[0], DATABLOCK_ALIAS), c.sent);
        EXPECT_EQ(ValuesOf(requests[0], DATABLOCK_SAVE), Bytes{CONF_SECTION_ALIAS});
    }
}

TEST_F(Accessors, WritesDoNotCompareTheEcho)
{
    module.SetFault(Fault::AlterEcho, DATABLOCK_ALIAS);
    EXPECT_TRUE(cmd_set_alias(kIp, Port(), "porch"));
}

TEST_F(Accessors, UartReadOnEveryUartType)
{
    module.SetElement(DATABLOCK_UART_BAUD_RATE, 0, {0x00, 0x01, 0xC2, 0x00});
    module.SetElement(DATABLOCK_UART_PARITY, 0, {2});
    module.SetElement(DATABLOCK_UART_STOP_BITS, 0, {1});
    for (char type : {'F', 'G', 'C', 'S'}) {
        SCOPED_TRACE(type);
        module.SetIdentity("1.5.0", type, "x");
        const size_t before = module.Requests().size();
        UART_RECORD uart = {};
        ASSERT_TRUE(cmd_get_uart(kIp, Port(), &uart));
        EXPECT_EQ(uart.baudRate, 115200u);
        EXPECT_EQ(uart.parity, 2);
        EXPECT_EQ(uart.stopBits, 1);
        auto requests = module.Requests();
        ASSERT_EQ(requests.size(), before + 2);
        ExpectModuleInfoRead(requests[before]);
        EXPECT_EQ(requests[before + 1].data, Hex("01 00 23 00  01 00 22 00  01 00 21 00"));
    }

    module.SetFault(Fault::MissingBlock, DATABLOCK_UART_STOP_BITS);
    UART_RECORD uart;
    EXPECT_FALSE(cmd_get_uart(kIp, Port(), &uart));
    EXPECT_EQ(cmd_get_error(), CMD_ERR_DATABLOCK_NOT_FOUND);
}

TEST_F(Accessors, UartWrite)
{
    module.SetIdentity("1.5.0", 'G', "x");
    const UART_RECORD uart = {921600, 2, 1};
    ASSERT_TRUE(cmd_set_uart(kIp, Port(), &uart));
    auto requests = module.Requests();
    ASSERT_EQ(requests.size(), 2u);
    const Frame& w = requests[1];
    EXPECT_EQ(w.action, CMD_ACTION_SET);
    EXPECT_EQ(IdsOf(w), (std::vector<uint16_t>{DATABLOCK_UART_BAUD_RATE, DATABLOCK_UART_PARITY,
                                               DATABLOCK_UART_STOP_BITS, DATABLOCK_SAVE}));
    EXPECT_EQ(ValuesOf(w, DATABLOCK_UART_BAUD_RATE), Hex("00 0E 10 00"));
    EXPECT_EQ(ValuesOf(w, DATABLOCK_UART_PARITY), Bytes{1});
    EXPECT_EQ(ValuesOf(w, DATABLOCK_UART_STOP_BITS), Bytes{2});
    EXPECT_EQ(ValuesOf(w, DATABLOCK_SAVE), Bytes{CONF_SECTION_UART});
}

TEST_F(Accessors, NetworkRead)
{
    const std::string ssid32(32, 'S'), key63(63, 'k');
    module.SetIdentity("1.5.0", 'S', "x", 1024, {0x00, 0x1E, 0xC0, 0x01, 0x02, 0x03});
    module.SetElement(DATABLOCK_IP, 0, {10, 1, 2, 3});
    module.SetElement(DATABLOCK_NETMASK, 0, {255, 255, 0, 0});
    module.SetElement(DATABLOCK_GATEWAY, 0, {10, 1, 0, 1});
    module.SetElement(DATABLOCK_SSID, 0, Text(ssid32, 32));
    module.SetElement(DATABLOCK_SECURITY, 0, {3});
    module.SetElement(DATABLOCK_KEY, 0, Text(key63, 63));
    module.SetElement(DATABLOCK_CHANNEL, 0, {13});
    module.SetElement(DATABLOCK_RF_POWER, 0, {1});
    module.SetElement(DATABLOCK_NETWORK_7, 0, {6});

    // Datablock 5: only 1 means infrastructure.
    for (auto [raw, flag] : {std::pair<uint8_t, uint8_t>{1, 1}, {0, 0}, {2, 0}}) {
        SCOPED_TRACE(int(raw));
        module.SetElement(DATABLOCK_NETWORK_TYPE, 0, {raw});
        NETWORK_RECORD n;
        memset(&n, 0xEE, sizeof n);
        ASSERT_TRUE(cmd_get_network(kIp, Port(), &n));
        EXPECT_EQ(n.infrastructure, flag);
        EXPECT_EQ(Bytes(n.mac, n.mac + 6), Hex("00 1E C0 01 02 03"));
        EXPECT_EQ(Bytes(n.ip, n.ip + 4), Bytes({10, 1, 2, 3}));
        EXPECT_EQ(Bytes(n.netmask, n.netmask + 4), Bytes({255, 255, 0, 0}));
        EXPECT_EQ(Bytes(n.gateway, n.gateway + 4), Bytes({10, 1, 0, 1}));
        EXPECT_EQ(n.ssid, ssid32);
        EXPECT_EQ(n.security, 3);
        EXPECT_EQ(n.key, key63);
        EXPECT_EQ(n.channel, 13);
        EXPECT_EQ(n.rfPower, 1u);
        EXPECT_EQ(n.block7Value, 6u);
    }
    auto requests = module.Requests();
    ASSERT_EQ(requests.size(), 3u) << "no identity read for the network";
    EXPECT_EQ(requests[0].action, CMD_ACTION_GET);
    EXPECT_EQ(IdsOf(requests[0]), (std::vector<uint16_t>{2, 5, 14, 15, 16, 10, 6, 9, 12, 8, 7}));

    module.SetFault(Fault::MissingBlock, DATABLOCK_NETWORK_7);
    NETWORK_RECORD n;
    EXPECT_FALSE(cmd_get_network(kIp, Port(), &n));
    EXPECT_EQ(cmd_get_error(), CMD_ERR_DATABLOCK_NOT_FOUND);
}

TEST_F(Accessors, NetworkWriteByInfrastructureAndSecurity)
{
    const Bytes ssid = Text(std::string(32, 'W'), 32);
    const Bytes key = Text("open sesame", 63);
    const Bytes gateway = {10, 1, 2, 254};
    const Bytes zeros4(4, 0), zeros63(63, 0);
    struct Case {
        uint8_t infrastructure, security, block5;
        Bytes gateway, key;
    } cases[] = {
        {1, 2, 1, gateway, key},
        {1, 0, 1, gateway, zeros63},
        {0, 0, 0, zeros4, zeros63},
        {0, 3, 2, zeros4, key},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "infrastructure " << int(c.infrastructure) << " security " << int(c.security));
        TestModule m;
        ASSERT_TRUE(m.Start());
        NETWORK_RECORD n = SampleNetwork();
        memset(n.ssid, 'W', 32);
        n.infrastructure = c.infrastructure;
        n.security = c.security;
        ASSERT_TRUE(cmd_set_network(kIp, m.Port(), &n));
        auto requests = m.Requests();
        ASSERT_EQ(requests.size(), 1u);
        const Frame& w = requests[0];
        EXPECT_EQ(w.action, CMD_ACTION_SET);
        EXPECT_EQ(IdsOf(w), (std::vector<uint16_t>{5, 14, 15, 16, 10, 9, 6, 12, 8, 7, 24}));
        EXPECT_EQ(ValuesOf(w, DATABLOCK_NETWORK_TYPE), Bytes{c.block5});
        EXPECT_EQ(ValuesOf(w, DATABLOCK_IP), Bytes({10, 1, 2, 3}));
        EXPECT_EQ(ValuesOf(w, DATABLOCK_NETMASK), Bytes({255, 255, 255, 0}));
        EXPECT_EQ(ValuesOf(w, DATABLOCK_GATEWAY), c.gateway);
        EXPECT_EQ(ValuesOf(w, DATABLOCK_SSID), ssid);
        EXPECT_EQ(ValuesOf(w, DATABLOCK_KEY), c.key);
        EXPECT_EQ(ValuesOf(w, DATABLOCK_SECURITY), Bytes{c.security});
        EXPECT_EQ(ValuesOf(w, DATABLOCK_CHANNEL), Bytes{11});
        EXPECT_EQ(ValuesOf(w, DATABLOCK_RF_POWER), Bytes{2});
        EXPECT_EQ(ValuesOf(w, DATABLOCK_NETWORK_7), Bytes{5});
        EXPECT_EQ(ValuesOf(w, DATABLOCK_SAVE), Bytes{CONF_SECTION_NETWORK});
    }
}

TEST_F(Accessors, IoReadByTypeAndLine)
{
    struct Case {
        char type;
        uint8_t line;
    } cases[] = {{'A', 0}, {'A', 1}, {'B', 1}, {'C', 2}, {'C', 3}, {'S', 3}, {'D', 0}, {'E', 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.type << " line " << int(c.line));
        module.SetIdentity("1.5.0", c.type, "x");
        module.SetElement(DATABLOCK_IO, c.line, {c.line, uint8_t(c.line & 1), uint8_t(~c.line & 1)});
        const size_t before = module.Requests().size();
        uint8_t enable = 9, type = 9;
        ASSERT_TRUE(cmd_get_io(kIp, Port(), c.line, &enable, &type));
        EXPECT_EQ(enable, c.line & 1);
        EXPECT_EQ(type, ~c.line & 1);
        auto requests = module.Requests();
        ASSERT_EQ(requests.size(), before + 2);
        EXPECT_EQ(requests[before + 1].data, (Bytes{0x01, 0x00, DATABLOCK_IO, c.line}));
    }
}

TEST_F(Accessors, IoReadRefusesAnotherLinesElement)
{
    module.SetIdentity("1.5.0", 'D', "x");
    module.SetElement(DATABLOCK_IO, 2, {3, 1, 1});
    uint8_t enable = 9, type = 9;
    EXPECT_FALSE(cmd_get_io(kIp, Port(), 2, &enable, &type));
    EXPECT_EQ(enable, 9);
    EXPECT_EQ(type, 9);
}

TEST_F(Accessors, IoWrite)
{
    module.SetIdentity("1.5.0", 'E', "x");
    ASSERT_TRUE(cmd_set_io(kIp, Port(), 3, 1, 0));
    auto requests = module.Requests();
    ASSERT_EQ(requests.size(), 2u);
    const Frame& w = requests[1];
    EXPECT_EQ(w.action, CMD_ACTION_SET);
    EXPECT_EQ(IdsOf(w), (std::vector<uint16_t>{DATABLOCK_IO, DATABLOCK_SAVE}));
    EXPECT_EQ(ValuesOf(w, DATABLOCK_IO, 3), Bytes({3, 1, 0}));
    EXPECT_EQ(ValuesOf(w, DATABLOCK_SAVE), Bytes{CONF_SECTION_IO});
}

TEST_F(Accessors, CanReadKeepsTheRecord)
{
    module.SetIdentity("1.5.0", 'A', "x");
    module.SetElement(DATABLOCK_CAN_SETTINGS, 0, Hex("00 07 A1 20  11 22 33 44 55  05 02"));
    uint32_t rate = 0;
    uint8_t acquisition = 0, execution = 0;
    ASSERT_TRUE(cmd_get_can(kIp, Port(), &rate, &acquisition, &execution));
    EXPECT_EQ(rate, 500000u);
    EXPECT_EQ(acquisition, 5);
    EXPECT_EQ(execution, 2);
    auto requests = module.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].data, Hex("01 00 2C 00"));

    CAN_SETTINGS_RECORD kept;
    ASSERT_TRUE(cmd_get_kept_can_settings(&kept));
    EXPECT_EQ(kept.bitRate, 500000u);
    EXPECT_EQ(Bytes(kept.bitTiming, kept.bitTiming + 5), Hex("11 22 33 44 55"));
    EXPECT_EQ(kept.acquisitionCode, 5);
    EXPECT_EQ(kept.executionSelection, 2);
}

TEST_F(Accessors, CanWriteSendsBackTheBitTimingItRead)
{
    module.SetIdentity("1.5.0", 'B', "x");
    module.SetElement(DATABLOCK_CAN_SETTINGS, 0, Hex("00 03 D0 90  0A 0B 0C 0D 0E  01 00"));
    ASSERT_TRUE(cmd_set_can(kIp, Port(), 1000000, 8, 2));
    auto requests = module.Requests();
    ASSERT_EQ(requests.size(), 3u);
    ExpectModuleInfoRead(requests[0]);
    EXPECT_EQ(requests[1].data, Hex("01 00 2C 00"));
    const Frame& w = requests[2];
    EXPECT_EQ(w.action, CMD_ACTION_SET);
    EXPECT_EQ(IdsOf(w), (std::vector<uint16_t>{DATABLOCK_CAN_SETTINGS, DATABLOCK_SAVE}));
    EXPECT_EQ(ValuesOf(w, DATABLOCK_CAN_SETTINGS), Hex("00 0F 42 40  0A 0B 0C 0D 0E  08 02"));
    EXPECT_EQ(ValuesOf(w, DATABLOCK_SAVE), Bytes{CONF_SECTION_CAN_SETTINGS});

    module.SetFault(Fault::MissingBlock, DATABLOCK_CAN_SETTINGS);
    EXPECT_FALSE(cmd_set_can(kIp, Port(), 1000000, 8, 2));
    EXPECT_EQ(cmd_get_error(), CMD_ERR_DATABLOCK_NOT_FOUND);
    EXPECT_EQ(module.Requests().size(), 5u) << "no write after a failed read";
}

// ---- CAN text frames ----

struct Parsed {
    uint32_t id = 0xAAAAAAAA;
    uint8_t extended = 0xAA;
    uint8_t dlc = 0xAA;
    uint32_t data = 0xAAAAAAAA;

    bool Parse(const std::string& text)
    {
        return can_text_parse(text.data(), static_cast<uint16_t>(text.size()), &id, &extended, &dlc, &data);
    }
    Bytes DataBytes() const
    {
        Bytes b(4);
        memcpy(b.data(), &data, 4);
        return b;
    }
};

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
        {"*,0,00,08,5A,#", true, 0, 0, 8, {0x5A, 0, 0, 0}},  // fewer bytes than dlc
        {"*,12,00,00,#", true, 0x12, 0, 0, {0, 0, 0, 0}},
        {"*,800,00,01,ab,#", false},       // standard id above 0x7FF
        {"*,20000000,01,01,00,#", false},  // extended id above 0x1FFFFFFF
        {"*,1,00,01,ab,cd,#", false},      // more bytes than dlc
        {"*,10,02,01,00,#", false},
        {"*,10,000,01,00,#", false},
        {"*,10,00,09,#", false},
        {"*,10,00,0a,#", false},  // dlc is decimal
        {"*,10,00,01,abc,#", false},
        {"*,10,00,01,g1,#", false},
        {"*,10,00,01,-1,#", false},
        {"*,,00,01,00,#", false},
        {"*,10,00,#", false},
        {"7ff,00,01,00,#", false},
        {"*,7ff,00,01,00", false},
        {"*,#", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Parsed p;
        ASSERT_EQ(p.Parse(c.text), c.ok);
        if (!c.ok) {
            EXPECT_EQ(p.data, 0xAAAAAAAAu) << "a refused frame must leave the outputs alone";
            continue;
        }
        EXPECT_EQ(p.id, c.id);
        EXPECT_EQ(p.extended, c.extended);
        EXPECT_EQ(p.dlc, c.dlc);
        EXPECT_EQ(p.DataBytes(), c.data);
    }
}

TEST(CanText, ParseOfEightBytesStaysInsideTheOutput)
{
    struct {
        uint32_t before = 0xA5A5A5A5;
        uint32_t data = 0;
        uint32_t after = 0xA5A5A5A5;
    } guarded;
    const std::string text = "*,123,00,08,01,02,03,04,05,06,07,08,#";
    uint32_t id = 0;
    uint8_t extended = 9, dlc = 0;
    ASSERT_TRUE(can_text_parse(text.c_str(), uint16_t(text.size()), &id, &extended, &dlc, &guarded.data));
    EXPECT_EQ(dlc, 8);
    EXPECT_EQ(guarded.before, 0xA5A5A5A5u);
    EXPECT_EQ(guarded.after, 0xA5A5A5A5u);
    Bytes first(4);
    memcpy(first.data(), &guarded.data, 4);
    EXPECT_EQ(first, Bytes({1, 2, 3, 4}));
}

TEST(CanText, ParseReadsOnlyTheGivenLength)
{
    // Not terminated, on the heap: a read past the end shows under ASan.
    const std::string text = "*,1,00,01,ab,#";
    std::vector<char> exact(text.begin(), text.end());
    Parsed p;
    EXPECT_TRUE(can_text_parse(exact.data(), uint16_t(exact.size()), &p.id, &p.extended, &p.dlc, &p.data));
    // One byte short cuts off the "#".
    EXPECT_FALSE(
        can_text_parse(exact.data(), uint16_t(exact.size() - 1), &p.id, &p.extended, &p.dlc, &p.data));
}

TEST(CanText, SendOnSocketThenParse)
{
    int fds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    const uint8_t bytes[8] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0xFF};
    ASSERT_TRUE(can_text_send_on_socket(fds[0], 0x1ABCDEF0, 1, 8, bytes));
    EXPECT_FALSE(can_text_send_on_socket(fds[0], 0x10, 0, 0, bytes));
    EXPECT_FALSE(can_text_send_on_socket(fds[0], 0x10, 2, 1, bytes));
    EXPECT_FALSE(can_text_send_on_socket(SOCK_INVALID, 0x10, 0, 1, bytes));

    char got[128] = {};
    ssize_t n = recv(fds[1], got, sizeof got, MSG_DONTWAIT);
    close(fds[0]);
    close(fds[1]);
    ASSERT_GT(n, 0);
    const std::string text(got, size_t(n));
    EXPECT_EQ(text, "*,1abcdef0,01,08,00,11,22,33,44,55,66,ff,#");

    Parsed p;
    ASSERT_TRUE(p.Parse(text));
    EXPECT_EQ(p.id, 0x1ABCDEF0u);
    EXPECT_EQ(p.extended, 1);
    EXPECT_EQ(p.dlc, 8);
    EXPECT_EQ(p.DataBytes(), Bytes({0x00, 0x11, 0x22, 0x33}));
}

// A plain loopback listener: what one client sent until it closed.
class Listener {
public:
    Listener()
    {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && listen(fd_, 4) == 0 &&
            getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) == 0)
            port_ = ntohs(a.sin_port);
    }
    ~Listener() { close(fd_); }
    uint16_t Port() const { return port_; }

    // False when no client is waiting.
    bool Receive(std::string* out)
    {
        int conn = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (conn < 0)
            return false;
        char buf[256];
        pollfd p = {conn, POLLIN, 0};
        while (poll(&p, 1, 2000) > 0) {
            ssize_t n = recv(conn, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            out->append(buf, size_t(n));
        }
        close(conn);
        return true;
    }

private:
    int fd_ = -1;
    uint16_t port_ = 0;
};

TEST(CanText, SendOpensItsOwnConnection)
{
    ExchangeSettings settings{1, 1, 150};
    Listener listener;
    ASSERT_NE(listener.Port(), 0);
    const uint8_t bytes[2] = {0xAB, 0x01};

    const int fds = OpenFdCount();
    auto t0 = std::chrono::steady_clock::now();
    ASSERT_TRUE(can_text_send(kIp, listener.Port(), 0x123, 0, 2, bytes));
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(150))
        << "no pause after sending";
    EXPECT_EQ(OpenFdCount(), fds) << "socket left open";
    std::string got;
    ASSERT_TRUE(listener.Receive(&got));
    EXPECT_EQ(got, "*,123,00,02,ab,01,#") << "no NUL, closed after the text";

    cmd_test_set_exchange_pause_ms(0);
    for (auto [extended, dlc] : {std::pair<uint8_t, uint8_t>{0, 0}, {0, 9}, {2, 1}}) {
        SCOPED_TRACE(testing::Message() << "extended " << int(extended) << " dlc " << int(dlc));
        EXPECT_FALSE(can_text_send(kIp, listener.Port(), 0x123, extended, dlc, bytes));
    }
    EXPECT_FALSE(listener.Receive(&got)) << "a refused frame must not connect";

    TestModule closed;
    ASSERT_TRUE(closed.Start());
    const uint16_t port = closed.Port();
    closed.Stop();
    EXPECT_FALSE(can_text_send(kIp, port, 0x123, 0, 2, bytes));
    EXPECT_EQ(cmd_get_error(), ECONNREFUSED);
}

}  // namespace
