// The I2C sensor page's values without a window: the record of datablock 48,
// the offset's sign-and-magnitude word in tenths, and the form's checks.
#pragma once

#include <wx/string.h>

#include <cstdint>

#include "PageCycle.h"

extern const wxString I2cOutputTypes[4];  // "XML", "CSV", "CLOUD", "old-demo"

// Datablock 48 as the page shows it.
struct I2cConfig {
    uint32_t polling = 0;  // milliseconds
    uint8_t outputType = 0;
    float offset = 0;  // degrees, one decimal
};

I2cConfig DecodeI2c(const BlockBytes& bytes);
// The list entry of an output type; -1 for one the list does not have.
int I2cOutputIndex(uint8_t outputType);

// Bit 15 the sign, bits 14-0 the magnitude in tenths: 80 19 is -2.5.
float OffsetFromWord(uint16_t word);
// The word of an offset within +-3000, (|offset| + 0.01) x 10 truncated.
uint16_t OffsetWord(float offset);
// The offset as the field shows it ("%.1f").
wxString OffsetText(float offset);

// The least polling time and the largest offset either way the form takes.
constexpr uint32_t PollingMin = 1000;
constexpr double OffsetLimit = 3000.0;

// The polling text, read as atoi would, within what 32 bits hold.
enum class PollingCheck { Ok, TooSmall, TooLarge };
PollingCheck CheckPolling(const wxString& text, uint32_t* polling);
extern const wxString PollingTooSmallText;
extern const wxString PollingTooLargeText;

// The number at the start of `text` (blanks, sign, digits, one point, an
// exponent), in any locale; 0 when there is none. False when it lies
// outside -3000 to 3000.
bool ReadOffset(const wxString& text, double* offset);
extern const wxString OffsetRangeText;

// Datablock 48: polling (most significant byte first), output type, offset word.
BlockValue I2cWriteBlock(uint32_t polling, uint8_t outputType, uint16_t offsetWord);
