// The hub's decisions without a window: firmware number, refusals, the
// feature buttons by type, firmware and login, the terminal's data port, and
// the identity and alias records.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "HubLogic.h"
#include "ModelNames.h"
#include "cmd_error.h"
#include "test_module.h"

namespace {

std::unique_ptr<VEMTOR_COMMAND_MSG> NewMsg()
{
    auto m = std::make_unique<VEMTOR_COMMAND_MSG>();
    cmd_msg_clear(m.get());
    return m;
}

// A reply record holding the given blocks with values, as a module sends it.
std::unique_ptr<VEMTOR_COMMAND_MSG> Reply(const std::vector<testmod::Block>& blocks)
{
    auto m = NewMsg();
    const testmod::Bytes frame = testmod::EncodeFrame({1, 0, 0, testmod::EncodeBlocks(blocks)});
    cmd_msg_elab(frame.data(), frame.size(), m.get(), nullptr, nullptr);
    EXPECT_EQ(m->stato_elab, CMD_ELAB_COMPLETE);
    return m;
}

testmod::Bytes Info(const std::string& firmware, char type, const std::string& alias, uint8_t bufHigh,
                    uint8_t bufLow)
{
    testmod::Bytes info(MODULE_INFO_SIZE, 0);
    memcpy(info.data(), firmware.data(), firmware.size());
    info[32] = uint8_t(type);
    memcpy(info.data() + 33, alias.data(), alias.size());
    info[65] = bufHigh;
    info[66] = bufLow;
    return info;
}

const testmod::Bytes Mac = {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e};

TEST(HubLogic, FirmwareVersionNumber)
{
    struct Case {
        const char* text;
        int number;
    } cases[] = {
        {"1.4.0", 140}, {"1.1.9", 119},  {"V1.2.3", 123}, {"10.2.3", 23}, {"1.10", 110},
        {"1.3", 13},    {"", 0},         {"beta", 0},     {" 1.2", 12},   {"-1.2", -12},
        {"1.2.0 ", 20}, {"x1.4.1", 141}, {"1.2a", 12},    {"....", 0},    {"12345678", 45678},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FirmwareVersionNumber(c.text), c.number) << '"' << c.text << '"';
}

TEST(HubLogic, RefusalsInTheirOrder)
{
    struct Case {
        uint16_t buffer;
        char type;
        int firmware;
        HubRefusal refusal;
    } cases[] = {
        {128, 'Z', 140, HubRefusal::LegacyBufferSize},  // the buffer test comes first
        {128, 'S', 140, HubRefusal::LegacyBufferSize},
        {1024, 'Z', 140, HubRefusal::UnknownModel},
        {1024, 'Z', 100, HubRefusal::UnknownModel},
        {1024, 'A', 109, HubRefusal::OldCanFirmware},
        {1024, 'B', 0, HubRefusal::OldCanFirmware},
        {1024, '2', 109, HubRefusal::OldCanFirmware},
        {1024, '3', -5, HubRefusal::OldCanFirmware},
        {1024, 'A', 110, HubRefusal::None},
        {1024, 'a', 109, HubRefusal::None},  // no case folding
        {1024, 'b', 100, HubRefusal::None},
        {1024, 'S', 100, HubRefusal::None},
        {127, 'C', 141, HubRefusal::None},
        {129, 'I', 120, HubRefusal::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, c.type) + " fw " + std::to_string(c.firmware));
        EXPECT_EQ(CheckModule(c.buffer, GetModelName(c.type), c.type, c.firmware), c.refusal);
        EXPECT_EQ(RefusalText(c.refusal).empty(), c.refusal == HubRefusal::None);
    }
}

struct Placed {
    int id, x, y;
    bool operator==(const Placed& o) const { return id == o.id && x == o.x && y == o.y; }
};
std::ostream& operator<<(std::ostream& os, const Placed& p)
{
    return os << p.id << "@(" << p.x << "," << p.y << ")";
}

std::vector<Placed> Placement(char type, int fw, bool loggedIn)
{
    std::vector<Placed> out;
    for (const HubButton& b : HubButtons(type, fw, loggedIn))
        out.push_back({b.id, b.x, b.y});
    return out;
}

TEST(HubLogic, ButtonsByTypeFirmwareAndLogin)
{
    // Left column x 30 at 270, 320, 370, 420; right column x 194 from 270.
    struct Case {
        char type;
        int fw;
        bool loggedIn;
        std::vector<Placed> buttons;
    } cases[] = {
        {'S',
         120,
         false,
         {{12, 30, 270}, {23, 30, 320}, {14, 30, 370}, {22, 30, 420}, {13, 194, 270}, {20, 194, 320}}},
        {'D', 112, false, {{12, 30, 270}, {16, 30, 320}, {14, 30, 370}}},
        {'4', 100, false, {{12, 30, 270}, {16, 30, 320}, {14, 30, 370}, {21, 194, 270}}},
        {'2',
         120,
         false,
         {{12, 30, 270},
          {23, 30, 320},
          {14, 30, 370},
          {22, 30, 420},
          {17, 194, 270},
          {24, 194, 320},
          {20, 194, 370},
          {21, 194, 420}}},
        {'i',
         141,
         true,
         {{12, 30, 270}, {23, 30, 320}, {14, 30, 370}, {25, 194, 270}, {26, 480, 90}, {27, 480, 140}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, c.type) + " fw " + std::to_string(c.fw) +
                     (c.loggedIn ? " logged in" : ""));
        EXPECT_EQ(Placement(c.type, c.fw, c.loggedIn), c.buttons);
    }
}

TEST(HubLogic, RightColumnOfEveryModelAboveNewFeatures)
{
    // Firmware above 119, nobody logged in: the right column, top to bottom.
    const std::vector<int> uartIo = {13, 20}, uart = {13}, canIo = {17, 24, 20}, can = {17, 24}, io = {20},
                           uartIoAdc = {13, 20, 21}, canIoAdc = {17, 24, 20, 21}, ioAdc = {20, 21},
                           i2c = {25};
    struct Case {
        const char* types;
        const std::vector<int>* column;
    } cases[] = {
        {"SC", &uartIo},      {"scFGfg", &uart}, {"AB", &canIo}, {"ab", &can}, {"DEde89", &io},
        {"0167", &uartIoAdc}, {"23", &canIoAdc}, {"45", &ioAdc}, {"I", &i2c},
    };
    size_t typesSeen = 0;
    for (const Case& c : cases) {
        for (const char* t = c.types; *t; ++t) {
            SCOPED_TRACE(std::string(1, *t));
            ++typesSeen;
            std::vector<int> right;
            bool advanced = false;
            for (const HubButton& b : HubButtons(*t, 120, false)) {
                if (b.x == 194)
                    right.push_back(b.id);
                advanced |= b.id == ID_HUB_ADVANCED;
            }
            EXPECT_EQ(right, *c.column);
            EXPECT_EQ(advanced, *t != 'I');
        }
    }
    EXPECT_EQ(typesSeen, ModuleModelCount);
}

TEST(HubLogic, TerminalDataPortByType)
{
    struct Case {
        const char* types;
        int port;
    } cases[] = {
        {"ABab23", 65300},
        {"DEde4589", 65200},
        {"SCscFGfgIi0167Z", 65100},
    };
    for (const Case& c : cases)
        for (const char* t = c.types; *t; ++t)
            EXPECT_EQ(TerminalDataPort(*t), c.port) << *t;
}

TEST(HubLogic, ModuleTextsBothWays)
{
    const uint8_t gap[] = {'a', 'b', 0, 'c', 'd', 0, 0};
    EXPECT_EQ(ModuleText(gap, sizeof gap), "abcd");
    const uint8_t none[32] = {};
    EXPECT_EQ(ModuleText(none, sizeof none), "");
    const uint8_t high[] = {'c', 0xE9, 0xFF};
    EXPECT_EQ(ModuleText(high, sizeof high), wxString(L"c\u00e9\u00ff"));
    uint8_t full[32];
    memset(full, 'x', sizeof full);
    EXPECT_EQ(ModuleText(full, sizeof full).length(), 32u);

    struct Case {
        wxString text;
        bool fits;
        std::vector<uint8_t> bytes;  // leading bytes; the rest must be zero
    } cases[] = {
        {"", true, {}},
        {"porch", true, {'p', 'o', 'r', 'c', 'h'}},
        {wxString(L"caf\u00e9"), true, {'c', 'a', 'f', 0xE9}},
        {wxString(32, 'q'), true, std::vector<uint8_t>(32, 'q')},
        {wxString(33, 'q'), false, {}},
        {wxString(L"price \u20ac"), false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.utf8_string());
        uint8_t out[32];
        memset(out, 0xAA, sizeof out);
        ASSERT_EQ(ModuleTextToBytes(c.text, out, sizeof out), c.fits);
        if (!c.fits) {
            EXPECT_EQ(out[0], 0xAA);  // untouched
            continue;
        }
        std::vector<uint8_t> expected = c.bytes;
        expected.resize(32, 0);
        EXPECT_EQ(std::vector<uint8_t>(out, out + 32), expected);
        EXPECT_EQ(ModuleText(out, sizeof out), c.text);
    }
}

TEST(HubLogic, MacText)
{
    EXPECT_EQ(MacText(Mac.data()), "00:1a:2b:3c:4d:5e");
    const uint8_t high[6] = {0xff, 0xa0, 0x0b, 0x10, 0x01, 0xfe};
    EXPECT_EQ(MacText(high), "ff:a0:0b:10:01:fe");
}

TEST(HubLogic, AddressTextFitsItsBuffer)
{
    struct Case {
        wxString ip;
        bool fits;
    } cases[] = {
        {"127.0.0.1", true},
        {"192.168.100.255", true},
        {wxString(31, '1'), true},
        {wxString(32, '1'), false},
        {wxString(200, '9'), false},
        {wxString(L"127.0.0.\u00b9"), false},
        {"", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ip.utf8_string());
        char out[32];
        memset(out, 'Z', sizeof out);
        ASSERT_EQ(CopyAddressText(c.ip, out), c.fits);
        if (c.fits)
            EXPECT_EQ(std::string(out), c.ip.ToStdString());
        else
            EXPECT_EQ(out[0], 'Z');
    }
}

TEST(HubLogic, ParsesIdentityReplies)
{
    std::string fullAlias(32, 'k');
    struct Case {
        const char* name;
        std::vector<testmod::Block> blocks;
        bool ok;
        const char* firmware;
        char type;
        std::string alias;
        uint16_t buffer;
    } cases[] = {
        {"plain",
         {{1, 2, 0, Mac}, {1, 38, 0, Info("1.4.0", 'C', "porch", 0x04, 0x00)}},
         true,
         "1.4.0",
         'C',
         "porch",
         1024},
        {"legacy buffer",
         {{1, 2, 0, Mac}, {1, 38, 0, Info("1.0.2", 'S', "", 0x00, 0x80)}},
         true,
         "1.0.2",
         'S',
         "",
         128},
        {"full alias",
         {{1, 38, 0, Info("1.2.0", 'a', fullAlias, 0x01, 0x02)}, {1, 2, 0, Mac}},
         true,
         "1.2.0",
         'a',
         fullAlias,
         258},
        {"no MAC", {{1, 38, 0, Info("1.4.0", 'C', "porch", 0x04, 0x00)}}, false, "", 0, "", 0},
        {"no module info", {{1, 2, 0, Mac}}, false, "", 0, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto reply = Reply(c.blocks);
        ModuleIdentity id;
        cmd_set_error(0);
        ASSERT_EQ(ParseIdentity(reply.get(), &id), c.ok);
        if (!c.ok) {
            EXPECT_EQ(cmd_get_error(), CMD_ERR_DATABLOCK_NOT_FOUND);
            continue;
        }
        EXPECT_EQ(id.mac, "00:1a:2b:3c:4d:5e");
        EXPECT_EQ(id.firmwareText, c.firmware);
        EXPECT_EQ(id.type, c.type);
        EXPECT_EQ(id.alias, wxString(c.alias));
        EXPECT_EQ(id.bufferSize, c.buffer);
    }
}

TEST(HubLogic, AliasEcho)
{
    auto padded = [](const std::string& s) {
        testmod::Bytes b(s.begin(), s.end());
        b.resize(32, 0);
        return b;
    };
    struct Case {
        const char* name;
        std::vector<testmod::Block> reply;
        wxString field;
        AliasEcho result;
    } cases[] = {
        {"same", {{1, 39, 0, padded("porch")}, {1, 24, 0, {4}}}, "porch", AliasEcho::Matches},
        {"empty", {{1, 39, 0, padded("")}, {1, 24, 0, {4}}}, "", AliasEcho::Matches},
        {"trailing space less", {{1, 39, 0, padded("porch")}, {1, 24, 0, {4}}}, "porch ", AliasEcho::Differs},
        {"other case", {{1, 39, 0, padded("Porch")}, {1, 24, 0, {4}}}, "porch", AliasEcho::Differs},
        {"other section", {{1, 39, 0, padded("porch")}, {1, 24, 0, {2}}}, "porch", AliasEcho::Differs},
        {"no alias", {{1, 24, 0, {4}}}, "porch", AliasEcho::MissingBlock},
        {"no section", {{1, 39, 0, padded("porch")}}, "porch", AliasEcho::MissingBlock},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A write's echo carries values: decode it as the module's reply.
        auto m = NewMsg();
        const testmod::Bytes frame = testmod::EncodeFrame({1, 0, 1, testmod::EncodeBlocks(c.reply)});
        cmd_msg_elab(frame.data(), frame.size(), m.get(), nullptr, nullptr);
        ASSERT_EQ(m->stato_elab, CMD_ELAB_COMPLETE);
        EXPECT_EQ(CheckAliasEcho(m.get(), c.field), c.result);
    }
}

}  // namespace
