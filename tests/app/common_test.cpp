// Model names by type character, the byte order of multi-byte settings, and
// numbers read from text without wrapping.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ByteOrder.h"
#include "Files.h"
#include "ModelNames.h"
#include "NumberText.h"

// Case matters (S and s are different models); every character not named,
// 0 and 0xFF among them, is "Unknown".
TEST(Common, ModelNameByCharacter)
{
    const std::pair<char, const char*> names[] = {
        // clang-format off
        {'S', "Vantrel-S-UART"}, {'s', "KOB-F-RS232-S"}, {'C', "Vantrel-CS-UART"}, {'c', "KOB-F-RS232-CS"},
        {'A', "Vantrel-S-CAN"}, {'a', "KOB-F-CAN-S"}, {'B', "Vantrel-CS-CAN"}, {'b', "KOB-F-CAN-CS"},
        {'D', "Vantrel-S-D4IO"}, {'d', "KOB-F-D4IO-BO"}, {'E', "Vantrel-CS-D4IO"}, {'e', "KOB-F-D4IO-BI"},
        {'F', "Vantrel-S-485"}, {'f', "KOB-F-RS485-S"}, {'G', "Vantrel-CS-485"}, {'g', "KOB-F-RS485-CS"},
        {'I', "Vantrel-I2C-TH"}, {'0', "QEMLIX-232-S"}, {'1', "QEMLIX-232-CS"}, {'2', "QEMLIX-CAN-S"},
        {'3', "QEMLIX-CAN-CS"}, {'4', "QEMLIX-D4IO-S"}, {'5', "QEMLIX-D4IO-CS"}, {'6', "QEMLIX-485-S"},
        {'7', "QEMLIX-485-CS"}, {'8', "KOB-F-D8IO-BO"}, {'9', "KOB-F-D8IO-BI"},
        // clang-format on
    };
    for (int c = 0; c < 256; ++c) {
        const char* name = "Unknown";
        for (const auto& [type, model] : names)
            if (type == char(c))
                name = model;
        EXPECT_EQ(GetModelName(char(c)).utf8_string(), name) << c;
    }
}

// Most significant byte first, never negative: 0xFFFF is 65535, 2^31 + 1 stays positive.
TEST(Common, ByteOrderBothWays)
{
    const std::pair<std::array<uint8_t, 4>, uint32_t> cases[] = {{{0x12, 0x34, 0x56, 0x78}, 0x12345678u},
                                                                 {{0xFF, 0xFF, 0xFF, 0xFF}, 4294967295u},
                                                                 {{0x80, 0, 0, 1}, 2147483649u},
                                                                 {{0, 0xFF, 1, 0}, 0x00FF0100u}};
    for (const auto& [b, value] : cases) {
        EXPECT_EQ(BytesToU32(b[0], b[1], b[2], b[3]), value);
        EXPECT_EQ(BytesToU16(b[0], b[1]), int(value >> 16));
        EXPECT_EQ(std::memcmp(U32ToBytes(value), b.data(), 4), 0) << value;
        EXPECT_EQ(std::memcmp(U16ToBytes(uint16_t(value >> 16)), b.data(), 2), 0) << value;
    }
}

// Each limit at, one below and one above; atoi's leniency kept only where asked.
TEST(Common, NumbersFromTextNeverWrap)
{
    struct Case {
        const char* text;
        int64_t min, max;
        bool strict;  // ParseDecimal, else ReadDecimal with max
        bool ok;
        int64_t value;
    } cases[] = {
        // clang-format off
        {"115200", 0, 4294967295, false, true, 115200}, {"  +42abc", 0, 100, false, true, 42},
        {"abc", 0, 100, false, true, 0}, {"", 0, 100, false, true, 0}, {"-0", 0, 100, false, true, 0},
        {"-5", 0, 100, false, false, 0}, {"4294967295", 0, 4294967295, false, true, 4294967295},
        {"4294967296", 0, 4294967295, false, false, 0}, {"99999999999999999999999", 0, 4294967295, false, false, 0},
        {"3", 0, 3, false, true, 3}, {"7", 0, 3, false, false, 0},
        {"65535", 1, 65535, true, true, 65535}, {"65536", 1, 65535, true, false, 0}, {"1", 1, 65535, true, true, 1},
        {"0", 1, 65535, true, false, 0}, {" 80 ", 1, 65535, true, true, 80}, {"80x", 1, 65535, true, false, 0},
        {"", 1, 65535, true, false, 0}, {"-", -10, 10, true, false, 0}, {"-10", -10, 10, true, true, -10},
        {"-11", -10, 10, true, false, 0}, {"9223372036854775808", INT64_MIN, INT64_MAX, true, false, 0},
        {"-9223372036854775808", INT64_MIN, INT64_MAX, true, true, INT64_MIN},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        if (c.strict) {
            int64_t v = -7;
            EXPECT_EQ(ParseDecimal(c.text, c.min, c.max, &v), c.ok);
            EXPECT_EQ(v, c.ok ? c.value : -7);
        } else {
            uint64_t v = 7;
            EXPECT_EQ(ReadDecimal(c.text, uint64_t(c.max), &v), c.ok);
            EXPECT_EQ(v, c.ok ? uint64_t(c.value) : 7u);
        }
    }
    const std::pair<const char*, int> ports[] = {{"65535", 65535}, {"065535", 65535}, {"65536", -1},
                                                 {"70000", -1},    {"0", -1},         {"-1", -1}};
    for (const auto& [text, port] : ports) {
        uint16_t p = 0;
        EXPECT_EQ(ParsePortText(text, &p), port > 0) << text;
        EXPECT_EQ(p, port > 0 ? port : 0) << text;
    }
    const std::pair<const char*, int64_t> atoi[] = {{" \t-12abc", -12},
                                                    {"+7", 7},
                                                    {"x1", 0},
                                                    {"", 0},
                                                    {"9223372036854775807", INT64_MAX},
                                                    {"9223372036854775808", INT64_MAX},
                                                    {"-99999999999999999999", -INT64_MAX}};
    for (const auto& [text, value] : atoi)
        EXPECT_EQ(AtoiValue(text), value) << text;
}

// A replacement takes its target's place whole, with the target's mode (a
// new file: the usual mode less the mask); given up, it leaves the target as
// it was and nothing of its own; in a folder that is not there it is never
// made and says where.
TEST(Files, ReplacementTakesItsTargetsPlaceWholeOrNotAtAll)
{
    namespace fs = std::filesystem;
    std::string folder = (fs::temp_directory_path() / "vantrel-files-XXXXXX").string();
    ASSERT_TRUE(mkdtemp(folder.data()));
    const std::string target = folder + "/lastConfig.xml";
    const mode_t mask = umask(027);
    const auto read = [&] {
        std::stringstream in;
        in << std::ifstream(target).rdbuf();
        return fs::exists(target) ? in.str() : "(missing)";
    };
    struct Case {
        int mode;  // of the target before; -1: none
        bool commit;
        int after;  // -1: no target
    } cases[] = {{0640, true, 0640}, {0755, true, 0755}, {-1, true, 0640}, {0604, false, 0604}, {-1, false, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::oct << c.mode << (c.commit ? " committed" : " given up"));
        fs::remove(target);
        if (c.mode >= 0) {
            std::ofstream(target) << "old";
            chmod(target.c_str(), c.mode);
        }
        {
            FileReplacement file(target);
            ASSERT_TRUE(file.Created());
            EXPECT_EQ(file.Folder(), folder);
            file.File().Write("new");
            if (c.commit) {
                EXPECT_TRUE(file.Commit());
            }
        }
        EXPECT_EQ(read(), c.commit ? "new" : c.mode >= 0 ? "old" : "(missing)");
        struct stat st {};
        EXPECT_EQ(stat(target.c_str(), &st) == 0 ? int(st.st_mode & 07777) : -1, c.after);
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), c.after >= 0 ? 1 : 0)
            << "only the target is left";
    }
    FileReplacement nowhere(folder + "/gone/lastConfig.xml");
    wxString reason;
    EXPECT_FALSE(nowhere.Created());
    EXPECT_FALSE(nowhere.Commit(&reason));
    EXPECT_EQ(reason, "no file could be made in " + folder + "/gone");
    umask(mask);
    fs::remove_all(folder);
}
