// Whole exchanges against the test module on loopback, the typed accessors
// and the CAN text frames.
#include <fcntl.h>
#include <gtest/gtest.h>
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
#include "cmd_msg.h"
#include "proto_test_util.h"
#include "sock.h"
#include "test_module.h"

namespace {

using testmod::Fault;
using testmod::TestModule;
using Clock = std::chrono::steady_clock;

std::unique_ptr<VEMTOR_COMMAND_MSG> ReadRequest(uint16_t id, uint16_t action = CMD_ACTION_GET)
{
    auto m = NewMsg();
    cmd_msg_init(m.get(), 1, 0, action);
    const uint8_t value[67] = {'x'};
    EXPECT_TRUE(cmd_msg_add_block(m.get(), id, 1, 0, action == CMD_ACTION_GET ? nullptr : value));
    cmd_msg_finalize(m.get());
    return m;
}

// Every way an exchange ends: its result, its last error, the socket closed
// (the descriptor count back where it was) and the pause after it kept, and
// whether the record still holds the request or was cleared for the reply.
TEST(Transact, EveryEndClosesItsSocketAndKeepsThePause)
{
    constexpr unsigned kPause = 150;
    ExchangeSettings settings(1, 1, kPause);
    TestModule refusing, full;
    refusing.SetFault(Fault::Refuse);
    full.SetFault(Fault::NeverAccept);
    ASSERT_TRUE(refusing.Start() && full.Start());
    constexpr int kKept = 99;        // the last error as it was before
    const int slow = 1000 + kPause;  // a time-out of 1 s, then the pause
    struct Case {
        const char* name;
        Fault fault;
        bool closeAfter = false, ok = false;
        int code = kKept;
        bool requestKept = false;
        int atLeastMs = kPause;
        uint16_t port = 0;  // 0: the case's own module
        const char* ip = "127.0.0.1";
        uint16_t action = CMD_ACTION_GET;
    } cases[] = {
        {"answers", Fault::None, false, true},
        {"no reply awaited", Fault::None, false, true, kKept, true, kPause, 0, "127.0.0.1",
         CMD_ACTION_NO_REPLY},
        {"bad address", Fault::None, false, false, EINVAL, true, kPause, 0, "127.0.0"},
        {"refused", Fault::None, false, false, ECONNREFUSED, true, kPause, refusing.Port()},
        {"never accepted", Fault::None, false, false, CMD_ERR_CONNECT_TIMEOUT, true, slow, full.Port()},
        {"silent", Fault::Silent, false, false, CMD_ERR_RECV_TIMEOUT, false, slow},
        {"closed half way", Fault::CloseEarly, true},
        {"bad CRC", Fault::BadCrc, true, false, CMD_ERR_ELAB},
        {"bad CRC, then quiet", Fault::BadCrc, false, false, CMD_ERR_RECV_TIMEOUT, false, slow},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestModule module;
        module.SetIdentity("1.5.2", 'A', "can", 2048);
        module.SetFault(c.fault);
        module.SetCloseAfterReply(c.closeAfter);
        ASSERT_TRUE(module.Start());
        auto m = ReadRequest(DATABLOCK_MODULE_INFO, c.action);
        const Bytes request = Serialize(m.get());
        cmd_set_error(kKept);
        const long fds = OpenFdCount();
        const auto t0 = Clock::now();
        EXPECT_EQ(cmd_msg_transact(m.get(), c.ip, c.port ? c.port : module.Port()), c.ok);
        EXPECT_GE(Clock::now() - t0, std::chrono::milliseconds(c.atLeastMs)) << "the pause was skipped";
        EXPECT_EQ(cmd_get_error(), c.code);
        EXPECT_TRUE(FdCountSettles(fds)) << "socket left open";
        EXPECT_EQ(Serialize(m.get()) == request, c.requestKept);
        uint8_t info[MODULE_INFO_SIZE] = {};
        if (c.ok && !c.requestKept) {
            EXPECT_TRUE(cmd_msg_get_block(m.get(), DATABLOCK_MODULE_INFO, 1, 0, info));
            EXPECT_EQ(info[MODULE_INFO_TYPE_OFFSET], 'A');
        }
    }
}

// Leading zeros in address texts are decimal, and an empty text is the
// any-address.
TEST(Transact, AddressTexts)
{
    ExchangeSettings settings(1, 1, 0);
    TestModule one, ten("127.0.0.10");
    ten.SetIdentity("1.0.0", 'S', "ten");
    ASSERT_TRUE(one.Start() && ten.Start());
    const std::pair<const char*, uint16_t> addresses[] = {
        {"127.0.0.010", ten.Port()}, {"127.000.000.010", ten.Port()}, {"", one.Port()}};
    for (const auto& [ip, port] : addresses)
        EXPECT_TRUE(cmd_msg_transact(ReadRequest(DATABLOCK_ALIAS).get(), ip, port)) << ip;
    EXPECT_EQ(ten.Requests().size(), 2u);
    uint32_t a = 0;
    for (const char* bad : {"1.2.3", "1.2.3.4.5", "1.2.3.256", "1..2.3", "a.b.c.d", "1.2.3.4 ", "1.2.3.0004"})
        EXPECT_FALSE(sock_parse_ipv4(bad, &a)) << bad;
    EXPECT_TRUE(sock_parse_ipv4("255.255.255.255", &a));
}

// A receive that ends the connection (the peer closed it, or the time-out ran
// out) closes the socket once and leaves it invalid for the caller.
TEST(Sockets, SendToClosedPeerAndReceivesThatCloseOnce)
{
    ExchangeSettings settings(1, 1, 0);
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    close(pair[1]);
    Bytes data(1000, 1);
    uint16_t len = static_cast<uint16_t>(data.size());
    EXPECT_EQ(sock_send_all(pair[0], data.data(), &len), -1) << "no SIGPIPE either";
    EXPECT_EQ(cmd_get_error(), EPIPE);
    EXPECT_EQ(len, 0);
    close(pair[0]);

    for (const bool peerCloses : {false, true}) {
        SCOPED_TRACE(peerCloses ? "peer closed" : "time-out");
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
        if (peerCloses)
            close(pair[1]);
        sock_t s = pair[0];
        char buf[16];
        cmd_set_error(0);
        EXPECT_EQ(sock_recv_timeout(s, buf, sizeof buf), peerCloses ? 0 : -1);
        EXPECT_EQ(cmd_get_error(), peerCloses ? 0 : CMD_ERR_RECV_TIMEOUT);
        EXPECT_EQ(s, SOCK_INVALID);
        sock_close(s);  // a second close is harmless
        if (!peerCloses)
            close(pair[1]);
        EXPECT_EQ(fcntl(pair[0], F_GETFD), -1) << "descriptor must be closed";
    }
}

// Without settings of its own an exchange waits 5 s for its connection and
// 10 s for data, and pauses a whole second after it.
TEST(Transact, DefaultSettings)
{
    EXPECT_EQ(sock_get_connect_timeout(), 5);
    EXPECT_EQ(sock_get_receive_timeout(), 10);
    TestModule m;
    ASSERT_TRUE(m.Start());
    const auto t0 = Clock::now();
    EXPECT_TRUE(cmd_msg_transact(ReadRequest(DATABLOCK_ALIAS, CMD_ACTION_NO_REPLY).get(), "127.0.0.1", m.Port()));
    EXPECT_GE(Clock::now() - t0, std::chrono::milliseconds(1000));
}

// The address as the connect sees it: family, port and address in network
// order, the rest zero; a text that is not an address gives 255.255.255.255.
TEST(Sockets, MakeAddress)
{
    const struct {
        const char* ip;
        bool ok;
        uint32_t address;
    } cases[] = {
        {"127.1.2.3", true, 0x7F010203}, {"", true, 0}, {nullptr, true, 0}, {"1.2.3", false, 0xFFFFFFFF},
        {"127.0.0.256", false, 0xFFFFFFFF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ip ? c.ip : "null");
        sockaddr_in a;
        memset(&a, 0xEE, sizeof a);
        EXPECT_EQ(sock_make_address(&a, c.ip, 0x1234), c.ok);
        EXPECT_EQ(a.sin_family, AF_INET);
        EXPECT_EQ(a.sin_port, htons(0x1234));
        EXPECT_EQ(a.sin_addr.s_addr, htonl(c.address));
        EXPECT_EQ(Bytes(a.sin_zero, a.sin_zero + sizeof a.sin_zero), Bytes(sizeof a.sin_zero, 0));
    }
}

// A connect ends connected or with its reason, and gives back a blocking
// socket when connected or out of time.
TEST(Sockets, Connect)
{
    ExchangeSettings settings(1, 1, 0);
    TestModule listening, refusing, full;
    refusing.SetFault(Fault::Refuse);
    full.SetFault(Fault::NeverAccept);
    ASSERT_TRUE(listening.Start() && refusing.Start() && full.Start());
    const struct {
        const char* name;
        uint16_t port;
        bool connected;
        int code;
        bool blocking;
    } cases[] = {
        {"listening", listening.Port(), true, 99, true},
        {"refused", refusing.Port(), false, ECONNREFUSED, false},
        {"never accepted", full.Port(), false, CMD_ERR_CONNECT_TIMEOUT, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sock_t s = sock_open(AF_INET, SOCK_STREAM, 0);
        ASSERT_NE(s, SOCK_INVALID);
        sockaddr_in address;
        ASSERT_TRUE(sock_make_address(&address, "127.0.0.1", c.port));
        cmd_set_error(99);
        EXPECT_EQ(sock_connect(s, &address) != -1, c.connected);
        EXPECT_EQ(cmd_get_error(), c.code);
        if (c.blocking) {
            EXPECT_EQ(fcntl(s, F_GETFL) & O_NONBLOCK, 0);
        }
        sock_close(s);
    }
}

// The kinds of receive: what each returns, and whether it leaves the socket
// open. The buffer is zeroed behind the bytes received.
TEST(Sockets, ReceiveKinds)
{
    ExchangeSettings settings(1, 1, 0);
    enum Kind { Timeout, Blocking, Shared };
    const struct {
        const char* name;
        Kind kind;
        bool peerCloses;
        int result;
        bool open;
    } cases[] = {
        {"time-out, data", Timeout, false, 2, true},     {"blocking, data", Blocking, false, 2, true},
        {"blocking, end", Blocking, true, 0, false},     {"shared, data", Shared, false, 2, true},
        {"shared, end", Shared, true, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int pair[2];
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
        if (c.peerCloses)
            close(pair[1]);
        else
            ASSERT_EQ(write(pair[1], "ab", 2), 2);
        sock_t s = pair[0];
        char buf[16];
        memset(buf, 'x', sizeof buf);
        const int n = c.kind == Timeout    ? sock_recv_timeout(s, buf, sizeof buf)
                      : c.kind == Blocking ? sock_recv(s, buf, sizeof buf)
                                           : sock_recv_shared(s, buf, sizeof buf);
        EXPECT_EQ(n, c.result);
        EXPECT_EQ(s != SOCK_INVALID, c.open);
        EXPECT_EQ(fcntl(pair[0], F_GETFD) != -1, c.open);
        if (c.kind == Timeout) {
            EXPECT_EQ(std::string(buf, sizeof buf), "ab" + std::string(14, '\0'));
        }
        if (c.open)
            close(pair[0]);
        if (!c.peerCloses)
            close(pair[1]);
    }
}

// On a socket the caller connected the exchange neither closes nor pauses,
// whatever its end; an invalid socket is refused at once.
TEST(Transact, OnTheCallersSocket)
{
    ExchangeSettings settings(1, 1, 0);
    for (const Fault fault : {Fault::None, Fault::Silent}) {
        SCOPED_TRACE(fault == Fault::None ? "answers" : "silent");
        TestModule m;
        m.SetIdentity("1.5.2", 'C', "own");
        m.SetFault(fault);
        ASSERT_TRUE(m.Start());
        sock_t s = ConnectTo(m.Port());
        ASSERT_NE(s, SOCK_INVALID);
        auto msg = ReadRequest(DATABLOCK_MODULE_INFO);
        cmd_set_error(0);
        EXPECT_EQ(cmd_msg_transact_on_socket(msg.get(), s), fault == Fault::None);
        EXPECT_EQ(cmd_get_error(), fault == Fault::None ? 0 : CMD_ERR_RECV_TIMEOUT);
        EXPECT_NE(fcntl(s, F_GETFD), -1) << "the caller's socket stays open";
        sock_close(s);
    }
    EXPECT_FALSE(cmd_msg_transact_on_socket(ReadRequest(DATABLOCK_ALIAS).get(), SOCK_INVALID));
}

using Call = std::function<bool(const char* ip, uint16_t port)>;
using Blocks = std::vector<std::pair<uint16_t, Bytes>>;

// Never recorded by the library: shows that a refusal left the code alone.
constexpr int kUntouched = CMD_ERR_VCOM_SAVE;

Bytes Text(const std::string& s, size_t size)
{
    Bytes b(s.begin(), s.end());
    b.resize(size, 0);
    return b;
}

// A network record of distinct values, changed by `change`.
Call Network(uint8_t infrastructure, uint8_t security, std::function<void(NETWORK_RECORD&)> change = {})
{
    return [=](const char* ip, uint16_t port) {
        // clang-format off
        NETWORK_RECORD n = {infrastructure, {}, {10, 1, 2, 3}, {255, 255, 255, 0}, {10, 1, 2, 254},
                            "workshop", security, "open sesame", 11, 2, 5};
        // clang-format on
        if (change)
            change(n);
        return cmd_set_network(ip, port, &n);
    };
}
Call Uart(uint32_t rate, uint8_t stop, uint8_t parity)
{
    return [=](const char* ip, uint16_t p) {
        const UART_RECORD u = {rate, stop, parity};
        return cmd_set_uart(ip, p, &u);
    };
}
// An accessor call with its arguments after the address.
template <class F, class... A>
Call Do(F f, A... args)
{
    return [=](const char* ip, uint16_t p) { return f(ip, p, args...); };
}

// Each write sends its blocks, most significant byte first, and ends with the
// section it saves; the checked types get an identity read first. Refusals:
// by module type after that read (-14), or by argument at and one past each
// limit with nothing sent (their code, or the one before kept).
TEST(Accessors, WritesAndRefusals)
{
    ExchangeSettings settings(1, 1, 0);
    const std::string forty = "0123456789abcdefghijKLMNOPQRSTUVWXYZ+-*/";
    const Bytes key = Text("open sesame", 63), none(63, 0), gw = {10, 1, 2, 254}, noGw(4, 0);
    const auto net = [&](uint8_t block5, const Bytes& gateway, const Bytes& k, uint8_t security) {
        // clang-format off
        return Blocks{{5, {block5}}, {14, {10, 1, 2, 3}}, {15, {255, 255, 255, 0}}, {16, gateway},
                      {10, Text("workshop", 32)}, {9, k}, {6, {security}}, {12, {11}}, {8, {2}}, {7, {5}},
                      {24, {CONF_SECTION_NETWORK}}};
        // clang-format on
    };
    UART_RECORD uart;
    uint8_t a = 0, b = 0;
    uint32_t rate = 0;
    struct Case {
        const char* name;
        char type;
        Call call;
        int code;  // 0: accepted
        size_t requests;
        Blocks blocks = {};  // the last request's, when given
    } cases[] = {
        // clang-format off
        {"alias cut to 32", 'S', Do(cmd_set_alias, forty.c_str()), 0, 1,
         {{39, Text(forty.substr(0, 32), 32)}, {24, {CONF_SECTION_ALIAS}}}},
        {"alias of 0x20 and 0x7F", 'S', Do(cmd_set_alias, " \x7f"), 0, 1},
        {"alias with 0x1F", 'S', Do(cmd_set_alias, "a\x1f"), CMD_ERR_ALIAS, 0},
        {"alias with a tab", 'S', Do(cmd_set_alias, "a\tb"), -11, 0},
        {"uart", 'G', Uart(921600, 2, 1), 0, 2,
         {{35, {0x00, 0x0E, 0x10, 0x00}}, {34, {1}}, {33, {2}}, {24, {CONF_SECTION_UART}}}},
        {"uart parity 2", 'S', Uart(9600, 1, 2), 0, 2},
        {"uart parity 3", 'S', Uart(9600, 1, 3), CMD_ERR_UART_CONF, 0},
        {"uart stop bits 3", 'S', Uart(9600, 3, 0), CMD_ERR_UART_CONF, 0},
        {"uart read on A", 'A', Do(cmd_get_uart, &uart), -14, 1},
        {"infrastructure with WPA2", 'S', Network(1, 2), 0, 1, net(1, gw, key, 2)},
        {"infrastructure open", 'S', Network(1, 0), 0, 1, net(1, gw, none, 0)},
        {"ad-hoc open", 'S', Network(0, 0), 0, 1, net(0, noGw, none, 0)},
        {"ad-hoc with WEP", 'S', Network(0, 3), 0, 1, net(2, noGw, key, 3)},
        {"infrastructure 2", 'S', Network(2, 0), CMD_ERR_NETWORK_CONF, 0},
        {"security 4", 'S', Network(1, 4), CMD_ERR_NETWORK_CONF, 0},
        {"key with 0xC3", 'S', Network(1, 2, [](NETWORK_RECORD& n) { strcpy(n.key, "k\xc3y"); }),
         CMD_ERR_NETWORK_CONF, 0},
        {"SSID with 0x1F", 'S', Network(1, 2, [](NETWORK_RECORD& n) { strcpy(n.ssid, "work\x1fshop"); }),
         CMD_ERR_NETWORK_CONF, 0},
        {"channel 14, block 7 at 7", 'S',
         Network(1, 2, [](NETWORK_RECORD& n) { n.channel = 14, n.block7Value = 7; }), 0, 1},
        {"channel 0", 'S', Network(1, 2, [](NETWORK_RECORD& n) { n.channel = 0; }), kUntouched, 0},
        {"channel 15", 'S', Network(1, 2, [](NETWORK_RECORD& n) { n.channel = 15; }), kUntouched, 0},
        {"RF power 3", 'S', Network(1, 2, [](NETWORK_RECORD& n) { n.rfPower = 3; }), kUntouched, 0},
        {"block 7 at 8", 'S', Network(1, 2, [](NETWORK_RECORD& n) { n.block7Value = 8; }), kUntouched, 0},
        {"io line 3 on E", 'E', Do(cmd_set_io, 3, 1, 0), 0, 2, {{45, {3, 1, 0}}, {24, {CONF_SECTION_IO}}}},
        {"io line 1 on A", 'A', Do(cmd_set_io, 1, 1, 1), 0, 2},
        {"io line 2 on B", 'B', Do(cmd_set_io, 2, 1, 0), -14, 1},
        {"io line 2 on C", 'C', Do(cmd_set_io, 2, 0, 1), 0, 2, {{45, {2, 0, 1}}, {24, {CONF_SECTION_IO}}}},
        {"io line 1 read on C", 'C', Do(cmd_get_io, 1, &a, &b), -14, 1},
        {"io line 4", 'D', Do(cmd_set_io, 4, 0, 0), kUntouched, 0},
        {"io enable 2", 'D', Do(cmd_set_io, 0, 2, 0), kUntouched, 0},
        // The bit timing goes back as the settings read just before hold it.
        {"can", 'B', Do(cmd_set_can, 1000000, 8, 2), 0, 3,
         {{44, {0x00, 0x0F, 0x42, 0x40, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x08, 0x02}},
          {24, {CONF_SECTION_CAN_SETTINGS}}}},
        {"can acquisition 6", 'A', Do(cmd_set_can, 1000000, 6, 0), kUntouched, 0},
        {"can acquisition 7", 'A', Do(cmd_set_can, 1000000, 7, 0), kUntouched, 0},
        {"can acquisition 9", 'A', Do(cmd_set_can, 1000000, 9, 0), kUntouched, 0},
        {"can selection 3", 'A', Do(cmd_set_can, 1000000, 0, 3), kUntouched, 0},
        {"can read on S", 'S', Do(cmd_get_can, &rate, &a, &b), -14, 1},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testmod::TestModule m;
        m.SetIdentity("1.5.0", c.type, "x");
        m.SetElement(DATABLOCK_CAN_SETTINGS, 0,
                     {0x00, 0x03, 0xD0, 0x90, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x01, 0x00});
        ASSERT_TRUE(m.Start());
        cmd_set_error(kUntouched);
        EXPECT_EQ(c.call("127.0.0.1", m.Port()), c.code == 0);
        EXPECT_EQ(cmd_get_error(), c.code ? c.code : kUntouched);
        const auto requests = m.Requests();
        ASSERT_EQ(requests.size(), c.requests);
        if (c.requests > 1) {
            EXPECT_EQ(requests[0].data, Bytes({0x01, 0x00, 0x26, 0x00})) << "the identity read first";
        }
        if (c.blocks.empty())
            continue;
        std::vector<testmod::Block> sent;
        ASSERT_TRUE(testmod::DecodeBlocks(requests.back().data, true, &sent));
        Blocks got;
        for (const auto& block : sent)
            got.push_back({block.id, block.values});
        EXPECT_EQ(requests.back().action, CMD_ACTION_SET);
        EXPECT_EQ(got, c.blocks);
    }
}

std::string Dotted(const uint8_t* p, size_t n)
{
    std::string out;
    for (size_t i = 0; i < n; ++i)
        out += (i ? "." : "") + std::to_string(p[i]);
    return out;
}

using Read = std::function<std::string(const char* ip, uint16_t port)>;

std::string NetworkText(const NETWORK_RECORD& n)
{
    return "infra " + std::to_string(n.infrastructure) + " mac " + Dotted(n.mac, 6) + " ip " + Dotted(n.ip, 4) +
           " mask " + Dotted(n.netmask, 4) + " gw " + Dotted(n.gateway, 4) + " ssid " + n.ssid + " sec " +
           std::to_string(n.security) + " key " + n.key + " ch " + std::to_string(n.channel) + " rf " +
           std::to_string(n.rfPower) + " b7 " + std::to_string(n.block7Value);
}

// Each read unpacks every field from its place in the reply; the checked
// types get an identity read first.
TEST(Accessors, Reads)
{
    ExchangeSettings settings(1, 1, 0);
    const std::string alias(32, 'a'), ssid = "0123456789abcdefghijklmnopqrstuv", key(63, 'k');
    struct Element {
        uint16_t id;
        uint8_t index;
        Bytes value;
    };
    const auto net = [&](uint8_t block5) {
        // clang-format off
        return std::vector<Element>{{5, 0, {block5}}, {14, 0, {10, 1, 2, 3}}, {15, 0, {255, 255, 0, 0}},
                                    {16, 0, {10, 1, 2, 254}}, {10, 0, Text(ssid, 32)}, {6, 0, {3}},
                                    {9, 0, Text(key, 63)}, {12, 0, {13}}, {8, 0, {1}}, {7, 0, {6}}};
        // clang-format on
    };
    const std::string netText = " mac 0.30.192.18.52.86 ip 10.1.2.3 mask 255.255.0.0 gw 10.1.2.254 ssid " + ssid +
                                " sec 3 key " + key + " ch 13 rf 1 b7 6";
    const Read info = [](const char* ip, uint16_t port) {
        MODULE_INFO i;
        if (!cmd_get_module_info(ip, port, &i))
            return std::string("false");
        return std::string(i.firmware) + "|" + i.type + "|" + i.alias + "|" + std::to_string(i.bufferSize);
    };
    const Read uart = [](const char* ip, uint16_t port) {
        UART_RECORD u;
        return cmd_get_uart(ip, port, &u) ? std::to_string(u.baudRate) + " stop " + std::to_string(u.stopBits) +
                                                " parity " + std::to_string(u.parity)
                                          : "false";
    };
    const Read network = [](const char* ip, uint16_t port) {
        NETWORK_RECORD n;
        return cmd_get_network(ip, port, &n) ? NetworkText(n) : "false";
    };
    const auto io = [](uint8_t line) {
        return Read([line](const char* ip, uint16_t port) {
            uint8_t enable = 9, type = 9;
            return cmd_get_io(ip, port, line, &enable, &type)
                       ? "enable " + std::to_string(enable) + " type " + std::to_string(type)
                       : "false";
        });
    };
    const Read can = [](const char* ip, uint16_t port) {
        uint32_t rate = 0;
        uint8_t acquisition = 0, selection = 0;
        CAN_SETTINGS_RECORD kept;
        if (!cmd_get_can(ip, port, &rate, &acquisition, &selection) || !cmd_get_kept_can_settings(&kept))
            return std::string("false");
        return std::to_string(rate) + " acq " + std::to_string(acquisition) + " sel " + std::to_string(selection) +
               " kept " + std::to_string(kept.bitRate) + " " + Dotted(kept.bitTiming, 5) + " " +
               std::to_string(kept.acquisitionCode) + " " + std::to_string(kept.executionSelection);
    };
    struct Case {
        const char* name;
        char type;
        std::vector<Element> elements;
        Read call;
        std::string result;
        Bytes lastRequest = {};  // its data, when given
    } cases[] = {
        // clang-format off
        {"identity", 'A', {}, info, "1.5.2|A|" + alias + "|2049"},
        {"uart on F", 'F', {{35, 0, {0x00, 0x01, 0xC2, 0x00}}, {34, 0, {1}}, {33, 0, {2}}}, uart,
         "115200 stop 2 parity 1", {1, 0, 35, 0, 1, 0, 34, 0, 1, 0, 33, 0}},
        {"network, infrastructure", 'S', net(1), network, "infra 1" + netText},
        {"network, ad-hoc with security", 'S', net(2), network, "infra 0" + netText},
        {"network, ad-hoc open", 'S', net(0), network, "infra 0" + netText},
        {"io line 2 on C", 'C', {{45, 2, {2, 1, 0}}}, io(2), "enable 1 type 0", {1, 0, 45, 2}},
        {"io line 0 on D", 'D', {{45, 0, {0, 0, 1}}}, io(0), "enable 0 type 1"},
        {"io line 2 answered for line 3", 'E', {{45, 2, {3, 1, 1}}}, io(2), "false"},
        {"io on F", 'F', {}, io(0), "false"},
        {"can on A", 'A', {{44, 0, {0x00, 0x0F, 0x42, 0x40, 1, 2, 3, 4, 5, 8, 2}}}, can,
         "1000000 acq 8 sel 2 kept 1000000 1.2.3.4.5 8 2", {1, 0, 44, 0}},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestModule m;
        m.SetIdentity("1.5.2", c.type, alias, 0x0801);
        for (const Element& e : c.elements)
            m.SetElement(e.id, e.index, e.value);
        ASSERT_TRUE(m.Start());
        EXPECT_EQ(c.call("127.0.0.1", m.Port()), c.result);
        if (!c.lastRequest.empty()) {
            ASSERT_FALSE(m.Requests().empty());
            EXPECT_EQ(m.Requests().back().data, c.lastRequest);
        }
    }
}

// The text goes out as it is formatted, without its NUL, on a connection of
// its own or the caller's; a refused frame opens none. A marker frame on a
// connection of its own follows every case.
TEST(CanText, Send)
{
    ExchangeSettings settings(1, 1, 0);
    const uint8_t bytes[8] = {0xAB, 0x01, 0x0C, 0xD0, 0x00, 0xFF, 0x10, 0x09};
    const std::string marker = "*,0,00,01,ab,#";
    const struct {
        uint32_t id;
        uint8_t extended, dlc;
        const char* text;  // null: refused
    } cases[] = {
        {0x123, 0, 2, "*,123,00,02,ab,01,#"},
        {0x1ABCDEF, 1, 8, "*,1abcdef,01,08,ab,01,0c,d0,00,ff,10,09,#"},
        {0x7FF, 0, 0, nullptr},
        {0x7FF, 0, 9, nullptr},
        {0x7FF, 2, 1, nullptr},
    };
    for (const auto& c : cases) {
        for (const bool own : {true, false}) {
            SCOPED_TRACE(std::string(c.text ? c.text : "refused") + (own ? ", own connection" : ", on a socket"));
            TestModule m;
            m.SetDataService(true);
            ASSERT_TRUE(m.Start());
            const long fds = OpenFdCount();
            bool ok = false;
            if (own) {
                ok = can_text_send("127.0.0.1", m.Port(), c.id, c.extended, c.dlc, bytes);
            } else {
                sock_t s = ConnectTo(m.Port());
                ASSERT_NE(s, SOCK_INVALID);
                ok = can_text_send_on_socket(s, c.id, c.extended, c.dlc, bytes);
                EXPECT_NE(fcntl(s, F_GETFD), -1) << "the caller's socket stays open";
                sock_close(s);
            }
            EXPECT_EQ(ok, c.text != nullptr);
            EXPECT_TRUE(can_text_send("127.0.0.1", m.Port(), 0, 0, 1, bytes));
            const std::string text = (c.text ? c.text : "") + marker;
            EXPECT_TRUE(Eventually([&] { return m.DataReceived().size() >= text.size(); }));
            EXPECT_TRUE(FdCountSettles(fds)) << "socket left open";
            const Bytes got = m.DataReceived();
            EXPECT_EQ(std::string(got.begin(), got.end()), text);
            EXPECT_EQ(m.Connections(), own && !c.text ? 1 : 2);
        }
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
        {"*,1,02,01,00,#", false},         // extended flag above 1
        {"*,1,00,01,ab,cd,#", false},      // more bytes than dlc
        {"*,10,00,09,#", false},
        {"*,10,00,01,g1,#", false},
        {"*,10,00,01,abc,#", false},
        {"*,7ff,00,01,00", false},
        {"*,7ff,00,#", false},                                      // no dlc
        {"*,10,00,08,01,#", true, 0x10, 0, 8, {1, 0, 0, 0}},        // fewer bytes than dlc
        {"*,10,001,01,00,#", false},                                // three-digit flag
        {"*,+10,00,01,00,#", false},
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
        EXPECT_TRUE(out.before == 0xA5A5A5A5u && out.after == 0xA5A5A5A5u);
        Bytes data(4);
        memcpy(data.data(), &out.data, 4);
        EXPECT_EQ(data, c.ok ? c.data : Bytes(4, 0xAA)) << "a refused frame must leave the outputs alone";
        EXPECT_EQ(id, c.id);
        EXPECT_EQ(extended, c.extended);
        EXPECT_EQ(dlc, c.dlc);
    }
}

}  // namespace
