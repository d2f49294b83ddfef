#include "ScanProbe.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

namespace {

std::mutex timeout_lock;
int timeout_holders = 0;
uint8_t saved_timeout = 0;

constexpr uint8_t ScanConnectTimeout = 1;

int AtoiLike(const std::string& text)
{
    // Field texts are at most a few digits; strtol stops where atoi would.
    return static_cast<int>(strtol(text.c_str(), nullptr, 10));
}

}  // namespace

ScanRange MakeScanRange(const std::string& field0, const std::string& field1, const std::string& field2,
                        const std::string& startLast, const std::string& endLast)
{
    ScanRange range;
    range.base = field0 + "." + field1 + "." + field2 + ".";
    range.first = AtoiLike(startLast);
    range.last = AtoiLike(endLast);
    return range;
}

ScanTimeout::ScanTimeout()
{
    std::lock_guard<std::mutex> g(timeout_lock);
    if (timeout_holders++ == 0) {
        saved_timeout = sock_get_connect_timeout();
        sock_set_connect_timeout(ScanConnectTimeout);
    }
}

ScanTimeout::~ScanTimeout()
{
    std::lock_guard<std::mutex> g(timeout_lock);
    if (--timeout_holders == 0)
        sock_set_connect_timeout(saved_timeout);
}

int ScanTimeout::Holders()
{
    std::lock_guard<std::mutex> g(timeout_lock);
    return timeout_holders;
}

ScanEnd ScanAddresses(const ScanRange& range, uint16_t port, ScanListener& listener, CmdCancel* cancel,
                      std::string* endedAt)
{
    // Two records of ~131 KB each: off the worker's stack.
    auto probe = std::make_unique<VEMTOR_COMMAND_MSG>();
    auto work = std::make_unique<VEMTOR_COMMAND_MSG>();
    cmd_msg_init(probe.get(), 1, 0, CMD_ACTION_GET);
    if (!cmd_msg_add_block(probe.get(), DATABLOCK_MAC, 1, 0, nullptr) ||
        !cmd_msg_add_block(probe.get(), DATABLOCK_ALIAS, 1, 0, nullptr))
        return ScanEnd::RequestRefused;
    cmd_msg_finalize(probe.get());

    ScanTimeout timeout;
    for (long i = range.first; i <= range.last; ++i) {
        if (cancel && cancel->IsCancelled())
            return ScanEnd::Stopped;
        const std::string ip = range.base + std::to_string(i);
        listener.OnProgress(ip);
        memcpy(work.get(), probe.get(), sizeof *work);
        const bool answered = cmd_msg_transact_cancellable(work.get(), ip.c_str(), port, cancel);
        if (cancel && cancel->IsCancelled())
            return ScanEnd::Stopped;
        if (!answered)
            continue;

        ScanResultRecord record;
        memset(&record, 0, sizeof record);
        uint32_t address = 0;
        if (sock_parse_ipv4(ip.c_str(), &address))
            memcpy(record.ip, &address, sizeof record.ip);  // network order is address order
        if (!cmd_msg_get_block(work.get(), DATABLOCK_MAC, 1, 0, record.mac) ||
            !cmd_msg_get_block(work.get(), DATABLOCK_ALIAS, 1, 0, record.alias)) {
            if (endedAt)
                *endedAt = ip;
            return ScanEnd::IncompleteReply;
        }
        listener.OnFound(record);
    }
    return ScanEnd::Finished;
}
