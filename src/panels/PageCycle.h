// What every configuration page does with message records, without a
// window: the read request of its datablocks, their values out of the reply,
// the write request ending with the section save, and the echo check against
// the page's own copy of what it sent (the exchange clears the request before
// it receives, so the reply is all that is left in the record).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "cmd_msg.h"

using BlockBytes = std::vector<uint8_t>;

// One datablock of a read: id, element count and first element index.
struct BlockRef {
    uint16_t id;
    uint8_t count = 1;
    uint8_t index = 0;
};

// One datablock of a write: its elements' bytes, count times the element size.
struct BlockValue {
    uint16_t id;
    uint8_t count;
    uint8_t index;
    BlockBytes bytes;
};

// The section byte of no DATABLOCK_SAVE: a write without a section save.
constexpr uint8_t NoSection = 0;

// count times the id's element size; 0 for an id outside the table.
size_t BlockSize(uint16_t id, uint8_t count);

// One-element write of an id whose bytes the caller gives whole.
BlockValue MakeBlock(uint16_t id, BlockBytes bytes, uint8_t count = 1, uint8_t index = 0);

// Read request (counter 1, destination 0, action 0) of `blocks`, finalised.
// False at the first refused datablock; the last error says why (-4).
bool BuildReadRequest(VEMTOR_COMMAND_MSG* msg, const std::vector<BlockRef>& blocks);

// The values of `blocks` out of a reply, in order, each from the first
// element the reply's datablock carries. False at the first one
// missing or carrying fewer elements than asked, always with the last error
// -5 ("datablock not found"), never an older error.
bool TakeBlocks(const VEMTOR_COMMAND_MSG* reply, const std::vector<BlockRef>& blocks,
                std::vector<BlockBytes>* values);

// Write request (counter 1, destination 0, action 1) of `blocks`, then
// DATABLOCK_SAVE = section unless it is NoSection, finalised. A block whose
// bytes are not count times its element size is refused like one the
// library refuses (-4); nothing is copied past what the block holds.
bool BuildWriteRequest(VEMTOR_COMMAND_MSG* msg, const std::vector<BlockValue>& blocks, uint8_t section);

// The first datablock of a write whose echo is missing or differs in any
// byte (element index bytes included): its position in `blocks`, or blocks.size() for the section byte;
// -1 when the reply echoes everything.
int FirstEchoMismatch(const VEMTOR_COMMAND_MSG* reply, const std::vector<BlockValue>& blocks, uint8_t section);
