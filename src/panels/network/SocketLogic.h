// The socket pages' values without a window: the 18-byte socket record, the
// module's service channels, the grid's texts filled from the records read,
// the validation pass that turns the grid back into records, and the
// datablocks read and written.
#pragma once

#include <wx/string.h>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "PageCycle.h"

// The older page serves firmware up to 119, the newer one above.
enum class SocketPageKind { Older, Newer };

constexpr size_t SocketRecordSize = 18;
constexpr int SocketRowCount = 4;
constexpr int SocketColumnCount = 7;
// Above this firmware the newer page offers the control port.
constexpr int CtrlPortFirmware = 130;
constexpr uint16_t CtrlPort = 60000;

enum SocketGridColumn {
    COL_ACTIVE = 0,
    COL_TYPE = 1,
    COL_LOCAL_PORT = 2,
    COL_SERVER_IP = 3,
    COL_SERVER_PORT = 4,
    COL_CLOSE_RULE = 5,
    COL_TIMEOUT = 6,
};

extern const wxString SocketTypeNames[3];    // "TCP Client", "UDP", "TCP Server": the type values
extern const wxString SocketTypeChoices[2];  // what a Type cell offers
extern const wxString CloseRuleChoices[4];   // "Never" ... "Both": the close rule values

// One socket of datablock 37; the wire's index byte is the record's position.
struct SocketRecord {
    uint8_t active = 0;
    uint16_t type = 0;
    uint16_t local_port = 0;
    uint16_t server_port = 0;
    wxString server_ip;  // dotted decimal
    uint8_t close_rule = 0;
    uint32_t timeout_ms = 0;
    uint8_t count = 0;  // grid rows the record stands for
};
using SocketRecords = std::array<SocketRecord, SocketRowCount>;

SocketRecord DecodeSocketRecord(const uint8_t* bytes);
// The 18 bytes of a record at position `index`. False when the server
// address is not four parts of 0 to 255.
bool EncodeSocketRecord(const SocketRecord& record, uint8_t index, uint8_t* out);

// The four octets of a dotted address: parts split at runs of dots, each
// only digits and at most 255. False for anything else.
bool ServerIpOctets(const wxString& text, uint8_t out[4]);
// The dotted-address test of the pass, as atoi and strtok read the text: a
// run of dots is one separator, a part reads its leading number, and a part
// above 255 or other than four parts fails.
bool IsValidIpAddress(const wxString& text);

// Whether the module's sockets can be clients (the Type and server columns
// can be edited).
bool SupportsClientSockets(SocketPageKind kind, char type);

struct ServiceChannel {
    wxString name;
    uint16_t port;
};
// The service ports of datablock 46: serial, CAN, digital I/O and (above 142) analogic input.
std::array<uint16_t, 4> ServicePorts(const BlockBytes& advanced, int firmware);
// The local ports a socket of the newer page can use.
std::vector<ServiceChannel> ServiceChannelList(char type, const std::array<uint16_t, 4>& ports, int firmware);

// Datablock 37 (four records) and, on the newer page, 46.
std::vector<BlockRef> SocketReadBlocks(SocketPageKind kind);
SocketRecords DecodeSocketTable(const BlockBytes& sockets);

using SocketRowTexts = std::array<wxString, SocketColumnCount>;
using SocketTable = std::array<SocketRowTexts, SocketRowCount>;

// What the grid was filled with: the texts of each row and the record read
// that each row shows.
struct SocketGridSource {
    SocketTable shown;
    SocketRecords rowRecords;
};
// A record with a count above 1 fills that many rows; every record fills at
// least one, and the grid's four rows are always filled.
SocketGridSource FillSocketGrid(const SocketRecords& read, SocketPageKind kind,
                                const std::vector<ServiceChannel>& channels);

// Whether a cell can be edited in the edit view, by its row's Type text.
bool SocketCellEditable(SocketPageKind kind, char type, int row, int column, const wxString& typeText);

struct SocketRefusal {
    int row;
    int column;  // the cell drawn red
    wxString message;
    wxString caption;
};
struct SocketPass {
    SocketRecords records;                 // the records to write; unfilled ones keep count 0
    std::optional<SocketRefusal> refusal;  // the first row that failed a check
};
// Turns the grid's texts into the records to write, merging active TCP
// Server rows that share a local port, and checks each row. A cell still
// holding the text it was filled with gives the value read, so a socket the
// lists cannot show goes back as it came.
SocketPass ValidateSocketTable(const SocketTable& cells, const SocketGridSource& source, SocketPageKind kind,
                               const std::vector<ServiceChannel>& channels);
// The first row the pass walks.
int FirstPassRow(SocketPageKind kind);

// Datablock 37 with the records that have a count, at start index 0 (older
// page) or 1 (newer page). False when a record's address has no four octets.
bool SocketWriteBlock(const SocketRecords& records, SocketPageKind kind, BlockValue* out);
