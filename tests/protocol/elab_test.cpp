#include <gtest/gtest.h>

#include <random>

#include "cmd_error.h"
#include "cmd_msg.h"
#include "proto_test_util.h"
#include "test_module.h"

namespace {

int completed = 0, errors = 0;

class Elab : public testing::Test {
protected:
    void SetUp() override
    {
        completed = errors = 0;
        msg = NewMsg();
        cmd_set_error(0);
    }
    void Feed(const Bytes& b, size_t from = 0, size_t n = SIZE_MAX)
    {
        cmd_msg_elab(
            b.data() + from, std::min(n, b.size() - from), msg.get(),
            [](VEMTOR_COMMAND_MSG*) { ++completed; }, [](VEMTOR_COMMAND_MSG*) { ++errors; });
    }
    Bytes Data() const { return Bytes(msg->data, msg->data + cmd_msg_data_length(msg.get())); }

    std::unique_ptr<VEMTOR_COMMAND_MSG> msg;
};

Bytes Frame(const Bytes& data, uint16_t action = 0)
{
    testmod::Frame f;
    f.action = action;
    f.data = data;
    return testmod::EncodeFrame(f);
}

Bytes Join(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Bytes kData = testmod::EncodeBlocks({{1, 2, 0, {9, 8, 7, 6, 5, 4}}, {1, 24, 0, {4}}});

// Complete exactly with the last byte, never before, whatever the chunks.
TEST_F(Elab, SameMessageWhateverTheChunking)
{
    const Bytes frame = Frame(kData, 1);
    struct Case {
        const char* name;
        Bytes stream;
        size_t chunk;  // 0: random sizes
        Bytes data = kData;
    } cases[] = {
        {"one chunk", frame, 1 << 20},
        {"byte by byte", frame, 1},
        {"random chunks", frame, 0},
        {"garbage before", Join({0x00, 'E', 'N', 0xFF, 'T', 0x10}, frame), 0},
        {"no data, byte by byte", Frame({}, 1), 1, {}},
    };
    std::mt19937 rng(7);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        for (size_t off = 0, n; off < c.stream.size(); off += n) {
            n = c.chunk ? c.chunk : 1 + rng() % 7;
            EXPECT_FALSE(cmd_msg_is_complete(msg.get())) << "complete before the last byte";
            Feed(c.stream, off, n);
            EXPECT_EQ(msg->idx_buffer, 0);
        }
        EXPECT_TRUE(cmd_msg_is_complete(msg.get()));
        EXPECT_EQ(completed, 1);
        EXPECT_EQ(errors, 0);
        EXPECT_EQ(Data(), c.data);
        EXPECT_EQ(cmd_msg_action(msg.get()), 1);
        EXPECT_EQ(cmd_msg_count(msg.get()), 1);
    }
}

TEST_F(Elab, GarbageBetweenFramesAndRepeatedStart)
{
    const Bytes b = Frame({1, 0, 24, 0, 7});
    // S, S, T is the start of a frame.
    Feed(Join(Join(Join({'S'}, Frame(kData)), {'x', 'y', 'E', 'N'}), b));
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

TEST_F(Elab, BadFramesReportOnceAndRecover)
{
    const Bytes good = Frame(kData);
    Bytes badTerm = good, badCrc = good;
    badTerm.back() = 'X';
    badCrc[badCrc.size() - 3] ^= 0x01;
    struct Case {
        const char* name;
        Bytes stream;
        bool complete;
    } cases[] = {
        {"terminator EX", badTerm, false},
        {"terminator EX then a good frame", Join(badTerm, good), true},
        // "...E" then the next frame's 'S' in place of 'N': that 'S' is scanned again.
        {"terminator cut by the next frame", Join(Bytes(good.begin(), good.end() - 1), good), true},
        {"wrong CRC", badCrc, false},
        {"wrong CRC then a good frame", Join(badCrc, good), true},
        // The header taken while the start was bad is lost with it.
        {"S then a bad byte then a frame", Join({'S', 'q'}, good), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        Feed(c.stream);
        EXPECT_EQ(errors, 1);
        EXPECT_EQ(cmd_get_error(), CMD_ERR_ELAB);
        EXPECT_EQ(cmd_msg_is_complete(msg.get()), c.complete);
        EXPECT_EQ(Data(), c.complete ? kData : Bytes());
    }
}

// Chunks larger than the receive buffer are taken in pieces, never dropped;
// bytes behind a complete frame that cannot be kept are an error.
TEST_F(Elab, LargeChunksAreNeverDroppedOrWrapped)
{
    Bytes big(65000), max(65535, 0x5A);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = uint8_t('a' + i % 26);
    const Bytes behindGarbage = Join(Bytes(10000, '.'), Frame(big));
    ASSERT_GT(behindGarbage.size(), 65536u);
    for (const auto& [stream, data] : {std::pair(behindGarbage, big), std::pair(Frame(max), max)}) {
        SetUp();
        Feed(stream);
        ASSERT_TRUE(cmd_msg_is_complete(msg.get()));
        EXPECT_EQ(Data(), data);
        EXPECT_EQ(errors, 0);
    }
    SetUp();
    Feed(Join(Frame(kData), Bytes(70000, '.')));
    EXPECT_TRUE(cmd_msg_is_complete(msg.get()));
    EXPECT_EQ(cmd_get_error(), CMD_ERR_ELAB);
    EXPECT_EQ(errors, 1);
    EXPECT_LE(msg->idx_stop_buffer, 65535);
}

}  // namespace
