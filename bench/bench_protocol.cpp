// Throughput of the protocol library: the CRC, the receive state machine, and
// one whole exchange over loopback next to a bare TCP round trip of the same
// bytes against the same server.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "cmd_msg.h"
#include "cmd_test_hooks.h"
#include "sock.h"
#include "test_module.h"

namespace {

using Clock = std::chrono::steady_clock;

// Two 64 KiB areas each: never on the stack.
std::unique_ptr<VEMTOR_COMMAND_MSG> new_msg()
{
    std::unique_ptr<VEMTOR_COMMAND_MSG> msg(new VEMTOR_COMMAND_MSG());
    cmd_msg_clear(msg.get());
    return msg;
}

std::vector<uint8_t> module_info()
{
    std::vector<uint8_t> info(MODULE_INFO_SIZE, 0);
    const char firmware[] = "1.4.0";
    const char alias[] = "bench module";
    std::memcpy(info.data() + MODULE_INFO_FIRMWARE_OFFSET, firmware, sizeof firmware - 1);
    info[MODULE_INFO_TYPE_OFFSET] = 'S';
    std::memcpy(info.data() + MODULE_INFO_ALIAS_OFFSET, alias, sizeof alias - 1);
    info[MODULE_INFO_BUFFER_SIZE_OFFSET] = 0x04;  // 1024
    return info;
}

std::vector<uint8_t> wire(const VEMTOR_COMMAND_MSG* msg)
{
    std::vector<uint8_t> frame(CMD_MSG_FRAME_OVERHEAD + cmd_msg_data_length(msg));
    uint16_t length = 0;
    cmd_msg_serialize(msg, frame.data(), &length);
    return frame;
}

// The identity read a hub does first: request and reply frames.
void build_identity_read(VEMTOR_COMMAND_MSG* msg)
{
    cmd_msg_init(msg, 1, 0, CMD_ACTION_GET);
    cmd_msg_add_block(msg, DATABLOCK_MODULE_INFO, 1, 0, nullptr);
    cmd_msg_finalize(msg);
}

std::vector<uint8_t> identity_reply_frame()
{
    auto msg = new_msg();
    const std::vector<uint8_t> info = module_info();
    cmd_msg_init(msg.get(), 1, 0, CMD_ACTION_GET);
    cmd_msg_add_block(msg.get(), DATABLOCK_MODULE_INFO, 1, 0, info.data());
    cmd_msg_finalize(msg.get());
    return wire(msg.get());
}

void BM_Crc16Modbus64KiB(benchmark::State& state)
{
    std::vector<uint8_t> bytes(64 * 1024);
    std::mt19937 rng(7);
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>(rng());
    for (auto _ : state)
        benchmark::DoNotOptimize(crc16_modbus(bytes.data(), bytes.size()));
    const double total = static_cast<double>(state.iterations()) * bytes.size();
    state.SetBytesProcessed(static_cast<int64_t>(total));
    state.counters["MB"] = benchmark::Counter(total / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Crc16Modbus64KiB);

// One reply frame per iteration into the same record, as a caller that keeps
// receiving would: each call after a completed frame starts the next.
void BM_ElabReplyOneChunk(benchmark::State& state)
{
    const std::vector<uint8_t> frame = identity_reply_frame();
    auto msg = new_msg();
    for (auto _ : state) {
        cmd_msg_elab(frame.data(), frame.size(), msg.get(), nullptr, nullptr);
        if (!cmd_msg_is_complete(msg.get())) {
            state.SkipWithError("frame not complete");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(std::to_string(frame.size()) + "-byte frame");
}
BENCHMARK(BM_ElabReplyOneChunk);

void BM_ElabReplyByteByByte(benchmark::State& state)
{
    const std::vector<uint8_t> frame = identity_reply_frame();
    auto msg = new_msg();
    for (auto _ : state) {
        for (uint8_t b : frame)
            cmd_msg_elab(&b, 1, msg.get(), nullptr, nullptr);
        if (!cmd_msg_is_complete(msg.get())) {
            state.SkipWithError("frame not complete");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(std::to_string(frame.size()) + "-byte frame");
}
BENCHMARK(BM_ElabReplyByteByByte);

// A fake module on loopback, shared by the exchange benchmarks.
class Loopback {
public:
    static Loopback& Get()
    {
        static Loopback instance;
        return instance;
    }

    bool Ok() const { return ok_; }
    uint16_t Port() const { return module_.Port(); }
    const char* Ip() const { return module_.Address().c_str(); }

    // cmd_msg_transact empties the record before the reply arrives: put the
    // request's frame fields back without rebuilding the whole record.
    void RestoreRequest(VEMTOR_COMMAND_MSG* msg) const
    {
        std::memcpy(reinterpret_cast<uint8_t*>(msg), reinterpret_cast<const uint8_t*>(request_.get()),
                    CMD_MSG_HEADER_SIZE + cmd_msg_data_length(request_.get()));
        std::memcpy(msg->crc, request_->crc, sizeof msg->crc);
        std::memcpy(msg->term, request_->term, sizeof msg->term);
    }

    const std::vector<uint8_t>& RequestFrame() const { return request_frame_; }
    size_t ReplySize() const { return reply_size_; }

private:
    Loopback() : request_(new_msg())
    {
        cmd_test_set_exchange_pause_ms(0);
        sock_set_connect_timeout(1);
        sock_set_receive_timeout(1);
        const std::vector<uint8_t> info = module_info();
        module_.SetElement(DATABLOCK_MODULE_INFO, 0, testmod::Bytes(info.begin(), info.end()));
        build_identity_read(request_.get());
        request_frame_ = wire(request_.get());
        reply_size_ = identity_reply_frame().size();
        ok_ = module_.Start();
    }

    testmod::TestModule module_{"127.0.0.1"};
    std::unique_ptr<VEMTOR_COMMAND_MSG> request_;
    std::vector<uint8_t> request_frame_;
    size_t reply_size_ = 0;
    bool ok_ = false;
};

bool library_exchange(const Loopback& lb, VEMTOR_COMMAND_MSG* msg)
{
    lb.RestoreRequest(msg);
    return cmd_msg_transact(msg, lb.Ip(), lb.Port()) &&
           CMD_MSG_FRAME_OVERHEAD + static_cast<size_t>(cmd_msg_data_length(msg)) == lb.ReplySize();
}

// Connect, send, read until the whole reply frame is in (its length is in
// its header), close: the least any exchange can cost.
bool raw_exchange(const Loopback& lb)
{
    const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0)
        return false;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(lb.Port());
    inet_pton(AF_INET, lb.Ip(), &address.sin_addr);
    bool ok = connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    const std::vector<uint8_t>& request = lb.RequestFrame();
    ok = ok && send(s, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size());
    uint8_t reply[4096];
    size_t got = 0;
    size_t want = CMD_MSG_HEADER_SIZE;
    while (ok && got < want) {
        const ssize_t n = recv(s, reply + got, sizeof reply - got, 0);
        ok = n > 0;
        if (ok)
            got += static_cast<size_t>(n);
        if (ok && want == CMD_MSG_HEADER_SIZE && got >= CMD_MSG_HEADER_SIZE)
            want = CMD_MSG_FRAME_OVERHEAD + (static_cast<size_t>(reply[5]) << 8 | reply[6]);
        ok = ok && want <= sizeof reply;
    }
    close(s);
    return ok && got == lb.ReplySize();
}

void BM_ExchangeLibrary(benchmark::State& state)
{
    Loopback& lb = Loopback::Get();
    if (!lb.Ok()) {
        state.SkipWithError("test module did not start");
        return;
    }
    auto msg = new_msg();
    for (auto _ : state) {
        if (!library_exchange(lb, msg.get())) {
            state.SkipWithError("exchange failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ExchangeLibrary)->UseRealTime();

void BM_ExchangeRawSocket(benchmark::State& state)
{
    Loopback& lb = Loopback::Get();
    if (!lb.Ok()) {
        state.SkipWithError("test module did not start");
        return;
    }
    for (auto _ : state) {
        if (!raw_exchange(lb)) {
            state.SkipWithError("raw exchange failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ExchangeRawSocket)->UseRealTime();

// Both kinds in turn within one run, so that load from elsewhere falls on
// both alike; ratio_vs_raw is library time over raw time.
void BM_ExchangeLibraryVsRaw(benchmark::State& state)
{
    Loopback& lb = Loopback::Get();
    if (!lb.Ok()) {
        state.SkipWithError("test module did not start");
        return;
    }
    auto msg = new_msg();
    Clock::duration library{}, raw{};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const bool a = library_exchange(lb, msg.get());
        const auto t1 = Clock::now();
        const bool b = raw_exchange(lb);
        const auto t2 = Clock::now();
        if (!a || !b) {
            state.SkipWithError("exchange failed");
            break;
        }
        library += t1 - t0;
        raw += t2 - t1;
    }
    if (state.iterations() == 0)
        return;
    const double n = static_cast<double>(state.iterations());
    const double library_us = std::chrono::duration<double, std::micro>(library).count() / n;
    const double raw_us = std::chrono::duration<double, std::micro>(raw).count() / n;
    state.counters["library_us"] = library_us;
    state.counters["raw_us"] = raw_us;
    state.counters["ratio_vs_raw"] = raw_us > 0 ? library_us / raw_us : 0;
}
BENCHMARK(BM_ExchangeLibraryVsRaw)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
