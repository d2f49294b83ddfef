#include "IoLogic.h"

#include "NumberText.h"

const wxString IoTypeChoices[2] = {"Digital Input", "Digital Output"};

bool operator==(const IoChannelEntry& a, const IoChannelEntry& b)
{
    return a.index == b.index && a.enable == b.enable && a.type == b.type;
}

int IoLineCount(char type)
{
    return type >= '0' && type <= '9' ? 8 : 4;
}

IoLock IoLockFor(char type)
{
    switch (type) {
        case 'C':
        case 'c':
        case 'S':
        case 's':
            return IoLock::Lines01;
        case 'A':
        case 'a':
        case 'B':
        case 'b':
            return IoLock::Lines23;
        case '8':
        case '9':
        case 'd':
        case 'e':
            return IoLock::TypeColumn;
        default:
            return IoLock::None;
    }
}

bool IoCellLocked(IoLock lock, int line, int column)
{
    if (column == 0)
        return true;
    switch (lock) {
        case IoLock::Lines01:
            return line == 0 || line == 1;
        case IoLock::Lines23:
            return line == 2 || line == 3;
        case IoLock::TypeColumn:
            return column == 2;
        case IoLock::None:
            break;
    }
    return false;
}

BlockRef IoReadBlock(int lineCount)
{
    return BlockRef{DATABLOCK_IO, uint8_t(lineCount), 0};
}

std::vector<IoChannelEntry> DecodeIo(const BlockBytes& bytes, int lineCount)
{
    std::vector<IoChannelEntry> lines;
    for (int k = 0; k < lineCount && size_t(3 * k + 2) < bytes.size(); ++k)
        lines.push_back(IoChannelEntry{uint8_t(k), uint8_t(bytes[3 * k + 1] > 1 ? 1 : bytes[3 * k + 1]),
                                       uint8_t(bytes[3 * k + 2] > 1 ? 1 : bytes[3 * k + 2])});
    return lines;
}

BlockValue IoWriteBlock(const std::vector<IoChannelEntry>& lines)
{
    BlockBytes bytes;
    for (size_t k = 0; k < lines.size(); ++k) {
        bytes.push_back(uint8_t(k));
        bytes.push_back(lines[k].enable);
        bytes.push_back(lines[k].type);
    }
    return MakeBlock(DATABLOCK_IO, std::move(bytes), uint8_t(lines.size()));
}

uint8_t CellFlag(const wxString& text)
{
    // The module knows 0 and 1 only. A text that cannot be read is a
    // negative or huge number: not zero either.
    uint64_t value = 0;
    return !ReadDecimal(text, UINT64_MAX, &value) || value != 0;
}

IoChannelEntry IoLineFromCells(int line, const wxString& enableText, const wxString& typeText,
                               uint8_t previousType)
{
    IoChannelEntry entry{uint8_t(line), CellFlag(enableText), previousType};
    for (uint8_t t = 0; t < 2; ++t)
        if (typeText == IoTypeChoices[t])
            entry.type = t;
    return entry;
}

BlockRef AdcReadBlock()
{
    return BlockRef{DATABLOCK_ADC, AdcChannelCount, 0};
}

AdcEnables DecodeAdc(const BlockBytes& bytes)
{
    AdcEnables enables{};
    for (int i = 0; i < AdcChannelCount && size_t(2 * i + 1) < bytes.size(); ++i)
        enables[i] = bytes[2 * i + 1] != 0;
    return enables;
}

BlockValue AdcWriteBlock(const AdcEnables& enables)
{
    BlockBytes bytes;
    for (int i = 0; i < AdcChannelCount; ++i) {
        bytes.push_back(uint8_t(i));
        bytes.push_back(enables[i]);
    }
    return MakeBlock(DATABLOCK_ADC, std::move(bytes), AdcChannelCount);
}
