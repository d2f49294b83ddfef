#include "cmd_accessors.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>

#include "cmd_error.h"
#include "sock.h"

namespace {

using MsgPtr = std::unique_ptr<VEMTOR_COMMAND_MSG>;

// The record holds two 64 KiB areas: too much for a worker thread's stack.
MsgPtr new_request(uint16_t action)
{
    MsgPtr msg(new (std::nothrow) VEMTOR_COMMAND_MSG);
    if (!msg) {
        cmd_set_system_error(ENOMEM);
        return nullptr;
    }
    cmd_msg_init(msg.get(), 1, 0, action);
    return msg;
}

bool exchange(VEMTOR_COMMAND_MSG* msg, const char* ip, uint16_t port)
{
    cmd_msg_finalize(msg);
    return cmd_msg_transact(msg, ip, port);
}

// A write ends with the section the module is to save.
bool save_and_exchange(VEMTOR_COMMAND_MSG* msg, CONF_SECTION section, const char* ip, uint16_t port)
{
    const uint8_t value = section;
    return cmd_msg_add_block(msg, DATABLOCK_SAVE, 1, 0, &value) && exchange(msg, ip, port);
}

uint32_t get_be32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}

void put_be32(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

// Copies a fixed-size text field and terminates it; `out` has size + 1 bytes.
void copy_text(char* out, const uint8_t* field, size_t size)
{
    memcpy(out, field, size);
    out[size] = '\0';
}

// The first `size` characters of a NUL-terminated text, zero-padded.
void pad_text(uint8_t* field, const char* text, size_t size)
{
    memset(field, 0, size);
    memcpy(field, text, strnlen(text, size));
}

bool printable(const char* text, size_t max)
{
    const size_t n = strnlen(text, max);
    for (size_t i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c > 0x7F)
            return false;
    }
    return true;
}

// Reads the module's type; false when the read fails, or with -14 when the
// type is not one of `types`.
bool module_type_in(const char* ip, uint16_t port, const char* types, char* type)
{
    MODULE_INFO info;
    if (!cmd_get_module_info(ip, port, &info))
        return false;
    if (info.type == '\0' || !strchr(types, info.type)) {
        cmd_set_error(CMD_ERR_NOT_SUPPORTED);
        return false;
    }
    if (type)
        *type = info.type;
    return true;
}

// I/O lines a module type lacks: 'A' and 'B' have no lines 2 and 3, 'C' and
// 'S' no lines 0 and 1.
bool io_line_supported(char type, uint8_t line)
{
    if (type == 'A' || type == 'B')
        return line < 2;
    if (type == 'C' || type == 'S')
        return line >= 2;
    return true;
}

bool io_module_line(const char* ip, uint16_t port, uint8_t line)
{
    char type = 0;
    if (!module_type_in(ip, port, "ABCDES", &type))
        return false;
    if (!io_line_supported(type, line)) {
        cmd_set_error(CMD_ERR_NOT_SUPPORTED);
        return false;
    }
    return true;
}

std::mutex kept_can_lock;
CAN_SETTINGS_RECORD kept_can;
bool kept_can_valid = false;

// Reads datablock 44 into `out` and keeps it; the caller works on its own
// copy, so another thread's read cannot slip in between.
bool read_can_settings(const char* ip, uint16_t port, CAN_SETTINGS_RECORD* out)
{
    if (!module_type_in(ip, port, "AB", nullptr))
        return false;
    MsgPtr msg = new_request(CMD_ACTION_GET);
    uint8_t raw[CAN_SETTINGS_SIZE];
    if (!msg || !cmd_msg_add_block(msg.get(), DATABLOCK_CAN_SETTINGS, 1, 0, nullptr) ||
        !exchange(msg.get(), ip, port) || !cmd_msg_get_block(msg.get(), DATABLOCK_CAN_SETTINGS, 1, 0, raw))
        return false;
    out->bitRate = get_be32(raw);
    memcpy(out->bitTiming, raw + 4, CAN_BIT_TIMING_SIZE);
    out->acquisitionCode = raw[9];
    out->executionSelection = raw[10];
    std::lock_guard<std::mutex> guard(kept_can_lock);
    kept_can = *out;
    kept_can_valid = true;
    return true;
}

}  // namespace

bool cmd_get_module_info(const char* ip, uint16_t port, MODULE_INFO* info)
{
    if (!info)
        return false;
    MsgPtr msg = new_request(CMD_ACTION_GET);
    uint8_t raw[MODULE_INFO_SIZE];
    if (!msg || !cmd_msg_add_block(msg.get(), DATABLOCK_MODULE_INFO, 1, 0, nullptr) ||
        !exchange(msg.get(), ip, port) || !cmd_msg_get_block(msg.get(), DATABLOCK_MODULE_INFO, 1, 0, raw))
        return false;
    copy_text(info->firmware, raw + MODULE_INFO_FIRMWARE_OFFSET, MODULE_TEXT_SIZE);
    info->type = static_cast<char>(raw[MODULE_INFO_TYPE_OFFSET]);
    copy_text(info->alias, raw + MODULE_INFO_ALIAS_OFFSET, MODULE_TEXT_SIZE);
    info->bufferSize = static_cast<uint16_t>(raw[MODULE_INFO_BUFFER_SIZE_OFFSET] << 8 |
                                             raw[MODULE_INFO_BUFFER_SIZE_OFFSET + 1]);
    return true;
}

bool cmd_set_alias(const char* ip, uint16_t port, const char* alias)
{
    if (!alias || !printable(alias, strlen(alias))) {
        cmd_set_error(CMD_ERR_ALIAS);
        return false;
    }
    uint8_t field[MODULE_TEXT_SIZE];
    pad_text(field, alias, sizeof field);
    MsgPtr msg = new_request(CMD_ACTION_SET);
    return msg && cmd_msg_add_block(msg.get(), DATABLOCK_ALIAS, 1, 0, field) &&
           save_and_exchange(msg.get(), CONF_SECTION_ALIAS, ip, port);
}

bool cmd_get_uart(const char* ip, uint16_t port, UART_RECORD* uart)
{
    if (!uart || !module_type_in(ip, port, "FGCS", nullptr))
        return false;
    MsgPtr msg = new_request(CMD_ACTION_GET);
    if (!msg || !cmd_msg_add_block(msg.get(), DATABLOCK_UART_BAUD_RATE, 1, 0, nullptr) ||
        !cmd_msg_add_block(msg.get(), DATABLOCK_UART_PARITY, 1, 0, nullptr) ||
        !cmd_msg_add_block(msg.get(), DATABLOCK_UART_STOP_BITS, 1, 0, nullptr) ||
        !exchange(msg.get(), ip, port))
        return false;
    uint8_t baud[4];
    uint8_t parity = 0;
    uint8_t stop_bits = 0;
    if (!cmd_msg_get_block(msg.get(), DATABLOCK_UART_BAUD_RATE, 1, 0, baud) ||
        !cmd_msg_get_block(msg.get(), DATABLOCK_UART_PARITY, 1, 0, &parity) ||
        !cmd_msg_get_block(msg.get(), DATABLOCK_UART_STOP_BITS, 1, 0, &stop_bits))
        return false;
    uart->baudRate = get_be32(baud);
    uart->parity = parity;
    uart->stopBits = stop_bits;
    return true;
}

bool cmd_set_uart(const char* ip, uint16_t port, const UART_RECORD* uart)
{
    if (!uart || uart->parity > 2 || uart->stopBits > 2) {
        cmd_set_error(CMD_ERR_UART_CONF);
        return false;
    }
    if (!module_type_in(ip, port, "FGCS", nullptr))
        return false;
    uint8_t baud[4];
    put_be32(baud, uart->baudRate);
    MsgPtr msg = new_request(CMD_ACTION_SET);
    return msg && cmd_msg_add_block(msg.get(), DATABLOCK_UART_BAUD_RATE, 1, 0, baud) &&
           cmd_msg_add_block(msg.get(), DATABLOCK_UART_PARITY, 1, 0, &uart->parity) &&
           cmd_msg_add_block(msg.get(), DATABLOCK_UART_STOP_BITS, 1, 0, &uart->stopBits) &&
           save_and_exchange(msg.get(), CONF_SECTION_UART, ip, port);
}

bool cmd_get_network(const char* ip, uint16_t port, NETWORK_RECORD* network)
{
    if (!network)
        return false;
    static const uint16_t ids[] = {DATABLOCK_MAC,      DATABLOCK_NETWORK_TYPE, DATABLOCK_IP,
                                   DATABLOCK_NETMASK,  DATABLOCK_GATEWAY,      DATABLOCK_SSID,
                                   DATABLOCK_SECURITY, DATABLOCK_KEY,          DATABLOCK_CHANNEL,
                                   DATABLOCK_RF_POWER, DATABLOCK_NETWORK_7};
    MsgPtr msg = new_request(CMD_ACTION_GET);
    if (!msg)
        return false;
    for (uint16_t id : ids)
        if (!cmd_msg_add_block(msg.get(), id, 1, 0, nullptr))
            return false;
    if (!exchange(msg.get(), ip, port))
        return false;

    NETWORK_RECORD out = {};
    uint8_t type = 0;
    uint8_t ssid[NETWORK_SSID_SIZE];
    uint8_t key[NETWORK_KEY_SIZE];
    uint8_t rf_power = 0;
    uint8_t value7 = 0;
    const VEMTOR_COMMAND_MSG* reply = msg.get();
    if (!cmd_msg_get_block(reply, DATABLOCK_MAC, 1, 0, out.mac) ||
        !cmd_msg_get_block(reply, DATABLOCK_NETWORK_TYPE, 1, 0, &type) ||
        !cmd_msg_get_block(reply, DATABLOCK_IP, 1, 0, out.ip) ||
        !cmd_msg_get_block(reply, DATABLOCK_NETMASK, 1, 0, out.netmask) ||
        !cmd_msg_get_block(reply, DATABLOCK_GATEWAY, 1, 0, out.gateway) ||
        !cmd_msg_get_block(reply, DATABLOCK_SSID, 1, 0, ssid) ||
        !cmd_msg_get_block(reply, DATABLOCK_SECURITY, 1, 0, &out.security) ||
        !cmd_msg_get_block(reply, DATABLOCK_KEY, 1, 0, key) ||
        !cmd_msg_get_block(reply, DATABLOCK_CHANNEL, 1, 0, &out.channel) ||
        !cmd_msg_get_block(reply, DATABLOCK_RF_POWER, 1, 0, &rf_power) ||
        !cmd_msg_get_block(reply, DATABLOCK_NETWORK_7, 1, 0, &value7))
        return false;
    out.infrastructure = type == 1 ? 1 : 0;
    copy_text(out.ssid, ssid, sizeof ssid);
    copy_text(out.key, key, sizeof key);
    out.rfPower = rf_power;
    out.block7Value = value7;
    *network = out;
    return true;
}

bool cmd_set_network(const char* ip, uint16_t port, const NETWORK_RECORD* network)
{
    if (!network || network->infrastructure > 1 || network->security > 3 ||
        !printable(network->key, sizeof network->key) || !printable(network->ssid, sizeof network->ssid)) {
        cmd_set_error(CMD_ERR_NETWORK_CONF);
        return false;
    }
    if (network->channel < 1 || network->channel > 14 || network->rfPower > 2 || network->block7Value > 7)
        return false;

    uint8_t type = 1;
    if (!network->infrastructure)
        type = network->security == 0 ? 0 : 2;
    uint8_t gateway[4] = {};
    if (network->infrastructure)
        memcpy(gateway, network->gateway, sizeof gateway);
    uint8_t ssid[NETWORK_SSID_SIZE];
    pad_text(ssid, network->ssid, sizeof ssid);
    uint8_t key[NETWORK_KEY_SIZE] = {};
    if (network->security != 0)
        pad_text(key, network->key, sizeof key);
    const auto rf_power = static_cast<uint8_t>(network->rfPower);
    const auto value7 = static_cast<uint8_t>(network->block7Value);

    MsgPtr msg = new_request(CMD_ACTION_SET);
    VEMTOR_COMMAND_MSG* m = msg.get();
    return m && cmd_msg_add_block(m, DATABLOCK_NETWORK_TYPE, 1, 0, &type) &&
           cmd_msg_add_block(m, DATABLOCK_IP, 1, 0, network->ip) &&
           cmd_msg_add_block(m, DATABLOCK_NETMASK, 1, 0, network->netmask) &&
           cmd_msg_add_block(m, DATABLOCK_GATEWAY, 1, 0, gateway) &&
           cmd_msg_add_block(m, DATABLOCK_SSID, 1, 0, ssid) &&
           cmd_msg_add_block(m, DATABLOCK_KEY, 1, 0, key) &&
           cmd_msg_add_block(m, DATABLOCK_SECURITY, 1, 0, &network->security) &&
           cmd_msg_add_block(m, DATABLOCK_CHANNEL, 1, 0, &network->channel) &&
           cmd_msg_add_block(m, DATABLOCK_RF_POWER, 1, 0, &rf_power) &&
           cmd_msg_add_block(m, DATABLOCK_NETWORK_7, 1, 0, &value7) &&
           save_and_exchange(m, CONF_SECTION_NETWORK, ip, port);
}

bool cmd_get_io(const char* ip, uint16_t port, uint8_t line, uint8_t* enable, uint8_t* type)
{
    if (!enable || !type || line > 3 || !io_module_line(ip, port, line))
        return false;
    MsgPtr msg = new_request(CMD_ACTION_GET);
    uint8_t element[3];
    if (!msg || !cmd_msg_add_block(msg.get(), DATABLOCK_IO, 1, line, nullptr) ||
        !exchange(msg.get(), ip, port) || !cmd_msg_get_block(msg.get(), DATABLOCK_IO, 1, 0, element))
        return false;
    // The element names its own line; another line's values are no answer.
    if (element[0] != line)
        return false;
    *enable = element[1];
    *type = element[2];
    return true;
}

bool cmd_set_io(const char* ip, uint16_t port, uint8_t line, uint8_t enable, uint8_t type)
{
    if (line > 3 || enable > 1 || type > 1 || !io_module_line(ip, port, line))
        return false;
    const uint8_t element[3] = {line, enable, type};
    MsgPtr msg = new_request(CMD_ACTION_SET);
    return msg && cmd_msg_add_block(msg.get(), DATABLOCK_IO, 1, line, element) &&
           save_and_exchange(msg.get(), CONF_SECTION_IO, ip, port);
}

bool cmd_get_can(const char* ip, uint16_t port, uint32_t* bitRate, uint8_t* acquisitionCode,
                 uint8_t* executionSelection)
{
    CAN_SETTINGS_RECORD record;
    if (!bitRate || !acquisitionCode || !executionSelection || !read_can_settings(ip, port, &record))
        return false;
    *bitRate = record.bitRate;
    *acquisitionCode = record.acquisitionCode;
    *executionSelection = record.executionSelection;
    return true;
}

bool cmd_set_can(const char* ip, uint16_t port, uint32_t bitRate, uint8_t acquisitionCode,
                 uint8_t executionSelection)
{
    if (acquisitionCode > 8 || acquisitionCode == 6 || acquisitionCode == 7 || executionSelection > 2)
        return false;
    CAN_SETTINGS_RECORD read;
    if (!read_can_settings(ip, port, &read))
        return false;
    uint8_t raw[CAN_SETTINGS_SIZE];
    put_be32(raw, bitRate);
    memcpy(raw + 4, read.bitTiming, CAN_BIT_TIMING_SIZE);
    raw[9] = acquisitionCode;
    raw[10] = executionSelection;
    MsgPtr msg = new_request(CMD_ACTION_SET);
    return msg && cmd_msg_add_block(msg.get(), DATABLOCK_CAN_SETTINGS, 1, 0, raw) &&
           save_and_exchange(msg.get(), CONF_SECTION_CAN_SETTINGS, ip, port);
}

bool cmd_get_kept_can_settings(CAN_SETTINGS_RECORD* out)
{
    std::lock_guard<std::mutex> guard(kept_can_lock);
    if (!out || !kept_can_valid)
        return false;
    *out = kept_can;
    return true;
}
