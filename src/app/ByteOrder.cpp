#include "ByteOrder.h"

namespace {
uint8_t u16_buffer[2];
uint8_t u32_buffer[4];
}  // namespace

int BytesToU16(uint8_t high, uint8_t low)
{
    return high * 256 + low;
}

uint32_t BytesToU32(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3)
{
    return (uint32_t(b0) << 24) | (uint32_t(b1) << 16) | (uint32_t(b2) << 8) | uint32_t(b3);
}

const uint8_t* U16ToBytes(uint16_t value)
{
    u16_buffer[0] = uint8_t(value >> 8);
    u16_buffer[1] = uint8_t(value & 0xFF);
    return u16_buffer;
}

const uint8_t* U32ToBytes(uint32_t value)
{
    u32_buffer[0] = uint8_t(value >> 24);
    u32_buffer[1] = uint8_t(value >> 16);
    u32_buffer[2] = uint8_t(value >> 8);
    u32_buffer[3] = uint8_t(value);
    return u32_buffer;
}
