#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "cmd_error.h"
#include "cmd_msg.h"
#include "proto_test_util.h"
#include "test_module.h"

namespace {

int completed = 0;
int errors = 0;
void OnComplete(VEMTOR_COMMAND_MSG*)
{
    ++completed;
}
void OnError(VEMTOR_COMMAND_MSG*)
{
    ++errors;
}

class Elab : public testing::Test {
protected:
    void SetUp() override
    {
        completed = errors = 0;
        msg = NewMsg();
        cmd_set_error(0);
    }
    void Feed(const Bytes& b) { cmd_msg_elab(b.data(), b.size(), msg.get(), OnComplete, OnError); }
    Bytes Data() const { return Bytes(msg->data, msg->data + cmd_msg_data_length(msg.get())); }

    std::unique_ptr<VEMTOR_COMMAND_MSG> msg;
};

Bytes Reply(const Bytes& data, uint16_t action = 0)
{
    testmod::Frame f;
    f.action = action;
    f.data = data;
    return testmod::EncodeFrame(f);
}

const Bytes kData = testmod::EncodeBlocks({{1, 2, 0, {9, 8, 7, 6, 5, 4}}, {1, 24, 0, {4}}});

TEST_F(Elab, SameMessageWhateverTheChunking)
{
    const Bytes frame = Reply(kData, 1);
    Bytes garbage = {0x00, 'E', 'N', 0xFF, 'T', 0x10};
    struct Case {
        const char* name;
        Bytes stream;
        size_t chunk;  // 0: random sizes
        Bytes data = kData;
    } cases[] = {
        {"one chunk", frame, 1 << 20},
        {"byte by byte", frame, 1},
        {"random chunks", frame, 0},
        {"garbage before", [&] { Bytes s = garbage; s.insert(s.end(), frame.begin(), frame.end()); return s; }(), 0},
        {"no data, byte by byte", Reply({}, 1), 1, {}},
    };
    std::mt19937 rng(7);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        size_t calls = 0;
        for (size_t off = 0; off < c.stream.size(); ++calls) {
            size_t n = c.chunk ? c.chunk : 1 + rng() % 7;
            n = std::min(n, c.stream.size() - off);
            cmd_msg_elab(c.stream.data() + off, n, msg.get(), OnComplete, OnError);
            off += n;
            EXPECT_EQ(msg->idx_buffer, 0);
            if (off < c.stream.size()) {
                EXPECT_FALSE(cmd_msg_is_complete(msg.get())) << "complete before the last byte";
            }
        }
        EXPECT_TRUE(cmd_msg_is_complete(msg.get()));
        EXPECT_EQ(completed, 1);
        EXPECT_EQ(errors, 0);
        EXPECT_EQ(Data(), c.data);
        EXPECT_EQ(cmd_msg_action(msg.get()), 1);
        EXPECT_EQ(cmd_msg_count(msg.get()), 1);
        if (c.chunk == 1) {
            EXPECT_EQ(calls, c.stream.size());
        }
    }
}

TEST_F(Elab, GarbageBetweenFramesAndRepeatedStart)
{
    Bytes a = Reply(kData);
    Bytes b = Reply({1, 0, 24, 0, 7});
    Bytes stream = {'S'};  // S, S, T is the start of a frame
    stream.insert(stream.end(), a.begin(), a.end());
    for (uint8_t g : {'x', 'y', 'E', 'N'})
        stream.push_back(g);
    stream.insert(stream.end(), b.begin(), b.end());

    Feed(stream);
    ASSERT_TRUE(cmd_msg_is_complete(msg.get()));
    EXPECT_EQ(Data(), kData);
    // The second frame waits in the buffer; the next call (even empty) takes it.
    EXPECT_EQ(msg->idx_stop_buffer, 4 + b.size());
    Feed({});
    ASSERT_TRUE(cmd_msg_is_complete(msg.get()));
    EXPECT_EQ(Data(), Bytes({1, 0, 24, 0, 7}));
    EXPECT_EQ(msg->idx_stop_buffer, 0);
    EXPECT_EQ(errors, 0);
}

TEST_F(Elab, BadFramesReportAndRecover)
{
    const Bytes good = Reply(kData);
    Bytes bad_term = good;
    bad_term[bad_term.size() - 1] = 'X';
    Bytes bad_crc = good;
    bad_crc[bad_crc.size() - 3] ^= 0x01;
    // "...E" then the next frame's 'S' in place of 'N': that 'S' is scanned again.
    Bytes cut(good.begin(), good.end() - 1);
    Bytes bad_start = {'S', 'q'};
    bad_start.insert(bad_start.end(), good.begin(), good.end());

    struct Case {
        const char* name;
        Bytes stream;
        bool then_good;  // a good frame follows in the same chunk
        bool complete;
    } cases[] = {
        {"terminator EX", bad_term, false, false},
        {"terminator EX then a good frame", bad_term, true, true},
        {"terminator cut by the next frame", cut, true, true},
        {"wrong CRC", bad_crc, false, false},
        {"wrong CRC then a good frame", bad_crc, true, true},
        // The header taken while the start was bad is lost with it.
        {"S then a bad byte then a frame", bad_start, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        Bytes s = c.stream;
        if (c.then_good)
            s.insert(s.end(), good.begin(), good.end());
        Feed(s);
        EXPECT_EQ(errors, 1);
        EXPECT_EQ(cmd_get_error(), CMD_ERR_ELAB);
        EXPECT_EQ(cmd_msg_is_complete(msg.get()), c.complete);
        if (c.complete) {
            EXPECT_EQ(Data(), kData);
        }
    }
}

TEST_F(Elab, LargeChunksAreNeverDroppedOrWrapped)
{
    // A near-maximal frame behind 10000 bytes of garbage, all in one chunk
    // larger than the receive buffer.
    Bytes big(65000);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = uint8_t('a' + i % 26);
    Bytes stream(10000, '.');
    Bytes frame = Reply(big);
    stream.insert(stream.end(), frame.begin(), frame.end());
    ASSERT_GT(stream.size(), 65536u);
    Feed(stream);
    ASSERT_TRUE(cmd_msg_is_complete(msg.get()));
    EXPECT_EQ(Data(), big);
    EXPECT_EQ(errors, 0);

    // The largest frame of all (dataLength 65535) completes too.
    SetUp();
    Bytes max(65535, 0x5A);
    Feed(Reply(max));
    ASSERT_TRUE(cmd_msg_is_complete(msg.get()));
    EXPECT_EQ(Data(), max);
}

TEST_F(Elab, OverflowBehindACompletedFrameIsAnError)
{
    Bytes stream = Reply(kData);
    stream.insert(stream.end(), 70000, '.');
    Feed(stream);
    EXPECT_TRUE(cmd_msg_is_complete(msg.get()));
    EXPECT_EQ(cmd_get_error(), CMD_ERR_ELAB);
    EXPECT_EQ(errors, 1);
    EXPECT_LE(msg->idx_stop_buffer, 65535);
}

}  // namespace
