#include "can_text.h"

#include <sys/socket.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cmd_error.h"
#include "cmd_test_hooks.h"

namespace {

constexpr uint32_t CAN_STANDARD_ID_MAX = 0x7FF;
constexpr uint32_t CAN_EXTENDED_ID_MAX = 0x1FFFFFFF;
constexpr uint8_t CAN_DLC_MAX = 8;
// The longest text: an eight-digit id and eight data bytes.
constexpr size_t CAN_TEXT_MAX = 42;

// Writes the text into out (room for CAN_TEXT_MAX + 1 bytes) and returns its
// length without the NUL; 0 when dlc is not 1..8 or extended above 1.
size_t can_text_format(char* out, uint32_t id, uint8_t extended, uint8_t dlc, const uint8_t* bytes)
{
    if (!bytes || dlc < 1 || dlc > CAN_DLC_MAX || extended > 1)
        return 0;
    int n = snprintf(out, CAN_TEXT_MAX + 1, "*,%x,%.2x,%.2x", static_cast<unsigned>(id), extended, dlc);
    for (uint8_t i = 0; i < dlc; ++i)
        n += snprintf(out + n, CAN_TEXT_MAX + 1 - static_cast<size_t>(n), ",%.2x", bytes[i]);
    n += snprintf(out + n, CAN_TEXT_MAX + 1 - static_cast<size_t>(n), ",#");
    return static_cast<size_t>(n);
}

bool send_text(sock_t s, uint32_t id, uint8_t extended, uint8_t dlc, const uint8_t* bytes)
{
    char text[CAN_TEXT_MAX + 1];
    const size_t n = can_text_format(text, id, extended, dlc, bytes);
    if (n == 0)
        return false;
    auto length = static_cast<uint16_t>(n);
    return sock_send_all(s, text, &length) == 0;
}

// A field of the frame: 1 to max_len digits of the base (10 or 16), nothing
// else, so no sign, blank or "0x" slips through strtoul.
bool read_number(const std::string& token, size_t max_len, int base, uint32_t* out)
{
    if (token.empty() || token.size() > max_len)
        return false;
    for (char ch : token) {
        const auto c = static_cast<unsigned char>(ch);
        if (base == 16 ? !isxdigit(c) : !isdigit(c))
            return false;
    }
    *out = static_cast<uint32_t>(strtoul(token.c_str(), nullptr, base));
    return true;
}

}  // namespace

bool can_text_send(const char* ip, uint16_t port, uint32_t id, uint8_t extended, uint8_t dlc,
                   const uint8_t* bytes)
{
    if (!bytes || dlc < 1 || dlc > CAN_DLC_MAX || extended > 1)
        return false;
    sock_t s = sock_open(AF_INET, SOCK_STREAM, 0);
    if (s == SOCK_INVALID) {
        cmd_sleep_ms(cmd_test_get_exchange_pause_ms());
        return false;
    }
    bool ok = false;
    sockaddr_in address;
    if (!sock_make_address(&address, ip, port))
        cmd_set_system_error(EINVAL);
    else if (sock_connect(s, &address) != -1)
        ok = send_text(s, id, extended, dlc, bytes);
    sock_close(s);
    cmd_sleep_ms(cmd_test_get_exchange_pause_ms());
    return ok;
}

bool can_text_send_on_socket(sock_t s, uint32_t id, uint8_t extended, uint8_t dlc, const uint8_t* bytes)
{
    if (s < 1)
        return false;
    return send_text(s, id, extended, dlc, bytes);
}

bool can_text_parse(const char* text, uint16_t length, uint32_t* id, uint8_t* extended, uint8_t* dlc,
                    uint32_t* data)
{
    if (!text || !id || !extended || !dlc || !data)
        return false;
    // Only the given bytes, up to an embedded NUL, are ever looked at.
    const std::string all(text, strnlen(text, length));
    const size_t start = all.find("*,");
    if (start == std::string::npos)
        return false;
    const size_t end = all.find(",#", start + 2);
    if (end == std::string::npos)
        return false;
    const std::string body = all.substr(start + 2, end - start - 2);

    std::vector<std::string> tokens;
    for (size_t p = 0;;) {
        const size_t comma = body.find(',', p);
        tokens.push_back(body.substr(p, comma == std::string::npos ? std::string::npos : comma - p));
        if (comma == std::string::npos)
            break;
        p = comma + 1;
    }
    if (tokens.size() < 3)
        return false;

    uint32_t frame_id = 0;
    uint32_t frame_extended = 0;
    uint32_t frame_dlc = 0;
    if (!read_number(tokens[0], 8, 16, &frame_id) || !read_number(tokens[1], 2, 10, &frame_extended) ||
        frame_extended > 1 || frame_id > (frame_extended ? CAN_EXTENDED_ID_MAX : CAN_STANDARD_ID_MAX) ||
        !read_number(tokens[2], 2, 10, &frame_dlc) || frame_dlc > CAN_DLC_MAX ||
        tokens.size() - 3 > frame_dlc)
        return false;

    // The output holds four bytes; later ones are checked but not kept.
    uint8_t kept[sizeof(uint32_t)] = {};
    for (size_t i = 3; i < tokens.size(); ++i) {
        uint32_t byte = 0;
        if (!read_number(tokens[i], 2, 16, &byte))
            return false;
        if (i - 3 < sizeof kept)
            kept[i - 3] = static_cast<uint8_t>(byte);
    }
    *id = frame_id;
    *extended = static_cast<uint8_t>(frame_extended);
    *dlc = static_cast<uint8_t>(frame_dlc);
    memcpy(data, kept, sizeof kept);
    return true;
}
