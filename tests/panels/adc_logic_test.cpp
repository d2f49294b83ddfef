// The analog input page's channels: what a reply gives and what is written.
#include <gtest/gtest.h>

#include "IoLogic.h"

TEST(AdcLogic, ChannelsReadAndWritten)
{
    struct Case {
        BlockBytes reply;
        AdcEnables enables;
        BlockBytes written;
    } cases[] = {
        {{0, 0, 1, 0, 2, 0, 3, 0}, {0, 0, 0, 0}, {0, 0, 1, 0, 2, 0, 3, 0}},
        {{3, 5, 2, 0, 1, 1, 0, 0xFF}, {1, 0, 1, 1}, {0, 1, 1, 0, 2, 1, 3, 1}},  // index bytes ignored
        {{0, 1, 1, 1, 2, 1, 3, 1}, {1, 1, 1, 1}, {0, 1, 1, 1, 2, 1, 3, 1}},
    };
    for (const Case& c : cases) {
        const AdcEnables enables = DecodeAdc(c.reply);
        EXPECT_EQ(enables, c.enables);
        const BlockValue block = AdcWriteBlock(enables);
        EXPECT_EQ((std::tuple(block.id, block.count, block.index)), (std::tuple(54, 4, 0)));
        EXPECT_EQ(block.bytes, c.written);
    }
    EXPECT_EQ((std::tuple(AdcReadBlock().id, AdcReadBlock().count)), (std::tuple(54, 4)));
}
