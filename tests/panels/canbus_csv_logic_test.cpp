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
    struct Case {
        const char* line;
        bool hex;
        SignalCells after;
    } cases[] = {
        {"291,0,8,16,0\n", false, {"291", "Standard", "8", "16", "Intel"}},
        {"291;0;8;16;0\n", false, {"291", "Standard", "8", "16", "Intel"}},
        {";291,,;0;;8,16,,0,\n", false, {"291", "Standard", "8", "16", "Intel"}},
        {"291,0,8\n", false, {"291", "Standard", "8", "3", "Motorola"}},  // a short line
        {"291,0,8,16\r\n", false, {"291", "Standard", "8", "16", "Motorola"}},
        {"\n", false, kBefore},
        {"2047,0,0,8,0,99,extra\n", true, {"7ff", "Standard", "0", "8", "Intel"}},
        {"291,2,8,16,-1\n", false, {"291", "Extended", "8", "16", "Motorola"}},  // outside the lists
        {"291,1,8,16,5\n", false, {"291", "Extended", "8", "16", "Motorola"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        SignalCells row = kBefore;
        ApplySignalCsvLine(c.line, &row, c.hex);
        EXPECT_EQ(row, c.after);
    }
}

TEST(CanCsv, FilesIntoTheGrid)
{
    size_t taken = 0;
    // 3 lines: rows 0 to 2 replaced, the rest kept.
    std::vector<SignalCells> rows = Load(Lines(3), false, &taken);
    EXPECT_EQ(taken, 3u);
    EXPECT_EQ(rows[2], (SignalCells{"102", "Standard", "8", "16", "Motorola"}));
    EXPECT_EQ(rows[3], kBefore);

    // 20 lines: the grid's 14 rows, the rest ignored.
    rows = Load(Lines(20), false, &taken);
    EXPECT_EQ(taken, 14u);
    EXPECT_EQ(rows[13].id, "113");

    // An empty line keeps its row; the next line fills the next row.
    rows = Load("5,0,1,2,0\n\n7,1,3,4,1\n", false, &taken);
    EXPECT_EQ(taken, 3u);
    EXPECT_EQ(rows[0].id, "5");
    EXPECT_EQ(rows[1], kBefore);
    EXPECT_EQ(rows[2], (SignalCells{"7", "Extended", "3", "4", "Motorola"}));

    // 99 characters with the line end are one line; a longer line goes on
    // into the next row.
    const std::string fits = "5,0,1,2,0" + std::string(89, ',') + "\n";
    ASSERT_EQ(fits.size(), 99u);
    rows = Load(fits + "6,1,1,1,1\n", false, &taken);
    EXPECT_EQ(taken, 2u);
    EXPECT_EQ(rows[1].id, "6");
    const std::string longer = "5,0,1,2,0" + std::string(90, ',') + "7,1,3,4,1\n";
    rows = Load(longer, false, &taken);
    EXPECT_EQ(taken, 2u);
    EXPECT_EQ(rows[0], (SignalCells{"5", "Standard", "1", "2", "Intel"}));
    EXPECT_EQ(rows[1], (SignalCells{"7", "Extended", "3", "4", "Motorola"}));
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
