// Whole exchanges against the test module on loopback.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

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

class Transact : public testing::Test {
protected:
    ExchangeSettings settings{1, 1, 0};

    std::unique_ptr<VEMTOR_COMMAND_MSG> ReadRequest(std::initializer_list<uint16_t> ids)
    {
        auto m = NewMsg();
        cmd_msg_init(m.get(), 1, 0, CMD_ACTION_GET);
        for (uint16_t id : ids)
            EXPECT_TRUE(cmd_msg_add_block(m.get(), id, 1, 0, nullptr));
        cmd_msg_finalize(m.get());
        return m;
    }

    std::unique_ptr<VEMTOR_COMMAND_MSG> AliasWrite(const char* alias)
    {
        auto m = NewMsg();
        cmd_msg_init(m.get(), 1, 0, CMD_ACTION_SET);
        uint8_t value[32] = {};
        memcpy(value, alias, strlen(alias));
        EXPECT_TRUE(cmd_msg_add_block(m.get(), DATABLOCK_ALIAS, 1, 0, value));
        uint8_t section = CONF_SECTION_ALIAS;
        EXPECT_TRUE(cmd_msg_add_block(m.get(), DATABLOCK_SAVE, 1, 0, &section));
        cmd_msg_finalize(m.get());
        return m;
    }
};

TEST_F(Transact, ReadsAndWritesBlocks)
{
    TestModule module;
    module.SetIdentity("1.4.0", 'S', "lab bench", 0x0400, {0x00, 0x1E, 0xC0, 0xAA, 0xBB, 0xCC});
    ASSERT_TRUE(module.Start());

    auto m = ReadRequest({DATABLOCK_MAC, DATABLOCK_MODULE_INFO});
    ASSERT_TRUE(cmd_msg_transact(m.get(), "127.0.0.1", module.Port()));

    uint8_t mac[6];
    uint8_t info[MODULE_INFO_SIZE];
    ASSERT_TRUE(cmd_msg_get_block(m.get(), DATABLOCK_MAC, 1, 0, mac));
    ASSERT_TRUE(cmd_msg_get_block(m.get(), DATABLOCK_MODULE_INFO, 1, 0, info));
    EXPECT_EQ(Bytes(mac, mac + 6), Bytes({0x00, 0x1E, 0xC0, 0xAA, 0xBB, 0xCC}));
    EXPECT_STREQ(reinterpret_cast<char*>(info + MODULE_INFO_FIRMWARE_OFFSET), "1.4.0");
    EXPECT_EQ(info[MODULE_INFO_TYPE_OFFSET], 'S');
    EXPECT_STREQ(reinterpret_cast<char*>(info + MODULE_INFO_ALIAS_OFFSET), "lab bench");
    EXPECT_EQ(info[MODULE_INFO_BUFFER_SIZE_OFFSET] << 8 | info[MODULE_INFO_BUFFER_SIZE_OFFSET + 1], 0x0400);

    // The module saw exactly the request we framed.
    ASSERT_EQ(module.Requests().size(), 1u);
    EXPECT_EQ(module.Requests()[0].data, Hex("01 00 02 00 01 00 26 00"));

    // A write of 39 with 24 = 4 comes back as an echo equal to what was sent.
    auto request = AliasWrite("garage door");
    auto w = NewMsg();
    memcpy(w.get(), request.get(), sizeof *w);
    ASSERT_TRUE(cmd_msg_transact(w.get(), "127.0.0.1", module.Port()));
    uint8_t sent[32], echoed[32], section = 0;
    ASSERT_TRUE(cmd_msg_get_block(request.get(), DATABLOCK_ALIAS, 1, 0, sent));
    ASSERT_TRUE(cmd_msg_get_block(w.get(), DATABLOCK_ALIAS, 1, 0, echoed));
    ASSERT_TRUE(cmd_msg_get_block(w.get(), DATABLOCK_SAVE, 1, 0, &section));
    EXPECT_EQ(memcmp(sent, echoed, 32), 0);
    EXPECT_EQ(section, CONF_SECTION_ALIAS);
    EXPECT_STREQ(reinterpret_cast<const char*>(module.Element(DATABLOCK_ALIAS, 0).data()), "garage door");
}

TEST_F(Transact, NoReplyActionStillPauses)
{
    TestModule module;
    ASSERT_TRUE(module.Start());
    cmd_test_set_exchange_pause_ms(300);
    auto t0 = Clock::now();
    auto m = AliasWrite("x");
    m->action[1] = CMD_ACTION_NO_REPLY;
    cmd_msg_finalize(m.get());
    Bytes before = Serialize(m.get());
    ASSERT_TRUE(cmd_msg_transact(m.get(), "127.0.0.1", module.Port()));
    EXPECT_GE(MsSince(t0), 290) << "every exchange ends with its pause";
    EXPECT_EQ(Serialize(m.get()), before) << "the request must stay in the record";
    ASSERT_TRUE(module.WaitForRequests(1, 2000));
    EXPECT_EQ(module.Requests()[0].action, CMD_ACTION_NO_REPLY);
}

TEST_F(Transact, ConnectFailures)
{
    TestModule refusing;
    refusing.SetFault(Fault::Refuse);
    ASSERT_TRUE(refusing.Start());
    TestModule full;
    full.SetFault(Fault::NeverAccept);
    ASSERT_TRUE(full.Start());

    struct Case {
        const char* name;
        const char* ip;
        uint16_t port;
        int code;
        std::string text;
    } cases[] = {
        {"refused", "127.0.0.1", refusing.Port(), ECONNREFUSED, strerror(ECONNREFUSED)},
        {"never answered", "127.0.0.1", full.Port(), CMD_ERR_CONNECT_TIMEOUT, "socket connection timeout"},
        {"not an address", "127.0.0", refusing.Port(), EINVAL, strerror(EINVAL)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto m = ReadRequest({DATABLOCK_MODULE_INFO});
        Bytes before = Serialize(m.get());
        cmd_set_error(0);
        auto t0 = Clock::now();
        EXPECT_FALSE(cmd_msg_transact(m.get(), c.ip, c.port));
        EXPECT_EQ(cmd_get_error(), c.code);
        EXPECT_EQ(cmd_error_text(cmd_get_error()), c.text);
        if (c.code == CMD_ERR_CONNECT_TIMEOUT) {
            EXPECT_GE(MsSince(t0), 900) << "gave up before the connect time-out";
        }
        // A failed connect leaves the request intact for a retry.
        EXPECT_EQ(Serialize(m.get()), before);
    }
}

TEST_F(Transact, ReplyFaults)
{
    struct Case {
        const char* name;
        Fault fault;
        int param;
        bool close_after;
        bool ok;
        int code;  // expected last error after a failure; 99: unchanged
    } cases[] = {
        {"silent", Fault::Silent, 0, false, false, CMD_ERR_RECV_TIMEOUT},
        {"late but in time", Fault::Late, 300, false, true, 0},
        {"late past the time-out", Fault::Late, 2500, false, false, CMD_ERR_RECV_TIMEOUT},
        {"one byte at a time", Fault::ByteByByte, 0, false, true, 0},
        {"garbage before the frame", Fault::GarbageBefore, 40, false, true, 0},
        {"bad CRC", Fault::BadCrc, 0, true, false, CMD_ERR_ELAB},
        {"bad terminator", Fault::BadTerminator, 0, true, false, CMD_ERR_ELAB},
        {"bad CRC, module keeps quiet", Fault::BadCrc, 0, false, false, CMD_ERR_RECV_TIMEOUT},
        {"closed half way", Fault::CloseEarly, 0, true, false, 99},
        // A whole reply without the block asked for: the exchange succeeds,
        // taking the block out fails.
        {"block left out", Fault::MissingBlock, DATABLOCK_MODULE_INFO, false, true, CMD_ERR_DATABLOCK_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestModule module;
        module.SetIdentity("1.5.2", 'A', "can", 2048);
        module.SetFault(c.fault, c.param);
        module.SetCloseAfterReply(c.close_after);
        ASSERT_TRUE(module.Start());
        auto m = ReadRequest({DATABLOCK_MODULE_INFO});
        cmd_set_error(CMD_ERR_NOT_SUPPORTED);
        const int fds = OpenFdCount();
        bool ok = cmd_msg_transact(m.get(), "127.0.0.1", module.Port());
        EXPECT_EQ(ok, c.ok);
        EXPECT_TRUE(FdCountSettles(fds)) << "socket left open";
        if (ok) {
            uint8_t info[MODULE_INFO_SIZE];
            EXPECT_EQ(cmd_msg_get_block(m.get(), DATABLOCK_MODULE_INFO, 1, 0, info), c.code == 0);
            EXPECT_EQ(c.code ? cmd_get_error() : info[MODULE_INFO_TYPE_OFFSET], c.code ? c.code : 'A');
        } else {
            EXPECT_EQ(cmd_get_error(), c.code == 99 ? CMD_ERR_NOT_SUPPORTED : c.code);
            // The record was cleared for the reply: the request is gone.
            EXPECT_NE(cmd_msg_data_length(m.get()), 4);
        }
    }
}

TEST_F(Transact, LargeReplyIsAssembled)
{
    // 65535 data bytes: more than one receive can take.
    TestModule module;
    Bytes blocks;
    for (int i = 0; i < 8; ++i) {
        Bytes b = testmod::EncodeBlocks({{1, 55, 0, Bytes(128, uint8_t(i))}});
        blocks.insert(blocks.end(), b.begin(), b.end());
    }
    blocks.resize(65535, 0xEE);
    module.SetResponder([&](const testmod::Frame& req) {
        testmod::Frame f = req;
        f.data = blocks;
        return std::optional<Bytes>(testmod::EncodeFrame(f));
    });
    ASSERT_TRUE(module.Start());
    auto m = ReadRequest({55});
    ASSERT_TRUE(cmd_msg_transact(m.get(), "127.0.0.1", module.Port()));
    EXPECT_EQ(cmd_msg_data_length(m.get()), 65535);
    EXPECT_EQ(Bytes(m->data, m->data + 65535), blocks);
}

TEST_F(Transact, AddressTexts)
{
    // Leading zeros are decimal; an empty text is the any-address, which
    // Linux connects locally.
    TestModule ten("127.0.0.10");
    ten.SetIdentity("1.0.0", 'S', "ten");
    ASSERT_TRUE(ten.Start());
    TestModule any("127.0.0.1");
    any.SetIdentity("1.0.0", 'S', "any");
    ASSERT_TRUE(any.Start());

    struct Case {
        const char* ip;
        uint16_t port;
        const char* alias;
    } cases[] = {
        {"127.0.0.010", ten.Port(), "ten"},
        {"127.000.000.010", ten.Port(), "ten"},
        {"", any.Port(), "any"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ip);
        auto m = ReadRequest({DATABLOCK_ALIAS});
        ASSERT_TRUE(cmd_msg_transact(m.get(), c.ip, c.port));
        char alias[33] = {};
        ASSERT_TRUE(cmd_msg_get_block(m.get(), DATABLOCK_ALIAS, 1, 0, alias));
        EXPECT_STREQ(alias, c.alias);
    }

    uint32_t a = 0;
    for (const char* bad : {"1.2.3", "1.2.3.4.5", "1.2.3.256", "1..2.3", "a.b.c.d", "1.2.3.4 ", "1.2.3.0004"})
        EXPECT_FALSE(sock_parse_ipv4(bad, &a)) << bad;
}

TEST(Sockets, SendToClosedPeerDoesNotRaiseSigpipe)
{
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    close(pair[1]);
    Bytes data(1000, 1);
    uint16_t len = static_cast<uint16_t>(data.size());
    EXPECT_EQ(sock_send_all(pair[0], data.data(), &len), -1);
    EXPECT_EQ(cmd_get_error(), EPIPE);
    EXPECT_EQ(len, 0);
    close(pair[0]);
}

TEST(Sockets, ReceiveClosesOnceAndSaysSo)
{
    ExchangeSettings settings(1, 1, 0);
    struct Case {
        const char* name;
        bool peer_closes;
        int result;
    } cases[] = {{"time-out", false, -1}, {"end of stream", true, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int pair[2];
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
        if (c.peer_closes)
            close(pair[1]);
        sock_t s = pair[0];
        char buf[16];
        EXPECT_EQ(sock_recv_timeout(s, buf, sizeof buf), c.result);
        EXPECT_EQ(s, SOCK_INVALID);
        sock_close(s);  // a second close is harmless
        if (!c.peer_closes)
            close(pair[1]);
        EXPECT_EQ(fcntl(pair[0], F_GETFD), -1) << "descriptor must be closed";
    }
}

TEST(Sockets, CancelEndsAnExchangeAtOnce)
{
    ExchangeSettings settings(5, 10, 1000);
    TestModule module;
    module.SetFault(Fault::Silent);
    ASSERT_TRUE(module.Start());
    auto m = NewMsg();
    cmd_msg_init(m.get(), 1, 0, CMD_ACTION_GET);
    cmd_msg_add_block(m.get(), 2, 1, 0, nullptr);
    cmd_msg_finalize(m.get());

    CmdCancel cancel;
    const int fds = OpenFdCount();
    cmd_set_error(CMD_ERR_NOT_SUPPORTED);
    bool ok = true;
    auto t0 = Clock::now();
    std::thread worker([&] { ok = cmd_msg_transact_cancellable(m.get(), "127.0.0.1", module.Port(), &cancel); });
    ASSERT_TRUE(module.WaitForRequests(1, 2000));
    cancel.Cancel();
    worker.join();
    EXPECT_FALSE(ok);
    EXPECT_LT(MsSince(t0), 1500) << "neither the receive wait nor the pause may run on";
    EXPECT_EQ(cmd_get_error(), CMD_ERR_NOT_SUPPORTED) << "a cancel records nothing";
    EXPECT_TRUE(FdCountSettles(fds));
}

}  // namespace
