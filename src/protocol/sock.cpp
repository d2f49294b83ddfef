#include "sock.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <new>

#include "cmd_error.h"
#include "cmd_test_hooks.h"
#include "platform.h"

namespace {

std::atomic<uint8_t> connect_timeout_s{5};
std::atomic<uint8_t> receive_timeout_s{10};
std::atomic<unsigned> exchange_pause_ms{1000};

// Largest single receive: what the receive buffer's 16-bit fill level holds.
constexpr size_t RECV_CHUNK = 65535;

enum class Wait { Ready, TimedOut, Interrupted, Cancelled, Failed };

// Waits for `events` on s, at most timeout_ms, or until cancel fires.
Wait wait_for(sock_t s, short events, int timeout_ms, CmdCancel* cancel, short* revents)
{
    pollfd fds[2] = {{s, events, 0}, {cancel ? cancel->WakeFd() : -1, POLLIN, 0}};
    int r = poll(fds, cancel ? 2 : 1, timeout_ms);
    if (cancel && cancel->IsCancelled())
        return Wait::Cancelled;
    if (r == 0)
        return Wait::TimedOut;
    if (r < 0)
        return plat_interrupted(plat_last_error()) ? Wait::Interrupted : Wait::Failed;
    *revents = fds[0].revents;
    return Wait::Ready;
}

// The receive of sock_recv_timeout without closing: `close_it` says whether
// the result ends the connection.
int recv_wait(sock_t s, void* buffer, size_t size, CmdCancel* cancel, bool* close_it)
{
    *close_it = false;
    memset(buffer, 0, size);
    short revents = 0;
    switch (wait_for(s, POLLIN, receive_timeout_s.load() * 1000, cancel, &revents)) {
    case Wait::TimedOut:
        cmd_set_error(CMD_ERR_RECV_TIMEOUT);
        *close_it = true;
        return -1;
    case Wait::Interrupted:
    case Wait::Cancelled:
        return 0;
    case Wait::Failed:
        cmd_set_system_error(plat_last_error());
        *close_it = true;
        return -1;
    case Wait::Ready:
        break;
    }
    ssize_t n = recv(s, buffer, size, 0);
    if (n > 0)
        return static_cast<int>(n);
    if (n < 0)
        cmd_set_system_error(plat_last_error());
    *close_it = true;
    return n == 0 ? 0 : -1;
}

void exchange_pause(CmdCancel* cancel)
{
    const unsigned ms = exchange_pause_ms.load();
    if (ms == 0)
        return;
    if (!cancel) {
        plat_sleep_ms(ms);
        return;
    }
    if (cancel->IsCancelled())
        return;
    pollfd fd = {cancel->WakeFd(), POLLIN, 0};
    // The wake fd never becomes unreadable, so EINTR is the only early end.
    int64_t end = plat_now_ms() + ms;
    for (int64_t left = ms; left > 0 && !cancel->IsCancelled(); left = end - plat_now_ms())
        poll(&fd, 1, static_cast<int>(left));
}

bool receive_reply(VEMTOR_COMMAND_MSG* msg, sock_t& s, bool may_close, CmdCancel* cancel)
{
    auto chunk = std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[RECV_CHUNK]);
    if (!chunk) {
        cmd_set_system_error(ENOMEM);
        return false;
    }
    cmd_msg_clear(msg);
    for (;;) {
        bool close_it = false;
        int n = recv_wait(s, chunk.get(), RECV_CHUNK, cancel, &close_it);
        if (close_it && may_close)
            sock_close(s);
        if (n < 1)
            break;
        cmd_msg_elab(chunk.get(), static_cast<size_t>(n), msg, nullptr, nullptr);
        if (cmd_msg_is_complete(msg))
            break;
    }
    return cmd_msg_is_complete(msg);
}

bool send_frame(const VEMTOR_COMMAND_MSG* msg, sock_t s)
{
    const size_t frame_len = CMD_MSG_FRAME_OVERHEAD + static_cast<size_t>(cmd_msg_data_length(msg));
    if (frame_len > 65535) {
        // dataLength of a finalised request never gets here; a bad record might.
        cmd_set_error(CMD_ERR_DATABLOCK_NOT_ADDED);
        return false;
    }
    auto frame = std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[frame_len]);
    if (!frame) {
        cmd_set_system_error(ENOMEM);
        return false;
    }
    uint16_t length = 0;
    cmd_msg_serialize(msg, frame.get(), &length);
    return sock_send_all(s, frame.get(), &length) == 0;
}

}  // namespace

CmdCancel::CmdCancel() : wake_fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

CmdCancel::~CmdCancel()
{
    if (wake_fd_ >= 0)
        close(wake_fd_);
}

void CmdCancel::Cancel()
{
    cancelled_.store(true);
    uint64_t one = 1;
    if (wake_fd_ >= 0 && write(wake_fd_, &one, sizeof one) < 0) {
        // The counter only saturates; the flag is set either way.
    }
}

void cmd_test_set_exchange_pause_ms(unsigned ms)
{
    exchange_pause_ms.store(ms);
}

unsigned cmd_test_get_exchange_pause_ms()
{
    return exchange_pause_ms.load();
}

bool sock_winsock_init()
{
    // Nothing to start here; check that the system hands out sockets at all.
    int probe = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0) {
        cmd_set_error(CMD_ERR_WINSOCK_INIT);
        cmd_print_error("The Winsock dll not found!\n");
        return false;
    }
    close(probe);
    return true;
}

void sock_winsock_cleanup() {}

void sock_set_connect_timeout(uint8_t seconds)
{
    connect_timeout_s.store(seconds);
}

uint8_t sock_get_connect_timeout()
{
    return connect_timeout_s.load();
}

void sock_set_receive_timeout(uint8_t seconds)
{
    receive_timeout_s.store(seconds);
}

uint8_t sock_get_receive_timeout()
{
    return receive_timeout_s.load();
}

sock_t sock_open(int domain, int type, int protocol)
{
    sock_t s = socket(domain, type | SOCK_CLOEXEC, protocol);
    if (s < 0) {
        cmd_set_system_error(plat_last_error());
        return SOCK_INVALID;
    }
    return s;
}

bool sock_parse_ipv4(const char* ip, uint32_t* address_be)
{
    uint32_t value = 0;
    const char* p = ip;
    for (int octet = 0; octet < 4; ++octet) {
        if (octet > 0 && *p++ != '.')
            return false;
        unsigned n = 0;
        int digits = 0;
        for (; *p >= '0' && *p <= '9'; ++p) {
            n = n * 10 + static_cast<unsigned>(*p - '0');
            if (++digits > 3)
                return false;
        }
        if (digits == 0 || n > 255)
            return false;
        value = value << 8 | n;
    }
    if (*p != '\0')
        return false;
    *address_be = htonl(value);
    return true;
}

bool sock_make_address(sockaddr_in* address, const char* ip, uint16_t port)
{
    memset(address, 0, sizeof *address);
    address->sin_family = AF_INET;
    address->sin_port = htons(port);
    if (!ip || *ip == '\0') {
        address->sin_addr.s_addr = htonl(INADDR_ANY);
        return true;
    }
    uint32_t a = 0;
    bool ok = sock_parse_ipv4(ip, &a);
    address->sin_addr.s_addr = ok ? a : htonl(INADDR_NONE);
    return ok;
}

bool sock_set_blocking(sock_t s, bool blocking)
{
    int flags = fcntl(s, F_GETFL, 0);
    if (flags < 0 || fcntl(s, F_SETFL, blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK)) < 0) {
        cmd_set_system_error(plat_last_error());
        return false;
    }
    return true;
}

int sock_connect(sock_t s, const sockaddr_in* address, CmdCancel* cancel)
{
    if (!sock_set_blocking(s, false))
        return -1;
    if (connect(s, reinterpret_cast<const sockaddr*>(address), sizeof *address) == 0) {
        sock_set_blocking(s, true);
        return 0;
    }
    const int err = plat_last_error();
    if (!plat_connect_in_progress(err)) {
        cmd_set_system_error(err);
        sock_set_blocking(s, true);
        return -1;
    }
    short revents = 0;
    switch (wait_for(s, POLLOUT, connect_timeout_s.load() * 1000, cancel, &revents)) {
    case Wait::Cancelled:
        sock_set_blocking(s, true);
        return -1;
    case Wait::TimedOut:
    case Wait::Interrupted:
        cmd_set_error(CMD_ERR_CONNECT_TIMEOUT);
        sock_set_blocking(s, true);
        return -1;
    case Wait::Failed:
        cmd_set_system_error(plat_last_error());
        return -1;
    case Wait::Ready:
        break;
    }
    int pending = 0;
    socklen_t len = sizeof pending;
    if (getsockopt(s, SOL_SOCKET, SO_ERROR, &pending, &len) < 0) {
        cmd_set_error(plat_last_error());
        return -1;
    }
    if (pending != 0) {
        cmd_set_system_error(pending);
        return -1;
    }
    sock_set_blocking(s, true);
    return 1;
}

int sock_send_all(sock_t s, const void* bytes, uint16_t* length)
{
    const uint8_t* p = static_cast<const uint8_t*>(bytes);
    size_t sent = 0;
    const size_t total = *length;
    while (sent < total) {
        ssize_t n = send(s, p + sent, total - sent, MSG_NOSIGNAL);
        if (n < 0) {
            if (plat_interrupted(plat_last_error()))
                continue;
            cmd_set_system_error(plat_last_error());
            *length = static_cast<uint16_t>(sent);
            return -1;
        }
        sent += static_cast<size_t>(n);
    }
    *length = static_cast<uint16_t>(sent);
    return 0;
}

int sock_send_wait(sock_t s, const void* bytes, size_t length, int timeout_ms, CmdCancel* cancel)
{
    short revents = 0;
    switch (wait_for(s, POLLOUT, timeout_ms, cancel, &revents)) {
    case Wait::Cancelled:
        return SOCK_SEND_CANCELLED;
    case Wait::TimedOut:
        return SOCK_SEND_TIMED_OUT;
    case Wait::Interrupted:
        return 0;
    case Wait::Failed:
        cmd_set_system_error(plat_last_error());
        return -1;
    case Wait::Ready:
        break;
    }
    const ssize_t n = send(s, bytes, std::min<size_t>(length, INT_MAX), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n >= 0)
        return static_cast<int>(n);
    const int code = plat_last_error();
    if (plat_interrupted(code) || code == EAGAIN || code == EWOULDBLOCK)
        return 0;
    cmd_set_system_error(code);
    return -1;
}

int sock_recv_timeout(sock_t& s, void* buffer, size_t size, CmdCancel* cancel)
{
    bool close_it = false;
    int n = recv_wait(s, buffer, size, cancel, &close_it);
    if (close_it)
        sock_close(s);
    return n;
}

int sock_recv(sock_t& s, void* buffer, size_t size)
{
    ssize_t n;
    do {
        n = recv(s, buffer, size, 0);
    } while (n < 0 && plat_interrupted(plat_last_error()));
    if (n > 0)
        return static_cast<int>(n);
    if (n < 0)
        cmd_set_system_error(plat_last_error());
    sock_close(s);
    return n == 0 ? 0 : -1;
}

int sock_recv_shared(sock_t s, void* buffer, size_t size)
{
    ssize_t n;
    do {
        n = recv(s, buffer, size, 0);
    } while (n < 0 && plat_interrupted(plat_last_error()));
    if (n < 0)
        cmd_set_system_error(plat_last_error());
    return n < 0 ? -1 : static_cast<int>(n);
}

bool sock_shutdown(sock_t s)
{
    if (shutdown(s, SHUT_RDWR) < 0) {
        cmd_set_system_error(plat_last_error());
        return false;
    }
    return true;
}

void sock_close(sock_t& s)
{
    if (s >= 0)
        close(s);
    s = SOCK_INVALID;
}

void cmd_sleep_ms(unsigned ms)
{
    plat_sleep_ms(ms);
}

bool cmd_msg_transact(VEMTOR_COMMAND_MSG* msg, const char* ip, uint16_t port)
{
    return cmd_msg_transact_cancellable(msg, ip, port, nullptr);
}

bool cmd_msg_transact_cancellable(VEMTOR_COMMAND_MSG* msg, const char* ip, uint16_t port,
                                  CmdCancel* cancel)
{
    sock_t s = sock_open(AF_INET, SOCK_STREAM, 0);
    if (s == SOCK_INVALID) {
        exchange_pause(cancel);
        return false;
    }
    bool ok = false;
    sockaddr_in address;
    if (!sock_make_address(&address, ip, port)) {
        cmd_set_system_error(EINVAL);
    } else if (sock_connect(s, &address, cancel) != -1 && send_frame(msg, s)) {
        if (cmd_msg_action(msg) == CMD_ACTION_NO_REPLY)
            ok = true;
        else
            ok = receive_reply(msg, s, true, cancel);
    }
    sock_close(s);
    exchange_pause(cancel);
    return ok && !(cancel && cancel->IsCancelled());
}

bool cmd_msg_transact_on_socket(VEMTOR_COMMAND_MSG* msg, sock_t s)
{
    if (s < 1)
        return false;
    if (!send_frame(msg, s))
        return false;
    if (cmd_msg_action(msg) == CMD_ACTION_NO_REPLY)
        return true;
    return receive_reply(msg, s, false, nullptr);
}
