// Cost of a scan per address where nothing listens, against its floor: the
// one-second pause that ends every exchange. Loopback only (127.0.0.51 and
// up, configuration port), so every connection is refused at once and what
// remains above the floor is our own overhead.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "ScanProbe.h"
#include "cmd_test_hooks.h"
#include "sock.h"

namespace {

constexpr uint16_t ConfigPort = 65000;

class CountingListener : public ScanListener {
public:
    void OnProgress(const std::string&) override { ++probed; }
    void OnFound(const ScanResultRecord&) override { ++found; }
    int probed = 0;
    int found = 0;
};

void BM_ScanSilentLoopback(benchmark::State& state)
{
    const int addresses = static_cast<int>(state.range(0));
    const double floorMs = cmd_test_get_exchange_pause_ms();
    const ScanRange range = MakeScanRange("127", "0", "0", "51", std::to_string(50 + addresses));
    double totalMs = 0;
    int probed = 0;
    for (auto _ : state) {
        CountingListener listener;
        const auto start = std::chrono::steady_clock::now();
        const ScanEnd end = ScanAddresses(range, ConfigPort, listener, nullptr);
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        if (end != ScanEnd::Finished || listener.found != 0) {
            state.SkipWithError("something answered on the loopback range");
            return;
        }
        totalMs += took.count();
        probed += listener.probed;
    }
    const double perAddress = totalMs / probed;
    state.counters["ms_per_address"] = perAddress;
    state.counters["floor_ms"] = floorMs;
    state.counters["overhead_ms_per_address"] = perAddress - floorMs;
}
BENCHMARK(BM_ScanSilentLoopback)->Arg(5)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
