#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "ByteOrder.h"
#include "ModelNames.h"

namespace {

TEST(ModelNames, EveryTypeCharacterNamesItsModel)
{
    struct {
        char type;
        const char* name;
    } cases[] = {
        // clang-format off
        {'S', "Vantrel-S-UART"}, {'s', "KOB-F-RS232-S"},  {'C', "Vantrel-CS-UART"}, {'c', "KOB-F-RS232-CS"},
        {'A', "Vantrel-S-CAN"},  {'a', "KOB-F-CAN-S"},    {'B', "Vantrel-CS-CAN"},  {'b', "KOB-F-CAN-CS"},
        {'D', "Vantrel-S-D4IO"}, {'d', "KOB-F-D4IO-BO"},  {'E', "Vantrel-CS-D4IO"}, {'e', "KOB-F-D4IO-BI"},
        {'F', "Vantrel-S-485"},  {'f', "KOB-F-RS485-S"},  {'G', "Vantrel-CS-485"},  {'g', "KOB-F-RS485-CS"},
        {'I', "Vantrel-I2C-TH"}, {'0', "QEMLIX-232-S"},   {'1', "QEMLIX-232-CS"},   {'2', "QEMLIX-CAN-S"},
        {'3', "QEMLIX-CAN-CS"},  {'4', "QEMLIX-D4IO-S"},  {'5', "QEMLIX-D4IO-CS"},  {'6', "QEMLIX-485-S"},
        {'7', "QEMLIX-485-CS"},  {'8', "KOB-F-D8IO-BO"},  {'9', "KOB-F-D8IO-BI"},
        // Neighbours of known characters and the odd ones.
        {'H', "Unknown"}, {'h', "Unknown"}, {'i', "Unknown"}, {' ', "Unknown"}, {'\0', "Unknown"},
        {'/', "Unknown"}, {':', "Unknown"}, {'\x80', "Unknown"}, {'\xFF', "Unknown"},
        // clang-format on
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetModelName(c.type), c.name) << "type " << int(c.type);

    // No other 8-bit character names a model.
    int known = 0;
    for (int c = 0; c < 256; ++c)
        known += GetModelName(char(c)) != "Unknown";
    EXPECT_EQ(known, int(ModuleModelCount));
}

TEST(ByteOrder, BytesGiveUnsignedValuesMostSignificantFirst)
{
    struct {
        uint8_t high, low;
        int value;
    } pairs[] = {{0x12, 0x34, 0x1234}, {0xFF, 0xFF, 65535}, {0x80, 0x00, 32768},
                 {0x00, 0xFF, 255},    {0x01, 0x00, 256},   {0x00, 0x00, 0}};
    for (const auto& c : pairs)
        EXPECT_EQ(BytesToU16(c.high, c.low), c.value) << int(c.high) << " " << int(c.low);

    struct {
        uint8_t b[4];
        uint32_t value;
    } quads[] = {{{0x80, 0, 0, 1}, 2147483649u},
                 {{0xFF, 0xFF, 0xFF, 0xFF}, 4294967295u},
                 {{0x12, 0x34, 0x56, 0x78}, 0x12345678u},
                 {{0, 0, 0, 1}, 1u},
                 {{1, 0, 0, 0}, 16777216u}};
    for (const auto& c : quads)
        EXPECT_EQ(BytesToU32(c.b[0], c.b[1], c.b[2], c.b[3]), c.value);
}

TEST(ByteOrder, ValuesToBytesAndBack)
{
    for (uint16_t v : {0x1234, 0, 1, 255, 256, 0x8000, 0xFFFF}) {
        const uint8_t* b = U16ToBytes(v);
        EXPECT_EQ(b[0], v >> 8);
        EXPECT_EQ(b[1], v & 0xFF);
        EXPECT_EQ(BytesToU16(b[0], b[1]), v);
    }
    for (uint32_t v : {1u, 0u, 0x12345678u, 0x80000001u, 0xFFFFFFFFu}) {
        const uint8_t* b = U32ToBytes(v);
        const uint8_t expected[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
        EXPECT_EQ(std::memcmp(b, expected, 4), 0) << std::hex << v;
        EXPECT_EQ(BytesToU32(b[0], b[1], b[2], b[3]), v);
    }
}

TEST(ByteOrder, EachConversionKeepsItsOwnBuffer)
{
    const uint8_t* first = U16ToBytes(0x1234);
    const uint8_t* second = U16ToBytes(0xABCD);
    EXPECT_EQ(first, second);  // one buffer, overwritten
    EXPECT_EQ(second[0], 0xAB);
    EXPECT_EQ(second[1], 0xCD);

    const uint8_t* four = U32ToBytes(0x01020304);
    EXPECT_EQ(second[0], 0xAB);  // the 32-bit call left the 16-bit buffer alone
    EXPECT_EQ(second[1], 0xCD);
    U16ToBytes(0x5566);
    EXPECT_EQ(four[0], 1);
    EXPECT_EQ(four[3], 4);
}

}  // namespace
