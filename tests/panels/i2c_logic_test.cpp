// The I2C sensor page's record: the offset's sign-and-magnitude word both
// ways, and the polling and offset bounds.
#include <gtest/gtest.h>

#include "I2cLogic.h"

TEST(I2cLogic, OffsetTextToWord)
{
    struct Case {
        const char* text;
        bool ok;
        uint16_t word;
    } cases[] = {
        {"1.3", true, 0x000D},   {"2.35", true, 0x0017},  {"-12.3", true, 0x807B}, {"3000", true, 0x7530},
        {"-3000", true, 0xF530}, {"-0.05", true, 0x8000}, {"-0", true, 0x0000},    {" +1.5e1x", true, 0x0096},
        {".5", true, 0x0005},    {"1,5", true, 0x000A},   {"nan", true, 0x0000},   {"3000.1", false, 0},
        {"-3001", false, 0},     {"1e999", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        double offset = 7;
        ASSERT_EQ(ReadOffset(c.text, &offset), c.ok);
        if (c.ok)
            EXPECT_EQ(OffsetWord(float(offset)), c.word);
        else
            EXPECT_EQ(offset, 7) << "a refused offset changes nothing";
    }
}

TEST(I2cLogic, RecordRead)
{
    struct Case {
        BlockBytes bytes;
        uint32_t polling;
        int outputIndex;
        const char* offset;
    } cases[] = {
        {{0, 0, 0x03, 0xE8, 3, 0x80, 0x19}, 1000, 3, "-2.5"},
        {{0xFF, 0xFF, 0xFF, 0xFF, 4, 0x7F, 0xFF}, 4294967295u, -1, "3276.7"},
        {{0x80, 0, 0, 0, 0, 0x00, 0x0D}, 2147483648u, 0, "1.3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        const I2cConfig config = DecodeI2c(c.bytes);
        EXPECT_EQ(config.polling, c.polling);
        EXPECT_EQ(I2cOutputIndex(config.outputType), c.outputIndex);
        EXPECT_EQ(OffsetText(config.offset), c.offset);
        const BlockValue block =
            I2cWriteBlock(config.polling, config.outputType, uint16_t(c.bytes[5] << 8 | c.bytes[6]));
        EXPECT_EQ((std::tuple(block.id, block.count, block.bytes)), (std::tuple(48, 1, c.bytes)));
    }
}

TEST(I2cLogic, PollingBounds)
{
    struct Case {
        const char* text;
        PollingCheck check;
        uint32_t value;
    } cases[] = {
        {"1000", PollingCheck::Ok, 1000},
        {"999", PollingCheck::TooSmall, 0},
        {"", PollingCheck::TooSmall, 0},
        {"-5", PollingCheck::TooSmall, 0},
        {"4294967295", PollingCheck::Ok, 4294967295u},
        {"4294967296", PollingCheck::TooLarge, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        uint32_t value = 0;
        EXPECT_EQ(CheckPolling(c.text, &value), c.check);
        EXPECT_EQ(value, c.value);
    }
}
