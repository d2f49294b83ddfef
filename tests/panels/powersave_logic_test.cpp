// The power-save page's record, its form, and the two immediate commands.
#include <gtest/gtest.h>

#include "PowersaveLogic.h"

TEST(PowersaveLogic, FirmwareThreshold)
{
    EXPECT_FALSE(PowersaveSupported(139));
    EXPECT_TRUE(PowersaveSupported(140));
}

// One layout both ways: a record read and written back unchanged keeps its
// bytes, except the reserved byte, which is always written as 0.
TEST(PowersaveLogic, RecordReadAndWrittenInOneLayout)
{
    struct Case {
        BlockBytes bytes;
        PowersaveConfig config;
        int sleepTypeIndex;
    } cases[] = {
        {{1, 0x01, 0x2C, 0, 0, 0x0E, 0x10, 0, 0, 0, 0x3C, 0}, {1, 300, 3600, 60, 0}, 1},
        {{0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0, 0, 1, 0},
         {0, 65535, 4294967295u, 2147483649u, 0},
         0},
        {{2, 0, 0, 0, 0, 0, 1, 0, 0, 0, 2, 0}, {2, 0, 1, 2, 0}, -1},
        {{0xFF, 0, 5, 0, 0, 0, 7, 0, 0, 0, 9, 0x55}, {0xFF, 5, 7, 9, 0x55}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.bytes[0]));
        const PowersaveConfig config = DecodePowersave(c.bytes);
        EXPECT_EQ((std::tuple(config.sleepType, config.bootDelay, config.sleepTime, config.runningTime,
                              config.reserved)),
                  (std::tuple(c.config.sleepType, c.config.bootDelay, c.config.sleepTime,
                              c.config.runningTime, c.config.reserved)));
        EXPECT_EQ(SleepTypeIndex(config.sleepType), c.sleepTypeIndex);
        BlockBytes expected = c.bytes;
        expected[11] = 0;
        const BlockValue block = PowersaveBlock(config);
        EXPECT_EQ((std::tuple(block.id, block.count, block.bytes)), (std::tuple(51, 1, expected)));
    }
}

TEST(PowersaveLogic, FormNumbersNeverWrap)
{
    const PowersaveConfig read{3, 1, 2, 3, 0};
    struct Case {
        int sleepTypeIndex;
        const char* boot;
        const char* running;
        const char* sleep;
        PowersaveField refused;
        BlockBytes bytes;
    } cases[] = {
        {1,
         "65535",
         "4294967295",
         "0",
         PowersaveField::None,
         {1, 0xFF, 0xFF, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0}},
        {-1, "", "12abc", " 7", PowersaveField::None, {3, 0, 0, 0, 0, 0, 7, 0, 0, 0, 12, 0}},
        {0, "65536", "1", "1", PowersaveField::BootDelay, {}},
        {0, "-5", "1", "1", PowersaveField::BootDelay, {}},
        {0, "1", "4294967296", "1", PowersaveField::RunningTime, {}},
        {0, "1", "1", "-1", PowersaveField::SleepTime, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.boot) + "/" + c.running + "/" + c.sleep);
        PowersaveConfig out{9, 9, 9, 9, 9};
        ASSERT_EQ(PowersaveFromForm(c.sleepTypeIndex, c.boot, c.running, c.sleep, read, &out), c.refused);
        if (c.refused != PowersaveField::None) {
            EXPECT_EQ(out.bootDelay, 9) << "a refused form changes nothing";
            continue;
        }
        EXPECT_EQ(PowersaveBlock(out).bytes, c.bytes);
    }
    EXPECT_EQ(PowersaveRefusal(PowersaveField::BootDelay, "70000"),
              "Invalid Boot Delay Time \"70000\": please enter a number of seconds from 0 to 65535");
}

TEST(PowersaveLogic, ImmediateCommands)
{
    struct Case {
        const char* text;
        bool ok;
        BlockBytes sleepNow;
        BlockBytes counter;
        const char* done;
    } cases[] = {
        {"3600", true, {1, 0, 0, 0x0E, 0x10}, {0, 0, 0x0E, 0x10}, "Module put in Sleep for 3600 seconds"},
        {"007", true, {1, 0, 0, 0, 7}, {0, 0, 0, 7}, "Module put in Sleep for 7 seconds"},
        {"0", true, {1, 0, 0, 0, 0}, {0, 0, 0, 0}, "Module put in Sleep for 0 seconds"},
        {"4294967295",
         true,
         {1, 0xFF, 0xFF, 0xFF, 0xFF},
         {0xFF, 0xFF, 0xFF, 0xFF},
         "Module put in Sleep for 4294967295 seconds"},
        {"4294967296", false, {}, {}, ""},
        {"-5", false, {}, {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        uint32_t seconds = 0;
        ASSERT_EQ(ReadSeconds(c.text, &seconds), c.ok);
        if (!c.ok)
            continue;
        const BlockValue sleep = SleepNowBlock(seconds);
        const BlockValue counter = RunningCounterBlock(seconds);
        EXPECT_EQ((std::tuple(sleep.id, sleep.count, sleep.bytes)), (std::tuple(52, 1, c.sleepNow)));
        EXPECT_EQ((std::tuple(counter.id, counter.count, counter.bytes)), (std::tuple(53, 1, c.counter)));
        EXPECT_EQ(SleepNowDoneText(seconds), c.done);
    }
    EXPECT_EQ(SleepNowLabel(""), "Sleep Now for  s");
    EXPECT_EQ(RunningCounterLabel("007"), "Set Running counter to 007 s");
    EXPECT_EQ(RunningCounterDoneText(0), "Running counter reset to 0 seconds");
}
