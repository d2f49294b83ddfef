// The values of the I/O, analog input, I2C sensor and power-save pages.
#include <gtest/gtest.h>

#include "I2cLogic.h"
#include "IoLogic.h"
#include "PowersaveLogic.h"

TEST(IoLogic, LinesAndLocksByModuleType)
{
    // Enable and Type cells of lines 0-7 that take no input ('#').
    const char* none = "................";
    const char* lines01 = "####............";
    const char* lines23 = "....####........";
    const char* types = ".#.#.#.#.#.#.#.#";
    // type character, lines, lock, locked cells.
    const std::tuple<char, int, IoLock, const char*> cases[] = {
        {'4', 8, IoLock::None, none},        {'0', 8, IoLock::None, none},
        {'/', 4, IoLock::None, none},        {':', 4, IoLock::None, none},
        {'D', 4, IoLock::None, none},        {'E', 4, IoLock::None, none},
        {'d', 4, IoLock::TypeColumn, types}, {'e', 4, IoLock::TypeColumn, types},
        {'8', 8, IoLock::TypeColumn, types}, {'9', 8, IoLock::TypeColumn, types},
        {'s', 4, IoLock::Lines01, lines01},  {'C', 4, IoLock::Lines01, lines01},
        {'c', 4, IoLock::Lines01, lines01},  {'S', 4, IoLock::Lines01, lines01},
        {'A', 4, IoLock::Lines23, lines23},  {'b', 4, IoLock::Lines23, lines23},
        {'a', 4, IoLock::Lines23, lines23},  {'B', 4, IoLock::Lines23, lines23},
    };
    for (const auto& [type, lines, lock, locked] : cases) {
        SCOPED_TRACE(std::string(1, type));
        EXPECT_EQ(IoLineCount(type), lines);
        EXPECT_EQ(IoLockFor(type), lock);
        std::string cells;
        for (int line = 0; line < IoMaxLines; ++line) {
            EXPECT_TRUE(IoCellLocked(lock, line, 0)) << "Idx never takes input";
            for (int column = 1; column < 3; ++column)
                cells += IoCellLocked(lock, line, column) ? '#' : '.';
        }
        EXPECT_EQ(cells, locked);
    }
}

// Element k is line or channel k whatever its index byte; values above 1
// count as 1; a write sends the line or channel numbers.
TEST(IoLogic, ReadClampAndWrite)
{
    const BlockBytes reply = {7, 1, 0, 6, 0, 1, 5, 2, 2, 4, 5, 7, 0, 0xFF, 0x80, 0, 1, 1, 0, 0, 0, 0, 0, 1};
    const std::vector<IoChannelEntry> lines = DecodeIo(reply, 8);
    const BlockValue block = IoWriteBlock(lines);
    EXPECT_EQ((std::tuple(block.id, block.count, block.index)), (std::tuple(45, 8, 0)));
    EXPECT_EQ(block.bytes,
              (BlockBytes{0, 1, 0, 1, 0, 1, 2, 1, 1, 3, 1, 1, 4, 1, 1, 5, 1, 1, 6, 0, 0, 7, 0, 1}));
    EXPECT_EQ(IoWriteBlock(DecodeIo(reply, 4)).bytes,
              BlockBytes(block.bytes.begin(), block.bytes.begin() + 12));
    EXPECT_EQ(AdcWriteBlock(DecodeAdc({3, 5, 2, 0, 1, 1, 0, 0xFF})).bytes,
              (BlockBytes{0, 1, 1, 0, 2, 1, 3, 1}));
}

TEST(IoLogic, GridCellsToLines)
{
    // Enable and Type cells of line 3 read as type 1 (no choice shown: the type stays).
    const std::tuple<const char*, const char*, IoChannelEntry> cases[] = {
        {"1", "Digital Output", {3, 1, 1}},
        {"", "Digital Input", {3, 0, 0}},
        {"0", "", {3, 0, 1}},
        {"2", "Digital Output", {3, 1, 1}},
        {"-1", "digital input", {3, 1, 1}},
        {"99999999999999999999", "Digital Input", {3, 1, 0}},
    };
    for (const auto& [enable, type, line] : cases)
        EXPECT_EQ(IoLineFromCells(3, enable, type, 1), line) << enable << "/" << type;
}

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

// Read and written back byte for byte; an output code past the list shows nothing.
TEST(I2cLogic, RecordRead)
{
    // bytes, polling, output list index, offset shown.
    const std::tuple<BlockBytes, uint32_t, int, const char*> cases[] = {
        {{0, 0, 0x03, 0xE8, 3, 0x80, 0x19}, 1000, 3, "-2.5"},
        {{0xFF, 0xFF, 0xFF, 0xFF, 4, 0x7F, 0xFF}, 4294967295u, -1, "3276.7"},
        {{0x80, 0, 0, 0, 0, 0x00, 0x0D}, 2147483648u, 0, "1.3"},
    };
    for (const auto& [bytes, polling, outputIndex, offset] : cases) {
        const I2cConfig config = DecodeI2c(bytes);
        EXPECT_EQ((std::tuple(config.polling, I2cOutputIndex(config.outputType), OffsetText(config.offset))),
                  (std::tuple(polling, outputIndex, wxString(offset))));
        const BlockValue block =
            I2cWriteBlock(config.polling, config.outputType, uint16_t(bytes[5] << 8 | bytes[6]));
        EXPECT_EQ((std::tuple(block.id, block.count, block.bytes)), (std::tuple(48, 1, bytes))) << offset;
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

// The reserved last byte is always written as 0.
TEST(PowersaveLogic, RecordReadAndWrittenInOneLayout)
{
    // bytes, sleep time, running time, sleep type list index.
    const std::tuple<BlockBytes, uint32_t, uint32_t, int> cases[] = {
        {{1, 0x01, 0x2C, 0, 0, 0x0E, 0x10, 0, 0, 0, 0x3C, 0}, 3600, 60, 1},
        {{0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0, 0, 1, 0}, 4294967295u, 2147483649u, 0},
        {{2, 0, 5, 0, 0, 0, 7, 0, 0, 0, 9, 0x55}, 7, 9, -1},
    };
    for (const auto& [bytes, sleepTime, runningTime, typeIndex] : cases) {
        const PowersaveConfig config = DecodePowersave(bytes);
        EXPECT_EQ((std::tuple(config.sleepTime, config.runningTime, SleepTypeIndex(config.sleepType))),
                  (std::tuple(sleepTime, runningTime, typeIndex)));
        BlockBytes expected = bytes;
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
        {0, "1", "2", "3", F::None, {0, 0, 1, 0, 0, 0, 3, 0, 0, 0, 2, 0}},
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
    // text, sleep-now record, running-counter record (empty: refused).
    const std::tuple<const char*, BlockBytes, BlockBytes> cases[] = {
        {"3600", {1, 0, 0, 0x0E, 0x10}, {0, 0, 0x0E, 0x10}},
        {"4294967295", {1, 0xFF, 0xFF, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"4294967296", {}, {}},
        {"-5", {}, {}},
    };
    for (const auto& [text, sleepNow, counter] : cases) {
        uint32_t seconds = 0;
        ASSERT_EQ(ReadSeconds(text, &seconds), !counter.empty()) << text;
        EXPECT_EQ(counter.empty() ? sleepNow : SleepNowBlock(seconds).bytes, sleepNow) << text;
        EXPECT_EQ(counter.empty() ? counter : RunningCounterBlock(seconds).bytes, counter) << text;
    }
}
