// Whole exchanges against the test module on loopback.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "cmd_error.h"
#include "cmd_msg.h"
#include "proto_test_util.h"
#include "sock.h"
#include "test_module.h"

namespace {

using testmod::Fault;
using testmod::TestModule;
using Clock = std::chrono::steady_clock;

int64_t MsSince(Clock::time_point t)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

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
    constexpr int kKept = 99;  // the last error as it was before
    struct Case {
        const char* name;
        Fault fault;
        int param = 0;
        bool closeAfter = false;
        bool ok = false;
        int code = kKept;
        bool requestKept = false;
        uint16_t port = 0;  // 0: the case's own module
        const char* ip = "127.0.0.1";
        int atLeastMs = kPause;
        uint16_t action = CMD_ACTION_GET;
    } cases[] = {
        {"answers", Fault::None, 0, false, true, kKept},
        {"answers one byte at a time", Fault::ByteByByte, 0, false, true, kKept},
        {"answers behind garbage", Fault::GarbageBefore, 40, false, true, kKept},
        {"answers after 300 ms", Fault::Late, 300, false, true, kKept, false, 0, "127.0.0.1", 300 + kPause},
        {"no reply awaited", Fault::None, 0, false, true, kKept, true, 0, "127.0.0.1", kPause,
         CMD_ACTION_NO_REPLY},
        {"block left out", Fault::MissingBlock, 38, false, true, kKept},
        {"bad address", Fault::None, 0, false, false, EINVAL, true, 0, "127.0.0"},
        {"refused", Fault::None, 0, false, false, ECONNREFUSED, true, refusing.Port()},
        {"never accepted", Fault::None, 0, false, false, CMD_ERR_CONNECT_TIMEOUT, true, full.Port(),
         "127.0.0.1", 1000 + kPause},
        {"silent", Fault::Silent, 0, false, false, CMD_ERR_RECV_TIMEOUT, false, 0, "127.0.0.1",
         1000 + kPause},
        {"closed half way", Fault::CloseEarly, 0, true, false, kKept},
        {"bad CRC", Fault::BadCrc, 0, true, false, CMD_ERR_ELAB},
        {"bad terminator", Fault::BadTerminator, 0, true, false, CMD_ERR_ELAB},
        {"bad CRC, then quiet", Fault::BadCrc, 0, false, false, CMD_ERR_RECV_TIMEOUT, false, 0, "127.0.0.1",
         1000 + kPause},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestModule module;
        module.SetIdentity("1.5.2", 'A', "can", 2048);
        module.SetFault(c.fault, c.param);
        module.SetCloseAfterReply(c.closeAfter);
        ASSERT_TRUE(module.Start());
        auto m = ReadRequest(DATABLOCK_MODULE_INFO, c.action);
        const Bytes request = Serialize(m.get());
        cmd_set_error(kKept);
        const int fds = OpenFdCount();
        const auto t0 = Clock::now();
        EXPECT_EQ(cmd_msg_transact(m.get(), c.ip, c.port ? c.port : module.Port()), c.ok);
        EXPECT_GE(MsSince(t0), c.atLeastMs) << "the pause was skipped";
        EXPECT_EQ(cmd_get_error(), c.code);
        if (c.code > 0 && c.code != kKept) {
            EXPECT_EQ(cmd_error_text(c.code), strerror(c.code));
        }
        EXPECT_TRUE(FdCountSettles(fds)) << "socket left open";
        EXPECT_EQ(Serialize(m.get()) == request, c.requestKept);
        uint8_t info[MODULE_INFO_SIZE] = {};
        if (c.ok && !c.requestKept) {
            EXPECT_EQ(cmd_msg_get_block(m.get(), DATABLOCK_MODULE_INFO, 1, 0, info),
                      c.fault != Fault::MissingBlock);
            EXPECT_EQ(info[MODULE_INFO_TYPE_OFFSET], c.fault == Fault::MissingBlock ? 0 : 'A');
        }
    }
}

// The largest reply, more than one receive takes; leading zeros in address
// texts are decimal, and an empty text is the any-address.
TEST(Transact, LargestReplyAndAddressTexts)
{
    ExchangeSettings settings(1, 1, 0);
    TestModule big, ten("127.0.0.10");
    Bytes blocks = testmod::EncodeBlocks({{1, 55, 0, Bytes(128, 7)}});
    blocks.resize(65535, 0xEE);
    big.SetResponder([&](const testmod::Frame& req) {
        testmod::Frame f = req;
        f.data = blocks;
        return std::optional<Bytes>(testmod::EncodeFrame(f));
    });
    ten.SetIdentity("1.0.0", 'S', "ten");
    ASSERT_TRUE(big.Start() && ten.Start());
    auto m = ReadRequest(55);
    ASSERT_TRUE(cmd_msg_transact(m.get(), "127.0.0.1", big.Port()));
    EXPECT_EQ(Bytes(m->data, m->data + cmd_msg_data_length(m.get())), blocks);

    const std::pair<const char*, uint16_t> addresses[] = {
        {"127.0.0.010", ten.Port()}, {"127.000.000.010", ten.Port()}, {"", big.Port()}};
    for (const auto& [ip, port] : addresses)
        EXPECT_TRUE(cmd_msg_transact(ReadRequest(DATABLOCK_ALIAS).get(), ip, port)) << ip;
    EXPECT_EQ(ten.Requests().size(), 2u);
    uint32_t a = 0;
    for (const char* bad : {"1.2.3", "1.2.3.4.5", "1.2.3.256", "1..2.3", "a.b.c.d", "1.2.3.4 ", "1.2.3.0004"})
        EXPECT_FALSE(sock_parse_ipv4(bad, &a)) << bad;
    EXPECT_TRUE(sock_parse_ipv4("255.255.255.255", &a));
}

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
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
        if (peerCloses)
            close(pair[1]);
        sock_t s = pair[0];
        char buf[16];
        EXPECT_EQ(sock_recv_timeout(s, buf, sizeof buf), peerCloses ? 0 : -1);
        EXPECT_EQ(s, SOCK_INVALID);
        sock_close(s);  // a second close is harmless
        if (!peerCloses)
            close(pair[1]);
        EXPECT_EQ(fcntl(pair[0], F_GETFD), -1) << "descriptor must be closed";
    }
}

}  // namespace
