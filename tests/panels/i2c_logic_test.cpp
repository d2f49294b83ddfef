// The I2C sensor page's record: the offset's sign-and-magnitude word both
// ways, and the polling and offset bounds.
#include <gtest/gtest.h>

#include "I2cLogic.h"

TEST(I2cLogic, OffsetTextToWord)
{
    // text, word sent (-1: refused). A hundredth is added before the cut to tenths.
    const std::pair<const char*, int> cases[] = {
        {"1.3", 0x000D},      {"2.35", 0x0017},  {"-12.3", 0x807B}, {"3000", 0x7530},
        {"-3000", 0xF530},    {"-0.05", 0x8000}, {"-0", 0x0000},    {".5", 0x0005},
        {" +1.5e1x", 0x0096}, {"1,5", 0x000A},   {"0.98", 0x0009},  {"0.99", 0x000A},
        {"nan", 0x0000},      {"3000.1", -1},    {"-3001", -1},     {"1e999", -1},
    };
    for (const auto& [text, word] : cases) {
        double offset = 7;
        ASSERT_EQ(ReadOffset(text, &offset), word >= 0) << text;
        if (word >= 0)
            EXPECT_EQ(OffsetWord(float(offset)), word) << text;
        else
            EXPECT_EQ(offset, 7) << text << ": a refused offset changes nothing";
    }
}

TEST(I2cLogic, RecordRead)
{
    // bytes, polling, output list index, offset shown.
    const std::tuple<BlockBytes, uint32_t, int, const char*> cases[] = {
        {{0, 0, 0x03, 0xE8, 3, 0x80, 0x19}, 1000, 3, "-2.5"},
        {{0xFF, 0xFF, 0xFF, 0xFF, 4, 0x7F, 0xFF}, 4294967295u, -1, "3276.7"},
        {{0x80, 0, 0, 0, 0, 0x00, 0x0D}, 2147483648u, 0, "1.3"},
    };
    for (const auto& [bytes, polling, outputIndex, offset] : cases) {
        SCOPED_TRACE(offset);
        const I2cConfig config = DecodeI2c(bytes);
        EXPECT_EQ(config.polling, polling);
        EXPECT_EQ(I2cOutputIndex(config.outputType), outputIndex);
        EXPECT_EQ(OffsetText(config.offset), offset);
        const BlockValue block =
            I2cWriteBlock(config.polling, config.outputType, uint16_t(bytes[5] << 8 | bytes[6]));
        EXPECT_EQ((std::tuple(block.id, block.count, block.bytes)), (std::tuple(48, 1, bytes)));
    }
}

TEST(I2cLogic, PollingBounds)
{
    using P = PollingCheck;
    const std::tuple<const char*, P, uint32_t> cases[] = {
        {"1000", P::Ok, 1000},
        {"999", P::TooSmall, 0},
        {"", P::TooSmall, 0},
        {"-5", P::TooSmall, 0},
        {"4294967295", P::Ok, 4294967295u},
        {"4294967296", P::TooLarge, 0},
    };
    for (const auto& [text, check, expected] : cases) {
        uint32_t value = 0;
        EXPECT_EQ(CheckPolling(text, &value), check) << text;
        EXPECT_EQ(value, expected) << text;
    }
}
