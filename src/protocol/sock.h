// TCP transport of the command protocol: the socket layer, the connect and
// receive time-outs, and one whole exchange with a module.
#pragma once

#include <netinet/in.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "cmd_msg.h"

using sock_t = int;
constexpr sock_t SOCK_INVALID = -1;

// Lets another thread end an exchange early: the waits of an exchange given
// a CmdCancel wake up at once when it is cancelled, and the exchange then
// closes its socket, skips its pause and records nothing.
class CmdCancel {
public:
    CmdCancel();
    ~CmdCancel();
    CmdCancel(const CmdCancel&) = delete;
    CmdCancel& operator=(const CmdCancel&) = delete;

    void Cancel();
    bool IsCancelled() const { return cancelled_.load(); }
    // Readable once cancelled; for poll().
    int WakeFd() const { return wake_fd_; }

private:
    std::atomic<bool> cancelled_{false};
    int wake_fd_;
};

// Start and end of the socket layer for the process.
bool sock_winsock_init();
void sock_winsock_cleanup();

void sock_set_connect_timeout(uint8_t seconds);
uint8_t sock_get_connect_timeout();
void sock_set_receive_timeout(uint8_t seconds);
uint8_t sock_get_receive_timeout();

// Returns the new socket or SOCK_INVALID with the system error recorded.
sock_t sock_open(int domain, int type, int protocol);
// Four decimal octets ("010" is ten); an empty text is the any-address.
// False for any other text, which leaves the address 255.255.255.255.
bool sock_make_address(sockaddr_in* address, const char* ip, uint16_t port);
// Strict dotted-decimal parse; the address comes out in network order.
bool sock_parse_ipv4(const char* ip, uint32_t* address_be);
bool sock_set_blocking(sock_t s, bool blocking);
// Not -1 when connected (0 at once, 1 after waiting); -1 with the reason
// recorded: -2 when the connect time-out ran out. The socket stays open.
int sock_connect(sock_t s, const sockaddr_in* address, CmdCancel* cancel = nullptr);
// 0 when all bytes were sent, -1 on failure; length becomes the count sent.
// Never raises SIGPIPE.
int sock_send_all(sock_t s, const void* bytes, uint16_t* length);
// Sends what the socket takes of `bytes` once it has room, waiting at most
// timeout_ms for it (forever when negative) or until `cancel` fires. The
// count sent (0 after an interrupted wait: try again), -1 on failure
// (recorded), SOCK_SEND_TIMED_OUT or SOCK_SEND_CANCELLED. Never raises SIGPIPE.
constexpr int SOCK_SEND_TIMED_OUT = -2;
constexpr int SOCK_SEND_CANCELLED = -3;
int sock_send_wait(sock_t s, const void* bytes, size_t length, int timeout_ms, CmdCancel* cancel = nullptr);
// Waits up to the receive time-out, then receives once. Byte count; 0 at end
// of stream or after an interrupted or cancelled wait; -1 on time-out (-3) or
// error. Whenever it closes the socket it sets `s` to SOCK_INVALID, so the
// caller closes it at most once more, through sock_close.
int sock_recv_timeout(sock_t& s, void* buffer, size_t size, CmdCancel* cancel = nullptr);
// One blocking receive. -1 on error and 0 at end of stream, both closing the
// socket and setting `s` to SOCK_INVALID.
int sock_recv(sock_t& s, void* buffer, size_t size);
// One blocking receive on a socket that several threads share: whatever the
// result the socket stays open, for its one owner to close. Byte count; 0 at
// end of stream (or after a shutdown); -1 on error, recorded.
int sock_recv_shared(sock_t s, void* buffer, size_t size);
bool sock_shutdown(sock_t s);
// Closes a valid socket once and sets it to SOCK_INVALID.
void sock_close(sock_t& s);
void cmd_sleep_ms(unsigned ms);

// One exchange: connect, send the finalised request, and unless its action is
// 4 receive one whole valid reply into msg; close; pause one second.
bool cmd_msg_transact(VEMTOR_COMMAND_MSG* msg, const char* ip, uint16_t port);
// The same, ending early when `cancel` is cancelled (then false).
bool cmd_msg_transact_cancellable(VEMTOR_COMMAND_MSG* msg, const char* ip, uint16_t port,
                                  CmdCancel* cancel);
// The same request and reply on a socket the caller connected; no close and
// no pause.
bool cmd_msg_transact_on_socket(VEMTOR_COMMAND_MSG* msg, sock_t s);
