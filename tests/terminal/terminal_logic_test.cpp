// What the terminal does without a window.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "ReceiveLog.h"
#include "RingBuffer.h"
#include "TerminalLogic.h"
#include "TerminalThreads.h"

using Bytes = std::vector<uint8_t>;

namespace {

TEST(RingBuffer, FillsOverwritesTheOldestAndWrapsAround)
{
    static RingBuffer b;  // 65 KB: not on the stack
    // The page's capacity fits, one more does not.
    ASSERT_TRUE(RingBufferInit(&b, 65000));
    EXPECT_EQ(b.size, 65001);
    for (int i = 0; i < 65000; ++i)
        RingBufferPut(&b, static_cast<uint8_t>(i));
    EXPECT_EQ(RingBufferIsFull(&b), 1);
    EXPECT_FALSE(RingBufferInit(&b, 65001));
    EXPECT_FALSE(RingBufferInit(&b, 0));
    ASSERT_TRUE(RingBufferInit(&b, 3));
    // Bytes put, whether full, what draining gives.
    struct Step {
        std::vector<uint8_t> put;
        bool full;
        std::vector<int> drained;
    } steps[] = {{{1, 2, 3}, true, {1, 2, 3}},
                 {{1, 2, 3, 4}, true, {2, 3, 4}},
                 {{5, 6, 7, 8, 9, 10, 11}, true, {9, 10, 11}},
                 {{12}, false, {12}}};
    for (const Step& s : steps) {
        for (uint8_t byte : s.put)
            RingBufferPut(&b, byte);
        EXPECT_EQ(RingBufferIsFull(&b), s.full ? 1 : 0);
        std::vector<int> out;
        for (uint8_t byte = 0; !RingBufferIsEmpty(&b); out.push_back(byte))
            RingBufferGet(&b, &byte);
        EXPECT_EQ(out, s.drained) << s.put.size();
    }
}

TEST(TerminalLogic, InputChecksAndCommandBytesInEveryFormat)
{
    const wxString e = wxString::FromUTF8("\xC3\xA9");
    wxString e64;
    for (int i = 0; i < 64; ++i)
        e64 += e;
    const std::string blanks127a = std::string(127, ' ') + "a";
    const char *max = "Max 128 bytes", *unknown = "Unknown message format",
               *no8bit = "The message holds a character that has no 8-bit form";
    // The check of a typed input, the bytes it sends (an imported token keeps
    // its low 8 bits) or why it sends nothing.
    struct Case {
        wxString text;
        int format;
        const char* check;
        Bytes bytes;
        const char* refusal;
    } cases[] = {
        {"  1   a ff  ", FORMAT_HEX, "", {0x01, 0x0A, 0xFF}, ""},
        {"1 01 1ff", FORMAT_HEX, "Hex can be length max 2 digits", {0x01, 0x01, 0xFF}, ""},
        {"101 11111111", FORMAT_BINARY, "", {0x05, 0xFF}, ""},
        {"0 111111111", FORMAT_BINARY, "Binary can be length max 8 digits", {0x00, 0xFF}, ""},
        {"0 255 007", FORMAT_DECIMAL, "", {0x00, 0xFF, 0x07}, ""},
        {"010 08 0255", FORMAT_DECIMAL, "", {0x0A, 0x08, 0xFF}, ""},  // leading zeros: never octal
        {"1 256", FORMAT_DECIMAL, "Decimal value max 255", {0x01, 0x00}, ""},
        {"0256", FORMAT_DECIMAL, "Decimal value max 255", {0x00}, ""},
        {"99999999999999999999", FORMAT_DECIMAL, "Decimal value max 255", {0xFF}, ""},
        {"   ", FORMAT_DECIMAL, "Invalid blank input", {}, ""},
        {"", FORMAT_ASCII, "Invalid blank input", {}, ""},
        {"AB D", FORMAT_ASCII, "", {0x41, 0x42, 0x20, 0x44}, ""},
        {blanks127a, FORMAT_ASCII, "", Bytes(blanks127a.begin(), blanks127a.end()), ""},
        {wxString(129, 'a'), FORMAT_ASCII, max, Bytes(129, 'a'), ""},
        {e64, FORMAT_ASCII, "", Bytes(64, 0xE9), ""},  // one fixed 8-bit mapping, whatever the locale
        {e64 + e, FORMAT_ASCII, max, Bytes(65, 0xE9), ""},
        {wxString::FromUTF8("\xE2\x82\xAC"), 0, "", {}, no8bit},
        {wxString(MaxNumericTextBytes, 'f'), FORMAT_HEX, max, {0xFF}, ""},
        {wxString(MaxNumericTextBytes + 1, 'f'), FORMAT_HEX, max, {}, "Message longer than 1459 characters"},
        {wxString(MaxMessageBytes, 'a'), FORMAT_ASCII, max, Bytes(MaxMessageBytes, 'a'), ""},
        {wxString(MaxMessageBytes + 1, 'a'), FORMAT_ASCII, max, {}, "Message longer than 65535 bytes"},
        {"1", 4, unknown, {}, unknown},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.Left(20) + wxString::Format(" format %d", c.format));
        EXPECT_EQ(CheckCommandInput(c.text, c.format), c.check);
        Bytes bytes = {0x99};
        EXPECT_EQ(CommandBytes(c.text, c.format, &bytes), c.refusal);
        EXPECT_EQ(bytes, c.bytes);
    }
}

TEST(TerminalLogic, PaddingTheCounterThePeriodAndTheTotalSize)
{
    const Bytes abc = {'A', 'B', 'C'}, message = {0xAA, 0xBB, 0xCC, 0xDD};
    for (auto [total, sent] : {std::pair<int, Bytes>{8, {'A', 'B', 'C', 3, 4, 5, 6, 7}},
                               {3, abc},
                               {2, {'A', 'B'}},
                               {0, abc},
                               {-1, abc}})
        EXPECT_EQ(PadMessage(abc, total), sent) << total;
    EXPECT_EQ(PadMessage(Bytes{}, 300)[257], 0x01);
    for (auto [counter, sent] : {std::pair<uint16_t, Bytes>{1, {0x00, 0x01, 0xAA, 0xBB}},
                                 {0x1234, {0x12, 0x34, 0xAA, 0xBB}},
                                 {0, {0x00, 0x00, 0xAA, 0xBB}}})
        EXPECT_EQ(CounterFrame(message, counter), sent) << counter;
    EXPECT_EQ(CounterFrame({0xAA, 0xBB}, 7), (Bytes{0x00, 0x07}));
    EXPECT_EQ(NextMessageCounter(0xFFFF), 0);

    // Text, unit, ms or -1: refused. An empty period or 0 sends back to back.
    const std::tuple<const char*, int, int> periods[] = {{"2", 0, 2},     {"2", 1, 2000}, {"999", 1, 999000},
                                                         {"0", 1, 0},     {"", 1, 0},     {"-5", 1, -1},
                                                         {"1000", 0, -1}, {"5e", 0, -1},  {" 07 ", 0, 7}};
    for (auto [text, unit, expected] : periods) {
        int ms = -1;
        const wxString message = ParsePeriod(text, unit, &ms);
        EXPECT_EQ(message.empty() ? ms : -1, expected) << text;
        EXPECT_TRUE(message.empty() || message == "The period must be a whole number from 0 to 999");
    }
    for (auto [text, total] :
         {std::pair<const char*, int>{"", 0}, {"8", 8}, {"-3", 0}, {"999", 999}, {"1000", -1}, {"x", -1}}) {
        int got = -1;
        const wxString message = ParseTotalSize(text, &got);
        EXPECT_EQ(message.empty() ? got : -1, total) << text;
        EXPECT_TRUE(message.empty() || message == "The total size must be a whole number up to 999")
            << message;
    }
}

TEST(DataConnection, TwoSendersAtOnceNeverMixTheirBytes)
{
    int fds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    const int room = 4096;
    setsockopt(fds[0], SOL_SOCKET, SO_SNDBUF, &room, sizeof room);
    std::string got;
    std::thread reader([&] {
        // Late and in small reads: both senders wait for room.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        char buffer[4096];
        for (ssize_t n; (n = read(fds[1], buffer, sizeof buffer)) > 0;)
            got.append(buffer, static_cast<size_t>(n));
    });
    {
        DataConnection connection(fds[0]);  // closed when it goes
        const Bytes a(1 << 20, 'a'), b(1 << 20, 'b');
        std::thread other([&] {
            EXPECT_EQ(connection.Send(b.data(), b.size(), -1, 2000), DataConnection::SendResult::Sent);
        });
        EXPECT_EQ(connection.Send(a.data(), a.size(), -1, 2000), DataConnection::SendResult::Sent);
        other.join();
    }
    reader.join();
    close(fds[1]);
    ASSERT_EQ(got.size(), 2u << 20);
    EXPECT_EQ(got.find_first_not_of(got[0]), size_t{1} << 20);
    EXPECT_EQ(got.find(got[0], size_t{1} << 20), std::string::npos);
}

std::string Text(const ReceiveLog& log, int view)
{
    return ViewText(log, view, LogPos(), LogEnd(log));
}

TEST(ReceiveLog, EachViewRendersTheBytes)
{
    struct Case {
        Bytes bytes;
        const char* text[4];
    } cases[] = {
        {{0x00, 0x0F, 0x10, 0xFF},
         {"\x0F\x10\xC3\xBF", "00 0f 10 ff ", "00000000 00001111 00010000 11111111 ", "0 15 16 255 "}},
        {{0x7E, 0x7F, 0x80, 0xA0},
         {"~\x7F\xC2\x80\xC2\xA0", "7e 7f 80 a0 ", "01111110 01111111 10000000 10100000 ",
          "126 127 128 160 "}},
    };
    for (const Case& c : cases) {
        ReceiveLog log;
        log.AddChunk(c.bytes.data(), c.bytes.size(), 0, 0);
        for (int v = 0; v < TerminalFormatCount; ++v)
            EXPECT_EQ(Text(log, v), c.text[v]) << v;
    }
}

TEST(ReceiveLog, TimeStampsAndWrappedPacketsAsTheChecksSay)
{
    wxDateTime t(1, wxDateTime::Jan, 2024, 0, 0, 0, 7);
    t.MakeFromTimezone(wxDateTime::UTC);
    const int64_t ms = t.GetValue().GetValue();
    const std::string s = TimestampText(t).utf8_string() + " [RX] - ";
    ASSERT_EQ(s, "Mon Jan  1 01:00:00 2024:007 [RX] - ");
    // Chunks "A" and "B" with their (time stamp, wrap); a Hex send line between.
    struct Case {
        bool ts1, wrap1, ts2, wrap2;
        std::string ascii, hex;
    } cases[] = {
        {false, false, false, false, "AB", "41 TX\n42 "},
        {false, true, false, true, "A\nB\n", "41 \nTX\n42 \n"},
        {true, true, true, true, s + "A\n" + s + "B\n", s + "41 \nTX\n" + s + "42 \n"},
        {true, false, true, false, "\n" + s + "AB", "41 TX\n42 "},
        {true, true, true, false, s + "A\n\n" + s + "B", s + "41 \nTX\n42 "},
        {false, false, true, false, "A\n" + s + "B", "41 TX\n42 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ascii);
        ReceiveLog log;
        bool atLineStart = true;
        const uint8_t a = 'A', b = 'B';
        log.AddChunk(&a, 1, ms, ChunkFlags(c.ts1, c.wrap1, &atLineStart));
        log.AddLine(FORMAT_HEX, COLOUR_SENT, "TX\n");
        log.AddChunk(&b, 1, ms, ChunkFlags(c.ts2, c.wrap2, &atLineStart));
        EXPECT_EQ(Text(log, FORMAT_ASCII), c.ascii);
        EXPECT_EQ(Text(log, FORMAT_HEX), c.hex);
        EXPECT_EQ(Text(log, FORMAT_DECIMAL).find("TX"), std::string::npos);
    }

    // Stamps of chunks in other seconds, each view rendered from the start
    // after the one before reached the later second.
    ReceiveLog log;
    const uint8_t a = 'A', b = 'B';
    log.AddChunk(&a, 1, ms + 1116, CHUNK_STAMP | CHUNK_BREAK);
    log.AddChunk(&b, 1, ms + 62993, CHUNK_STAMP | CHUNK_BREAK);
    const std::string first = "Mon Jan  1 01:00:01 2024:123 [RX] - ",
                      second = "Mon Jan  1 01:01:03 2024:000 [RX] - ";
    EXPECT_EQ(Text(log, FORMAT_ASCII), first + "A\n" + second + "B\n");
    EXPECT_EQ(Text(log, FORMAT_HEX), first + "41 \n" + second + "42 \n");
    EXPECT_EQ(Text(log, FORMAT_ASCII), first + "A\n" + second + "B\n");
}

std::vector<std::string> RowTexts(const ReceiveLog& log, const ViewRows& rows)
{
    std::vector<RowCells> cells;
    rows.GetRows(log, 0, static_cast<size_t>(rows.Rows()), &cells);
    std::vector<std::string> out;
    for (const RowCells& row : cells) {
        std::string text;
        for (const Cell& cell : row.cells)
            text += cell.c == U'\t' ? '>' : static_cast<char>(cell.c);
        out.push_back(text);
    }
    return out;
}

TEST(ReceiveLog, RowsWrapAtTheWidthAtLineBreaksAndAcrossBlocks)
{
    struct Case {
        std::string bytes;
        int columns;
        std::vector<std::string> rows;
    } cases[] = {
        {"abcdefg", 7, {"abcdefg"}},       {"abcdefgh", 7, {"abcdefg", "h"}},
        {"ab\ncd\n", 7, {"ab", "cd", ""}}, {"abcdefg\nh", 7, {"abcdefg", "h"}},
        {"a\tb", 7, {"a", ">", "b"}},      {"a\tb", 9, {"a>b"}},
        {"a\r\nb", 3, {"a", "b"}},         {"\tb", 7, {">", "b"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        ReceiveLog log;
        log.AddChunk(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size(), 0, 0);
        ViewRows rows(FORMAT_ASCII);
        rows.SetColumns(c.columns);
        EXPECT_TRUE(rows.Update(log));
        EXPECT_EQ(RowTexts(log, rows), c.rows);
    }

    // 70000 bytes in chunks of 1000, wrapped a few units at a time: 10 bytes
    // a Hex row, and the rows past every 32nd found again.
    ReceiveLog log;
    Bytes chunk(1000);
    for (int i = 0; i < 70; ++i) {
        for (size_t k = 0; k < chunk.size(); ++k)
            chunk[k] = static_cast<uint8_t>(i * 1000 + k);
        log.AddChunk(chunk.data(), chunk.size(), 0, 0);
    }
    ViewRows rows(FORMAT_HEX);
    rows.SetColumns(30);
    while (!rows.Update(log, 777)) {
    }
    ASSERT_EQ(rows.Rows(), 7000u);  // the last row is full: no empty one after it
    for (uint64_t row : {0u, 31u, 32u, 33u, 6553u, 6554u, 6999u}) {
        std::vector<RowCells> cells;
        rows.GetRows(log, row, 1, &cells);
        ASSERT_EQ(cells.size(), 1u);
        std::string text, expected;
        for (const Cell& cell : cells[0].cells)
            text += static_cast<char>(cell.c);
        for (uint64_t b = row * 10; b < std::min<uint64_t>(row * 10 + 10, 70000); ++b)
            expected += wxString::Format("%02x ", static_cast<unsigned>(b & 0xFF)).utf8_string();
        EXPECT_EQ(text, expected) << row;
        EXPECT_EQ(rows.RowOf(log, cells[0].cells.back().pos), row);
    }
}

TEST(ReceiveLog, ASelectionAcrossRowsCopiesTheViewsText)
{
    ReceiveLog log;
    bool atLineStart = true;
    const Bytes first = {0x41, 0x42, 0x43, 0x44, 0x45}, second = {0x46, 0x47};
    log.AddChunk(first.data(), first.size(), 0, ChunkFlags(false, true, &atLineStart));
    log.AddChunk(second.data(), second.size(), 0, ChunkFlags(false, true, &atLineStart));
    ViewRows rows(FORMAT_HEX);
    rows.SetColumns(7);
    rows.Update(log);
    // "41 42 4" "3 44 45" " " "46 47 " ""
    std::vector<RowCells> cells;
    rows.GetRows(log, 0, 5, &cells);
    ASSERT_EQ(cells.size(), 5u);
    const std::string all = Text(log, FORMAT_HEX);
    EXPECT_EQ(all, "41 42 43 44 45 \n46 47 \n");
    struct Case {
        LogPos from, to;
        std::string text;
    } cases[] = {
        {cells[0].cells[3].pos, cells[1].cells[2].pos, "42 43 "},
        {cells[1].cells[6].pos, cells[3].cells[1].pos, "5 \n4"},
        {cells[0].cells[0].pos, cells[2].end, "41 42 43 44 45 "},
        {cells[3].cells[0].pos, LogEnd(log), "46 47 \n"},
        {LogPos(), LogEnd(log), all},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ViewText(log, FORMAT_HEX, c.from, c.to), c.text);
    // The word (cell indexes, first and last) around a cell: up to the row's
    // edges, and a blank alone.
    const std::tuple<int, size_t, size_t, size_t> words[] = {{1, 3, 2, 3}, {1, 5, 5, 6}, {1, 6, 5, 6},
                                                             {0, 6, 6, 6}, {0, 0, 0, 1}, {1, 1, 1, 1}};
    for (auto [row, i, first, last] : words) {
        size_t word0 = 99, word1 = 99;
        WordAt(cells[row], i, &word0, &word1);
        EXPECT_EQ(std::make_pair(word0, word1), std::make_pair(first, last)) << row << " " << i;
    }

    // A tab ends a word as a blank does.
    ReceiveLog tabbed;
    const std::string text = "ab\tcd";
    tabbed.AddChunk(reinterpret_cast<const uint8_t*>(text.data()), text.size(), 0, 0);
    ViewRows wide(FORMAT_ASCII);
    wide.Update(tabbed);
    wide.GetRows(tabbed, 0, 1, &cells);
    ASSERT_EQ(cells.size(), 1u);
    for (auto [i, first, last] : {std::tuple<size_t, size_t, size_t>{0, 0, 1}, {4, 3, 4}, {2, 2, 2}}) {
        size_t word0 = 99, word1 = 99;
        WordAt(cells[0], i, &word0, &word1);
        EXPECT_EQ(std::make_pair(word0, word1), std::make_pair(first, last)) << i;
    }

    log.Clear();
    EXPECT_EQ(log.MemoryUsed(), 0u);
    EXPECT_EQ(Text(log, FORMAT_HEX), "");
}

}  // namespace
