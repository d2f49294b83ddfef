// Numbers typed by the user or read from files. Every conversion here says
// when the text does not fit, instead of wrapping or cutting the value.
#pragma once

#include <wx/string.h>

#include <cstdint>

// The number that atoi reads from `text` (leading blanks, an optional sign,
// the digits up to the first other character, 0 when there are none), held
// at plus or minus INT64_MAX instead of overflowing.
int64_t AtoiValue(const wxString& text);

// The number that atoi reads from `text` (leading blanks, an optional sign,
// the digits up to the first other character, 0 when there are none). False
// when that number is negative or above `max`; `value` is then untouched.
bool ReadDecimal(const wxString& text, uint64_t max, uint64_t* value);

// A whole decimal number and nothing else (blanks around it allowed), at
// least `min` and at most `max`. False otherwise; `value` is then untouched.
bool ParseDecimal(const wxString& text, int64_t min, int64_t max, int64_t* value);

// A TCP port the user typed: a whole number from 1 to 65535.
bool ParsePortText(const wxString& text, uint16_t* port);
// What the user is told when ParsePortText refuses `text`.
wxString PortRefusal(const wxString& text);
