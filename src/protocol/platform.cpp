#include "platform.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

int plat_last_error()
{
    return errno;
}

std::string plat_error_text(int code)
{
    char buf[256] = {};
    // GNU strerror_r may return a static string instead of filling buf.
    const char* s = strerror_r(code, buf, sizeof buf);
    return s ? std::string(s) : std::string();
}

bool plat_connect_in_progress(int code)
{
    return code == EINPROGRESS || code == EWOULDBLOCK || code == EAGAIN;
}

bool plat_interrupted(int code)
{
    return code == EINTR;
}

void plat_sleep_ms(unsigned ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

int64_t plat_now_ms()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
