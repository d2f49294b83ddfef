// One call per configuration area: each reads or writes a module's settings
// in a single exchange (plus a module-info read where the module type
// matters) and converts them to and from plain records. False on failure,
// with the reason in the last error; a few refusals record no code.
#pragma once

#include <cstdint>

#include "cmd_msg.h"

constexpr size_t NETWORK_SSID_SIZE = 32;
constexpr size_t NETWORK_KEY_SIZE = 63;
constexpr size_t CAN_SETTINGS_SIZE = 11;
constexpr size_t CAN_BIT_TIMING_SIZE = 5;

// The module's identity (datablock 38), unpacked.
struct MODULE_INFO {
    char firmware[MODULE_TEXT_SIZE + 1];
    char type;
    uint16_t bufferSize;
    char alias[MODULE_TEXT_SIZE + 1];
};

struct UART_RECORD {
    uint32_t baudRate;
    uint8_t stopBits;
    uint8_t parity;  // 0 none, 1 odd, 2 even
};

struct NETWORK_RECORD {
    uint8_t infrastructure;  // 1 infrastructure, 0 ad-hoc
    uint8_t mac[6];
    uint8_t ip[4];  // first octet first, like the netmask and gateway
    uint8_t netmask[4];
    uint8_t gateway[4];
    char ssid[NETWORK_SSID_SIZE + 1];
    uint8_t security;  // 0 none, 1 WPA, 2 WPA2, 3 WEP
    char key[NETWORK_KEY_SIZE + 1];
    uint8_t channel;
    uint32_t rfPower;
    uint32_t block7Value;  // the one-byte setting of datablock 7
};

// Datablock 44 as cmd_get_can last read it, bit rate in host order.
struct CAN_SETTINGS_RECORD {
    uint32_t bitRate;
    uint8_t bitTiming[CAN_BIT_TIMING_SIZE];
    uint8_t acquisitionCode;
    uint8_t executionSelection;
};

bool cmd_get_module_info(const char* ip, uint16_t port, MODULE_INFO* info);
// Every character must lie in 0x20..0x7F (-11); the first 32 are sent.
bool cmd_set_alias(const char* ip, uint16_t port, const char* alias);

// Modules 'F', 'G', 'C' and 'S' only (-14).
bool cmd_get_uart(const char* ip, uint16_t port, UART_RECORD* uart);
// Parity and stop bits above 2 are refused (-13) before anything is sent.
bool cmd_set_uart(const char* ip, uint16_t port, const UART_RECORD* uart);

bool cmd_get_network(const char* ip, uint16_t port, NETWORK_RECORD* network);
// -12 for a bad infrastructure flag, security or character; a channel outside
// 1..14, an RF power above 2 or a datablock 7 value above 7 is refused with
// no code. Nothing is sent in either case.
bool cmd_set_network(const char* ip, uint16_t port, const NETWORK_RECORD* network);

// Lines 0..3 of modules 'A'..'E' and 'S'; 'A' and 'B' have no lines 2 and 3,
// 'C' and 'S' no lines 0 and 1 (-14). A line above 3 (or an enable or type
// above 1) is refused with no code before anything is sent.
bool cmd_get_io(const char* ip, uint16_t port, uint8_t line, uint8_t* enable, uint8_t* type);
bool cmd_set_io(const char* ip, uint16_t port, uint8_t line, uint8_t enable, uint8_t type);

// Modules 'A' and 'B' only (-14). Keeps the whole record library-wide.
bool cmd_get_can(const char* ip, uint16_t port, uint32_t* bitRate, uint8_t* acquisitionCode,
                 uint8_t* executionSelection);
// Reads the settings first and writes back the bit timing it read. An
// acquisition code above 8, or 6 or 7, or an execution selection above 2 is
// refused with no code before anything is sent.
bool cmd_set_can(const char* ip, uint16_t port, uint32_t bitRate, uint8_t acquisitionCode,
                 uint8_t executionSelection);
// The record of the last successful cmd_get_can, from any thread; false
// while there is none.
bool cmd_get_kept_can_settings(CAN_SETTINGS_RECORD* out);
