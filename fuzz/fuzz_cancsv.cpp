// Fuzz target over the CAN signal list file as Load reads it into the
// 14-row signal grid. The grid is kept from one input to the next, as the
// page keeps it between loads; the Msg_ID column shows hexadecimal for
// inputs of an odd size, decimal otherwise.
#include <stdio.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "CanCsv.h"
#include "file_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    AbortOnToolkitAssert();
    static std::vector<SignalCells> rows(14);
    FILE* in = size ? fmemopen(const_cast<uint8_t*>(data), size, "r") : nullptr;
    if (!in)
        return 0;
    ReadSignalCsv(in, &rows, size % 2 == 1);
    fclose(in);
    return 0;
}
