// Shared by the fuzz targets: walks a message's datablocks with
// cmd_msg_get_block and holds every answer against a reference walk written
// here from the frame layout. Any disagreement aborts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "cmd_msg.h"

#define FUZZ_CHECK(cond)                                                                  \
    do {                                                                                  \
        if (!(cond)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                 \
        }                                                                                 \
    } while (0)

// CRC-16/MODBUS bit by bit, apart from the library's table-driven one.
uint16_t fuzz_crc16(const uint8_t* p, size_t n);

// Asks for every id 0..57 (and ids whose high byte is set) with several
// count/index pairs, two of them taken from `seed`. Bytes of the record behind
// dataLength are made unreadable for the duration when built with
// AddressSanitizer, so the walk may not touch them.
void fuzz_walk_blocks(VEMTOR_COMMAND_MSG* msg, uint8_t seed);
