// Multi-byte module settings travel most significant byte first.
#pragma once

#include <cstdint>

// high * 256 + low; never negative.
int BytesToU16(uint8_t high, uint8_t low);
// b0 is the most significant byte.
uint32_t BytesToU32(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3);

// The value's bytes, most significant first, in a static buffer of each
// function's own that its next call overwrites: copy them out at once.
// GUI thread only.
const uint8_t* U16ToBytes(uint16_t value);
const uint8_t* U32ToBytes(uint32_t value);
