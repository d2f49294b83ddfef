// The socket pages' values: the 18-byte record, the service channels, the
// grid filled by counts, the validation pass over the grid's texts, and the
// write at each page's start index.
#include <gtest/gtest.h>

#include <map>

#include "SocketLogic.h"

namespace {

using Bytes = std::vector<uint8_t>;

SocketRecord Record(uint8_t active, uint16_t type, uint16_t local, const char* ip, uint16_t serverPort,
                    uint8_t closeRule, uint32_t timeout, uint8_t count)
{
    SocketRecord r;
    r.active = active;
    r.type = type;
    r.local_port = local;
    r.server_ip = ip;
    r.server_port = serverPort;
    r.close_rule = closeRule;
    r.timeout_ms = timeout;
    r.count = count;
    return r;
}

std::string Summary(const SocketRecord& r)
{
    return wxString::Format("%u %u %u %s %u %u %u x%u", r.active, r.type, r.local_port, r.server_ip,
                            r.server_port, r.close_rule, r.timeout_ms, r.count)
        .ToStdString();
}

const std::vector<ServiceChannel> Channels = {{"UART", 1001}, {"DIGITAL I/O", 1003}, {"CTRL PORT", 60000}};

// A grid read from four plain records on the serial channel: what an edit starts from.
SocketGridSource ZeroSource(SocketPageKind kind)
{
    SocketRecords zero;
    for (SocketRecord& r : zero) {
        r.server_ip = "0.0.0.0";
        r.local_port = 1001;
    }
    return FillSocketGrid(zero, kind, Channels);
}

SocketRowTexts Row(const char* active, const char* type, const char* local, const char* ip, const char* port,
                   const char* close = "Never", const char* timeout = "0")
{
    return {active, type, local, ip, port, close, timeout};
}

const SocketRowTexts Config = Row("1", "TCP Server", "CONFIG", "0.0.0.0", "0");

}  // namespace

TEST(SocketLogic, RecordBytes)
{
    const struct {
        Bytes wire;
        SocketRecord record;
    } cases[] = {
        {{9, 1, 0, 2, 0x01, 0xF6, 0x1F, 0x90, 192, 168, 1, 10, 3, 0xFF, 0xFF, 0xFF, 0xFE, 2},
         Record(1, 2, 502, "192.168.1.10", 8080, 3, 0xFFFFFFFE, 2)},
        {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, Record(0, 0, 0, "0.0.0.0", 0, 0, 0, 0)},
        {{3, 7, 0x12, 0x34, 0xFF, 0xFF, 0, 1, 255, 0, 255, 1, 9, 0, 0, 0x0B, 0xB8, 1},
         Record(7, 0x1234, 65535, "255.0.255.1", 1, 9, 3000, 1)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Summary(DecodeSocketRecord(c.wire.data())), Summary(c.record));
        Bytes out(18, 0xAA);
        ASSERT_TRUE(EncodeSocketRecord(c.record, c.wire[0], out.data()));
        EXPECT_EQ(out, c.wire);
    }
    // An address that is not four octets is never packed into other than four bytes.
    for (const char* ip : {"1.2.3", "1.2.3.4.5", "256.1.1.1", "", "1.2.3.-4", "1.2.3.4 "}) {
        Bytes out(18, 0xAA);
        EXPECT_FALSE(EncodeSocketRecord(Record(1, 0, 1, ip, 1, 0, 0, 1), 0, out.data())) << ip;
        EXPECT_EQ(out, Bytes(18, 0xAA));
    }
}

TEST(SocketLogic, AddressTests)
{
    const struct {
        const char* text;
        bool valid;   // IsValidIpAddress
        bool octets;  // ServerIpOctets
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
        uint8_t out[4] = {};
        EXPECT_EQ(IsValidIpAddress(c.text), c.valid) << c.text;
        EXPECT_EQ(ServerIpOctets(c.text, out), c.octets) << c.text;
    }
    uint8_t out[4] = {};
    ASSERT_TRUE(ServerIpOctets("010.001..2.255", out));
    EXPECT_EQ(Bytes(out, out + 4), (Bytes{10, 1, 2, 255}));
}

TEST(SocketLogic, ClientSocketsAndServiceChannelsByType)
{
    EXPECT_EQ(SupportsClientSockets(SocketPageKind::Older, 'C'), true);
    EXPECT_EQ(SupportsClientSockets(SocketPageKind::Older, 'c'), false);
    EXPECT_EQ(SupportsClientSockets(SocketPageKind::Newer, 'c'), true);
    std::string older, newer;
    for (char t : std::string("SCscABabDEdeFGfgIi0123456789")) {
        if (SupportsClientSockets(SocketPageKind::Older, t))
            older += t;
        if (SupportsClientSockets(SocketPageKind::Newer, t))
            newer += t;
    }
    EXPECT_EQ(older, "CEGI");
    EXPECT_EQ(newer, "CcBbEeGgIi1357");

    // Ports 1001 serial, 1002 CAN, 1003 digital I/O; 1004 analogic input above 142.
    const BlockBytes advanced = {0x03, 0xE9, 0x03, 0xEA, 0x03, 0xEB, 0x03, 0xEC};
    const struct {
        const char* types;
        const char* channels;
    } cases[] = {
        {"SC", "UART DIGITAL I/O"},
        {"sc", "UART"},
        {"AB", "CANBUS DIGITAL I/O"},
        {"ab", "CANBUS"},
        {"DEde89", "DIGITAL I/O"},
        {"FGfg", "RS485"},
        {"Ii", "I2C"},
        {"01", "UART DIGITAL I/O ANALOGIC INPUT"},
        {"23", "CANBUS DIGITAL I/O ANALOGIC INPUT"},
        {"45", "DIGITAL I/O ANALOGIC INPUT"},
        {"67", "RS485 DIGITAL I/O ANALOGIC INPUT"},
        {"x?", "Unknown"},
    };
    const std::map<wxString, int> port130 = {{"UART", 1001},       {"RS485", 1001},  {"I2C", 1001},
                                             {"Unknown", 1001},    {"CANBUS", 1002}, {"DIGITAL I/O", 1003},
                                             {"ANALOGIC INPUT", 0}};
    for (int firmware : {130, 131, 142, 143}) {
        const std::array<uint16_t, 4> ports = ServicePorts(advanced, firmware);
        for (const auto& c : cases)
            for (const char* t = c.types; *t; ++t) {
                SCOPED_TRACE(testing::Message() << *t << " at " << firmware);
                wxString names;
                for (const ServiceChannel& ch : ServiceChannelList(*t, ports, firmware)) {
                    names += (names.empty() ? "" : " ") + ch.name;
                    const int expected = ch.name == "CTRL PORT" ? 60000
                                         : ch.name == "ANALOGIC INPUT" && firmware > 142
                                             ? 1004
                                             : port130.at(ch.name);
                    EXPECT_EQ(ch.port, expected) << ch.name;
                }
                EXPECT_EQ(names, wxString(c.channels) + (firmware > 130 ? " CTRL PORT" : ""));
            }
    }
}

// Each record fills `count` rows (at least one) until the four rows are full.
TEST(SocketLogic, GridFilledByCounts)
{
    const struct {
        std::array<uint8_t, 4> counts;
        std::array<int, 4> rowRecord;
    } cases[] = {
        {{0, 0, 0, 0}, {0, 1, 2, 3}}, {{1, 1, 1, 1}, {0, 1, 2, 3}}, {{4, 1, 1, 1}, {0, 0, 0, 0}},
        {{2, 3, 1, 1}, {0, 0, 1, 1}}, {{1, 1, 5, 1}, {0, 1, 2, 2}}, {{0, 2, 0, 9}, {0, 1, 1, 2}},
    };
    for (const auto& c : cases) {
        SocketRecords read;
        for (size_t k = 0; k < 4; ++k)
            read[k] = Record(1, 0, uint16_t(100 + k), "1.2.3.4", 1, 0, 0, c.counts[k]);
        const SocketGridSource source = FillSocketGrid(read, SocketPageKind::Older, {});
        for (size_t r = 0; r < 4; ++r) {
            EXPECT_EQ(source.rowRecords[r].local_port, 100 + c.rowRecord[r]) << r;
            EXPECT_EQ(source.shown[r][COL_LOCAL_PORT], wxString::Format("%d", 100 + c.rowRecord[r])) << r;
        }
    }

    // What a row shows: no text outside the lists, the timeout unsigned,
    // and on the newer page channel names with row 0 the configuration socket.
    SocketRecords read;
    read[0] = Record(1, 2, 65000, "0.0.0.0", 0, 0, 0, 1);
    read[1] = Record(1, 1, 1003, "10.0.0.1", 7, 5, 4294967294u, 1);
    read[2] = Record(2, 0, 4242, "10.0.0.2", 8, 3, 10, 1);
    read[3] = Record(0, 2, 60000, "0.0.0.0", 0, 4, 0, 1);
    const SocketGridSource newer = FillSocketGrid(read, SocketPageKind::Newer, Channels);
    const SocketTable expected = {
        Row("1", "TCP Server", "CONFIG", "0.0.0.0", "0", "Never", "0"),
        Row("1", "", "DIGITAL I/O", "10.0.0.1", "7", "", "4294967294"),
        Row("", "TCP Client", "UART", "10.0.0.2", "8", "Both", "10"),
        Row("", "TCP Server", "CTRL PORT", "0.0.0.0", "0", "", "0"),
    };
    EXPECT_EQ(newer.shown, expected);
    EXPECT_EQ(FillSocketGrid(read, SocketPageKind::Older, Channels).shown[1][COL_LOCAL_PORT], "1003");

    // Editable cells: never row 0; server cells locked on a TCP Server row or without client sockets.
    std::string editable;
    for (const char* type : {"TCP Client", "TCP Server"})
        for (char module : {'C', 'c'})
            for (int row : {0, 1})
                for (int col = 0; col < SocketColumnCount; ++col)
                    editable += SocketCellEditable(SocketPageKind::Older, module, row, col, type) ? '1' : '0';
    EXPECT_EQ(editable,
              "0000000"
              "1111111"
              "0000000"
              "1010011"
              "0000000"
              "1110011"
              "0000000"
              "1010011");
}

TEST(SocketLogic, ValidationPass)
{
    const SocketRowTexts client = Row("1", "TCP Client", "UART", "192.168.1.5", "502");
    struct Case {
        const char* what;
        SocketPageKind kind;
        SocketTable cells;
        std::vector<std::string> records;  // the records with a count
        int failRow, failColumn;           // -1: passes
        const char* caption;
    } cases[] = {
        {"newer: two active servers on one channel merge",
         SocketPageKind::Newer,
         {Config, Row("1", "TCP Server", "UART", "0.0.0.0", "0"),
          Row("1", "TCP Server", "UART", "0.0.0.0", "0"), client},
         {"1 2 1001 0.0.0.0 0 0 0 x2", "1 0 1001 192.168.1.5 502 0 0 x1"},
         -1,
         -1,
         ""},
        {"an inactive server, and a server sharing a client's port, stand alone",
         SocketPageKind::Newer,
         {Config, client, Row("1", "TCP Server", "UART", "0.0.0.0", "0"),
          Row("", "TCP Server", "UART", "0.0.0.0", "0")},
         {"1 0 1001 192.168.1.5 502 0 0 x1", "1 2 1001 0.0.0.0 0 0 0 x1", "0 2 1001 0.0.0.0 0 0 0 x1"},
         -1,
         -1,
         ""},
        {"older: row 0 is walked and takes a later server",
         SocketPageKind::Older,
         {Row("1", "TCP Server", "502", "0.0.0.0", "0"), Row("", "TCP Client", "7", "0.0.0.0", "0"),
          Row("1", "TCP Server", "502", "0.0.0.0", "0", "Both", "4294967294"),
          Row("1", "TCP Client", "65535", "1.2.3.4", "65534", "Rx Timeout", "")},
         {"1 2 502 0.0.0.0 0 0 0 x2", "0 0 7 0.0.0.0 0 0 0 x1", "1 0 65535 1.2.3.4 65534 2 0 x1"},
         -1,
         -1,
         ""},
        {"newer: row 0 is never read",
         SocketPageKind::Newer,
         {Row("1", "TCP Client", "CONFIG", "x", "99999"), client, client, client},
         {},
         -1,
         -1,
         ""},
        {"active client without an address",
         SocketPageKind::Newer,
         {Config, client, Row("1", "TCP Client", "UART", "0.0.0.0", "502"), client},
         {},
         2,
         COL_SERVER_IP,
         "Server IP Required"},
        {"active client, three parts",
         SocketPageKind::Older,
         {client, Row("1", "TCP Client", "1", "1.2.3", "502"), client, client},
         {},
         1,
         COL_SERVER_IP,
         "Server IP Required"},
        {"inactive client with an address of five parts",
         SocketPageKind::Newer,
         {Config, Row("", "TCP Client", "UART", "1.2.3.4.5", "502"), client, client},
         {},
         1,
         COL_SERVER_IP,
         "Server IP error"},
        {"a server's unsendable address goes back as read",
         SocketPageKind::Newer,
         {Config, Row("1", "TCP Server", "UART", "1.2.3", "0"), client, client},
         {"1 2 1001 0.0.0.0 0 0 0 x1", "1 0 1001 192.168.1.5 502 0 0 x1", "1 0 1001 192.168.1.5 502 0 0 x1"},
         -1,
         -1,
         ""},
        {"active client on port 0",
         SocketPageKind::Newer,
         {Config, client, client, Row("1", "TCP Client", "UART", "1.2.3.4", "0")},
         {},
         3,
         COL_SERVER_PORT,
         "Server Port Required"},
        {"port 65535 on an inactive server",
         SocketPageKind::Newer,
         {Config, Row("", "TCP Server", "UART", "0.0.0.0", "65535"), client, client},
         {},
         1,
         COL_SERVER_PORT,
         "Server Port Required"},
        {"timeout at the limit",
         SocketPageKind::Newer,
         {Config, client, Row("1", "TCP Client", "UART", "1.2.3.4", "1", "Never", "4294967295"), client},
         {},
         2,
         COL_TIMEOUT,
         "Timeout error"},
        {"timeout of ten nines",
         SocketPageKind::Older,
         {client, client, client, Row("1", "TCP Client", "1", "1.2.3.4", "1", "Never", "9999999999")},
         {},
         3,
         COL_TIMEOUT,
         "Timeout error"},
        {"older: a local port above 65535",
         SocketPageKind::Older,
         {client, Row("1", "TCP Client", "99999", "1.2.3.4", "1"), client, client},
         {},
         1,
         COL_LOCAL_PORT,
         "Local Port error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SocketPass pass = ValidateSocketTable(c.cells, ZeroSource(c.kind), c.kind, Channels);
        ASSERT_EQ(pass.refusal.has_value(), c.failRow >= 0);
        if (pass.refusal) {
            EXPECT_EQ(pass.refusal->row, c.failRow);
            EXPECT_EQ(pass.refusal->column, c.failColumn);
            EXPECT_EQ(pass.refusal->caption, c.caption);
            continue;
        }
        if (c.records.empty())
            continue;
        std::vector<std::string> records;
        for (const SocketRecord& r : pass.records)
            if (r.count)
                records.push_back(Summary(r));
        EXPECT_EQ(records, c.records);
        EXPECT_EQ(pass.records[3].count, 0) << "filled from position 0 without gaps";
    }
}

// A table written back as it was read gives the bytes read, whatever the
// lists could not show; a changed cell gives its own value.
TEST(SocketLogic, UnchangedTableWritesWhatWasRead)
{
    SocketRecords read;
    read[0] = Record(1, 2, 65000, "0.0.0.0", 0, 0, 0, 1);
    read[1] = Record(1, 1, 4242, "10.0.0.1", 7, 5, 4294967294u, 1);  // UDP, rule 5, no channel
    read[2] = Record(2, 9, 1001, "10.0.0.2", 8, 3, 10, 1);
    read[3] = Record(0, 2, 60000, "0.0.0.0", 0, 1, 0, 1);
    for (SocketPageKind kind : {SocketPageKind::Older, SocketPageKind::Newer}) {
        const SocketGridSource source = FillSocketGrid(read, kind, Channels);
        const SocketPass pass = ValidateSocketTable(source.shown, source, kind, Channels);
        ASSERT_FALSE(pass.refusal);
        const size_t first = kind == SocketPageKind::Newer ? 1 : 0;
        for (size_t k = 0; k + first < 4; ++k)
            EXPECT_EQ(Summary(pass.records[k]), Summary(read[k + first]));

        BlockValue block;
        ASSERT_TRUE(SocketWriteBlock(pass.records, kind, &block));
        EXPECT_EQ(block.id, 37);
        EXPECT_EQ(block.index, first);
        EXPECT_EQ(block.count, 4 - first);
        ASSERT_EQ(block.bytes.size(), 18 * (4 - first));
        for (size_t k = 0; k + first < 4; ++k) {
            Bytes entry(18);
            EncodeSocketRecord(read[k + first], uint8_t(k), entry.data());
            EXPECT_EQ(Bytes(block.bytes.begin() + long(18 * k), block.bytes.begin() + long(18 * (k + 1))),
                      entry);
        }
    }

    // Changed cells: the choices map back to their values.
    const SocketGridSource source = FillSocketGrid(read, SocketPageKind::Newer, Channels);
    SocketTable cells = source.shown;
    cells[1][COL_TYPE] = "TCP Client";
    cells[1][COL_CLOSE_RULE] = "Rx Timeout";
    cells[1][COL_LOCAL_PORT] = "CTRL PORT";
    cells[2][COL_ACTIVE] = "1";
    const SocketPass pass = ValidateSocketTable(cells, source, SocketPageKind::Newer, Channels);
    ASSERT_FALSE(pass.refusal);
    EXPECT_EQ(Summary(pass.records[0]), "1 0 60000 10.0.0.1 7 2 4294967294 x1");
    EXPECT_EQ(Summary(pass.records[1]), "1 9 1001 10.0.0.2 8 3 10 x1");

    // No record with a count: an empty block that the write refuses.
    BlockValue block;
    ASSERT_TRUE(SocketWriteBlock(SocketRecords{}, SocketPageKind::Newer, &block));
    EXPECT_EQ(block.count, 0);
    EXPECT_TRUE(block.bytes.empty());
}
