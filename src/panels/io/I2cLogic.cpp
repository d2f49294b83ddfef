#include "I2cLogic.h"

#include <cmath>

#include "ByteOrder.h"
#include "NumberText.h"

const wxString I2cOutputTypes[4] = {"XML", "CSV", "CLOUD", "old-demo"};
const wxString PollingTooSmallText = "You must specify a valid Polling TIME greater than 1000 ms";
const wxString PollingTooLargeText = "You must specify a valid Polling TIME from 1000 to 4294967295 ms";
const wxString OffsetRangeText = "You must specify a valid offset between -3000 and 3000";

namespace {

bool IsDigit(wxUniChar c)
{
    return c >= '0' && c <= '9';
}

size_t SkipDigits(const wxString& text, size_t i)
{
    while (i < text.length() && IsDigit(text[i]))
        ++i;
    return i;
}

}  // namespace

I2cConfig DecodeI2c(const BlockBytes& bytes)
{
    I2cConfig config;
    if (bytes.size() < 7)
        return config;
    config.polling = BytesToU32(bytes[0], bytes[1], bytes[2], bytes[3]);
    config.outputType = bytes[4];
    config.offset = OffsetFromWord(uint16_t(BytesToU16(bytes[5], bytes[6])));
    return config;
}

int I2cOutputIndex(uint8_t outputType)
{
    return outputType < 4 ? outputType : -1;
}

float OffsetFromWord(uint16_t word)
{
    const float magnitude = float(word & 0x7FFF) / 10;
    return (word & 0x8000) ? -magnitude : magnitude;
}

uint16_t OffsetWord(float offset)
{
    // The sum and product in double, rounded to float, then truncated: 2.35
    // gives 23 tenths and 1.3 gives 13, as the module has always been sent.
    // The bound keeps the magnitude within 15 bits.
    const double limited = std::fmin(std::fabs(double(offset)), OffsetLimit);
    const float tenths = float((limited + 0.01) * 10);
    const uint16_t magnitude = uint16_t(tenths);
    return offset < 0 ? uint16_t(magnitude | 0x8000) : magnitude;
}

wxString OffsetText(float offset)
{
    return wxString::FromCDouble(double(offset), 1);
}

PollingCheck CheckPolling(const wxString& text, uint32_t* polling)
{
    uint64_t value = 0;
    if (ReadDecimal(text, UINT32_MAX, &value)) {
        if (value < PollingMin)
            return PollingCheck::TooSmall;
        *polling = uint32_t(value);
        return PollingCheck::Ok;
    }
    // Either below zero or above 32 bits.
    wxString rest = text;
    rest.Trim(false);
    return rest.StartsWith("-") ? PollingCheck::TooSmall : PollingCheck::TooLarge;
}

bool ReadOffset(const wxString& text, double* offset)
{
    size_t i = 0;
    while (i < text.length() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r' ||
                                 text[i] == '\v' || text[i] == '\f'))
        ++i;
    const size_t start = i;
    if (i < text.length() && (text[i] == '+' || text[i] == '-'))
        ++i;
    const size_t intStart = i;
    i = SkipDigits(text, i);
    bool digits = i > intStart;
    if (i < text.length() && text[i] == '.') {
        const size_t fracStart = i + 1;
        const size_t fracEnd = SkipDigits(text, fracStart);
        if (digits || fracEnd > fracStart) {
            digits = true;
            i = fracEnd;
        }
    }
    double value = 0;
    if (digits) {
        // An exponent counts only when digits follow it.
        if (i < text.length() && (text[i] == 'e' || text[i] == 'E')) {
            size_t e = i + 1;
            if (e < text.length() && (text[e] == '+' || text[e] == '-'))
                ++e;
            const size_t expEnd = SkipDigits(text, e);
            if (expEnd > e)
                i = expEnd;
        }
        if (!text.Mid(start, i - start).ToCDouble(&value))
            return false;
    }
    if (!(value >= -OffsetLimit && value <= OffsetLimit))
        return false;
    *offset = value;
    return true;
}

BlockValue I2cWriteBlock(uint32_t polling, uint8_t outputType, uint16_t offsetWord)
{
    const uint8_t* p = U32ToBytes(polling);
    return MakeBlock(DATABLOCK_I2C, {p[0], p[1], p[2], p[3], outputType, uint8_t(offsetWord >> 8),
                                     uint8_t(offsetWord & 0xFF)});
}
