// The CAN pages' values and the signal list file.
#include <gtest/gtest.h>

#include <cstdio>

#include "CanCsv.h"
#include "CanLogic.h"

TEST(CanLogic, AcquisitionCodeAndActuationSelection)
{
    // code -> selection, output with Native offered, output without.
    const int reads[][4] = {{0, 0, 0, 0}, {1, 1, 0, 0}, {2, 2, 0, 0},  {3, 0, 1, 1},
                            {4, 1, 1, 1}, {5, 2, 1, 1}, {6, 1, 2, 0},  {7, 2, 2, 0},
                            {8, 3, 0, 0}, {9, 0, 0, 0}, {255, 0, 0, 0}};
    for (const auto& r : reads) {
        EXPECT_EQ(SelectionFromCode(uint8_t(r[0])), r[1]) << r[0];
        EXPECT_EQ(OutputFromCode(uint8_t(r[0]), true), r[2]) << r[0];
        EXPECT_EQ(OutputFromCode(uint8_t(r[0]), false), r[3]) << r[0];
    }
    // selection, output -> code; -1 refused (signals with Native, outside the lists).
    const int writes[][3] = {{0, 0, 0}, {1, 0, 1}, {2, 0, 2}, {3, 0, 8}, {0, 1, 3},  {1, 1, 4},  {2, 1, 5},
                             {3, 1, 8}, {1, 2, 6}, {2, 2, 7}, {3, 2, 8}, {0, 2, -1}, {4, 0, -1}, {0, 3, -1}};
    for (const auto& w : writes) {
        uint8_t code = 99;
        EXPECT_EQ(AcquisitionCode(w[0], w[1], &code), w[2] >= 0) << w[0] << "," << w[1];
        EXPECT_EQ(code, w[2] >= 0 ? w[2] : 99) << w[0] << "," << w[1];
    }
    // Byte 10 -> actuation entry with and without the Native entries.
    const int actuation[][3] = {{0, 0, 0}, {2, 2, 2}, {3, 3, 0}, {4, 4, 1}, {5, 0, 0}, {255, 0, 0}};
    for (const auto& a : actuation) {
        EXPECT_EQ(ExecSelectionFromByte(uint8_t(a[0]), true), a[1]) << a[0];
        EXPECT_EQ(ExecSelectionFromByte(uint8_t(a[0]), false), a[2]) << a[0];
    }
    // Native entries above firmware 1.4.2.
    EXPECT_EQ((std::vector<int>{OutputTypeCount(142), OutputTypeCount(143), ExecSelectionTypeCount(142),
                                ExecSelectionTypeCount(143)}),
              (std::vector<int>{2, 3, 3, 5}));
}

TEST(CanLogic, BitTimingAndListEntryBySpeed)
{
    using Timing = std::array<uint8_t, 5>;
    const Timing slow = {7, 7, 2, 2, 1}, mid = {6, 5, 1, 1, 1}, other = {3, 2, 1, 1, 1};
    const std::tuple<uint32_t, Timing, int> cases[] = {
        {20000, slow, 0},   {19999, other, -1}, {20001, other, -1}, {25000, mid, 1},      {50000, mid, 2},
        {50001, other, -1}, {125000, other, 5}, {0, other, -1},     {1000000, other, 10},
    };
    for (const auto& [speed, timing, index] : cases) {
        EXPECT_EQ(CanBitTiming(speed), timing) << speed;
        EXPECT_EQ(CanBaudRateIndex(speed), index) << speed;
    }
}

TEST(CanLogic, SpeedChecks)
{
    using F = SpeedFault;
    // text, fault on the CAN bus page (0 refused), on the actuation page, value written.
    const std::tuple<const char*, F, F, uint32_t> cases[] = {
        {"1000000", F::None, F::None, 1000000},
        {"1000001", F::Range, F::Range, 1000001},
        {"1", F::None, F::None, 1},
        {"0", F::Range, F::None, 0},
        {"-5", F::Range, F::NotDigits, 0},
        {" 125", F::NotDigits, F::NotDigits, 125},
        {"99999999999999999999999999", F::Range, F::Range, UINT32_MAX},
        // At most the first 19 characters are looked at, never past the end.
        {"0000000000000000001x", F::None, F::None, 1},
        {"000000000000000001x", F::NotDigits, F::NotDigits, 1},
    };
    for (const auto& [text, acquisition, actuation, value] : cases) {
        EXPECT_EQ(CheckSpeedText(text, false), acquisition) << text;
        EXPECT_EQ(CheckSpeedText(text, true), actuation) << text;
        EXPECT_EQ(SpeedValue(text), value) << text;
    }
}

TEST(CanLogic, RowChecksInDecAndHex)
{
    // cells, hex, column at fault (-1 passes), message, signal written.
    const std::tuple<SignalCells, bool, int, const char*, CanSignal> signals[] = {
        {{"2047", "Standard", "0", "8", "Intel"}, false, -1, "", {2047, 0, 0, 8, 0}},
        {{"2048", "Standard", "0", "8", "Intel"}, false, 1, "Msg ID max 0x7FF", {}},
        {{"7ff", "Standard", "3", "8", "Motorola"}, true, -1, "", {2047, 0, 3, 8, 1}},
        {{"7FF", "Standard", "0", "8", "Intel"}, true, -1, "", {2047, 0, 0, 8, 0}},
        {{"0800", "Standard", "0", "8", "Intel"}, true, 1, "Msg ID max 0x7FF", {}},
        {{"02047", "Standard", "0", "8", "Intel"}, false, -1, "", {2047, 0, 0, 8, 0}},
        {{"1fffffff", "Extended", "0", "1", "Intel"}, true, -1, "", {0x1FFFFFFF, 1, 0, 1, 0}},
        {{"20000000", "Extended", "0", "1", "Intel"}, true, 1, "Msg ID max 0x1FFFFFFF", {}},
        {{"536870912", "", "0", "1", "Intel"}, false, 1, "Msg ID max 0x1FFFFFFF", {}},
        {{"-1", "Extended", "0", "1", "Intel"}, false, 1, "Msg ID max 0x1FFFFFFF", {}},
        {{"-1", "Extended", "0", "1", "Intel"}, true, 1, "Msg ID max 0x1FFFFFFF", {}},
        // A hex id above 0 without a leading decimal digit is a used row.
        {{"a", "Standard", "256", "8", "Intel"}, true, 3, "Start Bit max 255", {}},
        {{"a", "Standard", "255", "0", "Intel"}, true, 4, "Length max 255", {}},
        {{"5", "Standard", "-1", "8", "Intel"}, false, 3, "Start Bit max 255", {}},
        {{"5", "Standard", "0", "256", "Intel"}, false, 4, "Length max 255", {}},
        {{"1", "Extended", "255", "255", "Motorola"}, false, -1, "", {1, 1, 255, 255, 1}},
        {{"1", "Standard", "0", "0", "Intel"}, false, 4, "Length max 255", {}},
        // An unused row: any start bit, a length from 0 to 255.
        {{"0", "Standard", "300", "0", "Intel"}, false, -1, "", {0, 0, 0, 0, 0}},
        {{"", "Standard", "7", "255", "Intel"}, true, -1, "", {0, 0, 7, 255, 0}},
        {{"0", "Standard", "0", "256", "Intel"}, false, 4, "Length max 255", {}},
    };
    for (const auto& [cells, hex, column, message, written] : signals) {
        SCOPED_TRACE(cells.id + (hex ? " hex" : " dec"));
        CanSignal out;
        CellFault fault;
        ASSERT_EQ(CheckSignalRow(cells, hex, &out, &fault), column < 0);
        if (column < 0) {
            EXPECT_EQ(out, written);
            continue;
        }
        EXPECT_EQ(fault.column, column);
        EXPECT_EQ(fault.message, message);
        EXPECT_EQ(fault.caption.utf8_string(), "Max " + wxString(message).AfterLast(' ').utf8_string());
    }
    // id, type, enabled, hex, passes, written (type 2: not enabled).
    const std::tuple<const char*, const char*, bool, bool, bool, CanMessage> messages[] = {
        {"2047", "Standard", false, false, true, {2047, 2}}, {"10", "Standard", true, true, true, {16, 0}},
        {"0x1f", "Standard", true, true, true, {31, 0}},     {"0X1F", "Standard", true, true, true, {31, 0}},
        {"800", "Standard", true, true, false, {}},          {"", "Extended", true, false, true, {0, 1}},
    };
    for (const auto& [id, type, enabled, hex, passes, written] : messages) {
        CanMessage out{99, 99};
        CellFault fault;
        ASSERT_EQ(CheckMessageRow(id, type, enabled, hex, &out, &fault), passes) << id;
        EXPECT_EQ(out, passes ? written : (CanMessage{99, 99})) << id;
    }
    EXPECT_EQ(CanIdText(0xFFFFFFFF, false), "4294967295");
    EXPECT_EQ(std::vector<int>({CanIdEditorMode(true, false), CanIdEditorMode(false, false),
                                CanIdEditorMode(true, true), CanIdEditorMode(false, true)}),
              std::vector<int>({4, 5, 6, 7}));
}

TEST(CanLogic, ListElementsOnTheWire)
{
    // A signal's type or byte order above 1 reads as 0.
    EXPECT_EQ(DecodeSignals({0, 0, 1, 0x23, 5, 8, 16, 7, 0x1F, 0xFF, 0xFF, 0xFF, 1, 0, 1, 1}),
              (std::vector<CanSignal>{{291, 0, 8, 16, 0}, {0x1FFFFFFF, 1, 0, 1, 1}}));
    EXPECT_EQ(EncodeSignals({{291, 1, 8, 16, 1}}), (BlockBytes{0, 0, 1, 0x23, 1, 8, 16, 1}));
    // Above 1 the message list keeps the type (not enabled); the actuation list reads 0.
    const BlockBytes messageBytes = {0x12, 0x34, 0x56, 0x78, 255, 0, 0, 0, 1, 2, 0, 0, 0, 3, 1};
    EXPECT_EQ(DecodeMessages(messageBytes, false),
              (std::vector<CanMessage>{{0x12345678, 255}, {1, 2}, {3, 1}}));
    EXPECT_EQ(DecodeMessages(messageBytes, true), (std::vector<CanMessage>{{0x12345678, 0}, {1, 0}, {3, 1}}));
    // The write commands of a list: whole chunks, then a short last one with
    // its own count; bytes that are not whole elements still count the last one.
    const std::tuple<uint16_t, uint8_t, size_t, std::vector<std::tuple<int, int, size_t>>> chunks[] = {
        {41, 7, 14 * 8, {{7, 0, 56}, {7, 7, 56}}},
        {41, 7, 10 * 8, {{7, 0, 56}, {3, 7, 24}}},
        {47, 8, 9 * 5, {{8, 0, 40}, {1, 8, 5}}},
        {40, 8, 12, {{3, 0, 12}}},
        {40, 0, 10, {}},
        {40, 8, 0, {}},
    };
    for (const auto& [id, chunk, size, expected] : chunks) {
        std::vector<std::tuple<int, int, size_t>> got;
        BlockBytes bytes(size);
        for (size_t i = 0; i < size; ++i)
            bytes[i] = uint8_t(i);
        size_t at = 0;
        for (const BlockValue& b : ListChunkBlocks(id, chunk, bytes)) {
            EXPECT_EQ(b.id, id);
            EXPECT_EQ(b.bytes,
                      BlockBytes(bytes.begin() + long(at), bytes.begin() + long(at + b.bytes.size())));
            at += b.bytes.size();
            got.emplace_back(b.count, b.index, b.bytes.size());
        }
        EXPECT_EQ(got, expected) << id << " in " << int(chunk) << " of " << size;
    }
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
        {";291,,;0;;8,16,,0,\n", false, {"291", "Standard", "8", "16", "Intel"}},
        {"291,0,8\n", false, {"291", "Standard", "8", "3", "Motorola"}},  // a short line
        {"291,0,8,16\r\n", false, {"291", "Standard", "8", "16", "Motorola"}},
        {"\n", false, kBefore},
        {"2047,0,0,8,0,99,extra\n", true, {"7ff", "Standard", "0", "8", "Intel"}},
        {"536870911,1,7,64,1\n", true, {"1fffffff", "Extended", "7", "64", "Motorola"}},
        {"291,2,8,16,-1\n", false, {"291", "Extended", "8", "16", "Motorola"}},  // outside the lists
        {"291,-1,8,16,2\n", false, {"291", "Extended", "8", "16", "Motorola"}},
    };
    for (const auto& [line, hex, after] : cases) {
        SignalCells row = kBefore;
        ApplySignalCsvLine(line, &row, hex);
        EXPECT_EQ(row, after) << line;
    }
    // Written from a grid in either base, the id keeps its value.
    const std::tuple<SignalCells, bool, const char*> written[] = {
        {{"1fffffff", "Extended", "7", "64", "Motorola"}, true, "536870911,1,7,64,1\n"},
        {{"536870911", "Extended", "7", "64", "Motorola"}, false, "536870911,1,7,64,1\n"},
    };
    for (const auto& [cells, hex, line] : written)
        EXPECT_EQ(SignalCsvLine(cells, hex), line) << cells.id;
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
