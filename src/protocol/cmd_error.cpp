#include "cmd_error.h"

#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform.h"

const char* const cmd_error_table[16] = {
    "",
    "winsock init failure",
    "socket connection timeout",
    "socket reciv timeout",
    "datablock not added",
    "datablock not found",
    "elab command message failure",
    "invalid virtual com port baudrate",
    "invalid virtual com port data size",
    "unable to save virtual com port attributes",
    "invalid virtual com port parity check",
    "invalid Vantrel Module Alias",
    "invalid Vantrel Module Network configuration",
    "invalid Vantrel Module UART configuration",
    "function is not supported for the selected Vantrel Module",
    "",
};

namespace {

struct LastError {
    std::mutex lock;
    int16_t code = 0;
    char text[CMD_ERROR_TEXT_MAX + 1] = {};
};

LastError& last_error()
{
    static LastError e;
    return e;
}

void store_text(LastError& e, const char* text)
{
    size_t n = text ? strnlen(text, CMD_ERROR_TEXT_MAX) : 0;
    memcpy(e.text, text ? text : "", n);
    e.text[n] = '\0';
}

std::string system_text(int code)
{
    std::string t = plat_error_text(code);
    return t.empty() ? std::string("Generic Windows socket error") : t;
}

}  // namespace

int cmd_set_error(int code)
{
    LastError& e = last_error();
    std::lock_guard<std::mutex> g(e.lock);
    e.code = static_cast<int16_t>(code);
    e.text[0] = '\0';
    return code;
}

int16_t cmd_get_error()
{
    LastError& e = last_error();
    std::lock_guard<std::mutex> g(e.lock);
    return e.code;
}

void cmd_set_error_text(const char* text)
{
    LastError& e = last_error();
    std::lock_guard<std::mutex> g(e.lock);
    store_text(e, text);
}

void cmd_set_system_error(int code)
{
    std::string text = system_text(code);
    LastError& e = last_error();
    std::lock_guard<std::mutex> g(e.lock);
    e.code = static_cast<int16_t>(code);
    store_text(e, text.c_str());
}

void sock_set_winsock_error_text(int code)
{
    cmd_set_error_text(system_text(code).c_str());
}

std::string cmd_error_text(int code)
{
    {
        LastError& e = last_error();
        std::lock_guard<std::mutex> g(e.lock);
        if (e.text[0] != '\0')
            return e.text;
    }
    if (code >= 0)
        return plat_error_text(code);
    if (code >= -14)
        return cmd_error_table[-code];
    return "";
}

void cmd_print_error(const char* prefix)
{
    int code = cmd_get_error();
    std::string text = cmd_error_text(code);
    if (text.empty())
        fprintf(stderr, "%s: Undefined error: %d\n", prefix, code);
    else
        fprintf(stderr, "%s: %s\n", prefix, text.c_str());
}
