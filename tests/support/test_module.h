// A scriptable stand-in for a module's configuration service: a real TCP
// server on a loopback address. It frames and parses with its own small code
// (bitwise CRC, its own table of element sizes), never the library's, so a
// fault in the library cannot hide on both sides.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

namespace testmod {

using Bytes = std::vector<uint8_t>;

uint16_t Crc16(const uint8_t* p, size_t n);
// Element size of a datablock id as the module knows it (0 for unknown ids).
uint8_t ElementSize(uint16_t id);

struct Block {
    uint8_t count = 1;
    uint16_t id = 0;
    uint8_t index = 0;
    Bytes values;  // empty in a read request
};

struct Frame {
    uint16_t msgCnt = 1;
    uint8_t dest = 0;
    uint16_t action = 0;
    Bytes data;
};

// Message counter, destination and action of a frame.
inline std::tuple<int, int, int> Header(const Frame& f)
{
    return {f.msgCnt, f.dest, f.action};
}

Bytes EncodeFrame(const Frame& f);
// Parses one whole frame at the start of bytes; false on any defect.
bool DecodeFrame(const Bytes& bytes, Frame* out, size_t* used);
Bytes EncodeBlocks(const std::vector<Block>& blocks);
// Read requests carry headers only; other frames carry values.
bool DecodeBlocks(const Bytes& data, bool with_values, std::vector<Block>* out);

enum class Fault {
    None,
    Refuse,        // the port refuses connections
    NeverAccept,   // the accept queue is full: new connections are never answered
    Silent,        // accepts, reads the request, never answers
    BadCrc,        // the reply's CRC is wrong
    MissingBlock,  // datablock `param` is left out of the reply
    AlterEcho,     // the first value byte of datablock `param` is changed in the reply
    CloseEarly,    // sends half of the reply and closes
};

class TestModule {
public:
    // Port 0 picks a free port; read it back with Port().
    explicit TestModule(std::string address = "127.0.0.1", uint16_t port = 0);
    ~TestModule();
    TestModule(const TestModule&) = delete;
    TestModule& operator=(const TestModule&) = delete;

    bool Start();
    void Stop();
    const std::string& Address() const { return address_; }
    uint16_t Port() const { return port_; }
    std::string PortText() const { return std::to_string(port_); }

    // With `only_with_block` the fault hits only requests that carry that
    // datablock (24: every configuration write); the others are served.
    void SetFault(Fault f, int param = 0, int only_with_block = -1);
    // Close the connection right after the reply instead of waiting for the
    // client to close it.
    void SetCloseAfterReply(bool close) { close_after_reply_ = close; }

    // Stored value of one element; unset elements read as zeros.
    void SetElement(uint16_t id, uint8_t index, const Bytes& value);
    Bytes Element(uint16_t id, uint8_t index) const;
    // Identity (datablock 38), MAC (2) and alias (39) in one call.
    void SetIdentity(const std::string& firmware, char type, const std::string& alias,
                     uint16_t buffer_size = 1024, const Bytes& mac = {0x00, 0x1E, 0xC0, 0x12, 0x34, 0x56});

    // The module's raw data service (the terminal's peer) in place of the
    // command protocol: every byte received is kept, SendData writes to the
    // connection, CloseData ends it from this side.
    void SetDataService(bool on) { data_service_ = on; }
    // False when no connection is open.
    bool SendData(const Bytes& bytes);
    void CloseData();
    // A peer that stops reading: what the client sends waits in the connection.
    void SetDataReading(bool reading) { data_reading_ = reading; }
    bool DataConnected() const;
    Bytes DataReceived() const;

    int Connections() const { return connections_.load(); }
    std::vector<Frame> Requests() const;
    bool WaitForRequests(size_t n, int timeout_ms) const;

private:
    void Serve();
    void Handle(int conn);
    bool ReadRequest(int conn, Frame* f);
    Bytes Reply(const Frame& request, Fault fault, int param);
    bool WaitReadable(int fd, int timeout_ms) const;
    void ServeData(int conn);
    Bytes Stored(uint16_t id, uint8_t index) const;  // under lock_

    std::string address_;
    uint16_t port_;
    int listen_fd_ = -1;
    int wake_fd_ = -1;
    std::vector<int> queue_fillers_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<int> connections_{0};
    std::atomic<bool> close_after_reply_{false};
    std::atomic<bool> data_service_{false};
    std::atomic<bool> data_reading_{true};

    mutable std::mutex lock_;
    mutable std::condition_variable requests_cv_;
    Fault fault_ = Fault::None;
    int param_ = 0;
    int fault_block_ = -1;
    std::map<std::pair<uint16_t, uint8_t>, Bytes> store_;
    std::vector<Frame> requests_;
    int data_conn_ = -1;
    Bytes data_;
};

}  // namespace testmod
