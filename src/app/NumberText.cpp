#include "NumberText.h"

namespace {

bool IsBlank(wxUniChar c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(wxUniChar c)
{
    return c >= '0' && c <= '9';
}

// Digits from `i` on, stopping at the first other character. False when the
// value passes `limit`.
bool AccumulateDigits(const wxString& text, size_t& i, uint64_t limit, uint64_t* value)
{
    uint64_t v = 0;
    for (; i < text.length() && IsDigit(text[i]); ++i) {
        const unsigned digit = unsigned(text[i].GetValue() - '0');
        // A digit above the limit alone passes it (and would wrap below).
        if (digit > limit || v > (limit - digit) / 10)
            return false;
        v = v * 10 + digit;
    }
    *value = v;
    return true;
}

// Past the leading blanks and an optional sign: where the digits start.
size_t SkipBlanksAndSign(const wxString& text, bool* negative)
{
    size_t i = 0;
    while (i < text.length() && IsBlank(text[i]))
        ++i;
    *negative = false;
    if (i < text.length() && (text[i] == '+' || text[i] == '-'))
        *negative = text[i++] == '-';
    return i;
}

}  // namespace

int64_t AtoiValue(const wxString& text)
{
    bool negative = false;
    size_t i = SkipBlanksAndSign(text, &negative);
    uint64_t v = 0;
    if (!AccumulateDigits(text, i, INT64_MAX, &v))
        v = INT64_MAX;
    return negative ? -int64_t(v) : int64_t(v);
}

bool ReadDecimal(const wxString& text, uint64_t max, uint64_t* value)
{
    bool negative = false;
    size_t i = SkipBlanksAndSign(text, &negative);
    uint64_t v = 0;
    if (!AccumulateDigits(text, i, max, &v) || (negative && v != 0))
        return false;
    *value = v;
    return true;
}

bool ParseDecimal(const wxString& text, int64_t min, int64_t max, int64_t* value)
{
    if (min > max)
        return false;
    bool negative = false;
    size_t i = SkipBlanksAndSign(text, &negative);
    const size_t first = i;
    // Magnitude bound: enough for the far end of the range on this side.
    const uint64_t limit = negative ? uint64_t(0) - uint64_t(min < 0 ? min : 0) : uint64_t(max > 0 ? max : 0);
    uint64_t magnitude = 0;
    if (!AccumulateDigits(text, i, limit, &magnitude) || i == first)
        return false;
    while (i < text.length() && IsBlank(text[i]))
        ++i;
    if (i != text.length())
        return false;
    const int64_t v = negative ? int64_t(0 - magnitude) : int64_t(magnitude);
    if (v < min || v > max)
        return false;
    *value = v;
    return true;
}

bool ParsePortText(const wxString& text, uint16_t* port)
{
    int64_t v = 0;
    if (!ParseDecimal(text, 1, 65535, &v))
        return false;
    *port = uint16_t(v);
    return true;
}

wxString PortRefusal(const wxString& text)
{
    return "Invalid Port = " + text + "\n\nThe port must be a whole number from 1 to 65535.";
}
