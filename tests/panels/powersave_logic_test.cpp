// The power-save page's record, its form, and the two immediate commands.
#include <gtest/gtest.h>

#include "PowersaveLogic.h"

// One layout both ways: a record read and written back unchanged keeps its
// bytes, except the reserved byte, which is always written as 0.
TEST(PowersaveLogic, RecordReadAndWrittenInOneLayout)
{
    struct Case {
        BlockBytes bytes;
        uint32_t sleepTime, runningTime;
        int sleepTypeIndex;
    } cases[] = {
        {{1, 0x01, 0x2C, 0, 0, 0x0E, 0x10, 0, 0, 0, 0x3C, 0}, 3600, 60, 1},
        {{0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0, 0, 1, 0}, 4294967295u, 2147483649u, 0},
        {{2, 0, 5, 0, 0, 0, 7, 0, 0, 0, 9, 0x55}, 7, 9, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.bytes[0]));
        const PowersaveConfig config = DecodePowersave(c.bytes);
        EXPECT_EQ((std::tuple(config.sleepTime, config.runningTime)),
                  (std::tuple(c.sleepTime, c.runningTime)));
        EXPECT_EQ(SleepTypeIndex(config.sleepType), c.sleepTypeIndex);
        BlockBytes expected = c.bytes;
        expected[11] = 0;
        EXPECT_EQ(PowersaveBlock(config).bytes, expected);
    }
}

TEST(PowersaveLogic, FormNumbersNeverWrap)
{
    using F = PowersaveField;
    const PowersaveConfig read{3, 1, 2, 3, 0};
    // sleep type index, boot delay, running and sleep time, the field refused, the record.
    const std::tuple<int, const char*, const char*, const char*, F, BlockBytes> cases[] = {
        {1, "65535", "4294967295", "0", F::None, {1, 0xFF, 0xFF, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0}},
        {-1, "", "12abc", " 7", F::None, {3, 0, 0, 0, 0, 0, 7, 0, 0, 0, 12, 0}},
        {0, "65536", "1", "1", F::BootDelay, {}},
        {0, "1", "4294967296", "1", F::RunningTime, {}},
        {0, "1", "1", "-1", F::SleepTime, {}},
    };
    for (const auto& [type, boot, running, sleep, refused, bytes] : cases) {
        SCOPED_TRACE(std::string(boot) + "/" + running + "/" + sleep);
        PowersaveConfig out{9, 9, 9, 9, 9};
        ASSERT_EQ(PowersaveFromForm(type, boot, running, sleep, read, &out), refused);
        EXPECT_EQ(PowersaveBlock(out).bytes,
                  refused == F::None ? bytes : PowersaveBlock({9, 9, 9, 9, 9}).bytes)
            << "a refused form changes nothing";
    }
}

TEST(PowersaveLogic, ImmediateCommands)
{
    struct Case {
        const char* text;
        bool ok;
        BlockBytes sleepNow;
        BlockBytes counter;
    } cases[] = {
        {"3600", true, {1, 0, 0, 0x0E, 0x10}, {0, 0, 0x0E, 0x10}},
        {"4294967295", true, {1, 0xFF, 0xFF, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"4294967296", false, {}, {}},
        {"-5", false, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        uint32_t seconds = 0;
        ASSERT_EQ(ReadSeconds(c.text, &seconds), c.ok);
        if (!c.ok)
            continue;
        EXPECT_EQ(SleepNowBlock(seconds).bytes, c.sleepNow);
        EXPECT_EQ(RunningCounterBlock(seconds).bytes, c.counter);
    }
}
