#include "RingBuffer.h"

#include <cstring>

bool RingBufferInit(RingBuffer* buffer, int32_t capacity)
{
    if (capacity < 1 || capacity > RING_BUFFER_CAPACITY_MAX)
        return false;
    buffer->size = capacity + 1;
    buffer->head = 0;
    buffer->tail = 0;
    memset(buffer->data, 0, sizeof buffer->data);
    return true;
}

int32_t RingBufferIsFull(const RingBuffer* buffer)
{
    return (buffer->tail + 1) % buffer->size == buffer->head ? 1 : 0;
}

int32_t RingBufferIsEmpty(const RingBuffer* buffer)
{
    return buffer->tail == buffer->head ? 1 : 0;
}

void RingBufferPut(RingBuffer* buffer, uint8_t byte)
{
    buffer->data[buffer->tail] = byte;
    buffer->tail = (buffer->tail + 1) % buffer->size;
    if (buffer->tail == buffer->head)
        buffer->head = (buffer->head + 1) % buffer->size;
}

void RingBufferGet(RingBuffer* buffer, uint8_t* out)
{
    *out = buffer->data[buffer->head];
    buffer->head = (buffer->head + 1) % buffer->size;
}
