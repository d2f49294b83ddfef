// What the terminal does without a window: the ring buffer.
#include <gtest/gtest.h>

#include <vector>

#include "RingBuffer.h"

namespace {

TEST(RingBuffer, FillsOverwritesTheOldestAndWrapsAround)
{
    static RingBuffer b;  // 65 KB: not on the stack
    EXPECT_FALSE(RingBufferInit(&b, 0));
    EXPECT_FALSE(RingBufferInit(&b, RING_BUFFER_CAPACITY_MAX + 1));
    ASSERT_TRUE(RingBufferInit(&b, 3));
    EXPECT_EQ(b.size, 4);
    const auto drain = [] {
        std::vector<int> out;
        while (!RingBufferIsEmpty(&b)) {
            uint8_t byte = 0;
            RingBufferGet(&b, &byte);
            out.push_back(byte);
        }
        return out;
    };
    // Each step puts bytes, then checks the state, then what draining gives.
    struct Step {
        std::vector<uint8_t> put;
        bool full;
        std::vector<int> drained;
    } steps[] = {
        {{}, false, {}},
        {{1, 2}, false, {1, 2}},
        {{1, 2, 3}, true, {1, 2, 3}},
        {{1, 2, 3, 4}, true, {2, 3, 4}},               // the oldest is dropped
        {{5, 6, 7, 8, 9, 10, 11}, true, {9, 10, 11}},  // far past the end of the slots
        {{12}, false, {12}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::PrintToString(s.put));
        for (uint8_t byte : s.put)
            RingBufferPut(&b, byte);
        EXPECT_EQ(RingBufferIsFull(&b), s.full ? 1 : 0);
        EXPECT_EQ(RingBufferIsEmpty(&b), s.put.empty() ? 1 : 0);
        EXPECT_EQ(drain(), s.drained);
        EXPECT_TRUE(b.head >= 0 && b.head < b.size && b.tail >= 0 && b.tail < b.size);
    }
    // Interleaved puts and gets cross the end of the slots in order.
    for (int i = 0; i < 10; ++i) {
        RingBufferPut(&b, static_cast<uint8_t>(2 * i));
        RingBufferPut(&b, static_cast<uint8_t>(2 * i + 1));
        uint8_t first = 0, second = 0;
        RingBufferGet(&b, &first);
        RingBufferGet(&b, &second);
        EXPECT_EQ(first, 2 * i);
        EXPECT_EQ(second, 2 * i + 1);
    }
    EXPECT_EQ(RingBufferIsEmpty(&b), 1);
}

}  // namespace
