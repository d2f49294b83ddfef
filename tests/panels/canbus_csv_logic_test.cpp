// The signal list file: the lines written from the grid's cells, and the
// lines read back into them.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "CanCsv.h"

void PrintTo(const SignalCells& c, std::ostream* os)
{
    *os << "{" << c.id.utf8_string() << "," << c.type.utf8_string() << "," << c.startBit.utf8_string() << ","
        << c.length.utf8_string() << "," << c.byteOrder.utf8_string() << "}";
}

namespace {

const SignalCells kBefore = {"1", "Extended", "2", "3", "Motorola"};

// Reads `text` as a file into 14 rows that all start as kBefore.
std::vector<SignalCells> Load(const std::string& text, bool hex, size_t* taken = nullptr)
{
    std::vector<SignalCells> rows(14, kBefore);
    FILE* in = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    EXPECT_NE(in, nullptr);
    const size_t n = ReadSignalCsv(in, &rows, hex);
    fclose(in);
    if (taken)
        *taken = n;
    return rows;
}

std::string Lines(int n)
{
    std::string text;
    for (int i = 0; i < n; ++i)
        text += std::to_string(100 + i) + ",0,8,16,1\n";
    return text;
}

}  // namespace

TEST(CanCsv, OneLineIntoItsRow)
{
    // line, hex, the row after (it was kBefore).
    const std::tuple<const char*, bool, SignalCells> cases[] = {
        {"291,0,8,16,0\n", false, {"291", "Standard", "8", "16", "Intel"}},
        {"291;0;8;16;0\n", false, {"291", "Standard", "8", "16", "Intel"}},
        {";291,,;0;;8,16,,0,\n", false, {"291", "Standard", "8", "16", "Intel"}},
        {"291,0,8\n", false, {"291", "Standard", "8", "3", "Motorola"}},  // a short line
        {"291,0,8,16\r\n", false, {"291", "Standard", "8", "16", "Motorola"}},
        {"\n", false, kBefore},
        {"2047,0,0,8,0,99,extra\n", true, {"7ff", "Standard", "0", "8", "Intel"}},
        {"291,2,8,16,-1\n", false, {"291", "Extended", "8", "16", "Motorola"}},  // outside the lists
        {"291,-1,8,16,2\n", false, {"291", "Extended", "8", "16", "Motorola"}},
    };
    for (const auto& [line, hex, after] : cases) {
        SignalCells row = kBefore;
        ApplySignalCsvLine(line, &row, hex);
        EXPECT_EQ(row, after) << line;
    }
}

// How many rows a file fills, and which: the ids of rows 0-3 after ("1" is
// a row left as it was). 99 characters with the line end are one line; a
// longer line goes on into the next row.
TEST(CanCsv, FilesIntoTheGrid)
{
    const std::string fits = "5,0,1,2,0" + std::string(89, ',') + "\n";
    ASSERT_EQ(fits.size(), 99u);
    const std::tuple<std::string, size_t, std::string> cases[] = {
        {Lines(3), 3, "100 101 102 1"},
        {Lines(20), 14, "100 101 102 103"},
        {"5,0,1,2,0\n\n7,1,3,4,1\n", 3, "5 1 7 1"},
        {fits + "6,1,1,1,1\n", 2, "5 6 1 1"},
        {"5,0,1,2,0" + std::string(90, ',') + "7,1,3,4,1\n", 2, "5 7 1 1"},
    };
    for (const auto& [text, taken, ids] : cases) {
        size_t n = 0;
        const std::vector<SignalCells> rows = Load(text, false, &n);
        EXPECT_EQ(n, taken) << text;
        EXPECT_EQ(rows[0].id + " " + rows[1].id + " " + rows[2].id + " " + rows[3].id, ids) << text;
    }
    EXPECT_EQ(Load(Lines(20), false)[13].id, "113");
}

// Saved from a grid showing Hex and loaded into one showing Dec (and back),
// the ids keep their values.
TEST(CanCsv, SavedAndLoadedAcrossBases)
{
    const std::vector<SignalCells> hexRows = {{"7ff", "Standard", "0", "8", "Intel"},
                                              {"1fffffff", "Extended", "7", "64", "Motorola"}};
    char buffer[256] = {};
    FILE* out = fmemopen(buffer, sizeof buffer, "w");
    ASSERT_TRUE(WriteSignalCsv(out, hexRows, true));
    fclose(out);
    EXPECT_STREQ(buffer, "2047,0,0,8,0\n536870911,1,7,64,1\n");

    std::vector<SignalCells> rows = Load(buffer, false);
    EXPECT_EQ(rows[0].id, "2047");
    EXPECT_EQ(rows[1], (SignalCells{"536870911", "Extended", "7", "64", "Motorola"}));
    rows = Load(buffer, true);
    EXPECT_EQ(rows[0], hexRows[0]);
    EXPECT_EQ(rows[1], hexRows[1]);
}
