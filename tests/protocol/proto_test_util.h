// Small helpers shared by the protocol tests.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <memory>
#include <thread>
#include <vector>

#include "cmd_msg.h"
#include "cmd_test_hooks.h"
#include "sock.h"

using Bytes = std::vector<uint8_t>;

// The record is ~131 KB: keep it off the test's stack.
inline std::unique_ptr<VEMTOR_COMMAND_MSG> NewMsg()
{
    auto m = std::make_unique<VEMTOR_COMMAND_MSG>();
    cmd_msg_clear(m.get());
    return m;
}

inline Bytes Serialize(const VEMTOR_COMMAND_MSG* m)
{
    Bytes out(CMD_MSG_FRAME_OVERHEAD + cmd_msg_data_length(m));
    uint16_t len = 0;
    cmd_msg_serialize(m, out.data(), &len);
    out.resize(len);
    return out;
}

inline long OpenFdCount()
{
    const std::filesystem::directory_iterator fds("/proc/self/fd");
    return std::distance(begin(fds), end(fds));
}

// Polls until pred() holds, at most two seconds; returns pred().
template <class Pred>
bool Eventually(Pred pred)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (;;) {
        if (pred())
            return true;
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// Waits until `expected` descriptors are open again: the test module's side
// of a connection closes a moment after the client's.
inline bool FdCountSettles(long expected)
{
    return Eventually([expected] { return OpenFdCount() == expected; });
}

// A socket connected to 127.0.0.1:port, or SOCK_INVALID.
inline sock_t ConnectTo(uint16_t port)
{
    sock_t s = sock_open(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address;
    if (s != SOCK_INVALID && (!sock_make_address(&address, "127.0.0.1", port) || sock_connect(s, &address) == -1)) {
        sock_close(s);
        s = SOCK_INVALID;
    }
    return s;
}

// Sets the library-wide time-outs and pause; restores them on leaving.
struct ExchangeSettings {
    ExchangeSettings(uint8_t connect, uint8_t receive, unsigned pause) { Set(connect, receive, pause); }
    ~ExchangeSettings() { Set(connect_, receive_, pause_); }
    static void Set(uint8_t connect_s, uint8_t receive_s, unsigned pause_ms)
    {
        sock_set_connect_timeout(connect_s);
        sock_set_receive_timeout(receive_s);
        cmd_test_set_exchange_pause_ms(pause_ms);
    }
    const uint8_t connect_ = sock_get_connect_timeout(), receive_ = sock_get_receive_timeout();
    const unsigned pause_ = cmd_test_get_exchange_pause_ms();
};
