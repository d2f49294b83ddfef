#include "PageCycle.h"

#include "cmd_error.h"

size_t BlockSize(uint16_t id, uint8_t count)
{
    return id <= DATABLOCK_MAX_ID ? size_t(datablock_table[id].size) * count : 0;
}

BlockValue MakeBlock(uint16_t id, BlockBytes bytes, uint8_t count, uint8_t index)
{
    return BlockValue{id, count, index, std::move(bytes)};
}

bool BuildReadRequest(VEMTOR_COMMAND_MSG* msg, const std::vector<BlockRef>& blocks)
{
    cmd_msg_init(msg, 1, 0, CMD_ACTION_GET);
    for (const BlockRef& b : blocks)
        if (!cmd_msg_add_block(msg, b.id, b.count, b.index, nullptr))
            return false;
    cmd_msg_finalize(msg);
    return true;
}

bool TakeBlocks(const VEMTOR_COMMAND_MSG* reply, const std::vector<BlockRef>& blocks,
                std::vector<BlockBytes>* values)
{
    std::vector<BlockBytes> taken;
    for (const BlockRef& b : blocks) {
        BlockBytes bytes(BlockSize(b.id, b.count));
        // A block shorter than asked leaves no error of its own behind.
        if (bytes.empty() || !cmd_msg_get_block(reply, b.id, b.count, 0, bytes.data())) {
            cmd_set_error(CMD_ERR_DATABLOCK_NOT_FOUND);
            return false;
        }
        taken.push_back(std::move(bytes));
    }
    *values = std::move(taken);
    return true;
}

bool BuildWriteRequest(VEMTOR_COMMAND_MSG* msg, const std::vector<BlockValue>& blocks, uint8_t section)
{
    cmd_msg_init(msg, 1, 0, CMD_ACTION_SET);
    for (const BlockValue& b : blocks) {
        if (b.bytes.size() != BlockSize(b.id, b.count) || b.bytes.empty()) {
            cmd_set_error(CMD_ERR_DATABLOCK_NOT_ADDED);
            return false;
        }
        if (!cmd_msg_add_block(msg, b.id, b.count, b.index, b.bytes.data()))
            return false;
    }
    if (section != NoSection && !cmd_msg_add_block(msg, DATABLOCK_SAVE, 1, 0, &section))
        return false;
    cmd_msg_finalize(msg);
    return true;
}

int FirstEchoMismatch(const VEMTOR_COMMAND_MSG* reply, const std::vector<BlockValue>& blocks, uint8_t section)
{
    for (size_t i = 0; i < blocks.size(); ++i) {
        const BlockValue& b = blocks[i];
        BlockBytes echo(BlockSize(b.id, b.count));
        if (echo.empty() || echo.size() != b.bytes.size() ||
            !cmd_msg_get_block(reply, b.id, b.count, 0, echo.data()) || echo != b.bytes)
            return int(i);
    }
    uint8_t saved = 0;
    if (section != NoSection && (!cmd_msg_get_block(reply, DATABLOCK_SAVE, 1, 0, &saved) || saved != section))
        return int(blocks.size());
    return -1;
}
