// The settings app's start to its first frame in a window (a whole process: the
// script takes a screenshot of the first frame and quits), as the desktop finds
// it, beside the same start with the bridge turned off (NO_AT_BRIDGE=1) in the same
// run. Run it inside tests/a11y/private-bus (a bus runs: the bridge joins it), and
// under xvfb-run and dbus-run-session alone (no bus: nothing may be started).
#include "TestSupport.h"

#include <Host/Desktop/HostBusQuestion.h>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

std::filesystem::path buildFolder() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path();
}

void startToFirstFrame(benchmark::State& state, const std::vector<std::string>& environment) {
    testsupport::TemporaryDirectory root;
    std::string shot = (root.path() / "first.png").string();
    std::vector<std::string> command = {"/usr/bin/env"};
    command.insert(command.end(), environment.begin(), environment.end());
    command.insert(command.end(), {(buildFolder() / "bin" / "PrismkeyFree").string(), "--root",
                                   root.path().string(), "--events", "-"});
    for (auto _ : state) {
        auto result = testsupport::runProcess(command, "screenshot " + shot + "\nquit\n");
        if (result.exitCode != 0) {
            state.SkipWithError(result.standardError.c_str());
            break;
        }
    }
}

void BM_WindowStartToFirstFrame(benchmark::State& state) {
    startToFirstFrame(state, {});
}
BENCHMARK(BM_WindowStartToFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// The baseline of the same run: the bridge neither looks for a bus nor starts.
void BM_WindowStartToFirstFrameWithoutBridge(benchmark::State& state) {
    startToFirstFrame(state, {"NO_AT_BRIDGE=1"});
}
BENCHMARK(BM_WindowStartToFirstFrameWithoutBridge)->Unit(benchmark::kMillisecond)->UseRealTime();

// What every start in a window pays to learn whether a bus runs, beside the root
// window's property (two round trips on the window's connection, not counted here).
void BM_LookForAccessibilityBus(benchmark::State& state) {
    bool found = false;
    for (auto _ : state) {
        found = HostBusQuestion::accessibilityBus(std::nullopt)
                    ->answeredBy(HostBusQuestion::Clock::now() + std::chrono::seconds(2));
        benchmark::DoNotOptimize(found);
    }
    state.SetLabel(found ? "bus found" : "no bus");
}
BENCHMARK(BM_LookForAccessibilityBus)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace
