// What the terminal does without a window: the ring buffer, the input checks,
// a command's bytes, padding and the counter, the views' texts and the
// periodic settings.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "DbCommands.h"
#include "HubLogic.h"
#include "RingBuffer.h"
#include "TerminalLogic.h"

using Bytes = std::vector<uint8_t>;

inline void PrintTo(const wxString& s, std::ostream* os)
{
    *os << '"' << s.utf8_string() << '"';
}

namespace {

TEST(RingBuffer, FillsOverwritesTheOldestAndWrapsAround)
{
    static RingBuffer b;  // 65 KB: not on the stack
    EXPECT_FALSE(RingBufferInit(&b, 0));
    EXPECT_FALSE(RingBufferInit(&b, RING_BUFFER_CAPACITY_MAX + 1));
    ASSERT_TRUE(RingBufferInit(&b, 3));
    EXPECT_EQ(b.size, 4);
    const auto drain = [] {
        std::vector<int> out;
        while (!RingBufferIsEmpty(&b)) {
            uint8_t byte = 0;
            RingBufferGet(&b, &byte);
            out.push_back(byte);
        }
        return out;
    };
    // Each step puts bytes, then checks the state, then what draining gives.
    struct Step {
        std::vector<uint8_t> put;
        bool full;
        std::vector<int> drained;
    } steps[] = {
        {{}, false, {}},
        {{1, 2}, false, {1, 2}},
        {{1, 2, 3}, true, {1, 2, 3}},
        {{1, 2, 3, 4}, true, {2, 3, 4}},               // the oldest is dropped
        {{5, 6, 7, 8, 9, 10, 11}, true, {9, 10, 11}},  // far past the end of the slots
        {{12}, false, {12}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::PrintToString(s.put));
        for (uint8_t byte : s.put)
            RingBufferPut(&b, byte);
        EXPECT_EQ(RingBufferIsFull(&b), s.full ? 1 : 0);
        EXPECT_EQ(RingBufferIsEmpty(&b), s.put.empty() ? 1 : 0);
        EXPECT_EQ(drain(), s.drained);
        EXPECT_TRUE(b.head >= 0 && b.head < b.size && b.tail >= 0 && b.tail < b.size);
    }
    // Interleaved puts and gets cross the end of the slots in order.
    for (int i = 0; i < 10; ++i) {
        RingBufferPut(&b, static_cast<uint8_t>(2 * i));
        RingBufferPut(&b, static_cast<uint8_t>(2 * i + 1));
        uint8_t first = 0, second = 0;
        RingBufferGet(&b, &first);
        RingBufferGet(&b, &second);
        EXPECT_EQ(first, 2 * i);
        EXPECT_EQ(second, 2 * i + 1);
    }
    EXPECT_EQ(RingBufferIsEmpty(&b), 1);
}

TEST(TerminalLogic, CommandBytesInEveryFormatAndTheirLimits)
{
    const wxString eAcute = wxString::FromUTF8("\xC3\xA9");
    struct Case {
        wxString text;
        int format;
        Bytes bytes;
        const char* refusal;
    } cases[] = {
        {"1 a ff", FORMAT_HEX, {0x01, 0x0A, 0xFF}, ""},
        {"  1   a ff  ", FORMAT_HEX, {0x01, 0x0A, 0xFF}, ""},
        {"1ff", FORMAT_HEX, {0xFF}, ""},  // an imported token keeps its low 8 bits
        {"101 11111111", FORMAT_BINARY, {0x05, 0xFF}, ""},
        {"0 255", FORMAT_DECIMAL, {0x00, 0xFF}, ""},
        {"   ", FORMAT_DECIMAL, {}, ""},
        {"", FORMAT_ASCII, {}, ""},
        {"AB D", FORMAT_ASCII, {0x41, 0x42, 0x20, 0x44}, ""},
        {eAcute, FORMAT_ASCII, {0xE9}, ""},  // one fixed 8-bit mapping, whatever the locale
        {wxString::FromUTF8("\xE2\x82\xAC"),
         FORMAT_ASCII,
         {},
         "The message holds a character that has no 8-bit form"},
        {wxString(MaxNumericTextBytes, 'f'), FORMAT_HEX, {0xFF}, ""},
        {wxString(MaxNumericTextBytes + 1, 'f'), FORMAT_HEX, {}, "Message longer than 1459 characters"},
        {wxString(MaxMessageBytes + 1, 'a'), FORMAT_ASCII, {}, "Message longer than 65535 bytes"},
        {"1", 4, {}, "Unknown message format"},
        {"1", -1, {}, "Unknown message format"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.Left(20) + wxString::Format(" format %d", c.format));
        Bytes bytes = {0x99};
        EXPECT_EQ(CommandBytes(c.text, c.format, &bytes), c.refusal);
        EXPECT_EQ(bytes, c.bytes);
    }
    Bytes longest;
    EXPECT_EQ(CommandBytes(wxString(MaxMessageBytes, 'a'), FORMAT_ASCII, &longest), "");
    EXPECT_EQ(longest.size(), MaxMessageBytes);
}

TEST(TerminalLogic, InputChecksSayWhatIsWrong)
{
    const wxString eAcute = wxString::FromUTF8("\xC3\xA9");
    wxString twoByteChars64, twoByteChars65;
    for (int i = 0; i < 64; ++i)
        twoByteChars64 += eAcute;
    twoByteChars65 = twoByteChars64 + eAcute;
    struct Case {
        wxString text;
        int format;
        const char* message;
    } cases[] = {
        {wxString(128, 'a'), FORMAT_ASCII, ""},
        {wxString(127, ' ') + "a", FORMAT_ASCII, ""},
        {wxString(129, 'a'), FORMAT_ASCII, "Max 128 bytes"},
        {twoByteChars64, FORMAT_ASCII, ""},
        {twoByteChars65, FORMAT_ASCII, "Max 128 bytes"},
        {"", FORMAT_HEX, "Invalid blank input"},
        {"   ", FORMAT_ASCII, "Invalid blank input"},
        {"   ", FORMAT_DECIMAL, "Invalid blank input"},
        {"1 01 ff", FORMAT_HEX, ""},
        {"1 100", FORMAT_HEX, "Hex can be length max 2 digits"},
        {"11111111", FORMAT_BINARY, ""},
        {"0 111111111", FORMAT_BINARY, "Binary can be length max 8 digits"},
        {"255 007", FORMAT_DECIMAL, ""},
        {"1 256", FORMAT_DECIMAL, "Decimal value max 255"},
        {"99999999999999999999", FORMAT_DECIMAL, "Decimal value max 255"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.Left(20) + wxString::Format(" format %d", c.format));
        EXPECT_EQ(CheckCommandInput(c.text, c.format), c.message);
    }
}

TEST(TerminalLogic, PaddingAndTheMessageCounter)
{
    struct Pad {
        Bytes message;
        int total;
        Bytes sent;
    } pads[] = {
        {{0x41, 0x42, 0x43}, 8, {0x41, 0x42, 0x43, 0x03, 0x04, 0x05, 0x06, 0x07}},
        {{0x41, 0x42, 0x43}, 3, {0x41, 0x42, 0x43}},
        {{0x41, 0x42, 0x43}, 2, {0x41, 0x42}},
        {{0x41, 0x42, 0x43}, 0, {0x41, 0x42, 0x43}},
        {{0x41, 0x42, 0x43}, -1, {0x41, 0x42, 0x43}},
        {{}, 3, {0x00, 0x01, 0x02}},
    };
    for (const Pad& p : pads)
        EXPECT_EQ(PadMessage(p.message, p.total), p.sent) << p.total;
    EXPECT_EQ(PadMessage(Bytes{}, 300)[257], 0x01);

    const Bytes message = {0xAA, 0xBB, 0xCC, 0xDD};
    struct Frame {
        uint16_t counter;
        Bytes sent;
    } frames[] = {
        {1, {0x00, 0x01, 0xAA, 0xBB}},      {2, {0x00, 0x02, 0xAA, 0xBB}}, {0x1234, {0x12, 0x34, 0xAA, 0xBB}},
        {0xFFFF, {0xFF, 0xFF, 0xAA, 0xBB}}, {0, {0x00, 0x00, 0xAA, 0xBB}},
    };
    for (const Frame& f : frames)
        EXPECT_EQ(CounterFrame(message, f.counter), f.sent) << f.counter;
    EXPECT_EQ(CounterFrame({0xAA, 0xBB}, 7), (Bytes{0x00, 0x07}));
    // From 1 the counter comes back to 1 after 65536 messages, through 0 once.
    uint16_t counter = 1;
    int zeros = 0;
    for (int i = 0; i < 65536; ++i) {
        counter = NextMessageCounter(counter);
        zeros += counter == 0;
        if (i == 65533) {
            EXPECT_EQ(counter, 0xFFFF);
        }
    }
    EXPECT_EQ(counter, 1);
    EXPECT_EQ(zeros, 1);
}

TEST(TerminalLogic, ReceivedBytesInTheFourViews)
{
    const Bytes bytes = {0x00, 0x0F, 0x10, 0xFF};
    EXPECT_EQ(RenderBytes(bytes.data(), bytes.size(), FORMAT_HEX), "00 0f 10 ff ");
    EXPECT_EQ(RenderBytes(bytes.data(), bytes.size(), FORMAT_BINARY), "00000000 00001111 00010000 11111111 ");
    EXPECT_EQ(RenderBytes(bytes.data(), bytes.size(), FORMAT_DECIMAL), "0 15 16 255 ");
    EXPECT_EQ(RenderBytes(bytes.data(), bytes.size(), FORMAT_ASCII), "\x0F\x10\xC3\xBF");
    EXPECT_EQ(RenderBytes(bytes.data(), bytes.size(), 4), "");
    Bytes all(256);
    for (int b = 0; b < 256; ++b)
        all[b] = static_cast<uint8_t>(b);
    EXPECT_EQ(RenderBytes(all.data(), all.size(), FORMAT_ASCII),
              ModuleText(all.data(), all.size()).utf8_string());
    const Bytes hi = {0x48, 0x69, 0x0A};
    EXPECT_EQ(RenderBytes(hi.data(), hi.size(), FORMAT_ASCII), "Hi\n");
    for (auto [value, digits] :
         {std::pair<unsigned, const char*>{0, "0"}, {1, "1"}, {6, "011"}, {255, "11111111"}})
        EXPECT_EQ(ToBinaryString(value), digits) << value;

    // Time stamps and line breaks: the stamp opens every view when packets
    // are wrapped, else only the first view written at a line start.
    const Bytes ab = {0x41, 0x42};
    struct Case {
        bool timestamp, wrap, atStart;
        const char* ascii;
        const char* hex;
        bool atStartAfter;
    } cases[] = {
        {false, false, true, "AB", "41 42 ", true},
        {false, true, false, "AB\n", "41 42 \n", false},
        {true, true, false, "S [RX] - AB\n", "S [RX] - 41 42 \n", true},
        {true, false, true, "\nS [RX] - AB", "41 42 ", false},
        {true, false, false, "AB", "41 42 ", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.timestamp << c.wrap << c.atStart);
        bool atStart = c.atStart;
        const ViewTexts texts = ReceivedViewTexts(ab.data(), ab.size(), "S", c.timestamp, c.wrap, &atStart);
        EXPECT_EQ(texts.text[FORMAT_ASCII], c.ascii);
        EXPECT_EQ(texts.text[FORMAT_HEX], c.hex);
        EXPECT_EQ(atStart, c.atStartAfter);
    }
    // Milliseconds after the date and time, one hour ahead of UTC.
    wxDateTime t(1, wxDateTime::Jan, 2024, 0, 0, 0, 123);
    t.MakeFromTimezone(wxDateTime::UTC);
    EXPECT_EQ(TimestampText(t), "Mon Jan  1 01:00:00 2024:123");
}

TEST(TerminalLogic, PeriodAndTotalSize)
{
    struct Period {
        const char* text;
        int unit;
        int ms;  // -1: refused
    } periods[] = {
        {"2", 0, 2},   {"2", 1, 2000}, {"999", 1, 999000}, {"1", 0, 1},   {"0", 0, -1},
        {"-5", 1, -1}, {"", 0, -1},    {"1000", 0, -1},    {"5e", 0, -1}, {" 7 ", 0, 7},
    };
    for (const Period& p : periods) {
        int ms = -1;
        const wxString message = ParsePeriod(p.text, p.unit, &ms);
        EXPECT_EQ(message.empty(), p.ms >= 0) << p.text;
        if (p.ms >= 0) {
            EXPECT_EQ(ms, p.ms) << p.text;
        } else {
            EXPECT_EQ(message, "The period must be a whole number from 1 to 999");
        }
    }
    struct Size {
        const char* text;
        int total;  // -1: refused
    } sizes[] = {{"", 0}, {"8", 8}, {"0", 0}, {"-3", 0}, {"999", 999}, {"1000", -1}, {"x", -1}};
    for (const Size& z : sizes) {
        int total = -1;
        EXPECT_EQ(ParseTotalSize(z.text, &total).empty(), z.total >= 0) << z.text;
        if (z.total >= 0) {
            EXPECT_EQ(total, z.total) << z.text;
        }
    }
}

// Imported rows whose text is empty or NULL, in every format, become
// entries of no bytes: sent once they send nothing, and count as sent.
TEST(TerminalLogic, EmptyAndNullImportedTextsGiveNoBytes)
{
    namespace fs = std::filesystem;
    const fs::path old = fs::current_path();
    std::string dir = (fs::temp_directory_path() / "vantrel-cmd-XXXXXX").string();
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    fs::current_path(dir);
    {
        wxSQLite3Database file;
        file.Open("import.sqlite");
        file.ExecuteUpdate("CREATE TABLE commandList (cmd TEXT, type INTEGER)");
        file.ExecuteUpdate("INSERT INTO commandList VALUES ('', 0), (NULL, 0), ('', 1), (NULL, 3)");
    }
    DbCommands* list = DbCommands::GetInstance();
    list->Open("localcmd.sqlite");
    list->RestoreFrom("import.sqlite");
    wxSQLite3ResultSet rows = list->GetAll();
    int count = 0;
    for (; rows.NextRow(); ++count) {
        Bytes bytes = {0x99};
        EXPECT_EQ(CommandBytes(rows.GetAsString("cmd"), rows.GetInt("type"), &bytes), "");
        EXPECT_EQ(bytes, Bytes{});
    }
    rows.Finalize();
    EXPECT_EQ(count, 4);
    DbCommands::ResetForTests();
    fs::current_path(old);
    fs::remove_all(dir);
}

}  // namespace
