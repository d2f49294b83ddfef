// Helpers for the configuration pages' tests: replies built by the test
// module's own framing and parsed by the library, the way a page gets them.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>
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
inline std::unique_ptr<VEMTOR_COMMAND_MSG> Reply(const std::vector<testmod::Block>& blocks,
                                                 uint16_t action = 0)
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

inline std::vector<testmod::Block> BlocksOf(const testmod::Frame& f)
{
    std::vector<testmod::Block> blocks;
    testmod::DecodeBlocks(f.data, f.action != 0, &blocks);
    return blocks;
}

using BlockList = std::vector<std::tuple<int, int, int, testmod::Bytes>>;

inline BlockList Tuples(const std::vector<testmod::Block>& blocks)
{
    BlockList out;
    for (const testmod::Block& b : blocks)
        out.emplace_back(b.id, b.count, b.index, b.values);
    return out;
}

// id, count, index and bytes of each block, to compare a whole write at once.
inline BlockList Tuples(const std::vector<BlockValue>& blocks)
{
    BlockList out;
    for (const BlockValue& b : blocks)
        out.emplace_back(b.id, b.count, b.index, b.bytes);
    return out;
}

inline testmod::Bytes Field(const std::string& text, size_t size)
{
    testmod::Bytes bytes(text.begin(), text.end());
    bytes.resize(size, 0);
    return bytes;
}

// One socket record (datablock 37) as the module stores it.
inline testmod::Bytes SocketEntry(uint8_t index, uint8_t active, uint8_t type, uint16_t local,
                                  uint16_t serverPort, const testmod::Bytes& ip, uint8_t closeRule,
                                  uint16_t timeout, uint8_t count)
{
    // clang-format off
    return {index, active, 0, type, uint8_t(local >> 8), uint8_t(local), uint8_t(serverPort >> 8),
            uint8_t(serverPort), ip.at(0), ip.at(1), ip.at(2), ip.at(3), closeRule, 0, 0,
            uint8_t(timeout >> 8), uint8_t(timeout), count};
    // clang-format on
}

inline std::string ReadFile(const std::filesystem::path& path)
{
    std::stringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}

// A fresh temporary folder, removed with all it holds.
struct TempDir {
    TempDir()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "vantrel-test-XXXXXX").string();
        path = mkdtemp(tmpl.data());
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string File(const char* name) const { return (path / name).string(); }
    std::filesystem::path path;
};

}  // namespace paneltest
