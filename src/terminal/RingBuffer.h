// A fixed-capacity first-in-first-out store of bytes: plain functions over a
// plain record, no allocation. When full, a new byte drops the oldest.
#pragma once

#include <cstdint>

// The largest capacity a record holds; one slot more always stays free.
constexpr int32_t RING_BUFFER_CAPACITY_MAX = 65000;

struct RingBuffer {
    int32_t size;  // slots: the capacity plus 1
    int32_t head;  // the oldest byte, next to take out
    int32_t tail;  // the slot the next byte goes into
    uint8_t data[RING_BUFFER_CAPACITY_MAX + 1];
};

// Empties the buffer and sets its capacity. False, with the record left as
// it was, for a capacity below 1 or above RING_BUFFER_CAPACITY_MAX.
bool RingBufferInit(RingBuffer* buffer, int32_t capacity);
int32_t RingBufferIsFull(const RingBuffer* buffer);
int32_t RingBufferIsEmpty(const RingBuffer* buffer);
void RingBufferPut(RingBuffer* buffer, uint8_t byte);
// Only when RingBufferIsEmpty is 0: takes out the oldest byte.
void RingBufferGet(RingBuffer* buffer, uint8_t* out);
