// The signal list file of the CAN bus page: no header, one line per grid
// row, five fields joined by ",": message id, id type (0 Standard,
// 1 Extended), start bit, length and byte order (0 Intel, 1 Motorola).
//
// The file always holds the message id in decimal. Saving reads a Msg_ID
// cell in the base the grid shows; loading writes the file's decimal id into
// the cell in that base. A file therefore means the same whichever base the
// grid showed when it was saved or loaded.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "CanLogic.h"

// One line as saved, with its "\n".
std::string SignalCsvLine(const SignalCells& row, bool hex);
// Every row, in order. False when the stream refused a write.
bool WriteSignalCsv(FILE* out, const std::vector<SignalCells>& rows, bool hex);

// Sets the cells of `row` from one line as read: fields are separated by
// "," or ";", a run of separators counts as one, the line end is dropped.
// Missing fields, and an id type or byte order other than 0 or 1, leave
// their cells as they were; fields after the fifth are ignored.
void ApplySignalCsvLine(const std::string& line, SignalCells* row, bool hex);
// Reads lines of at most 99 characters (the rest of a longer line is the
// next line) into rows 0, 1, ... until the file or the rows end; a line
// without fields still takes its row. The number of lines taken.
size_t ReadSignalCsv(FILE* in, std::vector<SignalCells>* rows, bool hex);
