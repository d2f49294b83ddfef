#include "UartLogic.h"

#include "ByteOrder.h"
#include "NumberText.h"

const wxString StopBitsTexts[2] = {"1", "2"};
const wxString ParityTexts[3] = {"NONE", "ODD", "EVEN"};
const wxString BaudRateChoices[6] = {"9600", "19200", "38400", "57600", "115200", "230400"};

const std::vector<BlockRef>& UartReadBlocks()
{
    static const std::vector<BlockRef> blocks = {
        {DATABLOCK_UART_STOP_BITS}, {DATABLOCK_UART_PARITY}, {DATABLOCK_UART_BAUD_RATE}};
    return blocks;
}

UartSettings DecodeUart(const std::vector<BlockBytes>& values)
{
    UartSettings uart;
    uart.stopBits = values.at(0).at(0);
    uart.parity = values.at(1).at(0);
    const BlockBytes& b = values.at(2);
    uart.baudRate = BytesToU32(b.at(0), b.at(1), b.at(2), b.at(3));
    return uart;
}

int StopBitsIndex(uint8_t stopBits)
{
    return stopBits == 1 || stopBits == 2 ? stopBits - 1 : -1;
}

int ParityIndex(uint8_t parity)
{
    return parity <= 2 ? parity : -1;
}

int BaudRateIndex(uint32_t baudRate)
{
    for (int i = 0; i < 6; ++i) {
        uint64_t rate = 0;
        if (ReadDecimal(BaudRateChoices[i], UINT32_MAX, &rate) && rate == baudRate)
            return i;
    }
    return -1;
}

bool UartFromForm(int stopBitsIndex, int parityIndex, const wxString& baudRateText, const UartSettings& read,
                  UartSettings* out)
{
    uint64_t rate = 0;
    if (!ReadDecimal(baudRateText, UINT32_MAX, &rate))
        return false;
    UartSettings uart;
    uart.stopBits = stopBitsIndex == 0 || stopBitsIndex == 1 ? uint8_t(stopBitsIndex + 1) : read.stopBits;
    uart.parity = parityIndex >= 0 && parityIndex <= 2 ? uint8_t(parityIndex) : read.parity;
    uart.baudRate = uint32_t(rate);
    *out = uart;
    return true;
}

wxString BaudRateRefusal(const wxString& baudRateText)
{
    return "Invalid Baud Rate \"" + baudRateText + "\": please enter a number from 0 to 4294967295";
}

std::vector<BlockValue> UartWriteBlocks(const UartSettings& uart)
{
    const uint8_t* rate = U32ToBytes(uart.baudRate);
    return {
        MakeBlock(DATABLOCK_UART_STOP_BITS, {uart.stopBits}),
        MakeBlock(DATABLOCK_UART_PARITY, {uart.parity}),
        MakeBlock(DATABLOCK_UART_BAUD_RATE, {rate[0], rate[1], rate[2], rate[3]}),
    };
}

wxString ParityText(uint8_t parity)
{
    return parity <= 2 ? ParityTexts[parity] : wxString::Format("%u", unsigned(parity));
}

wxString StopBitsText(uint8_t stopBits)
{
    const int index = StopBitsIndex(stopBits);
    return index >= 0 ? StopBitsTexts[index] : wxString::Format("%u", unsigned(stopBits));
}
