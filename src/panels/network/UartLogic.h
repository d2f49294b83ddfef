// The UART page's values without a window: the datablocks it reads and
// writes, the form's list positions of what the module reported, and the
// texts of its registry row.
#pragma once

#include <wx/string.h>

#include <cstdint>
#include <vector>

#include "PageCycle.h"

// The serial line as the module holds it (datablocks 33, 34 and 35).
struct UartSettings {
    uint8_t stopBits = 1;  // 1 or 2
    uint8_t parity = 0;    // 0 NONE, 1 ODD, 2 EVEN
    uint32_t baudRate = 0;
};

extern const wxString StopBitsTexts[2];    // "1", "2"
extern const wxString ParityTexts[3];      // "NONE", "ODD", "EVEN"
extern const wxString BaudRateChoices[6];  // "9600" ... "230400"

// Datablocks 33, 34 and 35, one element each.
const std::vector<BlockRef>& UartReadBlocks();
UartSettings DecodeUart(const std::vector<BlockBytes>& values);

// The list entry a value selects; -1 (no entry) for a value outside the list.
int StopBitsIndex(uint8_t stopBits);
int ParityIndex(uint8_t parity);
// The baud rate list entry whose number equals `baudRate`, or -1.
int BaudRateIndex(uint32_t baudRate);

// The settings the form stands for: a list with no entry chosen keeps the
// value read; the baud rate text is read as atoi does. False, and `out`
// untouched, when the baud rate text is negative or does not fit 32 bits.
bool UartFromForm(int stopBitsIndex, int parityIndex, const wxString& baudRateText, const UartSettings& read,
                  UartSettings* out);
// The refusal shown for such a baud rate text.
wxString BaudRateRefusal(const wxString& baudRateText);

// Datablocks 33, 34 and 35 with their values, in that order.
std::vector<BlockValue> UartWriteBlocks(const UartSettings& uart);

// The parity and stop bits texts of the registry row ("NONE", "ODD", "EVEN";
// "1", "2"); a value outside the list as its number.
wxString ParityText(uint8_t parity);
wxString StopBitsText(uint8_t stopBits);
