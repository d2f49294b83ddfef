#include "SocketLogic.h"

#include <cctype>
#include <cstring>

#include "AdvancedLogic.h"
#include "ByteOrder.h"
#include "NumberText.h"

const wxString SocketTypeNames[3] = {"TCP Client", "UDP", "TCP Server"};
const wxString SocketTypeChoices[2] = {"TCP Client", "TCP Server"};
const wxString CloseRuleChoices[4] = {"Never", "Tx Timeout", "Rx Timeout", "Both"};

namespace {

constexpr uint16_t TypeClient = 0;
constexpr uint16_t TypeServer = 2;

bool IsOneOf(char c, const char* set)
{
    return c != 0 && std::strchr(set, c) != nullptr;
}

char Upper(char c)
{
    return char(std::toupper(static_cast<unsigned char>(c)));
}

// The parts between runs of dots, as strtok gives them.
std::vector<wxString> DottedParts(const wxString& text)
{
    std::vector<wxString> parts;
    wxString part;
    for (wxUniChar c : text) {
        if (c != '.') {
            part += c;
        } else if (!part.empty()) {
            parts.push_back(part);
            part.clear();
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

// Whether the number atoi reads from `part` is above 255.
bool AtoiAbove255(const wxString& part)
{
    return AtoiValue(part) > 255;
}

// The position of `text` in `list`, or 0 when it is not there.
template <size_t N>
uint16_t ListIndex(const wxString (&list)[N], const wxString& text)
{
    for (size_t i = 0; i < N; ++i)
        if (list[i] == text)
            return uint16_t(i);
    return 0;
}

wxString Number(unsigned long value)
{
    return wxString::Format("%lu", value);
}

// The port of the channel named `name` (the last of that name), if any.
std::optional<uint16_t> ChannelPort(const std::vector<ServiceChannel>& channels, const wxString& name)
{
    std::optional<uint16_t> port;
    for (const ServiceChannel& c : channels)
        if (c.name == name)
            port = c.port;
    return port;
}

wxString ChannelName(const std::vector<ServiceChannel>& channels, uint16_t port)
{
    for (const ServiceChannel& c : channels)
        if (c.port == port)
            return c.name;
    return channels.empty() ? wxString() : channels.front().name;
}

uint64_t DecimalOr(const wxString& text, uint64_t max, uint64_t fallback)
{
    uint64_t value = 0;
    return ReadDecimal(text, max, &value) ? value : fallback;
}

SocketRefusal Refusal(int row, int column, const char* message, const char* caption)
{
    return SocketRefusal{row, column, message, caption};
}

}  // namespace

SocketRecord DecodeSocketRecord(const uint8_t* b)
{
    SocketRecord r;
    r.active = b[1];
    r.type = uint16_t(BytesToU16(b[2], b[3]));
    r.local_port = uint16_t(BytesToU16(b[4], b[5]));
    r.server_port = uint16_t(BytesToU16(b[6], b[7]));
    r.server_ip = wxString::Format("%d.%d.%d.%d", b[8], b[9], b[10], b[11]);
    r.close_rule = b[12];
    r.timeout_ms = BytesToU32(b[13], b[14], b[15], b[16]);
    r.count = b[17];
    return r;
}

bool EncodeSocketRecord(const SocketRecord& r, uint8_t index, uint8_t* out)
{
    uint8_t ip[4];
    if (!ServerIpOctets(r.server_ip, ip))
        return false;
    out[0] = index;
    out[1] = r.active;
    std::memcpy(out + 2, U16ToBytes(r.type), 2);
    std::memcpy(out + 4, U16ToBytes(r.local_port), 2);
    std::memcpy(out + 6, U16ToBytes(r.server_port), 2);
    std::memcpy(out + 8, ip, 4);
    out[12] = r.close_rule;
    std::memcpy(out + 13, U32ToBytes(r.timeout_ms), 4);
    out[17] = r.count;
    return true;
}

bool ServerIpOctets(const wxString& text, uint8_t out[4])
{
    const std::vector<wxString> parts = DottedParts(text);
    if (parts.size() != 4)
        return false;
    uint8_t octets[4];
    for (size_t i = 0; i < 4; ++i) {
        unsigned value = 0;
        for (wxUniChar c : parts[i]) {
            if (c < '0' || c > '9')
                return false;
            value = value * 10 + unsigned(c.GetValue() - '0');
            if (value > 255)
                return false;
        }
        octets[i] = uint8_t(value);
    }
    std::memcpy(out, octets, 4);
    return true;
}

bool IsValidIpAddress(const wxString& text)
{
    const std::vector<wxString> parts = DottedParts(text);
    if (parts.empty())
        return false;
    for (const wxString& part : parts)
        if (AtoiAbove255(part))
            return false;
    return parts.size() == 4;
}

bool SupportsClientSockets(SocketPageKind kind, char type)
{
    if (kind == SocketPageKind::Older)
        return IsOneOf(type, "CEGI");
    return IsOneOf(Upper(type), "BCEGI") || IsOneOf(type, "1357");
}

std::array<uint16_t, 4> ServicePorts(const BlockBytes& b, int firmware)
{
    std::array<uint16_t, 4> ports{};
    for (size_t i = 0; i < 3; ++i)
        ports[i] = uint16_t(BytesToU16(b.at(2 * i), b.at(2 * i + 1)));
    // At 142 and below those bytes hold the minimum data count.
    if (firmware > LongLayoutFirmware)
        ports[3] = uint16_t(BytesToU16(b.at(6), b.at(7)));
    return ports;
}

std::vector<ServiceChannel> ServiceChannelList(char type, const std::array<uint16_t, 4>& ports, int firmware)
{
    const char t = type;
    const char T = Upper(type);
    const uint16_t uart = ports[0], can = ports[1], digitalIo = ports[2], analogic = ports[3];
    std::vector<ServiceChannel> channels;
    if (IsOneOf(T, "CS") || IsOneOf(t, "01"))
        channels.push_back({"UART", uart});
    else if (IsOneOf(T, "FG") || IsOneOf(t, "67"))
        channels.push_back({"RS485", uart});
    else if (IsOneOf(T, "AB") || IsOneOf(t, "23"))
        channels.push_back({"CANBUS", can});
    else if (T == 'I')
        channels.push_back({"I2C", uart});
    else if (!IsOneOf(T, "DE") && !IsOneOf(t, "4589"))
        channels.push_back({"Unknown", uart});
    if (IsOneOf(t, "CSAB") || IsOneOf(T, "DE") || (t >= '0' && t <= '9')) {
        channels.push_back({"DIGITAL I/O", digitalIo});
        if (t >= '0' && t <= '7')
            channels.push_back({"ANALOGIC INPUT", analogic});
    }
    if (firmware > CtrlPortFirmware)
        channels.push_back({"CTRL PORT", CtrlPort});
    return channels;
}

std::vector<BlockRef> SocketReadBlocks(SocketPageKind kind)
{
    std::vector<BlockRef> blocks = {{DATABLOCK_SOCKETS, SocketRowCount, 0}};
    if (kind == SocketPageKind::Newer)
        blocks.push_back({DATABLOCK_ADVANCED});
    return blocks;
}

SocketRecords DecodeSocketTable(const BlockBytes& sockets)
{
    SocketRecords records;
    for (size_t k = 0; k < records.size() && (k + 1) * SocketRecordSize <= sockets.size(); ++k)
        records[k] = DecodeSocketRecord(sockets.data() + k * SocketRecordSize);
    return records;
}

SocketGridSource FillSocketGrid(const SocketRecords& read, SocketPageKind kind,
                                const std::vector<ServiceChannel>& channels)
{
    SocketGridSource source;
    int row = 0;
    for (const SocketRecord& r : read) {
        const int rows = r.count == 0 ? 1 : r.count;
        for (int i = 0; i < rows && row < SocketRowCount; ++i, ++row) {
            SocketRowTexts& texts = source.shown[size_t(row)];
            texts[COL_ACTIVE] = r.active == 1 ? "1" : "";
            texts[COL_TYPE] = r.type == TypeClient || r.type == TypeServer ? SocketTypeNames[r.type] : "";
            if (kind == SocketPageKind::Older)
                texts[COL_LOCAL_PORT] = Number(r.local_port);
            else
                texts[COL_LOCAL_PORT] = row == 0 ? wxString("CONFIG") : ChannelName(channels, r.local_port);
            texts[COL_SERVER_IP] = r.server_ip;
            texts[COL_SERVER_PORT] = Number(r.server_port);
            // A rule the list does not name shows nothing rather than a wrong entry.
            texts[COL_CLOSE_RULE] = r.close_rule < 4 ? CloseRuleChoices[r.close_rule] : "";
            texts[COL_TIMEOUT] = Number(r.timeout_ms);
            source.rowRecords[size_t(row)] = r;
        }
        if (row >= SocketRowCount)
            break;
    }
    return source;
}

bool SocketCellEditable(SocketPageKind kind, char type, int row, int column, const wxString& typeText)
{
    if (row == 0)
        return false;
    const bool serverCell = column == COL_SERVER_IP || column == COL_SERVER_PORT;
    if ((serverCell || column == COL_TYPE) && !SupportsClientSockets(kind, type))
        return false;
    return !(serverCell && typeText == SocketTypeNames[TypeServer]);
}

int FirstPassRow(SocketPageKind kind)
{
    // Row 0 of the newer page is the module's own configuration socket.
    return kind == SocketPageKind::Newer ? 1 : 0;
}

SocketPass ValidateSocketTable(const SocketTable& cells, const SocketGridSource& source, SocketPageKind kind,
                               const std::vector<ServiceChannel>& channels)
{
    SocketPass pass;
    size_t next = 0;
    for (int row = FirstPassRow(kind); row < SocketRowCount; ++row) {
        const SocketRowTexts& cell = cells[size_t(row)];
        const SocketRowTexts& shown = source.shown[size_t(row)];
        const SocketRecord& read = source.rowRecords[size_t(row)];
        const auto unchanged = [&](int column) { return cell[size_t(column)] == shown[size_t(column)]; };
        const bool active = cell[COL_ACTIVE] == "1";
        const bool client = cell[COL_TYPE] == SocketTypeNames[TypeClient];
        const bool server = cell[COL_TYPE] == SocketTypeNames[TypeServer];

        std::optional<uint16_t> localPort;
        if (unchanged(COL_LOCAL_PORT))
            localPort = read.local_port;
        else if (kind == SocketPageKind::Newer)
            localPort = ChannelPort(channels, cell[COL_LOCAL_PORT]).value_or(0);
        else if (uint64_t v = 0; ReadDecimal(cell[COL_LOCAL_PORT], UINT16_MAX, &v))
            localPort = uint16_t(v);

        SocketRecord* merged = nullptr;
        if (row != 0 && server && DecimalOr(cell[COL_ACTIVE], UINT8_MAX, 0) == 1 && localPort)
            for (size_t k = 0; k < next && !merged; ++k)
                if (pass.records[k].type == TypeServer && pass.records[k].local_port == *localPort)
                    merged = &pass.records[k];

        SocketRecord* filled = nullptr;
        if (merged) {
            ++merged->count;
        } else {
            filled = &pass.records[next++];
            SocketRecord& r = *filled;
            r.active =
                unchanged(COL_ACTIVE) ? read.active : uint8_t(DecimalOr(cell[COL_ACTIVE], UINT8_MAX, 0));
            r.type = unchanged(COL_TYPE) ? read.type : ListIndex(SocketTypeNames, cell[COL_TYPE]);
            r.local_port = localPort.value_or(0);
            r.server_ip = cell[COL_SERVER_IP];
            // A server's address cannot be edited: one it cannot send goes back as read.
            if (uint8_t ip[4]; server && !ServerIpOctets(r.server_ip, ip))
                r.server_ip = read.server_ip;
            r.server_port = unchanged(COL_SERVER_PORT)
                                ? read.server_port
                                : uint16_t(DecimalOr(cell[COL_SERVER_PORT], UINT16_MAX, 0));
            r.close_rule = unchanged(COL_CLOSE_RULE)
                               ? read.close_rule
                               : uint8_t(ListIndex(CloseRuleChoices, cell[COL_CLOSE_RULE]));
            r.timeout_ms = unchanged(COL_TIMEOUT) ? read.timeout_ms
                                                  : uint32_t(DecimalOr(cell[COL_TIMEOUT], UINT32_MAX, 0));
            r.count = 1;
        }

        const wxString& ipText = cell[COL_SERVER_IP];
        uint64_t number = 0;
        uint8_t ip[4];
        if (active && client && (ipText == "0.0.0.0" || !IsValidIpAddress(ipText)))
            pass.refusal = Refusal(row, COL_SERVER_IP,
                                   "In case of TCP Client you must specify a valid Server Ip Address",
                                   "Server IP Required");
        else if (filled && !ServerIpOctets(filled->server_ip, ip))
            pass.refusal =
                Refusal(row, COL_SERVER_IP,
                        "The Server Ip Address must be four numbers from 0 to 255 separated by dots",
                        "Server IP error");
        else if ((active && client && cell[COL_SERVER_PORT] == "0") ||
                 !ReadDecimal(cell[COL_SERVER_PORT], 65534, &number))
            pass.refusal =
                Refusal(row, COL_SERVER_PORT, "In case of TCP Client you must specify a valid Server Port",
                        "Server Port Required");
        else if (!ReadDecimal(cell[COL_TIMEOUT], UINT32_MAX - 1, &number))
            pass.refusal = Refusal(row, COL_TIMEOUT, "Timeout value must be < 4294967295", "Timeout error");
        else if (kind == SocketPageKind::Older && !localPort)
            pass.refusal =
                Refusal(row, COL_LOCAL_PORT, "You must specify a valid Local Port between 0 and 65535",
                        "Local Port error");
        if (pass.refusal)
            return pass;
    }
    return pass;
}

bool SocketWriteBlock(const SocketRecords& records, SocketPageKind kind, BlockValue* out)
{
    BlockBytes bytes;
    uint8_t n = 0;
    for (size_t k = 0; k < records.size(); ++k) {
        if (records[k].count == 0)
            continue;
        uint8_t entry[SocketRecordSize];
        if (!EncodeSocketRecord(records[k], uint8_t(k), entry))
            return false;
        bytes.insert(bytes.end(), entry, entry + SocketRecordSize);
        ++n;
    }
    *out = MakeBlock(DATABLOCK_SOCKETS, std::move(bytes), n, kind == SocketPageKind::Newer ? 1 : 0);
    return true;
}
