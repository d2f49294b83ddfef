#include "test_module.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace testmod {

uint16_t Crc16(const uint8_t* p, size_t n)
{
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int b = 0; b < 8; ++b)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
    }
    return crc;
}

uint8_t ElementSize(uint16_t id)
{
    // Typed in from the module's table of element sizes: ids 0-19, 20-39, 40-56.
    // clang-format off
    static const uint8_t sizes[57] = {1, 1, 6, 4, 32, 1, 1, 1, 1, 63, 32, 1, 1, 1, 4, 4, 4, 4, 42, 2,
                                      2, 2, 2, 4, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 4, 1, 18, 67, 32,
                                      5, 8, 1, 4, 11, 3, 44, 5, 7, 1, 3, 12, 5, 4, 2, 128, 0};
    // clang-format on
    return id < 57 ? sizes[id] : 0;
}

Bytes EncodeFrame(const Frame& f)
{
    // clang-format off
    Bytes b = {'S', 'T', uint8_t(f.msgCnt >> 8), uint8_t(f.msgCnt), f.dest, uint8_t(f.data.size() >> 8),
               uint8_t(f.data.size()), uint8_t(f.action >> 8), uint8_t(f.action)};
    // clang-format on
    b.insert(b.end(), f.data.begin(), f.data.end());
    uint16_t crc = Crc16(b.data(), b.size());
    b.push_back(uint8_t(crc >> 8));
    b.push_back(uint8_t(crc));
    b.push_back('E');
    b.push_back('N');
    return b;
}

bool DecodeFrame(const Bytes& bytes, Frame* out, size_t* used)
{
    if (bytes.size() < 13 || bytes[0] != 'S' || bytes[1] != 'T')
        return false;
    size_t len = size_t(bytes[5]) << 8 | bytes[6];
    if (bytes.size() < 13 + len)
        return false;
    uint16_t crc = Crc16(bytes.data(), 9 + len);
    if (bytes[9 + len] != uint8_t(crc >> 8) || bytes[10 + len] != uint8_t(crc) || bytes[11 + len] != 'E' ||
        bytes[12 + len] != 'N')
        return false;
    out->msgCnt = uint16_t(bytes[2] << 8 | bytes[3]);
    out->dest = bytes[4];
    out->action = uint16_t(bytes[7] << 8 | bytes[8]);
    out->data.assign(bytes.begin() + 9, bytes.begin() + 9 + long(len));
    *used = 13 + len;
    return true;
}

Bytes EncodeBlocks(const std::vector<Block>& blocks)
{
    Bytes d;
    for (const Block& b : blocks) {
        d.push_back(b.count);
        d.push_back(uint8_t(b.id >> 8));
        d.push_back(uint8_t(b.id));
        d.push_back(b.index);
        d.insert(d.end(), b.values.begin(), b.values.end());
    }
    return d;
}

bool DecodeBlocks(const Bytes& data, bool with_values, std::vector<Block>* out)
{
    size_t p = 0;
    while (p < data.size()) {
        if (p + 4 > data.size())
            return false;
        Block b;
        b.count = data[p];
        b.id = uint16_t(data[p + 1] << 8 | data[p + 2]);
        b.index = data[p + 3];
        p += 4;
        if (with_values) {
            size_t n = size_t(b.count) * ElementSize(b.id);
            if (p + n > data.size())
                return false;
            b.values.assign(data.begin() + long(p), data.begin() + long(p + n));
            p += n;
        }
        out->push_back(std::move(b));
    }
    return true;
}

TestModule::TestModule(std::string address, uint16_t port) : address_(std::move(address)), port_(port) {}

TestModule::~TestModule()
{
    Stop();
}

bool TestModule::Start()
{
    std::unique_lock<std::mutex> g(lock_);
    const Fault fault = fault_;
    g.unlock();
    listen_fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listen_fd_ < 0)
        return false;
    int one = 1;
    setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons(port_);
    if (inet_pton(AF_INET, address_.c_str(), &a.sin_addr) != 1 ||
        (ntohl(a.sin_addr.s_addr) >> 24) != 127)  // loopback only, ever
        return false;
    if (bind(listen_fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) < 0)
        return false;
    socklen_t len = sizeof a;
    getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    if (fault == Fault::Refuse)
        return true;  // bound but not listening: connections are refused
    if (listen(listen_fd_, fault == Fault::NeverAccept ? 0 : 16) < 0)
        return false;
    if (fault == Fault::NeverAccept) {
        // Fill the accept queue; later connection attempts are dropped.
        for (int i = 0; i < 3; ++i) {
            int c = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
            connect(c, reinterpret_cast<sockaddr*>(&a), sizeof a);
            queue_fillers_.push_back(c);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return true;
    }
    wake_fd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    running_ = true;
    thread_ = std::thread(&TestModule::Serve, this);
    return true;
}

void TestModule::Stop()
{
    if (running_.exchange(false)) {
        const uint64_t one = 1;
        (void)!write(wake_fd_, &one, sizeof one);
        thread_.join();
    }
    for (int c : queue_fillers_)
        close(c);
    queue_fillers_.clear();
    if (listen_fd_ >= 0)
        close(listen_fd_);
    if (wake_fd_ >= 0)
        close(wake_fd_);
    listen_fd_ = wake_fd_ = -1;
}

void TestModule::SetFault(Fault f, int param, int only_with_block)
{
    std::lock_guard<std::mutex> g(lock_);
    fault_ = f;
    param_ = param;
    fault_block_ = only_with_block;
}

void TestModule::SetElement(uint16_t id, uint8_t index, const Bytes& value)
{
    std::lock_guard<std::mutex> g(lock_);
    Bytes v = value;
    v.resize(ElementSize(id), 0);
    store_[{id, index}] = v;
}

Bytes TestModule::Element(uint16_t id, uint8_t index) const
{
    std::lock_guard<std::mutex> g(lock_);
    return Stored(id, index);
}

Bytes TestModule::Stored(uint16_t id, uint8_t index) const
{
    auto it = store_.find({id, index});
    return it != store_.end() ? it->second : Bytes(ElementSize(id), 0);
}

void TestModule::SetIdentity(const std::string& firmware, char type, const std::string& alias,
                             uint16_t buffer_size, const Bytes& mac)
{
    Bytes info(67, 0);
    memcpy(info.data(), firmware.data(), std::min<size_t>(firmware.size(), 32));
    info[32] = uint8_t(type);
    memcpy(info.data() + 33, alias.data(), std::min<size_t>(alias.size(), 32));
    info[65] = uint8_t(buffer_size >> 8);
    info[66] = uint8_t(buffer_size);
    SetElement(38, 0, info);
    SetElement(2, 0, mac);
    SetElement(39, 0, Bytes(alias.begin(), alias.end()));
}

std::vector<Frame> TestModule::Requests() const
{
    std::lock_guard<std::mutex> g(lock_);
    return requests_;
}

bool TestModule::WaitForRequests(size_t n, int timeout_ms) const
{
    std::unique_lock<std::mutex> g(lock_);
    return requests_cv_.wait_for(g, std::chrono::milliseconds(timeout_ms),
                                 [&] { return requests_.size() >= n; });
}

bool TestModule::WaitReadable(int fd, int timeout_ms) const
{
    pollfd fds[2] = {{fd, POLLIN, 0}, {wake_fd_, POLLIN, 0}};
    int r = poll(fds, 2, timeout_ms);
    return r > 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) && !(fds[1].revents & POLLIN);
}

void TestModule::Serve()
{
    while (running_) {
        if (!WaitReadable(listen_fd_, -1))
            continue;
        int conn = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (conn < 0)
            continue;
        ++connections_;
        Handle(conn);
        close(conn);
    }
}

bool TestModule::ReadRequest(int conn, Frame* f)
{
    Bytes got;
    uint8_t buf[4096];
    for (;;) {
        // A request is whole once its frame decodes; skip leading bytes.
        auto start = std::find(got.begin(), got.end(), uint8_t('S'));
        Bytes from(start, got.end());
        size_t used = 0;
        if (DecodeFrame(from, f, &used))
            return true;
        if (!WaitReadable(conn, 10000))
            return false;
        ssize_t n = recv(conn, buf, sizeof buf, 0);
        if (n <= 0)
            return false;
        got.insert(got.end(), buf, buf + n);
    }
}

Bytes TestModule::Reply(const Frame& request, Fault fault, int param)
{
    Frame reply = request;
    std::vector<Block> blocks;
    if (!DecodeBlocks(request.data, request.action != 0, &blocks))
        return {};
    std::lock_guard<std::mutex> g(lock_);
    std::vector<Block> out;
    for (Block b : blocks) {
        if (request.action == 0) {
            for (int i = 0; i < b.count; ++i) {
                const Bytes v = Stored(b.id, uint8_t(b.index + i));
                b.values.insert(b.values.end(), v.begin(), v.end());
            }
        } else {
            size_t size = ElementSize(b.id);
            for (int i = 0; i < b.count; ++i)
                store_[{b.id, uint8_t(b.index + i)}] =
                    Bytes(b.values.begin() + long(i * size), b.values.begin() + long((i + 1) * size));
        }
        if (fault == Fault::MissingBlock && b.id == param)
            continue;
        if (fault == Fault::AlterEcho && b.id == param && !b.values.empty())
            b.values[0] ^= 0x5A;
        out.push_back(std::move(b));
    }
    reply.data = EncodeBlocks(out);
    return EncodeFrame(reply);
}

bool TestModule::SendData(const Bytes& bytes)
{
    std::lock_guard<std::mutex> g(lock_);
    return data_conn_ >= 0 &&
           send(data_conn_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

void TestModule::CloseData()
{
    std::lock_guard<std::mutex> g(lock_);
    if (data_conn_ >= 0)
        shutdown(data_conn_, SHUT_RDWR);
}

bool TestModule::DataConnected() const
{
    std::lock_guard<std::mutex> g(lock_);
    return data_conn_ >= 0;
}

Bytes TestModule::DataReceived() const
{
    std::lock_guard<std::mutex> g(lock_);
    return data_;
}

void TestModule::ServeData(int conn)
{
    {
        std::lock_guard<std::mutex> g(lock_);
        data_conn_ = conn;
    }
    uint8_t buf[4096];
    for (;;) {
        if (!data_reading_) {
            pollfd wake = {wake_fd_, POLLIN, 0};
            if (poll(&wake, 1, 5) > 0)
                break;
            continue;
        }
        if (!WaitReadable(conn, -1))
            break;
        ssize_t n = recv(conn, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        std::lock_guard<std::mutex> g(lock_);
        data_.insert(data_.end(), buf, buf + n);
        requests_cv_.notify_all();
    }
    // Under the lock: no SendData is writing when the caller closes conn.
    std::lock_guard<std::mutex> g(lock_);
    data_conn_ = -1;
}

void TestModule::Handle(int conn)
{
    if (data_service_) {
        ServeData(conn);
        return;
    }
    Frame request;
    if (!ReadRequest(conn, &request))
        return;
    Fault fault;
    int param;
    {
        std::lock_guard<std::mutex> g(lock_);
        requests_.push_back(request);
        requests_cv_.notify_all();
        fault = fault_;
        param = param_;
        std::vector<Block> blocks;
        if (fault_block_ >= 0 && DecodeBlocks(request.data, request.action != 0, &blocks) &&
            std::none_of(blocks.begin(), blocks.end(), [&](const Block& b) { return b.id == fault_block_; }))
            fault = Fault::None;
    }
    Bytes reply;
    if (request.action == 4 || fault != Fault::Silent)
        reply = Reply(request, fault, param);  // action 4 stores the values, answers nothing
    if (request.action != 4 && !reply.empty()) {
        if (fault == Fault::BadCrc)
            reply[reply.size() - 4] ^= 0xFF;
        if (fault == Fault::CloseEarly)
            reply.resize(reply.size() / 2);
        send(conn, reply.data(), reply.size(), MSG_NOSIGNAL);
    }
    if (fault == Fault::CloseEarly || close_after_reply_)
        return;
    // Keep the connection until the client closes it (or we stop).
    uint8_t buf[256];
    while (WaitReadable(conn, -1) && recv(conn, buf, sizeof buf, 0) > 0) {
    }
}

}  // namespace testmod
