// Fuzz target over the datablock walk alone: the input becomes a received
// message's data area, whatever it holds, and is walked with
// cmd_msg_get_block.
//
// Input: one walk-seed byte, then the data area (its size is dataLength).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "block_walk.h"
#include "cmd_msg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Two 64 KiB areas: kept off the stack and allocated once.
    static VEMTOR_COMMAND_MSG* const msg = new VEMTOR_COMMAND_MSG();
    if (size < 1)
        return 0;
    const size_t len = std::min<size_t>(size - 1, 65535);
    msg->dataLength[0] = static_cast<uint8_t>(len >> 8);
    msg->dataLength[1] = static_cast<uint8_t>(len);
    std::memcpy(msg->data, data + 1, len);
    // What earlier inputs left behind dataLength stays: the walk must not
    // look at it.
    fuzz_walk_blocks(msg, data[0]);
    return 0;
}
