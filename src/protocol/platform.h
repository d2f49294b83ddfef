// The thin operating-system layer under the socket functions: POSIX sockets,
// errno numbers with their system texts, and a millisecond sleep.
#pragma once

#include <cstdint>
#include <string>

// The calling thread's last system error number.
int plat_last_error();
// The system's text for an error number ("" when it has none).
std::string plat_error_text(int code);
// True for the errors that mean "connection in progress, wait for it".
bool plat_connect_in_progress(int code);
// True for an interrupted system call.
bool plat_interrupted(int code);
void plat_sleep_ms(unsigned ms);
// Milliseconds from a monotonic clock.
int64_t plat_now_ms();
