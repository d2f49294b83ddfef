#include "block_walk.h"

#include <sanitizer/asan_interface.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "cmd_error.h"

namespace {

// A code no walk records, to see whether a call left the last error alone.
constexpr int UNTOUCHED = 1234;
// The most any request can ask for: 255 elements of the largest size.
constexpr size_t OUT_CAPACITY = 255 * 128;
constexpr size_t GUARD_SIZE = 64;
constexpr uint8_t GUARD_BYTE = 0xA5;

enum class Outcome { Found, NotFound, TooFew, NotFoundOrTooFew };

struct Expected {
    Outcome outcome;
    size_t offset;  // of the first value copied, when found
};

size_t element_size(uint16_t id)
{
    return id <= DATABLOCK_MAX_ID ? datablock_table[id].size : 0;
}

// The walk as the frame layout defines it, reading nothing at or behind
// dataLength: a header or value run cut by dataLength ends the walk, and so
// does an id without an element size, which cannot be stepped over.
Expected reference_get(const uint8_t* data, size_t len, uint16_t id, uint8_t count, uint8_t index)
{
    if (id > DATABLOCK_MAX_ID || count == 0 || index + count > datablock_table[id].max)
        return {Outcome::NotFound, 0};
    size_t p = 0;
    for (;;) {
        if (p + DATABLOCK_HEADER_SIZE > len)
            return {Outcome::NotFound, 0};
        const uint8_t c = data[p];
        const uint8_t block_id = data[p + 2];  // the high byte is not compared
        if (block_id > DATABLOCK_MAX_ID)
            return {Outcome::NotFound, 0};
        const size_t end = p + DATABLOCK_HEADER_SIZE + c * element_size(block_id);
        if (block_id == id) {
            const bool cut = end > len;
            const bool too_few = index + count > c;
            // Which of the two a walk reports first is its own business.
            if (cut && too_few)
                return {Outcome::NotFoundOrTooFew, 0};
            if (cut)
                return {Outcome::NotFound, 0};
            if (too_few)
                return {Outcome::TooFew, 0};
            return {Outcome::Found, p + DATABLOCK_HEADER_SIZE + index * element_size(id)};
        }
        p = end;
    }
}

void check_one(const VEMTOR_COMMAND_MSG* msg, uint16_t id, uint8_t count, uint8_t index)
{
    const size_t len = cmd_msg_data_length(msg);
    const Expected want = reference_get(msg->data, len, id, count, index);

    // The output ends where its heap block ends, so a longer copy runs into
    // the allocator's red zone.
    static uint8_t* const out_block = new uint8_t[OUT_CAPACITY];
    const size_t size = count * element_size(id);
    uint8_t* const out = out_block + OUT_CAPACITY - size;
    // A copy that starts too early shows in the bytes just before.
    const size_t guard = std::min<size_t>(GUARD_SIZE, OUT_CAPACITY - size);
    std::memset(out - guard, GUARD_BYTE, guard);
    cmd_set_error(UNTOUCHED);
    const bool got = cmd_msg_get_block(msg, id, count, index, out);
    const int error = cmd_get_error();
    static const std::vector<uint8_t> intact(GUARD_SIZE, GUARD_BYTE);
    FUZZ_CHECK(std::memcmp(out - guard, intact.data(), guard) == 0);

    switch (want.outcome) {
    case Outcome::Found:
        FUZZ_CHECK(got);
        FUZZ_CHECK(want.offset + size <= len);
        FUZZ_CHECK(size == 0 || std::memcmp(out, msg->data + want.offset, size) == 0);
        break;
    case Outcome::NotFound:
        FUZZ_CHECK(!got);
        FUZZ_CHECK(error == CMD_ERR_DATABLOCK_NOT_FOUND);
        break;
    case Outcome::TooFew:
        FUZZ_CHECK(!got);
        FUZZ_CHECK(error == UNTOUCHED);
        break;
    case Outcome::NotFoundOrTooFew:
        FUZZ_CHECK(!got);
        FUZZ_CHECK(error == CMD_ERR_DATABLOCK_NOT_FOUND || error == UNTOUCHED);
        break;
    }
}

}  // namespace

uint16_t fuzz_crc16(const uint8_t* p, size_t n)
{
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int b = 0; b < 8; ++b)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
    }
    return crc;
}

void fuzz_walk_blocks(VEMTOR_COMMAND_MSG* msg, uint8_t seed)
{
    uint8_t* const behind = msg->data + cmd_msg_data_length(msg);
    const size_t behind_size = reinterpret_cast<uint8_t*>(msg + 1) - behind;
    ASAN_POISON_MEMORY_REGION(behind, behind_size);

    static const uint16_t extra_ids[] = {0x0100 | DATABLOCK_MODULE_INFO, 0x2700 | DATABLOCK_ALIAS, 0xFFFF};
    auto walk_id = [&](uint16_t id) {
        const uint8_t m = id <= DATABLOCK_MAX_ID ? datablock_table[id].max : 1;
        const uint8_t pairs[][2] = {
            {1, 0},
            {m, 0},
            {1, static_cast<uint8_t>(m - 1)},
            {m, 1},
            {2, 0},
            {0, 0},
            {255, 0},
            {1, 255},
            {static_cast<uint8_t>(seed & 0x0F), static_cast<uint8_t>(seed >> 4)},
            {static_cast<uint8_t>(seed >> 3), static_cast<uint8_t>(seed & 0x07)},
        };
        for (const auto& pair : pairs)
            check_one(msg, id, pair[0], pair[1]);
    };
    for (uint16_t id = 0; id <= DATABLOCK_MAX_ID + 1; ++id)
        walk_id(id);
    for (uint16_t id : extra_ids)
        walk_id(id);

    ASAN_UNPOISON_MEMORY_REGION(behind, behind_size);
}
