// The protocol library's last error: a 16-bit code and an optional text.
// Codes -1..-14 are the library's own; 0 and above are system error numbers.
// Shared by every thread; reads and writes are serialised internally.
#pragma once

#include <cstdint>
#include <string>

enum CMD_ERROR : int16_t {
    CMD_ERR_WINSOCK_INIT = -1,
    CMD_ERR_CONNECT_TIMEOUT = -2,
    CMD_ERR_RECV_TIMEOUT = -3,
    CMD_ERR_DATABLOCK_NOT_ADDED = -4,
    CMD_ERR_DATABLOCK_NOT_FOUND = -5,
    CMD_ERR_ELAB = -6,
    CMD_ERR_VCOM_BAUDRATE = -7,
    CMD_ERR_VCOM_DATA_SIZE = -8,
    CMD_ERR_VCOM_SAVE = -9,
    CMD_ERR_VCOM_PARITY = -10,
    CMD_ERR_ALIAS = -11,
    CMD_ERR_NETWORK_CONF = -12,
    CMD_ERR_UART_CONF = -13,
    CMD_ERR_NOT_SUPPORTED = -14,
};

constexpr size_t CMD_ERROR_TEXT_MAX = 255;

// Texts of codes 0..-15, indexed by minus the code; slot 0 and 15 are empty.
extern const char* const cmd_error_table[16];

// Stores the code and empties the text; returns the code given.
int cmd_set_error(int code);
int16_t cmd_get_error();
// Stores at most 255 characters of text for the current code.
void cmd_set_error_text(const char* text);
// Records a system error number together with its system text in one step.
void cmd_set_system_error(int code);
// Stores the system text of a socket error number ("Generic Windows socket
// error" when the system has none) for the current code.
void sock_set_winsock_error_text(int code);
// The stored text when there is one, whatever the code; else the system text
// for codes >= 0, the table text for -1..-14 and "" below that.
std::string cmd_error_text(int code);
// "<prefix>: <text>\n" on stderr, or "<prefix>: Undefined error: <code>\n".
void cmd_print_error(const char* prefix);
