// The socket pages' values: the 18-byte record, the service channels, the
// grid filled by counts, the validation pass over the grid's texts, and the
// write at each page's start index.
#include <gtest/gtest.h>

#include "SocketLogic.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Kind = SocketPageKind;

// "active type local ip serverPort closeRule timeout xcount", numbers in decimal.
std::string Summary(const SocketRecord& r)
{
    return wxString::Format("%u %u %u %s %u %u %u x%u", r.active, r.type, r.local_port, r.server_ip,
                            r.server_port, r.close_rule, r.timeout_ms, r.count)
        .ToStdString();
}

SocketRecord Parse(const std::string& summary)
{
    SocketRecord r;
    char ip[32] = {};
    unsigned v[7] = {};
    sscanf(summary.c_str(), "%u %u %u %31s %u %u %u x%u", &v[0], &v[1], &v[2], ip, &v[3], &v[4], &v[5],
           &v[6]);
    r.active = uint8_t(v[0]), r.type = uint16_t(v[1]), r.local_port = uint16_t(v[2]), r.server_ip = ip;
    r.server_port = uint16_t(v[3]), r.close_rule = uint8_t(v[4]), r.timeout_ms = v[5],
    r.count = uint8_t(v[6]);
    return r;
}

SocketRecords Records(const std::array<std::string, 4>& summaries)
{
    SocketRecords records;
    for (size_t k = 0; k < 4; ++k)
        records[k] = Parse(summaries[k]);
    return records;
}

// One grid row from "active|type|local|ip|port|close|timeout".
SocketRowTexts Row(const char* cells)
{
    SocketRowTexts row;
    size_t c = 0;
    for (const char* p = cells; *p; ++p) {
        if (*p == '|')
            ++c;
        else
            row.at(c) += *p;
    }
    EXPECT_EQ(c, row.size() - 1) << cells;
    return row;
}

const std::vector<ServiceChannel> Channels = {{"UART", 1001}, {"DIGITAL I/O", 1003}, {"CTRL PORT", 60000}};
const char* const Client = "1|TCP Client|UART|192.168.1.5|502|Never|0";
const char* const Server = "1|TCP Server|UART|0.0.0.0|0|Never|0";

}  // namespace

TEST(SocketLogic, RecordBytesAndAddresses)
{
    const Bytes wire = {9, 1, 0, 2, 0x01, 0xF6, 0x1F, 0x90, 192, 168, 1, 10, 3, 0xFF, 0xFF, 0xFF, 0xFE, 2};
    EXPECT_EQ(Summary(DecodeSocketRecord(wire.data())), "1 2 502 192.168.1.10 8080 3 4294967294 x2");
    Bytes out(18);
    ASSERT_TRUE(EncodeSocketRecord(Parse("1 2 502 192.168.1.10 8080 3 4294967294 x2"), 9, out.data()));
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
        SocketRecord r = Parse("1 0 1 0.0.0.0 1 0 0 x1");
        r.server_ip = c.text;
        Bytes entry(18, 0xAA);
        EXPECT_EQ(EncodeSocketRecord(r, 0, entry.data()), c.packed);
        EXPECT_EQ(entry == Bytes(18, 0xAA), !c.packed);
    }
    ASSERT_TRUE(EncodeSocketRecord(Parse("1 0 1 010.001..2.255 1 0 0 x1"), 0, out.data()));
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
        {"SC", "UART:1001 DIGITAL I/O:1003"},
        {"sc", "UART:1001"},
        {"AB", "CANBUS:1002 DIGITAL I/O:1003"},
        {"ab", "CANBUS:1002"},
        {"DEde89", "DIGITAL I/O:1003"},
        {"FGfg", "RS485:1001"},
        {"Ii", "I2C:1001"},
        {"01", "UART:1001 DIGITAL I/O:1003 ANALOGIC INPUT:{ai}"},
        {"23", "CANBUS:1002 DIGITAL I/O:1003 ANALOGIC INPUT:{ai}"},
        {"45", "DIGITAL I/O:1003 ANALOGIC INPUT:{ai}"},
        {"67", "RS485:1001 DIGITAL I/O:1003 ANALOGIC INPUT:{ai}"},
        {"x?", "Unknown:1001"},
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
// full; a value the lists cannot name shows nothing.
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
            read[k] = Parse(
                wxString::Format("1 0 %u 1.2.3.4 1 0 0 x%d", unsigned(100 + k), c.counts[k]).ToStdString());
        const SocketGridSource source = FillSocketGrid(read, Kind::Older, {});
        for (size_t r = 0; r < 4; ++r)
            EXPECT_EQ(source.shown[r][COL_LOCAL_PORT], wxString::Format("%d", 100 + c.rowRecord[r])) << r;
    }

    const SocketRecords read = Records({"1 2 65000 0.0.0.0 0 0 0 x1", "1 1 1003 10.0.0.1 7 5 4294967294 x1",
                                        "2 0 4242 10.0.0.2 8 3 10 x1", "0 2 60000 0.0.0.0 0 4 0 x1"});
    const SocketTable expected = {
        Row("1|TCP Server|CONFIG|0.0.0.0|0|Never|0"), Row("1||DIGITAL I/O|10.0.0.1|7||4294967294"),
        Row("|TCP Client|UART|10.0.0.2|8|Both|10"), Row("|TCP Server|CTRL PORT|0.0.0.0|0||0")};
    EXPECT_EQ(FillSocketGrid(read, Kind::Newer, Channels).shown, expected);
    EXPECT_EQ(FillSocketGrid(read, Kind::Older, Channels).shown[1][COL_LOCAL_PORT], "1003");

    // Editable cells: never row 0; server cells locked on a TCP Server row or without client sockets.
    std::string editable;
    for (const char* type : {"TCP Client", "TCP Server"})
        for (char module : {'C', 'c'})
            for (int col = 0; col < SocketColumnCount; ++col)
                editable += char('0' + SocketCellEditable(Kind::Older, module, 1, col, type) +
                                 2 * SocketCellEditable(Kind::Older, module, 0, col, type));
    EXPECT_EQ(editable,
              "1111111"
              "1010011"
              "1110011"
              "1010011");
}

TEST(SocketLogic, ValidationPass)
{
    // What the grid was filled with: plain client records on the serial channel.
    const SocketRecords plain = Records({"0 0 1001 0.0.0.0 0 0 0 x1", "0 0 1001 0.0.0.0 0 0 0 x1",
                                         "0 0 1001 0.0.0.0 0 0 0 x1", "0 0 1001 0.0.0.0 0 0 0 x1"});
    const auto run = [&](Kind kind, const std::array<const char*, 4>& rows) {
        SocketTable cells;
        for (size_t r = 0; r < 4; ++r)
            cells[r] = Row(rows[r]);
        return ValidateSocketTable(cells, FillSocketGrid(plain, kind, Channels), kind, Channels);
    };
    const char* const config = "1|TCP Server|CONFIG|0.0.0.0|0|Never|0";
    const char* const idle = "|TCP Client|UART|0.0.0.0|0|Never|0";  // as filled
    const std::string client = "1 0 1001 192.168.1.5 502 0 0 x1";

    // The records with a count, filled from position 0 without gaps.
    const struct {
        Kind kind;
        std::array<const char*, 4> rows;
        std::vector<std::string> records;
    } passes[] = {
        // Two active servers on one channel merge; an inactive one, or one sharing a client's port, does not.
        {Kind::Newer, {config, Server, Server, Client}, {"1 2 1001 0.0.0.0 0 0 0 x2", client}},
        {Kind::Newer,
         {config, Client, Server, "|TCP Server|UART|0.0.0.0|0|Never|0"},
         {client, "1 2 1001 0.0.0.0 0 0 0 x1", "0 2 1001 0.0.0.0 0 0 0 x1"}},
        // The older page walks row 0, which takes a later server.
        {Kind::Older,
         {"1|TCP Server|502|0.0.0.0|0|Never|0", "|TCP Client|7|0.0.0.0|0|Never|0",
          "1|TCP Server|502|0.0.0.0|0|Both|4294967294", "1|TCP Client|65535|1.2.3.4|65534|Rx Timeout|"},
         {"1 2 502 0.0.0.0 0 0 0 x2", "0 0 7 0.0.0.0 0 0 0 x1", "1 0 65535 1.2.3.4 65534 2 0 x1"}},
        // A server's address it cannot send goes back as read; row 0 of the newer page is never read.
        {Kind::Newer,
         {config, "1|TCP Server|UART|1.2.3|0|Never|0", idle, Client},
         {"1 2 1001 0.0.0.0 0 0 0 x1", "0 0 1001 0.0.0.0 0 0 0 x1", client}},
        {Kind::Newer,
         {"1|TCP Client|CONFIG|x|99999|Never|0", Client, Client, Client},
         {client, client, client}},
    };
    for (const auto& c : passes) {
        const SocketPass pass = run(c.kind, c.rows);
        ASSERT_FALSE(pass.refusal) << c.records.front();
        std::vector<std::string> records;
        for (const SocketRecord& r : pass.records)
            if (r.count)
                records.push_back(Summary(r));
        EXPECT_EQ(records, c.records);
    }

    // The first row that fails, with its cell and caption; the other rows are good clients.
    // clang-format off
    const struct {
        Kind kind;
        int row;
        const char* cells;
        int column;
        const char* caption;
    } refusals[] = {
        {Kind::Newer, 2, "1|TCP Client|UART|0.0.0.0|502|Never|0", COL_SERVER_IP, "Server IP Required"},
        {Kind::Older, 1, "1|TCP Client|1|1.2.3|502|Never|0", COL_SERVER_IP, "Server IP Required"},
        {Kind::Newer, 1, "|TCP Client|UART|1.2.3.4.5|502|Never|0", COL_SERVER_IP, "Server IP error"},
        {Kind::Newer, 3, "1|TCP Client|UART|1.2.3.4|0|Never|0", COL_SERVER_PORT, "Server Port Required"},
        {Kind::Newer, 1, "|TCP Server|UART|0.0.0.0|65535|Never|0", COL_SERVER_PORT, "Server Port Required"},
        {Kind::Newer, 2, "1|TCP Client|UART|1.2.3.4|1|Never|4294967295", COL_TIMEOUT, "Timeout error"},
        {Kind::Older, 3, "1|TCP Client|1|1.2.3.4|1|Never|9999999999", COL_TIMEOUT, "Timeout error"},
        {Kind::Older, 0, "1|TCP Client|99999|1.2.3.4|1|Never|0", COL_LOCAL_PORT, "Local Port error"},
    };
    // clang-format on
    for (const auto& c : refusals) {
        std::array<const char*, 4> rows = {config, Client, Client, Client};
        rows[size_t(c.row)] = c.cells;
        const SocketPass pass = run(c.kind, rows);
        ASSERT_TRUE(pass.refusal) << c.cells;
        EXPECT_EQ((std::tuple(pass.refusal->row, pass.refusal->column, pass.refusal->caption)),
                  (std::tuple(c.row, c.column, wxString(c.caption))));
    }
}

// A table written back as it was read gives the bytes read, whatever the
// lists could not show; a changed cell gives its own value.
TEST(SocketLogic, UnchangedTableWritesWhatWasRead)
{
    const SocketRecords read = Records({"1 2 65000 0.0.0.0 0 0 0 x1", "1 1 4242 10.0.0.1 7 5 4294967294 x1",
                                        "2 9 1001 10.0.0.2 8 3 10 x1", "0 2 60000 0.0.0.0 0 1 0 x1"});
    for (Kind kind : {Kind::Older, Kind::Newer}) {
        const SocketGridSource source = FillSocketGrid(read, kind, Channels);
        const SocketPass pass = ValidateSocketTable(source.shown, source, kind, Channels);
        ASSERT_FALSE(pass.refusal);
        BlockValue block;
        ASSERT_TRUE(SocketWriteBlock(pass.records, kind, &block));
        const size_t first = kind == Kind::Newer ? 1 : 0;
        EXPECT_EQ((std::tuple(int(block.id), size_t(block.index), size_t(block.count))),
                  (std::tuple(37, first, 4 - first)));
        Bytes expected;
        for (size_t k = 0; k + first < 4; ++k) {
            Bytes entry(18);
            EncodeSocketRecord(read[k + first], uint8_t(k), entry.data());
            expected.insert(expected.end(), entry.begin(), entry.end());
        }
        EXPECT_EQ(block.bytes, expected);
    }

    const SocketGridSource source = FillSocketGrid(read, Kind::Newer, Channels);
    SocketTable cells = source.shown;
    cells[1][COL_TYPE] = "TCP Client";
    cells[1][COL_CLOSE_RULE] = "Rx Timeout";
    cells[1][COL_LOCAL_PORT] = "CTRL PORT";
    cells[2][COL_ACTIVE] = "1";
    const SocketPass pass = ValidateSocketTable(cells, source, Kind::Newer, Channels);
    ASSERT_FALSE(pass.refusal);
    EXPECT_EQ(Summary(pass.records[0]), "1 0 60000 10.0.0.1 7 2 4294967294 x1");
    EXPECT_EQ(Summary(pass.records[1]), "1 9 1001 10.0.0.2 8 3 10 x1");

    // No record with a count: an empty block, which the write refuses.
    BlockValue block;
    ASSERT_TRUE(SocketWriteBlock(SocketRecords{}, Kind::Newer, &block));
    EXPECT_EQ((std::tuple(int(block.count), block.bytes.size())), (std::tuple(0, size_t(0))));
}
