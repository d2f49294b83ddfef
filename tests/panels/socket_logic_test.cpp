// The socket pages' values: the 18-byte record, the service channels, the
// grid filled by counts, the validation pass over the grid's texts, and the
// write at each page's start index.
#include <gtest/gtest.h>
#include <wx/arrstr.h>

#include <algorithm>
#include <map>

#include "SocketLogic.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Kind = SocketPageKind;

// The record's fields in their order, numbers in decimal:
// "active type local serverPort ip closeRule timeout xcount".
std::string Summary(const SocketRecord& r)
{
    return wxString::Format("%u %u %u %u %s %u %u x%u", r.active, r.type, r.local_port, r.server_port,
                            r.server_ip, r.close_rule, r.timeout_ms, r.count)
        .ToStdString();
}

// One grid row from "active|type|local|ip|port|close|timeout".
SocketRowTexts Row(const char* cells)
{
    const wxArrayString parts = wxSplit(cells, '|', '\0');
    SocketRowTexts row;
    EXPECT_EQ(parts.size(), row.size()) << cells;
    std::copy_n(parts.begin(), std::min(parts.size(), row.size()), row.begin());
    return row;
}

const std::vector<ServiceChannel> Channels = {{"UART", 1001}, {"DIGITAL I/O", 1003}, {"CTRL PORT", 60000}};
const char* const Client = "1|TCP Client|UART|192.168.1.5|502|Never|0";
const char* const Server = "1|TCP Server|UART|0.0.0.0|0|Never|0";

}  // namespace

TEST(SocketLogic, RecordBytesAndAddresses)
{
    const Bytes wire = {9, 1, 0, 2, 0x01, 0xF6, 0x1F, 0x90, 192, 168, 1, 10, 3, 0xFF, 0xFF, 0xFF, 0xFE, 2};
    const SocketRecord record{1, 2, 502, 8080, "192.168.1.10", 3, 4294967294, 2};
    EXPECT_EQ(Summary(DecodeSocketRecord(wire.data())), Summary(record));
    Bytes out(18);
    ASSERT_TRUE(EncodeSocketRecord(record, 9, out.data()));
    EXPECT_EQ(out, wire);

    // IsValidIpAddress reads as atoi and strtok do; only four octets of digits are ever packed.
    const struct {
        const char* text;
        bool valid, packed;
    } cases[] = {
        {"192.168.100.10", true, true}, {"0.0.0.0", true, true},
        {"010.001.1.255", true, true},  {"1..2.3.4", true, true},
        {".1.2.3.4.", true, true},      {"1.2.3", false, false},
        {"1.2.3.4.5", false, false},    {"256.1.1.1", false, false},
        {"1.2.3.4.999", false, false},  {"", false, false},
        {"...", false, false},          {"1.2.3.+4", true, false},
        {"1.2.3.4x", true, false},      {"1.2.3.99999999999999999999", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IsValidIpAddress(c.text), c.valid);
        const SocketRecord r{1, 0, 1, 1, c.text, 0, 0, 1};
        Bytes entry(18, 0xAA);
        EXPECT_EQ(EncodeSocketRecord(r, 0, entry.data()), c.packed);
        EXPECT_EQ(entry == Bytes(18, 0xAA), !c.packed);
    }
    ASSERT_TRUE(EncodeSocketRecord({1, 0, 1, 1, "010.001..2.255", 0, 0, 1}, 0, out.data()));
    EXPECT_EQ(Bytes(out.begin() + 8, out.begin() + 12), (Bytes{10, 1, 2, 255}));
}

TEST(SocketLogic, ClientSocketsAndServiceChannelsByType)
{
    std::string older, newer;
    for (char t : std::string("SCscABabDEdeFGfgIi0123456789")) {
        older += SupportsClientSockets(Kind::Older, t) ? std::string(1, t) : "";
        newer += SupportsClientSockets(Kind::Newer, t) ? std::string(1, t) : "";
    }
    EXPECT_EQ(older, "CEGI");
    EXPECT_EQ(newer, "CcBbEeGgIi1357");

    // Ports 1001 serial, 1002 CAN, 1003 digital I/O, and bytes 6-7 1004 (analogic input above 142).
    const BlockBytes advanced = {0x03, 0xE9, 0x03, 0xEA, 0x03, 0xEB, 0x03, 0xEC};
    const struct {
        const char* types;
        const char* channels;  // name:port
    } cases[] = {
        // clang-format off
        {"SC", "UART:1001 DIGITAL I/O:1003"}, {"sc", "UART:1001"}, {"ab", "CANBUS:1002"},
        {"AB", "CANBUS:1002 DIGITAL I/O:1003"},
        {"DEde89", "DIGITAL I/O:1003"}, {"FGfg", "RS485:1001"}, {"Ii", "I2C:1001"}, {"x?", "Unknown:1001"},
        {"01", "UART:1001 DIGITAL I/O:1003 ANALOGIC INPUT:{ai}"},
        {"23", "CANBUS:1002 DIGITAL I/O:1003 ANALOGIC INPUT:{ai}"},
        {"45", "DIGITAL I/O:1003 ANALOGIC INPUT:{ai}"},
        {"67", "RS485:1001 DIGITAL I/O:1003 ANALOGIC INPUT:{ai}"},
        // clang-format on
    };
    for (int firmware : {130, 131, 142, 143})
        for (const auto& c : cases)
            for (const char* t = c.types; *t; ++t) {
                wxString names;
                for (const ServiceChannel& ch :
                     ServiceChannelList(*t, ServicePorts(advanced, firmware), firmware))
                    names += wxString::Format("%s%s:%u", names.empty() ? "" : " ", ch.name, ch.port);
                wxString expected = c.channels;
                expected.Replace("{ai}", firmware > 142 ? "1004" : "0");
                EXPECT_EQ(names, expected + (firmware > 130 ? " CTRL PORT:60000" : ""))
                    << *t << " " << firmware;
            }
}

// Each record fills `count` rows (at least one) until the four rows are
// full; a value the lists cannot name shows nothing. A cell still holding what
// it was filled with gives the value read, whatever the lists could not show;
// a changed cell gives its own value.
TEST(SocketLogic, GridFilledByCounts)
{
    const struct {
        std::array<int, 4> counts, rowRecord;
    } cases[] = {
        {{0, 0, 0, 0}, {0, 1, 2, 3}}, {{4, 1, 1, 1}, {0, 0, 0, 0}}, {{2, 3, 1, 1}, {0, 0, 1, 1}},
        {{1, 1, 5, 1}, {0, 1, 2, 2}}, {{0, 2, 0, 9}, {0, 1, 1, 2}},
    };
    for (const auto& c : cases) {
        SocketRecords read;
        for (size_t k = 0; k < 4; ++k)
            read[k] = {1, 0, uint16_t(100 + k), 1, "1.2.3.4", 0, 0, uint8_t(c.counts[k])};
        const SocketGridSource source = FillSocketGrid(read, Kind::Older, {});
        for (size_t r = 0; r < 4; ++r)
            EXPECT_EQ(source.shown[r][COL_LOCAL_PORT], wxString::Format("%d", 100 + c.rowRecord[r])) << r;
    }

    const SocketRecords read = {{{1, 2, 65000, 0, "0.0.0.0", 0, 0, 1},
                                 {1, 1, 1003, 7, "10.0.0.1", 5, 4294967294, 1},
                                 {2, 9, 4242, 8, "10.0.0.2", 3, 10, 1},
                                 {0, 2, 60000, 0, "0.0.0.0", 4, 0, 1}}};
    const SocketTable expected = {
        Row("1|TCP Server|CONFIG|0.0.0.0|0|Never|0"), Row("1||DIGITAL I/O|10.0.0.1|7||4294967294"),
        Row("||UART|10.0.0.2|8|Both|10"), Row("|TCP Server|CTRL PORT|0.0.0.0|0||0")};
    const SocketGridSource source = FillSocketGrid(read, Kind::Newer, Channels);
    EXPECT_EQ(source.shown, expected);
    EXPECT_EQ(FillSocketGrid(read, Kind::Older, Channels).shown[1][COL_LOCAL_PORT], "1003");
    SocketTable cells = source.shown;
    cells[1][COL_TYPE] = "TCP Client";
    cells[1][COL_CLOSE_RULE] = "Rx Timeout";
    cells[1][COL_LOCAL_PORT] = "CTRL PORT";
    const SocketPass pass = ValidateSocketTable(cells, source, Kind::Newer, Channels);
    ASSERT_FALSE(pass.refusal);
    EXPECT_EQ(Summary(pass.records[0]), "1 0 60000 7 10.0.0.1 2 4294967294 x1");
    EXPECT_EQ(Summary(pass.records[1]), "2 9 4242 8 10.0.0.2 3 10 x1");
    EXPECT_EQ(Summary(pass.records[2]), "0 2 60000 0 0.0.0.0 4 0 x1");
    BlockValue block;
    ASSERT_TRUE(SocketWriteBlock(pass.records, Kind::Older, &block));
    EXPECT_EQ(std::tuple(block.count, block.index, block.bytes.size()), std::tuple(3, 0, size_t(54)));
    EXPECT_EQ(SocketReadBlocks(Kind::Older).size(), 1u) << "the older page reads no service ports";

    // Editable cells: never row 0; server cells locked on a TCP Server row or without client sockets.
    std::string editable;
    for (const char* type : {"TCP Client", "TCP Server"})
        for (char module : {'C', 'c'})
            for (int col = 0; col < SocketColumnCount; ++col)
                editable += char('0' + SocketCellEditable(Kind::Older, module, 1, col, type) +
                                 2 * SocketCellEditable(Kind::Older, module, 0, col, type));
    EXPECT_EQ(editable,
              "1111111" + std::string("1010011") + "1110011" + "1010011");  // client C, c; server C, c
}

TEST(SocketLogic, ValidationPass)
{
    // What the grid was filled with: plain client records on the serial channel.
    SocketRecords plain;
    plain.fill({0, 0, 1001, 0, "0.0.0.0", 0, 0, 1});
    const auto run = [&](Kind kind, const std::array<const char*, 4>& rows) {
        SocketTable cells;
        for (size_t r = 0; r < 4; ++r)
            cells[r] = Row(rows[r]);
        return ValidateSocketTable(cells, FillSocketGrid(plain, kind, Channels), kind, Channels);
    };
    const char* const config = "1|TCP Server|CONFIG|0.0.0.0|0|Never|0";
    const char* const idle = "|TCP Client|UART|0.0.0.0|0|Never|0";  // as filled
    const std::string client = "1 0 1001 502 192.168.1.5 0 0 x1";

    // The records with a count, filled from position 0 without gaps; or the
    // first row that fails, with its cell and caption.
    const struct {
        Kind kind;
        std::array<const char*, 4> rows;
        std::vector<std::string> records;
        int row = 0, column = 0;
        const char* caption = nullptr;
    } passes[] = {
        // clang-format off
        // Two active servers on one channel merge; an inactive one, or one sharing a client's port, does not.
        {Kind::Newer, {config, Server, Server, Client}, {"1 2 1001 0 0.0.0.0 0 0 x2", client}},
        // Servers that differ in their channel alone stay apart.
        {Kind::Newer, {config, Server, "1|TCP Server|DIGITAL I/O|0.0.0.0|0|Never|0", Client},
         {"1 2 1001 0 0.0.0.0 0 0 x1", "1 2 1003 0 0.0.0.0 0 0 x1", client}},
        {Kind::Newer, {config, Client, Server, "|TCP Server|UART|0.0.0.0|0|Never|0"},
         {client, "1 2 1001 0 0.0.0.0 0 0 x1", "0 2 1001 0 0.0.0.0 0 0 x1"}},
        // The older page walks row 0, which takes a later server.
        {Kind::Older, {"1|TCP Server|502|0.0.0.0|0|Never|0", "|TCP Client|7|0.0.0.0|0|Never|0",
         "1|TCP Server|502|0.0.0.0|0|Both|4294967294", "1|TCP Client|65535|1.2.3.4|65534|Rx Timeout|"},
         {"1 2 502 0 0.0.0.0 0 0 x2", "0 0 7 0 0.0.0.0 0 0 x1", "1 0 65535 65534 1.2.3.4 2 0 x1"}},
        // A server's address it cannot send goes back as read; row 0 of the newer page is never read.
        {Kind::Newer, {config, "1|TCP Server|UART|1.2.3|0|Never|0", idle, Client},
         {"1 2 1001 0 0.0.0.0 0 0 x1", "0 0 1001 0 0.0.0.0 0 0 x1", client}},
        {Kind::Newer, {"1|TCP Client|CONFIG|x|99999|Never|0", Client, Client, Client},
         {client, client, client}},
        {Kind::Newer, {config, Client, "1|TCP Client|UART|0.0.0.0|502|Never|0", Client}, {},
         2, COL_SERVER_IP, "Server IP Required"},
        {Kind::Older, {config, "1|TCP Client|1|1.2.3|502|Never|0", Client, Client}, {},
         1, COL_SERVER_IP, "Server IP Required"},
        {Kind::Newer, {config, "|TCP Client|UART|1.2.3.4.5|502|Never|0", Client, Client}, {},
         1, COL_SERVER_IP, "Server IP error"},
        {Kind::Newer, {config, Client, Client, "1|TCP Client|UART|1.2.3.4|0|Never|0"}, {},
         3, COL_SERVER_PORT, "Server Port Required"},
        {Kind::Newer, {config, "|TCP Server|UART|0.0.0.0|65535|Never|0", Client, Client}, {},
         1, COL_SERVER_PORT, "Server Port Required"},
        {Kind::Newer, {config, Client, "1|TCP Client|UART|1.2.3.4|1|Never|4294967295", Client}, {},
         2, COL_TIMEOUT, "Timeout error"},
        {Kind::Older, {config, Client, Client, "1|TCP Client|1|1.2.3.4|1|Never|9999999999"}, {},
         3, COL_TIMEOUT, "Timeout error"},
        {Kind::Older, {"1|TCP Client|99999|1.2.3.4|1|Never|0", Client, Client, Client}, {},
         0, COL_LOCAL_PORT, "Local Port error"},
        // clang-format on
    };
    // Each caption comes with its one message.
    const std::map<std::string, wxString> messages = {
        {"Server IP Required", "In case of TCP Client you must specify a valid Server Ip Address"},
        {"Server IP error", "The Server Ip Address must be four numbers from 0 to 255 separated by dots"},
        {"Server Port Required", "In case of TCP Client you must specify a valid Server Port"},
        {"Timeout error", "Timeout value must be < 4294967295"},
        {"Local Port error", "You must specify a valid Local Port between 0 and 65535"}};
    for (const auto& c : passes) {
        SCOPED_TRACE(c.rows[size_t(c.row)]);
        const SocketPass pass = run(c.kind, c.rows);
        ASSERT_EQ(pass.refusal.has_value(), c.caption != nullptr);
        if (pass.refusal) {
            EXPECT_EQ((std::tuple(pass.refusal->row, pass.refusal->column, pass.refusal->caption,
                                  pass.refusal->message)),
                      (std::tuple(c.row, c.column, wxString(c.caption), messages.at(c.caption))));
            continue;
        }
        std::vector<std::string> records;
        for (const SocketRecord& r : pass.records)
            if (r.count)
                records.push_back(Summary(r));
        EXPECT_EQ(records, c.records);
    }
}
