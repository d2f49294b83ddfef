// Fuzz target over the receive state machine: the input is cut into chunks
// of input-chosen sizes and fed to cmd_msg_elab; every frame that completes is
// checked and walked with cmd_msg_get_block.
//
// Input: four chunk-plan bytes used in turn (0: the rest in one chunk;
// 254: an empty call, then one byte; else that many bytes), one flags byte,
// one walk-seed byte, then the byte stream. Flags: bit 0 gives every whole
// frame in the stream its correct CRC first, so that mutated frames still get
// through to the walk; bit 1 feeds the stream inside one 70000-byte chunk of
// zeros, more than the receive buffer holds: at its start when bit 2 is set,
// else across the buffer's 65535-byte mark.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "block_walk.h"
#include "cmd_error.h"
#include "cmd_msg.h"

namespace {

constexpr size_t PLAN_SIZE = 4;
constexpr size_t PREFIX_SIZE = PLAN_SIZE + 2;
constexpr size_t LONG_CHUNK_SIZE = 70000;
constexpr size_t RX_CAPACITY = 65535;
constexpr uint8_t FLAG_FIX_CRC = 0x01;
constexpr uint8_t FLAG_LONG_CHUNK = 0x02;
constexpr uint8_t FLAG_LONG_AT_START = 0x04;
// The walk is the slow part; a stream of thousands of tiny frames walks only
// its first few.
constexpr unsigned MAX_WALKS = 4;
// Frames left buffered behind the last one fed.
constexpr unsigned MAX_DRAIN = 16;

enum : uint8_t { ST_DATA = 9, ST_CHECK = 14 };

struct Run {
    uint8_t seed = 0;
    unsigned completions = 0;
};
Run run;

void on_complete(VEMTOR_COMMAND_MSG* msg)
{
    ++run.completions;
    const size_t len = cmd_msg_data_length(msg);
    FUZZ_CHECK(msg->stato_elab == CMD_ELAB_COMPLETE);
    FUZZ_CHECK(msg->head[0] == 'S' && msg->head[1] == 'T');
    FUZZ_CHECK(msg->term[0] == 'E' && msg->term[1] == 'N');
    FUZZ_CHECK(msg->idx_data == len);
    const uint16_t crc = fuzz_crc16(reinterpret_cast<const uint8_t*>(msg), CMD_MSG_HEADER_SIZE + len);
    FUZZ_CHECK(crc == (msg->crc[0] << 8 | msg->crc[1]));
    if (run.completions <= MAX_WALKS)
        fuzz_walk_blocks(msg, run.seed);
}

void on_error(VEMTOR_COMMAND_MSG*)
{
    FUZZ_CHECK(cmd_get_error() == CMD_ERR_ELAB);
}

// What must hold whenever cmd_msg_elab returns.
void check_rest_state(const VEMTOR_COMMAND_MSG* msg, unsigned completions_before)
{
    const uint8_t state = msg->stato_elab;
    FUZZ_CHECK(msg->idx_buffer == 0);
    FUZZ_CHECK(state <= CMD_ELAB_COMPLETE);
    FUZZ_CHECK(state != ST_CHECK);  // the CRC is checked as soon as "EN" is in
    FUZZ_CHECK(state == CMD_ELAB_COMPLETE || msg->idx_stop_buffer == 0);
    FUZZ_CHECK(run.completions - completions_before == (state == CMD_ELAB_COMPLETE ? 1u : 0u));
    const uint16_t len = cmd_msg_data_length(msg);
    if (state == ST_DATA)
        FUZZ_CHECK(msg->idx_data < len);
    if (state > ST_DATA && state < CMD_ELAB_COMPLETE)
        FUZZ_CHECK(msg->idx_data == len);
}

void feed(VEMTOR_COMMAND_MSG* msg, const uint8_t* bytes, size_t n)
{
    const unsigned before = run.completions;
    cmd_msg_elab(bytes, n, msg, on_complete, on_error);
    check_rest_state(msg, before);
}

// Writes the right CRC into every frame that lies whole in the stream.
void fix_crcs(uint8_t* p, size_t n)
{
    size_t i = 0;
    while (i + CMD_MSG_FRAME_OVERHEAD <= n) {
        const size_t len = static_cast<size_t>(p[i + 5]) << 8 | p[i + 6];
        if (p[i] != 'S' || p[i + 1] != 'T' || i + CMD_MSG_FRAME_OVERHEAD + len > n) {
            ++i;
            continue;
        }
        const uint16_t crc = fuzz_crc16(p + i, CMD_MSG_HEADER_SIZE + len);
        p[i + CMD_MSG_HEADER_SIZE + len] = static_cast<uint8_t>(crc >> 8);
        p[i + CMD_MSG_HEADER_SIZE + len + 1] = static_cast<uint8_t>(crc);
        i += CMD_MSG_FRAME_OVERHEAD + len;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Two 64 KiB areas: kept off the stack and allocated once.
    static VEMTOR_COMMAND_MSG* const msg = new VEMTOR_COMMAND_MSG();
    static std::vector<uint8_t> long_chunk(LONG_CHUNK_SIZE);
    static std::vector<uint8_t> copy;
    if (size < PREFIX_SIZE)
        return 0;
    const uint8_t* plan = data;
    const uint8_t flags = data[PLAN_SIZE];
    run = Run{};
    run.seed = data[PLAN_SIZE + 1];
    const uint8_t* stream = data + PREFIX_SIZE;
    const size_t n = size - PREFIX_SIZE;
    if (flags & FLAG_FIX_CRC) {
        copy.assign(stream, stream + n);
        fix_crcs(copy.data(), n);
        stream = copy.data();
    }

    cmd_msg_clear(msg);
    if (flags & FLAG_LONG_CHUNK) {
        // Zeros hold no 'S', so the padding costs one pass.
        std::fill(long_chunk.begin(), long_chunk.end(), 0);
        const size_t at = (flags & FLAG_LONG_AT_START) ? 0 : RX_CAPACITY - std::min(n, RX_CAPACITY) / 2;
        const size_t fit = std::min(n, LONG_CHUNK_SIZE - at);
        std::copy(stream, stream + fit, long_chunk.begin() + at);
        feed(msg, long_chunk.data(), LONG_CHUNK_SIZE);
    } else {
        size_t off = 0;
        for (size_t step = 0; off < n; ++step) {
            const uint8_t v = plan[step % PLAN_SIZE];
            if (v == 254) {
                feed(msg, stream + off, 0);
                feed(msg, stream + off, 1);
                ++off;
                continue;
            }
            const size_t take = v == 0 ? n - off : std::min<size_t>(v, n - off);
            feed(msg, stream + off, take);
            off += take;
        }
    }
    // Frames left buffered behind a completed one come out on later calls,
    // even empty ones.
    for (unsigned i = 0; i < MAX_DRAIN && cmd_msg_is_complete(msg) && msg->idx_stop_buffer > 0; ++i)
        feed(msg, stream, 0);
    return 0;
}
