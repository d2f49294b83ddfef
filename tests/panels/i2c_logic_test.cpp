// The I2C sensor page's record: the offset's sign-and-magnitude word both
// ways, and the polling and offset checks.
#include <gtest/gtest.h>

#include "I2cLogic.h"

TEST(I2cLogic, OffsetWordFromTypedText)
{
    struct Case {
        const char* text;
        uint16_t word;
    } cases[] = {
        {"1.3", 0x000D},   {"2.35", 0x0017},     {"-12.3", 0x807B}, {"3000", 0x7530}, {"-3000", 0xF530},
        {"-0.05", 0x8000}, {"0", 0x0000},        {"-0", 0x0000},    {"2.5", 0x0019},  {"-2.5", 0x8019},
        {"0.09", 0x0001},  {" +1.5e1x", 0x0096}, {".5", 0x0005},    {"7.", 0x0046},   {"abc", 0x0000},
        {"1,5", 0x000A},  // a comma ends the number in every locale
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        double offset = 99;
        ASSERT_TRUE(ReadOffset(c.text, &offset));
        EXPECT_EQ(OffsetWord(float(offset)), c.word);
    }
}

TEST(I2cLogic, RecordReadAndWritten)
{
    struct Case {
        BlockBytes bytes;
        uint32_t polling;
        int outputIndex;
        const char* offset;
    } cases[] = {
        {{0, 0, 0x03, 0xE8, 1, 0x80, 0x19}, 1000, 1, "-2.5"},
        {{0xFF, 0xFF, 0xFF, 0xFF, 3, 0x7F, 0xFF}, 4294967295u, 3, "3276.7"},
        {{0x80, 0, 0, 0, 4, 0x00, 0x0D}, 2147483648u, -1, "1.3"},
        {{0, 1, 0x86, 0x9F, 255, 0x80, 0x00}, 99999, -1, "-0.0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        const I2cConfig config = DecodeI2c(c.bytes);
        EXPECT_EQ(config.polling, c.polling);
        EXPECT_EQ(I2cOutputIndex(config.outputType), c.outputIndex);
        EXPECT_EQ(OffsetText(config.offset), c.offset);
        // Written back as read, byte for byte (a negative zero included).
        const BlockValue block =
            I2cWriteBlock(config.polling, config.outputType, uint16_t(c.bytes[5] << 8 | c.bytes[6]));
        EXPECT_EQ((std::tuple(block.id, block.count, block.bytes)), (std::tuple(48, 1, c.bytes)));
    }
}

TEST(I2cLogic, PollingAndOffsetBounds)
{
    struct Polling {
        const char* text;
        PollingCheck check;
        uint32_t value;
    } polling[] = {
        {"1000", PollingCheck::Ok, 1000},
        {"999", PollingCheck::TooSmall, 0},
        {"", PollingCheck::TooSmall, 0},
        {"-5", PollingCheck::TooSmall, 0},
        {"-99999999999999999999", PollingCheck::TooSmall, 0},
        {"4294967295", PollingCheck::Ok, 4294967295u},
        {"4294967296", PollingCheck::TooLarge, 0},
        {"99999", PollingCheck::Ok, 99999},
    };
    for (const Polling& p : polling) {
        SCOPED_TRACE(p.text);
        uint32_t value = 0;
        EXPECT_EQ(CheckPolling(p.text, &value), p.check);
        EXPECT_EQ(value, p.value);
    }

    struct Offset {
        const char* text;
        bool ok;
    } offsets[] = {
        {"3000", true},  {"-3000", true},  {"3000.0", true}, {"3000.1", false}, {"-3001", false},
        {"3001", false}, {"1e999", false}, {"-1e4", false},  {"nan", true},     {"inf", true},
    };
    for (const Offset& o : offsets) {
        SCOPED_TRACE(o.text);
        double value = 7;
        EXPECT_EQ(ReadOffset(o.text, &value), o.ok);
        if (!o.ok) {
            EXPECT_EQ(value, 7) << "a refused offset changes nothing";
        } else if (o.text[0] >= 'a') {
            EXPECT_EQ(value, 0) << "no number counts as 0";
        }
    }
}
