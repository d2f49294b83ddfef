// The digital I/O and analog input pages' values: lines and locks by module
// type, what a reply gives, what the grid stands for and what is written.
#include <gtest/gtest.h>

#include "IoLogic.h"

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
        {'A', 4, IoLock::Lines23, lines23},  {'b', 4, IoLock::Lines23, lines23},
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
    EXPECT_EQ(AdcWriteBlock(DecodeAdc({0, 0, 1, 0, 2, 0, 3, 0})).bytes, (BlockBytes{0, 0, 1, 0, 2, 0, 3, 0}));
}

TEST(IoLogic, GridCellsToLines)
{
    // Enable and Type cells of line 3 read as type 1 (no choice shown: the type stays).
    const std::tuple<const char*, const char*, IoChannelEntry> cases[] = {
        {"1", "Digital Output", {3, 1, 1}},
        {"", "Digital Input", {3, 0, 0}},
        {"0", "", {3, 0, 1}},
        {"-1", "digital input", {3, 1, 1}},
        {"99999999999999999999", "Digital Input", {3, 1, 0}},
    };
    for (const auto& [enable, type, line] : cases)
        EXPECT_EQ(IoLineFromCells(3, enable, type, 1), line) << enable << "/" << type;
}
