// The UART page's values: what the module reported, what the form stands
// for, what is written and what the registry row holds.
#include <gtest/gtest.h>

#include "UartLogic.h"
#include "panel_test_util.h"

TEST(UartLogic, ReadValuesSelectTheirListEntriesOrNone)
{
    struct Case {
        BlockBytes stop, parity, rate;
        int stopIndex, parityIndex, rateIndex;
        const char* parityText;
        const char* stopText;
    } cases[] = {
        {{1}, {0}, {0, 0, 0x25, 0x80}, 0, 0, 0, "NONE", "1"},
        {{1}, {1}, {0, 3, 0x84, 0}, 0, 1, 5, "ODD", "1"},
        {{0}, {3}, {0, 1, 0xC2, 1}, -1, -1, -1, "3", "0"},  // outside every list
        {{3}, {255}, {0xFF, 0xFF, 0xFF, 0xFF}, -1, -1, -1, "255", "3"},
    };
    for (const Case& c : cases) {
        const UartSettings uart = DecodeUart({c.stop, c.parity, c.rate});
        SCOPED_TRACE(uart.baudRate);
        EXPECT_EQ(StopBitsIndex(uart.stopBits), c.stopIndex);
        EXPECT_EQ(ParityIndex(uart.parity), c.parityIndex);
        EXPECT_EQ(BaudRateIndex(uart.baudRate), c.rateIndex);
        EXPECT_EQ(ParityText(uart.parity), c.parityText);
        EXPECT_EQ(StopBitsText(uart.stopBits), c.stopText);
    }
}

// A list with no entry chosen writes back what was read; the baud rate is
// read like atoi, except what would wrap.
TEST(UartLogic, FormToWrittenBytes)
{
    const UartSettings read{0, 7, 9600};
    struct Case {
        int stopIndex, parityIndex;
        const char* rate;
        bool ok;
        BlockBytes stop, parity, rateBytes;
    } cases[] = {
        {0, 0, "09600", true, {1}, {0}, {0, 0, 0x25, 0x80}},
        {-1, -1, "1200", true, {0}, {7}, {0, 0, 0x04, 0xB0}},
        {0, 1, "abc", true, {1}, {1}, {0, 0, 0, 0}},
        {0, 1, " 57600 baud", true, {1}, {1}, {0, 0, 0xE1, 0x00}},
        {0, 1, "4294967295", true, {1}, {1}, {0xFF, 0xFF, 0xFF, 0xFF}},
        {0, 1, "-9600", false, {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rate);
        UartSettings uart{9, 9, 9};
        ASSERT_EQ(UartFromForm(c.stopIndex, c.parityIndex, c.rate, read, &uart), c.ok);
        if (!c.ok) {
            EXPECT_EQ(uart.baudRate, 9u) << "a refused form changes nothing";
            continue;
        }
        EXPECT_EQ(paneltest::Tuples(UartWriteBlocks(uart)),
                  (paneltest::BlockList{{33, 1, 0, c.stop}, {34, 1, 0, c.parity}, {35, 1, 0, c.rateBytes}}));
    }
}
