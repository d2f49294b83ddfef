#include "CanLogic.h"

#include <algorithm>
#include <memory>

#include "ByteOrder.h"
#include "NumberText.h"
#include "cmd_error.h"
#include "sock.h"

const wxString CanbusBaudRates[CanBaudRateCount] = {"20000",  "25000",  "50000",  "80000",
                                                    "100000", "125000", "200000", "250000",
                                                    "500000", "650000", "1000000"};
const wxString CanbusSelectionType[4] = {"Selected signals (14 maximum)", "Selected messages (32 maximum)",
                                         "All messages", "NONE"};
const wxString CanbusOutputType[3] = {"XML", "CSV", "Native"};
const wxString CanbusExecSelectionType[5] = {"All messages - CSV", "Selected messages (50 maximum) - CSV",
                                             "NONE", "All messages - Native",
                                             "Selected messages (50 maximum) - Native"};
const wxString CanIdTypeTexts[2] = {"Standard", "Extended"};
const wxString CanByteOrderTexts[2] = {"Intel", "Motorola"};

namespace {

constexpr uint32_t kMaxSpeed = 1000000;
constexpr size_t kSpeedCharsChecked = 19;
constexpr uint32_t kMaxStandardId = 0x7FF;
constexpr uint32_t kMaxExtendedId = 0x1FFFFFFF;
constexpr uint32_t kBadId = 0xFFFFFFFF;

int HexDigit(wxUniChar c)
{
    if (c >= '0' && c <= '9')
        return int(c.GetValue() - '0');
    if (c >= 'a' && c <= 'f')
        return int(c.GetValue() - 'a') + 10;
    if (c >= 'A' && c <= 'F')
        return int(c.GetValue() - 'A') + 10;
    return -1;
}

// strtoul with base 16: blanks, a sign, an optional "0x", hex digits.
uint32_t HexIdValue(const wxString& text)
{
    // The digits start where a decimal number's would.
    const wxString trimmed = text.Strip(wxString::leading);
    const bool negative = trimmed.StartsWith("-");
    size_t i = text.length() - trimmed.length() + (trimmed.StartsWith("+") || negative ? 1 : 0);
    if (i + 2 < text.length() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        HexDigit(text[i + 2]) >= 0)
        i += 2;
    uint64_t v = 0;
    for (; i < text.length() && HexDigit(text[i]) >= 0; ++i) {
        v = v * 16 + unsigned(HexDigit(text[i]));
        if (v > kBadId)
            return kBadId;
    }
    if (negative && v != 0)
        return kBadId;
    return uint32_t(v);
}

void PutU32(uint8_t* out, uint32_t v)
{
    const uint8_t* b = U32ToBytes(v);
    for (int i = 0; i < 4; ++i)
        out[i] = b[i];
}

// The id check shared by both lists.
bool CheckId(const wxString& idText, const wxString& typeText, bool hex, uint32_t* id, uint8_t* type,
             CellFault* fault)
{
    *id = CanIdValue(idText, hex);
    const bool standard = typeText == CanIdTypeTexts[0];
    *type = standard ? 0 : 1;
    if (*id <= (standard ? kMaxStandardId : kMaxExtendedId))
        return true;
    fault->column = 1;
    fault->message = standard ? "Msg ID max 0x7FF" : "Msg ID max 0x1FFFFFFF";
    fault->caption = standard ? "Max 0x7FF" : "Max 0x1FFFFFFF";
    return false;
}

}  // namespace

int OutputTypeCount(int firmware)
{
    return firmware > CanNativeFirmwareThreshold ? 3 : 2;
}

int ExecSelectionTypeCount(int firmware)
{
    return firmware > CanNativeFirmwareThreshold ? 5 : 3;
}

bool ExecSelectionHasList(int selection)
{
    return selection == 1 || selection == 4;
}

CanSettings DecodeCanSettings(const BlockBytes& bytes)
{
    CanSettings s;
    if (bytes.size() < CanSettingsSize)
        return s;
    s.speed = BytesToU32(bytes[0], bytes[1], bytes[2], bytes[3]);
    s.acquisition = bytes[9];
    s.actuation = bytes[10];
    return s;
}

std::array<uint8_t, 5> CanBitTiming(uint32_t speed)
{
    if (speed == 20000)
        return {7, 7, 2, 2, 1};
    if (speed == 25000 || speed == 50000)
        return {6, 5, 1, 1, 1};
    return {3, 2, 1, 1, 1};
}

BlockBytes EncodeCanSettings(const CanSettings& settings)
{
    BlockBytes bytes(CanSettingsSize, 0);
    PutU32(bytes.data(), settings.speed);
    const std::array<uint8_t, 5> timing = CanBitTiming(settings.speed);
    for (size_t i = 0; i < timing.size(); ++i)
        bytes[4 + i] = timing[i];
    bytes[9] = settings.acquisition;
    bytes[10] = settings.actuation;
    return bytes;
}

int CanBaudRateIndex(uint32_t speed)
{
    for (int i = 0; i < CanBaudRateCount; ++i) {
        uint64_t rate = 0;
        if (ReadDecimal(CanbusBaudRates[i], UINT32_MAX, &rate) && rate == speed)
            return i;
    }
    return -1;
}

int SelectionFromCode(uint8_t code)
{
    switch (code) {
        case 1:
        case 4:
        case 6:
            return CAN_SEL_MESSAGES;
        case 2:
        case 5:
        case 7:
            return CAN_SEL_ALL;
        case 8:
            return CAN_SEL_NONE;
        default:
            return CAN_SEL_SIGNALS;
    }
}

int OutputFromCode(uint8_t code, bool nativeOffered)
{
    if (code >= 3 && code <= 5)
        return CAN_OUT_CSV;
    if (nativeOffered && (code == 6 || code == 7))
        return CAN_OUT_NATIVE;
    return CAN_OUT_XML;
}

bool AcquisitionCode(int selection, int output, uint8_t* code)
{
    if (selection < CAN_SEL_SIGNALS || selection > CAN_SEL_NONE || output < CAN_OUT_XML ||
        output > CAN_OUT_NATIVE)
        return false;
    if (selection == CAN_SEL_NONE) {
        *code = 8;
        return true;
    }
    if (output == CAN_OUT_NATIVE) {
        if (selection == CAN_SEL_SIGNALS)
            return false;
        *code = uint8_t(selection + 5);
        return true;
    }
    *code = uint8_t(selection + 3 * output);
    return true;
}

int ExecSelectionFromByte(uint8_t byte, bool nativeOffered)
{
    if (byte <= 2)
        return byte;
    if (byte <= 4)
        return nativeOffered ? byte : byte - 3;
    return 0;
}

SpeedFault CheckSpeedText(const wxString& text, bool zeroAllowed)
{
    const int64_t speed = AtoiValue(text);
    if (speed > kMaxSpeed || (!zeroAllowed && speed <= 0))
        return SpeedFault::Range;
    const size_t n = std::min(text.length(), kSpeedCharsChecked);
    for (size_t i = 0; i < n; ++i)
        if (text[i] < '0' || text[i] > '9')
            return SpeedFault::NotDigits;
    return SpeedFault::None;
}

wxString SpeedFaultText(SpeedFault fault)
{
    switch (fault) {
        case SpeedFault::Range:
            return "Baudrate value maximum value: 1000000";
        case SpeedFault::NotDigits:
            return "Only numbers allowed";
        case SpeedFault::None:
            break;
    }
    return wxEmptyString;
}

uint32_t SpeedValue(const wxString& text)
{
    const int64_t v = AtoiValue(text);
    return v < 0 ? 0 : v > int64_t(UINT32_MAX) ? UINT32_MAX : uint32_t(v);
}

uint32_t CanIdValue(const wxString& text, bool hex)
{
    if (hex)
        return HexIdValue(text);
    uint64_t v = 0;
    return ReadDecimal(text, UINT32_MAX, &v) ? uint32_t(v) : kBadId;
}

wxString CanIdText(uint32_t id, bool hex)
{
    return wxString::Format(hex ? "%x" : "%u", unsigned(id));
}

int CanIdEditorMode(bool standard, bool hex)
{
    return hex ? (standard ? 6 : 7) : (standard ? 4 : 5);
}

BlockBytes EncodeSignals(const std::vector<CanSignal>& signals)
{
    BlockBytes bytes;
    for (const CanSignal& s : signals) {
        uint8_t e[8] = {};
        PutU32(e, s.id);
        e[4] = s.idType;
        e[5] = s.startBit;
        e[6] = s.length;
        e[7] = s.byteOrder;
        bytes.insert(bytes.end(), e, e + 8);
    }
    return bytes;
}

BlockBytes EncodeMessages(const std::vector<CanMessage>& messages)
{
    BlockBytes bytes;
    for (const CanMessage& m : messages) {
        uint8_t e[5] = {};
        PutU32(e, m.id);
        e[4] = m.idType;
        bytes.insert(bytes.end(), e, e + 5);
    }
    return bytes;
}

std::vector<CanSignal> DecodeSignals(const BlockBytes& bytes)
{
    std::vector<CanSignal> signals;
    for (size_t p = 0; p + 8 <= bytes.size(); p += 8) {
        CanSignal s;
        s.id = BytesToU32(bytes[p], bytes[p + 1], bytes[p + 2], bytes[p + 3]);
        s.idType = bytes[p + 4] <= 1 ? bytes[p + 4] : 0;
        s.startBit = bytes[p + 5];
        s.length = bytes[p + 6];
        s.byteOrder = bytes[p + 7] <= 1 ? bytes[p + 7] : 0;
        signals.push_back(s);
    }
    return signals;
}

std::vector<CanMessage> DecodeMessages(const BlockBytes& bytes, bool typeAboveOneAsZero)
{
    std::vector<CanMessage> messages;
    for (size_t p = 0; p + 5 <= bytes.size(); p += 5) {
        CanMessage m;
        m.id = BytesToU32(bytes[p], bytes[p + 1], bytes[p + 2], bytes[p + 3]);
        m.idType = typeAboveOneAsZero && bytes[p + 4] > 1 ? 0 : bytes[p + 4];
        messages.push_back(m);
    }
    return messages;
}

bool CheckSignalRow(const SignalCells& row, bool hex, CanSignal* out, CellFault* fault)
{
    CanSignal s;
    if (!CheckId(row.id, row.type, hex, &s.id, &s.idType, fault))
        return false;
    const bool used = s.id > 0;
    const int64_t start = AtoiValue(row.startBit);
    const int64_t length = AtoiValue(row.length);
    if (used && (start < 0 || start > 255)) {
        fault->column = 3;
        fault->message = "Start Bit max 255";
        fault->caption = "Max 255";
        return false;
    }
    if (length < 0 || length > 255 || (used && length == 0)) {
        fault->column = 4;
        fault->message = "Length max 255";
        fault->caption = "Max 255";
        return false;
    }
    // An unused row's start bit is never looked at by the module.
    s.startBit = start >= 0 && start <= 255 ? uint8_t(start) : 0;
    s.length = uint8_t(length);
    s.byteOrder = row.byteOrder == CanByteOrderTexts[0] ? 0 : 1;
    *out = s;
    return true;
}

bool CheckMessageRow(const wxString& id, const wxString& type, bool enabled, bool hex, CanMessage* out,
                     CellFault* fault)
{
    CanMessage m;
    if (!CheckId(id, type, hex, &m.id, &m.idType, fault))
        return false;
    if (!enabled)
        m.idType = 2;
    *out = m;
    return true;
}

bool ReadListChunks(const char* ip, uint16_t port, uint16_t id, uint8_t chunk, uint8_t bound,
                    BlockBytes* bytes)
{
    // About 131 KB: off the GUI thread's stack.
    auto msg = std::make_unique<VEMTOR_COMMAND_MSG>();
    BlockBytes all;
    for (unsigned start = 0; start < bound; start += chunk) {
        cmd_msg_reset(msg.get(), 1);
        const std::vector<BlockRef> block = {{id, chunk, uint8_t(start)}};
        if (!BuildReadRequest(msg.get(), block) || !cmd_msg_transact(msg.get(), ip, port))
            return false;
        std::vector<BlockBytes> values;
        if (!TakeBlocks(msg.get(), block, &values))
            return false;
        all.insert(all.end(), values[0].begin(), values[0].end());
    }
    *bytes = std::move(all);
    return true;
}

std::vector<BlockValue> ListChunkBlocks(uint16_t id, uint8_t chunk, const BlockBytes& bytes)
{
    std::vector<BlockValue> blocks;
    const size_t element = BlockSize(id, 1);
    if (element == 0 || chunk == 0)
        return blocks;
    const size_t chunkSize = element * chunk;
    for (size_t p = 0; p < bytes.size(); p += chunkSize) {
        // A short last part keeps its own count; the request refuses a part
        // that is not whole elements.
        const size_t n = std::min(chunkSize, bytes.size() - p);
        BlockBytes part(bytes.begin() + long(p), bytes.begin() + long(p + n));
        blocks.push_back(
            MakeBlock(id, std::move(part), uint8_t((n + element - 1) / element), uint8_t(p / element)));
    }
    return blocks;
}
