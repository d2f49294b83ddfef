// Helpers for the configuration pages' tests: replies built by the test
// module's own framing and parsed by the library, the way a page gets them.
#pragma once

#include <memory>
#include <vector>

#include "PageCycle.h"
#include "cmd_msg.h"
#include "test_module.h"

namespace paneltest {

// The record is ~131 KB: keep it off the test's stack.
inline std::unique_ptr<VEMTOR_COMMAND_MSG> NewMsg()
{
    auto m = std::make_unique<VEMTOR_COMMAND_MSG>();
    cmd_msg_clear(m.get());
    return m;
}

// A received reply holding `blocks` (with values), as after an exchange.
inline std::unique_ptr<VEMTOR_COMMAND_MSG> Reply(const std::vector<testmod::Block>& blocks, uint16_t action = 0)
{
    testmod::Frame f;
    f.action = action;
    f.data = testmod::EncodeBlocks(blocks);
    const testmod::Bytes wire = testmod::EncodeFrame(f);
    auto m = NewMsg();
    cmd_msg_elab(wire.data(), wire.size(), m.get(), nullptr, nullptr);
    return m;
}

// The blocks of a write, as the module's echo of it would carry them.
inline std::vector<testmod::Block> Echo(const std::vector<BlockValue>& blocks, int section)
{
    std::vector<testmod::Block> out;
    for (const BlockValue& b : blocks)
        out.push_back({b.count, b.id, b.index, b.bytes});
    if (section >= 0)
        out.push_back({1, DATABLOCK_SAVE, 0, {uint8_t(section)}});
    return out;
}

// The datablocks a request frame carries (headers, and values for a write).
inline std::vector<testmod::Block> BlocksOf(const testmod::Frame& f)
{
    std::vector<testmod::Block> blocks;
    testmod::DecodeBlocks(f.data, f.action != 0, &blocks);
    return blocks;
}

}  // namespace paneltest
