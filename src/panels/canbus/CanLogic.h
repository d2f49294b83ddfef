// What the two CAN pages decide without a window: the shared settings record
// (datablock 44) with its speed, bit timing and the two selection bytes, the
// checks of the first view, the rows of the signal and message lists with
// their checks, the list chunks on the wire, and the chunked list read.
#pragma once

#include <wx/string.h>

#include <array>
#include <cstdint>
#include <vector>

#include "NumberText.h"
#include "PageCycle.h"

// Lists of the first view, index = position.
constexpr int CanBaudRateCount = 11;
extern const wxString CanbusBaudRates[CanBaudRateCount];
extern const wxString CanbusSelectionType[4];
extern const wxString CanbusOutputType[3];
extern const wxString CanbusExecSelectionType[5];

// "Native" choices are offered above this firmware number.
constexpr int CanNativeFirmwareThreshold = 142;
int OutputTypeCount(int firmware);         // 2 or 3
int ExecSelectionTypeCount(int firmware);  // 3 or 5

enum CanSelectionType { CAN_SEL_SIGNALS = 0, CAN_SEL_MESSAGES = 1, CAN_SEL_ALL = 2, CAN_SEL_NONE = 3 };
enum CanOutputType { CAN_OUT_XML = 0, CAN_OUT_CSV = 1, CAN_OUT_NATIVE = 2 };
// The actuation selections that carry a message table.
bool ExecSelectionHasList(int selection);

// Datablock 44: speed (bytes 0-3), bit timing (4-8), the CAN bus page's
// acquisition code (9) and the actuation page's selection (10).
constexpr size_t CanSettingsSize = 11;
struct CanSettings {
    uint32_t speed = 0;
    uint8_t acquisition = 0;
    uint8_t actuation = 0;
};
CanSettings DecodeCanSettings(const BlockBytes& bytes);
// The 11 bytes as a page writes them: the bit timing follows the speed.
BlockBytes EncodeCanSettings(const CanSettings& settings);
std::array<uint8_t, 5> CanBitTiming(uint32_t speed);
// The speed list entry of a speed, or -1.
int CanBaudRateIndex(uint32_t speed);

// The acquisition code both ways. A code outside the table shows signals
// and XML; Native is shown only when offered.
int SelectionFromCode(uint8_t code);
int OutputFromCode(uint8_t code, bool nativeOffered);
// False for signals with Native (or an index outside the lists).
bool AcquisitionCode(int selection, int output, uint8_t* code);
// The actuation list entry of byte 10: a Native entry that is not offered
// shows its CSV counterpart, any other value outside the list the first.
int ExecSelectionFromByte(uint8_t byte, bool nativeOffered);

// The speed text's checks. The CAN bus page refuses 0 and below, the
// actuation page has no lower bound; both look at the text's first 19
// characters at most.
enum class SpeedFault { None, Range, NotDigits };
SpeedFault CheckSpeedText(const wxString& text, bool zeroAllowed);
wxString SpeedFaultText(SpeedFault fault);
// The speed a checked text stands for (atoi; 0 without digits).
uint32_t SpeedValue(const wxString& text);

// Message ids as the grid shows them: decimal, or lower-case hexadecimal
// without prefix. A negative text, or one beyond 32 bits, reads as
// 0xFFFFFFFF, which no check lets through; an empty text reads as 0.
uint32_t CanIdValue(const wxString& text, bool hex);
wxString CanIdText(uint32_t id, bool hex);
// The custom editor mode of the Msg_ID cell (4 to 7).
int CanIdEditorMode(bool standard, bool hex);

extern const wxString CanIdTypeTexts[2];     // "Standard", "Extended"
extern const wxString CanByteOrderTexts[2];  // "Intel", "Motorola"

// One signal (datablock 41, 8 bytes) and one message (datablocks 40 and 47,
// 5 bytes), as read or as validated.
struct CanSignal {
    uint32_t id = 0;
    uint8_t idType = 0;
    uint8_t startBit = 0;
    uint8_t length = 0;
    uint8_t byteOrder = 0;
    bool operator==(const CanSignal& o) const
    {
        return id == o.id && idType == o.idType && startBit == o.startBit && length == o.length &&
               byteOrder == o.byteOrder;
    }
};
struct CanMessage {
    uint32_t id = 0;
    uint8_t idType = 0;  // 2: not enabled
    bool operator==(const CanMessage& o) const { return id == o.id && idType == o.idType; }
};

constexpr int CanSignalRows = 14;
constexpr int CanSignalChunk = 7;
constexpr int CanMessageRows = 32;
constexpr int CanMessageChunk = 8;

// Chunk bytes of consecutive entries, most significant byte first.
BlockBytes EncodeSignals(const std::vector<CanSignal>& signals);
BlockBytes EncodeMessages(const std::vector<CanMessage>& messages);
// Entries of a chunk; an id type or byte order above 1 reads as 0 for a
// signal. A message's id type is kept (datablock 40, where above 1 means not
// enabled) or read as 0 (datablock 47).
std::vector<CanSignal> DecodeSignals(const BlockBytes& bytes);
std::vector<CanMessage> DecodeMessages(const BlockBytes& bytes, bool typeAboveOneAsZero);

// One grid row's cell texts.
struct SignalCells {
    wxString id, type, startBit, length, byteOrder;
    bool operator==(const SignalCells& o) const
    {
        return id == o.id && type == o.type && startBit == o.startBit && length == o.length &&
               byteOrder == o.byteOrder;
    }
};
// Where a row check failed: the grid column, the message and its caption.
struct CellFault {
    int column = -1;
    wxString message;
    wxString caption;
};
// The row's checks in the grid's base; true with `out` filled when it
// passes. A used row (id above 0) needs a start bit from 0 to 255 and a
// length from 1 to 255; an unused one a length from 0 to 255.
bool CheckSignalRow(const SignalCells& row, bool hex, CanSignal* out, CellFault* fault);
// A row of a message list; not enabled gives id type 2. An id type cell
// other than "Standard" counts as extended.
bool CheckMessageRow(const wxString& id, const wxString& type, bool enabled, bool hex, CanMessage* out,
                     CellFault* fault);

// Reads elements 0 to bound-1 of a list datablock in commands of `chunk`
// elements, one synchronous exchange each. False at the first refused
// request, failed exchange or missing datablock, with the last error set;
// `bytes` is then untouched.
bool ReadListChunks(const char* ip, uint16_t port, uint16_t id, uint8_t chunk, uint8_t bound,
                    BlockBytes* bytes);
// The write commands of a list: `bytes` of `bound` elements in chunks.
std::vector<BlockValue> ListChunkBlocks(uint16_t id, uint8_t chunk, const BlockBytes& bytes);
