// The digital I/O and analog input pages' values without a window: how many
// lines a module has and which of them it lets the user change, the lines and
// channels out of a reply, and the blocks a write sends.
#pragma once

#include <wx/string.h>

#include <array>
#include <cstdint>
#include <vector>

#include "PageCycle.h"

// One digital line as datablock 45 carries it (3 bytes).
struct IoChannelEntry {
    uint8_t index = 0;
    uint8_t enable = 0;  // 0 disabled, 1 enabled
    uint8_t type = 0;    // 0 input, 1 output
};

bool operator==(const IoChannelEntry& a, const IoChannelEntry& b);

extern const wxString IoTypeChoices[2];  // "Digital Input", "Digital Output"
constexpr int IoMaxLines = 8;

// 8 lines for a module type that is a decimal digit, else 4.
int IoLineCount(char type);

// What a module type keeps the user from changing (beyond the Idx column).
enum class IoLock { None, Lines01, Lines23, TypeColumn };
IoLock IoLockFor(char type);
// Whether a cell of the grid (column 0 Idx, 1 Enable, 2 Type) takes no input
// in the edit view.
bool IoCellLocked(IoLock lock, int line, int column);

BlockRef IoReadBlock(int lineCount);
// Line k of the first `lineCount` elements; element k is line k whatever
// index byte it carries, and an enable or type above 1 counts as 1.
std::vector<IoChannelEntry> DecodeIo(const BlockBytes& bytes, int lineCount);
// Datablock 45 with the lines in order, each carrying its own line number.
BlockValue IoWriteBlock(const std::vector<IoChannelEntry>& lines);

// A check box cell: "1" ticked, "" not; any other text counts by its number.
uint8_t CellFlag(const wxString& text);
// Line k as the grid shows it; a Type text that is no choice keeps `previousType`.
IoChannelEntry IoLineFromCells(int line, const wxString& enableText, const wxString& typeText,
                               uint8_t previousType);

// The four analog inputs, channel i's enable at i.
constexpr int AdcChannelCount = 4;
using AdcEnables = std::array<uint8_t, AdcChannelCount>;

BlockRef AdcReadBlock();
// Element i is channel i whatever index byte it carries; any enable but 0 is 1.
AdcEnables DecodeAdc(const BlockBytes& bytes);
// Datablock 54: index 0..3 and each channel's enable.
BlockValue AdcWriteBlock(const AdcEnables& enables);
