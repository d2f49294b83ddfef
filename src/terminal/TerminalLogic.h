// What the terminal decides without a window: the input checks of a command,
// a command's bytes in each format, padding and the message counter, time
// stamps and the periodic settings.
#pragma once

#include <wx/datetime.h>
#include <wx/string.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Formats of a command and of the views: the choices of both radio boxes.
enum TerminalFormat { FORMAT_ASCII = 0, FORMAT_HEX = 1, FORMAT_BINARY = 2, FORMAT_DECIMAL = 3 };
constexpr int TerminalFormatCount = 4;
inline bool IsTerminalFormat(int format)
{
    return format >= 0 && format < TerminalFormatCount;
}

// Longest input of a field, in UTF-8 bytes.
constexpr size_t MaxInputBytes = 128;
// Longest text of a Hex, Binary or Decimal command (its working buffer
// holds this many characters and a terminator).
constexpr size_t MaxNumericTextBytes = 1459;
// Longest message: its length travels in 16 bits.
constexpr size_t MaxMessageBytes = 65535;

struct TerminalCommandEntry {
    wxString text;  // as typed, blanks included
    int format = FORMAT_ASCII;
};

// " (ASCII)", " (Hex)", " (Binary)", " (Decimal)"; empty for any other.
wxString FormatSuffix(int format);
// The list row of an entry: its text and the suffix of its format.
wxString CommandRowText(const TerminalCommandEntry& entry);

// Why a typed input cannot be added to the list (the message to show), or
// empty when it can.
wxString CheckCommandInput(const wxString& text, int format);

// The bytes of a command: ASCII one byte per character in the program's one
// 8-bit mapping; Hex, Binary and Decimal one byte per blank-separated number
// in base 16, 2 or 10 (read as strtol does, keeping the low 8 bits). Returns
// the message to show when the command cannot be sent, else empty.
wxString CommandBytes(const wxString& text, int format, std::vector<uint8_t>* bytes);

// Cuts or pads a message to totalSize bytes; each added byte is its own
// position modulo 256. A total size of 0 or less leaves it as it is.
std::vector<uint8_t> PadMessage(const std::vector<uint8_t>& message, int totalSize);

// The message counter runs 1, 2, ..., 65535, 0, 1, ...
uint16_t NextMessageCounter(uint16_t counter);
// What counter mode sends: the counter in the first two bytes (most
// significant first), then the message without its last two bytes. Needs a
// message of at least two bytes.
constexpr size_t MinCounterMessageBytes = 2;
std::vector<uint8_t> CounterFrame(const std::vector<uint8_t>& message, uint16_t counter);

// The binary digits of a value, least significant first, without leading
// zeros (the view reverses and pads them).
wxString ToBinaryString(unsigned value);
// "%c:%l" of the time, in the fixed zone GMT+1.
wxString TimestampText(const wxDateTime& time);

// The period of the periodic send in milliseconds from its field and unit (0
// "ms", 1 "s"): empty or 0 sends back to back. The message to show when it is
// not a whole number from 0 to 999, else empty.
wxString ParsePeriod(const wxString& text, int unit, int* periodMs);
// The total size field: empty is 0 (no padding). The message to show when it
// is not a whole number up to 999, else empty.
wxString ParseTotalSize(const wxString& text, int* totalSize);
