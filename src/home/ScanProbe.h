// The probe loop of an address-range scan, apart from any thread or window:
// one read of datablocks 2 and 39 per address of one class C range.
#pragma once

#include <cstdint>
#include <string>

#include "cmd_msg.h"
#include "sock.h"

// One module found: 42 bytes, zeroed before it is filled.
struct ScanResultRecord {
    uint8_t ip[4];      // the probed address, first octet first
    uint8_t mac[6];     // datablock 2 as the module sent it
    uint8_t alias[32];  // datablock 39 as sent: no terminator when all 32 bytes are used
};
static_assert(sizeof(ScanResultRecord) == 42, "the record is packed");

// The range of one scan: base text "a.b.c." and the last octets, inclusive.
struct ScanRange {
    std::string base;
    int first = 0;
    int last = -1;
};

// From the texts of the start control's fields 0 to 3 and the end control's
// last field. The last octets read like atoi: an empty field gives 0.
ScanRange MakeScanRange(const std::string& field0, const std::string& field1, const std::string& field2,
                        const std::string& startLast, const std::string& endLast);

class ScanListener {
public:
    virtual ~ScanListener() = default;
    // Before the probe of `ip`.
    virtual void OnProgress(const std::string& ip) = 0;
    // After a reply that carried datablocks 2 and 39.
    virtual void OnFound(const ScanResultRecord& record) = 0;
};

enum class ScanEnd {
    Finished,         // every address of the range was probed
    Stopped,          // cancelled; the exchange in progress was cut short
    IncompleteReply,  // a reply lacked datablock 2 or 39: no further probes
    RequestRefused,   // the probe request could not be built
};

// Probes every address of the range on `port`. The request is built once
// and each address is sent a fresh copy of it, since an exchange leaves the
// reply in its message. While it runs, the connect time-out is 1 second
// (ScanTimeout). `cancel` may be null. After IncompleteReply, `endedAt`
// (when given) holds the address whose reply it was.
ScanEnd ScanAddresses(const ScanRange& range, uint16_t port, ScanListener& listener, CmdCancel* cancel,
                      std::string* endedAt = nullptr);

// Holds the connect time-out at 1 second while at least one scan runs: the
// first scan to start saves the time-out in force, the last one to end
// restores it, whatever order they start and end in.
class ScanTimeout {
public:
    ScanTimeout();
    ~ScanTimeout();
    ScanTimeout(const ScanTimeout&) = delete;
    ScanTimeout& operator=(const ScanTimeout&) = delete;

    // Scans holding the time-out now.
    static int Holders();
};
