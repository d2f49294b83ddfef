// The framed command message of the module configuration protocol, its
// datablocks, the datablock table and the CRC. Pure functions over bytes: no
// socket, no allocation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

constexpr uint16_t CMD_ACTION_GET = 0;
constexpr uint16_t CMD_ACTION_SET = 1;
constexpr uint16_t CMD_ACTION_NO_REPLY = 4;

constexpr size_t CMD_MSG_DATA_SIZE = 65536;
constexpr size_t CMD_MSG_RX_BUFFER_SIZE = 65536;
// Head, msgCnt, dest, dataLength and action.
constexpr uint16_t CMD_MSG_HEADER_SIZE = 9;
// CRC and terminator.
constexpr uint16_t CMD_MSG_TRAILER_SIZE = 4;
constexpr uint16_t CMD_MSG_FRAME_OVERHEAD = CMD_MSG_HEADER_SIZE + CMD_MSG_TRAILER_SIZE;
// A frame's length travels in 16 bits, so its data can hold at most this much.
constexpr uint16_t CMD_MSG_MAX_DATA = 65535 - CMD_MSG_FRAME_OVERHEAD;
// Receive state of a message holding one whole valid frame.
constexpr uint8_t CMD_ELAB_COMPLETE = 15;

constexpr uint16_t DATABLOCK_HEADER_SIZE = 4;
constexpr uint16_t DATABLOCK_MAX_ID = 56;

enum DATABLOCK_ID : uint16_t {
    DATABLOCK_MAC = 2,
    DATABLOCK_NETWORK_TYPE = 5,
    DATABLOCK_SECURITY = 6,
    DATABLOCK_NETWORK_7 = 7,
    DATABLOCK_RF_POWER = 8,
    DATABLOCK_KEY = 9,
    DATABLOCK_SSID = 10,
    DATABLOCK_ADHOC = 11,
    DATABLOCK_CHANNEL = 12,
    DATABLOCK_DHCP = 13,
    DATABLOCK_IP = 14,
    DATABLOCK_NETMASK = 15,
    DATABLOCK_GATEWAY = 16,
    DATABLOCK_SAVE = 24,
    DATABLOCK_UART_STOP_BITS = 33,
    DATABLOCK_UART_PARITY = 34,
    DATABLOCK_UART_BAUD_RATE = 35,
    DATABLOCK_SOCKETS = 37,
    DATABLOCK_MODULE_INFO = 38,
    DATABLOCK_ALIAS = 39,
    DATABLOCK_CAN_MESSAGES = 40,
    DATABLOCK_CAN_SIGNALS = 41,
    DATABLOCK_CAN_SETTINGS = 44,
    DATABLOCK_IO = 45,
    DATABLOCK_ADVANCED = 46,
    DATABLOCK_CAN_EXEC_MESSAGES = 47,
    DATABLOCK_I2C = 48,
    DATABLOCK_FILTER_TYPE = 49,
    DATABLOCK_TASK_CONFIG = 50,
    DATABLOCK_POWERSAVE = 51,
    DATABLOCK_SLEEP_NOW = 52,
    DATABLOCK_RUNNING_COUNTER = 53,
    DATABLOCK_ADC = 54,
};

// The section a configuration write saves: the one byte of DATABLOCK_SAVE.
enum CONF_SECTION : uint8_t {
    CONF_SECTION_NETWORK = 1,
    CONF_SECTION_UART = 2,
    CONF_SECTION_SOCKETS = 3,
    CONF_SECTION_ALIAS = 4,
    CONF_SECTION_CAN_MESSAGES = 5,
    CONF_SECTION_CAN_SETTINGS = 6,
    CONF_SECTION_IO = 7,
    CONF_SECTION_ADVANCED = 8,
    CONF_SECTION_I2C = 9,
    CONF_SECTION_POWERSAVE = 10,
    CONF_SECTION_ADC = 11,
};

struct DATABLOCK_INFO {
    uint8_t size;  // element size in bytes
    uint8_t max;   // maximum element count
};

// Indexed by datablock id 0..56.
extern const DATABLOCK_INFO datablock_table[DATABLOCK_MAX_ID + 1];

// Header of one datablock in a message's data; `count` elements of the id's
// size follow it, except in a read request.
struct DATABLOCK {
    uint8_t count;
    uint8_t id[2];  // most significant byte first
    uint8_t index;  // module-side index of the first element carried
};

// MODULE_INFO on the wire (datablock 38, 67 bytes).
constexpr size_t MODULE_INFO_SIZE = 67;
constexpr size_t MODULE_INFO_FIRMWARE_OFFSET = 0;
constexpr size_t MODULE_INFO_TYPE_OFFSET = 32;
constexpr size_t MODULE_INFO_ALIAS_OFFSET = 33;
constexpr size_t MODULE_INFO_BUFFER_SIZE_OFFSET = 65;
constexpr size_t MODULE_TEXT_SIZE = 32;

// One message, request or reply. Header and data lie in wire order and wire
// byte order with no gap, so the CRC is computed over the record itself.
struct VEMTOR_COMMAND_MSG {
    uint8_t head[2];
    uint8_t msgCnt[2];
    uint8_t dest;
    uint8_t dataLength[2];
    uint8_t action[2];
    uint8_t data[CMD_MSG_DATA_SIZE];
    uint8_t crc[2];
    uint8_t term[2];
    // Receive state.
    uint8_t stato_elab;
    uint8_t buffer[CMD_MSG_RX_BUFFER_SIZE];
    uint16_t idx_buffer;       // parse position in buffer
    uint16_t idx_stop_buffer;  // fill level of buffer
    uint16_t idx_data;         // building: next block offset; receiving: data bytes so far
};

static_assert(offsetof(VEMTOR_COMMAND_MSG, data) == CMD_MSG_HEADER_SIZE, "header must be packed");
static_assert(offsetof(VEMTOR_COMMAND_MSG, crc) == CMD_MSG_HEADER_SIZE + CMD_MSG_DATA_SIZE, "crc follows data");

void cmd_msg_clear(VEMTOR_COMMAND_MSG* msg);
// full == 1: clear everything. Otherwise clear header, data, state, CRC and
// terminator, and keep the receive buffer with its positions.
void cmd_msg_reset(uint8_t full, VEMTOR_COMMAND_MSG* msg);
inline void cmd_msg_reset(VEMTOR_COMMAND_MSG* msg, uint8_t full)
{
    cmd_msg_reset(full, msg);
}
void cmd_msg_init(VEMTOR_COMMAND_MSG* msg, uint16_t msgCnt, uint8_t dest, uint16_t action);
// Appends a datablock; values may be null (read request). Refused with -4 for
// a bad id, count or index, or when the frame would pass 65535 bytes.
bool cmd_msg_add_block(VEMTOR_COMMAND_MSG* msg, uint16_t id, uint8_t count, uint8_t index,
                       const void* values);
void cmd_msg_finalize(VEMTOR_COMMAND_MSG* msg);
// Copies `count` elements of the first block with `id`, from element `index`
// of that block, into out. Never reads past dataLength (-5).
bool cmd_msg_get_block(const VEMTOR_COMMAND_MSG* msg, uint16_t id, uint8_t count, uint8_t index,
                       void* out);
// Writes the wire frame into buffer (room for dataLength + 13 bytes).
uint16_t cmd_msg_serialize(const VEMTOR_COMMAND_MSG* msg, uint8_t* buffer, uint16_t* length);
bool cmd_msg_is_complete(const VEMTOR_COMMAND_MSG* msg);
void cmd_msg_dump(FILE* stream, const VEMTOR_COMMAND_MSG* msg);

uint16_t cmd_msg_data_length(const VEMTOR_COMMAND_MSG* msg);
uint16_t cmd_msg_action(const VEMTOR_COMMAND_MSG* msg);
uint16_t cmd_msg_count(const VEMTOR_COMMAND_MSG* msg);

// Feeds received bytes into msg (receive state machine). The caller reads
// stato_elab afterwards; either callback may be null.
using cmd_msg_callback = void (*)(VEMTOR_COMMAND_MSG*);
void cmd_msg_elab(const uint8_t* bytes, size_t n, VEMTOR_COMMAND_MSG* msg,
                  cmd_msg_callback on_complete, cmd_msg_callback on_error);

// CRC-16/MODBUS (poly 0xA001 reflected, init 0xFFFF); length 0 gives 0xFFFF.
uint16_t crc16_modbus(const void* bytes, size_t length);
// The same, one byte at a time over a library-wide register.
uint16_t crc16_modbus_update(uint8_t byte, uint8_t restart);

bool host_is_big_endian();
uint16_t swap16(uint16_t v);
uint32_t swap32(uint32_t v);
