// The network page's values: what the module reported, the checks of the
// form, what is written and how the echo is compared, and the configuration
// file written and read.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>

#include "NetLogic.h"
#include "NetXml.h"
#include "panel_test_util.h"

namespace fs = std::filesystem;
using paneltest::Field;

// Codes outside their lists select nothing; the network type 2 is Ad-Hoc,
// whose list has WEP second and no WPA; the key is 32 bytes up to firmware
// 130, 63 above.
TEST(NetLogic, ReplyToFormValues)
{
    struct Case {
        int firmware;
        std::array<uint8_t, 5> codes;  // address mode, RF power, network type, channel, security
        std::array<int, 5> form;       // the positions they select
        size_t keyLength;
    } cases[] = {
        // clang-format off
        {130, {0, 0, 1, 1, 0}, {0, 0, 1, 0, 0}, 32}, {131, {1, 2, 1, 13, 3}, {1, 2, 1, 12, 3}, 63},
        {140, {0, 1, 2, 6, 3}, {0, 1, 0, 5, 1}, 63}, {140, {0, 1, 0, 6, 2}, {0, 1, 0, 5, -1}, 63},
        {140, {2, 3, 3, 0, 4}, {-1, -1, -1, -1, -1}, 63},
        {140, {255, 255, 255, 14, 255}, {-1, -1, -1, -1, -1}, 63},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.firmware << " " << int(c.codes[2]) << "/" << int(c.codes[4]));
        // clang-format off
        std::vector<BlockBytes> reply = {{}, {192, 168, 0, 10}, {0x00, 0x1E, 0xC0, 0x0A, 0xB0, 0xFF},
            Field("caf\xE9", 32), {}, {255, 255, 0, 0}, {10, 0, 0, 254}, {}, {}, {}, Field(std::string(63, 'k'), 63)};
        // clang-format on
        const size_t slots[] = {0, 4, 7, 8, 9};
        for (size_t k = 0; k < 5; ++k)
            reply[slots[k]] = {c.codes[k]};
        const NetFormValues v = DecodeNet(reply, c.firmware);
        const NetForm f = FormFromValues(v);
        EXPECT_EQ((std::array<int, 5>{f.dhcp, f.rfpower, f.nwtype, f.channel, f.security}), c.form);
        EXPECT_EQ(v.psk, wxString(c.keyLength, 'k'));
        EXPECT_EQ(v.ssid, wxString(L"caf\u00e9"));
    }
}

TEST(NetLogic, ChecksInTheirOrder)
{
    const wxString wep = "WEP Password must have 10 or 26 hex values";
    const wxString wpa = "WPA Password must be defined with at least 8 characters";
    struct Case {
        int validAddresses;  // how many of IP, gateway and netmask, in that order, are valid
        int nwtype, security;
        wxString key, message;
    } cases[] = {
        // clang-format off
        {0, 1, 2, "", "Ip Format Error"}, {1, 1, 2, "", "Gateway Format Error"},
        {2, 1, 2, "", "Netmask Format Error"}, {3, 0, 1, "", "Password must be defined"},
        {3, 0, 1, wxString(9, 'a'), wep}, {3, 1, 3, wxString(11, 'a'), wep},
        {3, 1, 3, wxString(27, 'a'), wep}, {3, 0, 1, "ZZZZZZZZZZ", ""}, {3, 1, 3, wxString(26, 'a'), ""},
        {3, 1, 1, "", wpa},
        {3, 1, 2, "1234567", wpa}, {3, 1, 2, "12345678", ""}, {3, 1, 0, "", ""}, {3, 0, 0, "x", ""},
        // clang-format on
    };
    for (const Case& c : cases) {
        const int n = c.validAddresses;
        EXPECT_EQ(NetCheckText(CheckNet(n > 0, n > 1, n > 2, c.nwtype, c.security, c.key)), c.message)
            << c.key;
    }
}

// The write's datablocks in order with the conditional ones; a list with no
// entry chosen writes what was read, never 0xFF. What cannot fit its field is
// refused and leaves the blocks alone.
TEST(NetLogic, FormToOrderedWriteBlocksOrRefusal)
{
    NetFormValues read;
    read.dhcp = 5, read.rfpower = 7, read.nwtype = 3, read.channel = 14, read.security = 4;
    const std::vector<int> adHoc = {13, 14, 10, 8, 15, 5, 12, 6, 9, 11};
    const std::vector<int> infra = {13, 14, 10, 8, 15, 16, 5, 6, 9, 11};
    const std::vector<int> infraNoKey = {13, 14, 10, 8, 15, 16, 5, 6, 11};
    const wxString s32(32, 's');
    struct Case {
        int nwtype, security, unchosen;  // unchosen: address, RF power and channel with no entry
        std::vector<int> ids;
        std::map<int, int> bytes;  // id -> the byte of a one-byte block
        wxString ip = "192.168.1.50", ssid = "", psk = "a&b<c>d&ef";
        NetRefusal refusal = NetRefusal::None;
    } cases[] = {
        // clang-format off
        {0, 0, 0, {13, 14, 10, 8, 15, 5, 12, 6, 11}, {{5, 0}, {6, 0}}}, {1, 3, 0, infra, {{5, 1}, {6, 3}}},
        {1, 0, 0, infraNoKey, {{6, 0}}}, {1, -1, 1, infra, {{13, 5}, {8, 7}, {6, 4}}},
        {0, 1, 1, adHoc, {{12, 14}}},
        {-1, 2, 0, {13, 14, 10, 8, 15, 5, 6, 9, 11}, {{5, 3}, {6, 2}, {11, 1}}},
        {1, 2, 0, {}, {}, "1.2.3.256", "s", "k", NetRefusal::Address},
        {1, 2, 0, {}, {}, "1.2.3.0001", "s", "k", NetRefusal::Address},
        {1, 2, 0, {}, {}, "1.2.3.4", wxString(33, 's'), "k", NetRefusal::Ssid},
        {1, 2, 0, {}, {}, "1.2.3.4", wxString(L"caf\u20ac"), "k", NetRefusal::Ssid},
        {1, 2, 0, {}, {}, "1.2.3.4", s32, wxString(64, 'k'), NetRefusal::Key},
        {1, 2, 0, infra, {}, "1.2.3.4", s32, wxString(63, 'k')},
        {1, 0, 0, infraNoKey, {}, "1.2.3.4", "s", wxString(64, 'k')},  // no key is written
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.nwtype << "/" << c.security << " " << c.ip << " " << c.ssid);
        const int none = c.unchosen ? -1 : 0;
        const NetForm form{none,          c.ip,     c.unchosen ? -1 : 2, c.ssid,     "255.255.255.0",
                           "192.168.1.1", c.nwtype, c.unchosen ? -1 : 5, c.security, c.psk};
        std::vector<BlockValue> blocks{MakeBlock(DATABLOCK_DHCP, {9})};
        ASSERT_EQ(NetWriteBlocks(form, read, &blocks), c.refusal);
        std::vector<int> ids;
        for (const BlockValue& b : blocks) {
            ids.push_back(b.id);
            EXPECT_EQ(b.bytes.size(), BlockSize(b.id, 1)) << b.id;
            EXPECT_TRUE(!c.bytes.count(b.id) || b.bytes.at(0) == c.bytes.at(b.id)) << b.id;
        }
        EXPECT_EQ(ids, c.refusal == NetRefusal::None ? c.ids : std::vector<int>{13});
    }
    const std::pair<NetRefusal, const char*> told[] = {
        {NetRefusal::None, ""},
        {NetRefusal::Address, "Address Format Error. Configuration not saved!"},
        {NetRefusal::Ssid,
         "The SSID must have at most 32 characters, each of one byte. Configuration not saved!"},
        {NetRefusal::Key,
         "The Password must have at most 63 characters, each of one byte. Configuration not saved!"}};
    for (const auto& [refusal, text] : told)
        EXPECT_EQ(NetRefusalText(refusal), text);
}

TEST(NetLogic, EchoComparedInOrder)
{
    struct Case {
        int nwtype;
        int id;     // the echoed block changed, -1 for none
        int value;  // its first byte; -1 leaves the block out
        NetEcho echo;
        wxString psk = "";  // the key typed, when not the usual one
    } cases[] = {
        // clang-format off
        {1, -1, 0, NetEcho::Matches},  {1, 15, 254, NetEcho::NetmaskDiffers}, {1, 15, -1, NetEcho::Differs},
        {1, 14, 10, NetEcho::Differs}, {1, 10, 'H', NetEcho::Differs},        {1, 8, 1, NetEcho::Differs},
        {1, 16, 10, NetEcho::Differs}, {1, 9, 'S', NetEcho::Differs},         {1, 11, 1, NetEcho::Differs},
        {1, 24, 2, NetEcho::Differs},  {1, 24, -1, NetEcho::Differs},         {1, 13, 1, NetEcho::Matches},
        {0, 12, 7, NetEcho::Differs},  {0, 5, 0, NetEcho::Differs},           {0, 6, 0, NetEcho::Differs},
        // A key filling its field is compared whole.
        {1, -1, 0, NetEcho::Matches, wxString(63, 'k')}, {1, 9, 'K', NetEcho::Differs, wxString(63, 'k')},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.nwtype << ": " << c.id << " = " << c.value);
        // Ad-Hoc with WEP, or Infrastructure with WPA2, an SSID and a key.
        NetForm form{0, "192.168.1.50", 2, "", "255.255.255.0", "192.168.1.1", c.nwtype, 5, 1, "a&b<c>d&ef"};
        if (c.nwtype == NET_INFRASTRUCTURE)
            form.ssid = "home", form.security = 2, form.psk = "secret-key";
        if (!c.psk.empty())
            form.psk = c.psk;
        std::vector<BlockValue> sent;
        ASSERT_EQ(NetWriteBlocks(form, NetFormValues(), &sent), NetRefusal::None);
        std::vector<testmod::Block> echo = paneltest::Echo(sent, CONF_SECTION_NETWORK);
        auto it =
            std::find_if(echo.begin(), echo.end(), [&](const testmod::Block& b) { return b.id == c.id; });
        if (it != echo.end() && c.value < 0)
            echo.erase(it);
        else if (it != echo.end())
            it->values.at(0) = uint8_t(c.value);
        EXPECT_EQ(CheckNetEcho(paneltest::Reply(echo, 1).get(), form, sent), c.echo);
    }
    EXPECT_EQ(NetEchoText(NetEcho::Differs), "Configuration saved with errors!");
}

// A save replaces its file only once whole, keeping the file's permissions;
// a missing folder and a folder in the way are told apart and leave no copy
// behind. A list with nothing chosen is written as -1 (the channel as 0).
TEST(NetXml, SavedOverTheOldFileOrNotAtAll)
{
    paneltest::TempDir dir;
    const fs::path file = dir.path / "old.xml";
    const fs::perms perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    std::ofstream(file) << "old";
    fs::permissions(file, perms);
    ASSERT_EQ(SaveNetXml(file.string(), NetXmlValues()), XmlSave::Saved);
    EXPECT_NE(paneltest::ReadFile(file), "old");
    EXPECT_EQ(fs::status(file).permissions(), perms);
    EXPECT_EQ(SaveNetXml((dir.path / "missing" / "x.xml").string(), NetXmlValues()), XmlSave::CannotCreate);
    fs::create_directory(dir.path / "taken.xml");  // nothing can be renamed over a folder
    EXPECT_EQ(SaveNetXml((dir.path / "taken.xml").string(), NetXmlValues()), XmlSave::Failed);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 2) << "a stray copy";

    const NetForm none{-1, "192.168.1.50", -1, "s", "255.255.255.0", "192.168.1.1", -1, -1, -1, "k"};
    const NetXmlValues v = NetXmlFromForm(none);
    EXPECT_EQ((v[XML_DHCP] + " " + v[XML_RFPOWER] + " " + v[XML_NWTYPE] + " " + v[XML_CHANNEL] + " " +
               v[XML_SECURITY])
                  .ToStdString(),
              "-1 -1 -1 0 -1");
}

TEST(NetXml, ReadAcceptanceRules)
{
    auto net = [](const std::string& inner) { return "<root><network>" + inner + "</network></root>"; };
    const std::string s32(32, 's'), k63(63, 'k');
    // root and network are two levels; the bound counts every element.
    auto deep = [&](int levels) {
        std::string open, close;
        for (int i = 2; i < levels; ++i)
            open += "<x>", close += "</x>";
        return net("<ssid>d</ssid>" + open + close);
    };
    // Exactly `size` bytes, a comment making up the rest.
    auto sized = [&](size_t size) {
        const std::string body = net("<ssid>d</ssid>");
        return body + "<!--" + std::string(size - body.size() - 7, 'c') + "-->";
    };
    const std::string doctype = "<!DOCTYPE root [<!ENTITY e \"<x>\">]>";
    auto utf16le = [](const std::string& ascii) {
        std::string out = "\xFF\xFE";
        for (char c : ascii)
            out += std::string{c, '\0'};
        return out;
    };
    // A file that does not load leaves the values untouched.
    const XmlLoad in = XmlLoad::Loaded, out = XmlLoad::NotXml;
    const XmlAccept ok = XmlAccept::Accepted, bad = XmlAccept::BadChoice;
    struct Case {
        std::string text;
        XmlLoad load = XmlLoad::Loaded;
        XmlAccept accept = XmlAccept::Accepted;
        NetXmlElement element = XML_SSID;
        wxString value = "untouched";
        int currentNwtype = 1;
        size_t keyMax = 32;
    } cases[] = {
        // clang-format off
        // A later element replaces an earlier one, across network elements
        // too; one a later network lacks keeps its value.
        {"<root><network><ssid>a</ssid><ssid>b</ssid></network><network><ssid>c</ssid></network></root>",
         in, ok, XML_SSID, "c"},
        {"<root><network><psk>a</psk></network><network><ssid>c</ssid></network></root>", in, ok, XML_PSK, "a"},
        {"<root><!--x--><other><ssid>o</ssid></other><network><x>1</x><ssid><!--d-->y</ssid></network>"
         "</root>",
         in, ok, XML_SSID, "y"},
        {net("<psk><![CDATA[<k&>]]></psk>"), in, ok, XML_PSK, "<k&>"},
        {net("<channel>0</channel>"), in, bad, XML_CHANNEL, "0"},
        {net("<channel>14</channel>"), in, bad, XML_CHANNEL, "14"},
        {net("<dhcp>2</dhcp>"), in, bad, XML_DHCP, "2"},
        {net("<nwtype> 1</nwtype>"), in, bad, XML_NWTYPE, " 1"},
        {net("<rfpower>-1</rfpower>"), in, bad, XML_RFPOWER, "-1"},
        {net("<security>4</security>"), in, bad, XML_SECURITY, "4"},
        {net("<nwtype>0</nwtype><security>2</security>"), in, bad, XML_SECURITY, "2"},
        {net("<security>3</security>"), in, bad, XML_SECURITY, "3", 0},
        // DHCP chooses Infrastructure first.
        {net("<dhcp>1</dhcp><security>3</security>"), in, ok, XML_SECURITY, "3", 0},
        {net("<ssid>s" + s32 + "</ssid>"), in, XmlAccept::SsidTooLong, XML_SSID, "s" + s32, 1, 63},
        {net("<psk>k" + s32 + "</psk>"), in, XmlAccept::KeyTooLong, XML_PSK, "k" + s32},
        {net("<ssid>" + s32 + "</ssid><psk>" + k63 + "</psk>"), in, ok, XML_PSK, k63, 1, 63},
        {deep(NetXmlMaxDepth), in, ok, XML_SSID, "d"}, {sized(NetXmlMaxBytes), in, ok, XML_SSID, "d"},
        {"<!DOCTYPE root>" + net("<ssid>d</ssid>"), in, ok, XML_SSID, "d"},
        {utf16le(deep(NetXmlMaxDepth)), in, ok, XML_SSID, "d"},
        {"<root><network>", out}, {"<config><network><ssid>a</ssid></network></config>", XmlLoad::NoRoot},
        {deep(NetXmlMaxDepth + 1), out}, {sized(NetXmlMaxBytes + 1), out},
        {doctype + net("<ssid>d</ssid>"), out}, {utf16le(deep(NetXmlMaxDepth + 1)), out}, {"", out},
        // clang-format on
    };
    paneltest::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 80));
        const fs::path file = dir.path / "in.xml";
        std::ofstream(file, std::ios::binary | std::ios::trunc) << c.text;
        NetXmlValues values;
        values[c.element] = "untouched";
        ASSERT_EQ(LoadNetXml(file.string(), &values), c.load);
        EXPECT_EQ(values[c.element], c.value);
        EXPECT_EQ(c.load == XmlLoad::Loaded ? CheckNetXml(values, c.currentNwtype, c.keyMax) : c.accept,
                  c.accept);
    }
    NetXmlValues values;
    EXPECT_EQ(LoadNetXml((dir.path / "none.xml").string(), &values), XmlLoad::NotXml);

    // A refusal names the room of the field the file overfills; a bad choice is refused silently.
    const std::tuple<XmlAccept, size_t, const char*> told[] = {
        {XmlAccept::KeyTooLong, 63,
         "The file's Password is longer than 63 characters. Configuration not imported!"},
        {XmlAccept::KeyTooLong, 32,
         "The file's Password is longer than 32 characters. Configuration not imported!"},
        {XmlAccept::SsidTooLong, 63,
         "The file's SSID is longer than 32 characters. Configuration not imported!"},
        {XmlAccept::BadChoice, 63, ""},
    };
    for (const auto& [accept, keyMax, text] : told)
        EXPECT_EQ(XmlRefusalText(accept, keyMax), text) << keyMax;
}
