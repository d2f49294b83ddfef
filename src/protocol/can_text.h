// A text form of one CAN frame: "*,<id>,<ext>,<dlc>,<byte>...,#" with the id
// in lower-case hexadecimal without leading zeros and every other field as
// two lower-case hexadecimal digits, e.g. "*,123,00,02,ab,01,#".
#pragma once

#include <cstdint>

#include "sock.h"

// Connects, sends the text without its NUL, closes and pauses like an
// exchange. No reply is read. False at once when dlc is not 1..8 or extended
// is above 1.
bool can_text_send(const char* ip, uint16_t port, uint32_t id, uint8_t extended, uint8_t dlc,
                   const uint8_t* bytes);
// The same text on a connected socket; no close, no pause.
bool can_text_send_on_socket(sock_t s, uint32_t id, uint8_t extended, uint8_t dlc, const uint8_t* bytes);

// Reads one text frame from the first `length` bytes of text (text before
// "*," and after ",#" is ignored). `data` receives the first four data bytes
// in the order received, the first at its lowest address, zeros after the
// last one; the bytes of a frame beyond the fourth are checked but dropped.
// The outputs are written only when the frame is valid.
bool can_text_parse(const char* text, uint16_t length, uint32_t* id, uint8_t* extended, uint8_t* dlc,
                    uint32_t* data);
