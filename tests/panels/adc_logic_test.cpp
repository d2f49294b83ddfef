// The analog input page's channels: what a reply gives and what is written.
#include <gtest/gtest.h>

#include "IoLogic.h"

TEST(AdcLogic, ChannelsReadAndWritten)
{
    struct Case {
        BlockBytes reply;
        BlockBytes written;
    } cases[] = {
        {{0, 0, 1, 0, 2, 0, 3, 0}, {0, 0, 1, 0, 2, 0, 3, 0}},
        {{3, 5, 2, 0, 1, 1, 0, 0xFF}, {0, 1, 1, 0, 2, 1, 3, 1}},  // index bytes ignored
    };
    for (const Case& c : cases) {
        const BlockValue block = AdcWriteBlock(DecodeAdc(c.reply));
        EXPECT_EQ((std::tuple(block.id, block.count, block.index, block.bytes)),
                  (std::tuple(54, 4, 0, c.written)));
    }
}
