#include "cmd_msg.h"

#include <atomic>
#include <cstring>

#include "cmd_error.h"

const DATABLOCK_INFO datablock_table[DATABLOCK_MAX_ID + 1] = {
    {1, 1},    // 0
    {1, 1},    // 1
    {6, 1},    // 2 MAC
    {4, 1},    // 3
    {32, 1},   // 4
    {1, 1},    // 5 network type
    {1, 1},    // 6 security
    {1, 1},    // 7
    {1, 1},    // 8 RF power
    {63, 1},   // 9 key
    {32, 1},   // 10 SSID
    {1, 1},    // 11 ad-hoc
    {1, 1},    // 12 channel
    {1, 1},    // 13 DHCP
    {4, 1},    // 14 IP
    {4, 1},    // 15 netmask
    {4, 1},    // 16 gateway
    {4, 1},    // 17
    {42, 1},   // 18
    {2, 1},    // 19
    {2, 1},    // 20
    {2, 1},    // 21
    {2, 1},    // 22
    {4, 1},    // 23
    {1, 1},    // 24 save
    {1, 1},    // 25
    {1, 1},    // 26
    {1, 1},    // 27
    {1, 1},    // 28
    {1, 1},    // 29
    {1, 1},    // 30
    {1, 1},    // 31
    {1, 1},    // 32
    {1, 1},    // 33 UART stop bits
    {1, 1},    // 34 UART parity
    {4, 1},    // 35 UART baud rate
    {1, 1},    // 36
    {18, 8},   // 37 sockets
    {67, 1},   // 38 module info
    {32, 1},   // 39 alias
    {5, 50},   // 40 CAN messages
    {8, 14},   // 41 CAN signals
    {1, 1},    // 42
    {4, 14},   // 43
    {11, 1},   // 44 CAN settings
    {3, 8},    // 45 I/O
    {44, 1},   // 46 advanced
    {5, 50},   // 47 CAN execution messages
    {7, 1},    // 48 I2C
    {1, 1},    // 49
    {3, 1},    // 50
    {12, 1},   // 51 power save
    {5, 1},    // 52 sleep now
    {4, 1},    // 53 running counter
    {2, 4},    // 54 ADC
    {128, 1},  // 55
    {0, 0},    // 56
};

namespace {

uint16_t get_be16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

void put_be16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v >> 8);
    p[1] = static_cast<uint8_t>(v);
}

bool block_request_valid(uint16_t id, uint8_t count, uint8_t index)
{
    return id <= DATABLOCK_MAX_ID && count >= 1 &&
           static_cast<unsigned>(index) + count <= datablock_table[id].max;
}

// The two Modbus tables: high and low byte of the CRC of each byte value.
struct CrcTables {
    uint8_t hi[256];
    uint8_t lo[256];
    constexpr CrcTables() : hi(), lo()
    {
        for (unsigned i = 0; i < 256; ++i) {
            unsigned crc = i;
            for (int b = 0; b < 8; ++b)
                crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
            hi[i] = static_cast<uint8_t>(crc >> 8);
            lo[i] = static_cast<uint8_t>(crc);
        }
    }
};

constexpr CrcTables crc_tables;

struct CrcRegister {
    uint8_t hi = 0xFF;
    uint8_t lo = 0xFF;
    void step(uint8_t byte)
    {
        uint8_t idx = lo ^ byte;
        lo = hi ^ crc_tables.lo[idx];
        hi = crc_tables.hi[idx];
    }
    uint16_t value() const { return static_cast<uint16_t>(hi << 8 | lo); }
};

std::atomic<uint16_t> crc_running{0xFFFF};

}  // namespace

uint16_t crc16_modbus(const void* bytes, size_t length)
{
    const uint8_t* p = static_cast<const uint8_t*>(bytes);
    CrcRegister r;
    for (size_t i = 0; i < length; ++i)
        r.step(p[i]);
    return r.value();
}

uint16_t crc16_modbus_update(uint8_t byte, uint8_t restart)
{
    uint16_t prev = restart == 1 ? 0xFFFF : crc_running.load();
    CrcRegister r;
    r.hi = static_cast<uint8_t>(prev >> 8);
    r.lo = static_cast<uint8_t>(prev);
    r.step(byte);
    crc_running.store(r.value());
    return r.value();
}

bool host_is_big_endian()
{
    const uint16_t probe = 1;
    uint8_t first;
    memcpy(&first, &probe, 1);
    return first == 0;
}

uint16_t swap16(uint16_t v)
{
    return static_cast<uint16_t>(v << 8 | v >> 8);
}

uint32_t swap32(uint32_t v)
{
    return (v << 24) | ((v << 8) & 0x00FF0000u) | ((v >> 8) & 0x0000FF00u) | (v >> 24);
}

void cmd_msg_clear(VEMTOR_COMMAND_MSG* msg)
{
    memset(msg, 0, sizeof *msg);
}

void cmd_msg_reset(uint8_t full, VEMTOR_COMMAND_MSG* msg)
{
    if (full == 1) {
        cmd_msg_clear(msg);
        return;
    }
    memset(msg->head, 0, CMD_MSG_HEADER_SIZE);
    memset(msg->data, 0, sizeof msg->data);
    memset(msg->crc, 0, sizeof msg->crc);
    memset(msg->term, 0, sizeof msg->term);
    msg->stato_elab = 0;
}

void cmd_msg_init(VEMTOR_COMMAND_MSG* msg, uint16_t msgCnt, uint8_t dest, uint16_t action)
{
    cmd_msg_clear(msg);
    msg->head[0] = 'S';
    msg->head[1] = 'T';
    put_be16(msg->msgCnt, msgCnt);
    msg->dest = dest;
    put_be16(msg->action, action);
    msg->term[0] = 'E';
    msg->term[1] = 'N';
}

bool cmd_msg_add_block(VEMTOR_COMMAND_MSG* msg, uint16_t id, uint8_t count, uint8_t index,
                       const void* values)
{
    if (!block_request_valid(id, count, index)) {
        cmd_set_error(CMD_ERR_DATABLOCK_NOT_ADDED);
        return false;
    }
    size_t value_bytes = values ? static_cast<size_t>(count) * datablock_table[id].size : 0;
    size_t end = static_cast<size_t>(msg->idx_data) + DATABLOCK_HEADER_SIZE + value_bytes;
    if (end > CMD_MSG_MAX_DATA) {
        cmd_set_error(CMD_ERR_DATABLOCK_NOT_ADDED);
        return false;
    }
    uint8_t* p = msg->data + msg->idx_data;
    p[0] = count;
    put_be16(p + 1, id);
    p[3] = index;
    if (value_bytes)
        memcpy(p + DATABLOCK_HEADER_SIZE, values, value_bytes);
    msg->idx_data = static_cast<uint16_t>(end);
    return true;
}

void cmd_msg_finalize(VEMTOR_COMMAND_MSG* msg)
{
    put_be16(msg->dataLength, msg->idx_data);
    uint16_t crc = crc16_modbus(msg, CMD_MSG_HEADER_SIZE + msg->idx_data);
    put_be16(msg->crc, crc);
}

bool cmd_msg_get_block(const VEMTOR_COMMAND_MSG* msg, uint16_t id, uint8_t count, uint8_t index,
                       void* out)
{
    if (!block_request_valid(id, count, index)) {
        cmd_set_error(CMD_ERR_DATABLOCK_NOT_FOUND);
        return false;
    }
    const size_t len = cmd_msg_data_length(msg);
    size_t p = 0;
    // Every header and every value run must lie inside dataLength.
    for (;;) {
        if (p + DATABLOCK_HEADER_SIZE > len) {
            cmd_set_error(CMD_ERR_DATABLOCK_NOT_FOUND);
            return false;
        }
        const uint8_t c = msg->data[p];
        const uint8_t block_id = msg->data[p + 2];
        if (block_id > DATABLOCK_MAX_ID) {
            cmd_set_error(CMD_ERR_DATABLOCK_NOT_FOUND);
            return false;
        }
        const size_t values_end = p + DATABLOCK_HEADER_SIZE + static_cast<size_t>(c) * datablock_table[block_id].size;
        if (block_id == id) {
            if (values_end > len) {
                cmd_set_error(CMD_ERR_DATABLOCK_NOT_FOUND);
                return false;
            }
            if (static_cast<unsigned>(index) + count > c)
                return false;
            const size_t size = datablock_table[id].size;
            memcpy(out, msg->data + p + DATABLOCK_HEADER_SIZE + index * size, count * size);
            return true;
        }
        p = values_end;
    }
}

uint16_t cmd_msg_serialize(const VEMTOR_COMMAND_MSG* msg, uint8_t* buffer, uint16_t* length)
{
    const size_t body = CMD_MSG_HEADER_SIZE + static_cast<size_t>(cmd_msg_data_length(msg));
    memcpy(buffer, msg, body);
    memcpy(buffer + body, msg->crc, 2);
    memcpy(buffer + body + 2, msg->term, 2);
    *length = static_cast<uint16_t>(body + CMD_MSG_TRAILER_SIZE);
    return *length;
}

bool cmd_msg_is_complete(const VEMTOR_COMMAND_MSG* msg)
{
    return msg->stato_elab == CMD_ELAB_COMPLETE;
}

uint16_t cmd_msg_data_length(const VEMTOR_COMMAND_MSG* msg)
{
    return get_be16(msg->dataLength);
}

uint16_t cmd_msg_action(const VEMTOR_COMMAND_MSG* msg)
{
    return get_be16(msg->action);
}

uint16_t cmd_msg_count(const VEMTOR_COMMAND_MSG* msg)
{
    return get_be16(msg->msgCnt);
}

void cmd_msg_dump(FILE* stream, const VEMTOR_COMMAND_MSG* msg)
{
    const unsigned len = cmd_msg_data_length(msg);
    fprintf(stream, "============================VEMTOR_COMMAND_MSG=================================\n");
    fprintf(stream, "\t head=[%x][%x]\n", msg->head[0], msg->head[1]);
    fprintf(stream, "\t msgCnt=[%x][%x]->[%x]\n", msg->msgCnt[0], msg->msgCnt[1], cmd_msg_count(msg));
    fprintf(stream, "\t dest=[%x]\n", msg->dest);
    fprintf(stream, "\t dataLength=[%x][%x]->[%x]\n", msg->dataLength[0], msg->dataLength[1], len);
    fprintf(stream, "\t action=[%x][%x]->[%x]\n", msg->action[0], msg->action[1], cmd_msg_action(msg));
    fprintf(stream, "\t crc=[%x][%x]->[%x]\n", msg->crc[0], msg->crc[1], get_be16(msg->crc));
    fprintf(stream, "\t term=[%x][%x]\n\n", msg->term[0], msg->term[1]);
    fprintf(stream, "\t data= [");
    for (unsigned i = 0; i < len; ++i)
        fprintf(stream, "%x ", msg->data[i]);
    fprintf(stream, "]\n\n");
    fprintf(stream, "\t HEX COMM= [");
    const uint8_t* raw = reinterpret_cast<const uint8_t*>(msg);
    for (unsigned i = 0; i < CMD_MSG_HEADER_SIZE + len; ++i)
        fprintf(stream, "%x ", raw[i]);
    fprintf(stream, "%x %x %x %x", msg->crc[0], msg->crc[1], msg->term[0], msg->term[1]);
    fprintf(stream, "]\n");
    fprintf(stream, "\t stato_elab=%d idx_buffer=[%d], idx_stop_buffer[%d], idx_data=[%d]\n", msg->stato_elab,
            msg->idx_buffer, msg->idx_stop_buffer, msg->idx_data);
    fprintf(stream, "===============================================================================\n\n");
}
