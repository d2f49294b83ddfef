// The update check's text, parsed without windows or network.
#include <gtest/gtest.h>

#include <string>

#include "UpdateCheck.h"

namespace {

struct ParseCase {
    std::string bytes;  // may hold zero bytes
    UpdateKind kind;
    const char* version;  // shown in the message when kind is not None
};

const char* KindName(UpdateKind k)
{
    return k == UpdateKind::None ? "none" : k == UpdateKind::Available ? "available" : "required";
}

TEST(UpdateParse, EveryTextGivesTheRightNoticeOrNone)
{
    using namespace std::string_literals;
    const ParseCase cases[] = {
        {"1.4.3;0", UpdateKind::None, ""},  // the version running
        {"1.4.3;1", UpdateKind::None, ""},
        {"1.4.2;1", UpdateKind::None, ""},  // older
        {"1.5.0;0", UpdateKind::Available, "1.5.0"},
        {"1.5.0;1", UpdateKind::Required, "1.5.0"},
        {"150;1", UpdateKind::Required, "150"},
        {"1.4.4;0", UpdateKind::Available, "1.4.4"},
        // Whole numbers made by joining the digits: 1.4.10 is 1410.
        {"1.4.10;1", UpdateKind::None, ""},  // but only 7 bytes count: no flag left
        {"1410;1", UpdateKind::Required, "1410"},
        {"1.5;0", UpdateKind::None, ""},  // 15 < 143
        {";1.5;1", UpdateKind::None, ""},
        // Leading and doubled separators are skipped, as strtok does.
        {";150;0", UpdateKind::Available, "150"},
        {";;150;1", UpdateKind::Required, "150"},
        {";;;150;1", UpdateKind::None, ""},  // the 8th byte is cut: flag lost
        {"150;;1", UpdateKind::Required, "150"},
        // Flags other than 0 and 1.
        {"1.5.0;2", UpdateKind::None, ""},
        {"1.5.0;9", UpdateKind::None, ""},
        {"150;-1", UpdateKind::None, ""},
        {"150;x", UpdateKind::None, ""},
        {"150;1x", UpdateKind::None, ""},
        {"150;01", UpdateKind::Required, "150"},
        // A short file ends its flag with a line end.
        {"150;0\r\n", UpdateKind::Available, "150"},
        {"150;1\n", UpdateKind::Required, "150"},
        // Only the first 7 bytes count.
        {"1.5.0;1234567", UpdateKind::Required, "1.5.0"},
        {"1.5.0;0;junk", UpdateKind::Available, "1.5.0"},
        // Malformed: nothing, no flag, long versions, garbage, zero bytes.
        {"", UpdateKind::None, ""},
        {";", UpdateKind::None, ""},
        {";;;;;;;", UpdateKind::None, ""},
        {"1.5.0", UpdateKind::None, ""},
        {"1.5.0;", UpdateKind::None, ""},
        {"9999999", UpdateKind::None, ""},
        {"12345;1", UpdateKind::None, ""},  // five digits
        {"1.2.3.4.5;1", UpdateKind::None, ""},
        {"99999;0", UpdateKind::None, ""},
        {"abc;1", UpdateKind::None, ""},
        {"15a;1", UpdateKind::None, ""},
        {"...;1", UpdateKind::None, ""},
        {" 150;1", UpdateKind::None, ""},
        {"\xff\xfe\x01;1", UpdateKind::None, ""},
        {"\0"
         "150;1"s,
         UpdateKind::None, ""},
        {"150\0;1"s, UpdateKind::None, ""},
        {"150;\0"
         "1"s,
         UpdateKind::None, ""},
        {"150;1\0"s, UpdateKind::Required, "150"},
    };
    for (const ParseCase& c : cases) {
        const UpdateNotice n = ParseUpdateText(c.bytes.data(), c.bytes.size(), "1.4.3");
        EXPECT_EQ(n.kind, c.kind) << "text \"" << c.bytes << "\" gave " << KindName(n.kind);
        if (c.kind != UpdateKind::None) {
            EXPECT_EQ(n.version, c.version) << c.bytes;
        }
    }
}

TEST(UpdateParse, NeverReadsPastTheBytesGiven)
{
    // A buffer with no terminator: the parse must stay inside it.
    const char exact[7] = {'1', '.', '5', '.', '0', ';', '1'};
    EXPECT_EQ(ParseUpdateText(exact, sizeof exact, "1.4.3").kind, UpdateKind::Required);
    EXPECT_EQ(ParseUpdateText(exact, 6, "1.4.3").kind, UpdateKind::None);
    EXPECT_EQ(ParseUpdateText(exact, 0, "1.4.3").kind, UpdateKind::None);
    EXPECT_EQ(ParseUpdateText(nullptr, 7, "1.4.3").kind, UpdateKind::None);
}

TEST(UpdateParse, VersionNumbersJoinTheirDigits)
{
    struct Case {
        const char* text;
        long number;
    };
    const Case cases[] = {
        {"1.4.3", 143},    {"1.5.0", 150}, {"1.4.10", 1410}, {"0.0.1", 1}, {"9.9.9.9", 9999},
        {"1.2.3.4.5", -1}, {"", -1},       {"...", -1},      {"1.a", -1},  {"12345", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UpdateVersionNumber(c.text), c.number) << c.text;
}

TEST(UpdateParse, MessagesNameTheDownloadPageAndBothVersions)
{
    UpdateNotice optional;
    optional.kind = UpdateKind::Available;
    optional.version = "1.5.0";
    EXPECT_EQ(UpdateCaption(optional), "New update available!");
    EXPECT_EQ(UpdateMessage(optional), "A new update is available. Download it at " + UpdateDownloadPage +
                                           ".\nCurrent version: 1.4.3 - New version: 1.5.0");
    UpdateNotice required = optional;
    required.kind = UpdateKind::Required;
    EXPECT_EQ(UpdateCaption(required), "New update required!");
    EXPECT_EQ(UpdateMessage(required), "A new update is required. Please download it at " +
                                           UpdateDownloadPage +
                                           ".\nCurrent version: 1.4.3 - New version: 1.5.0");
    EXPECT_TRUE(UpdateDownloadPage.EndsWith("/vantrel-s"));
    EXPECT_TRUE(UpdateCheckDefaultUrl.EndsWith("/checkglimra3.ini"));
}

}  // namespace
