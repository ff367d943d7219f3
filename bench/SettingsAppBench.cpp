// The settings app: a headless start to its first frame (a whole process, beside
// the cost of starting any process; from the build tree and from an installed tree),
// and one swatch tap to the end of the animation it starts, frame by frame at 60
// frames a second, at scale 2.
#include <AppDelegate.h>
#include <Foundation/NSFileManager.h>
#include <Host/Session/HostSession.h>
#include <QuartzCore/CAMediaTiming.h>
#include <UIKit/UIApplication.h>
#include <UIKit/UIScreen.h>

#include "TestSupport.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

namespace {

std::filesystem::path buildFolder() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path();
}

struct App {
    App() {
        NSFileManager::setDeviceRoot(root.path().string());
        NSFileManager::defaultManager()->createStandardDeviceFolders();
        CAMediaTimeUseVirtualClock(0);
        UIScreen::mainScreen()->setScale(2);
        UIApplication::sharedApplication()->setDelegate(delegate);
        UIApplication::sharedApplication()->finishLaunching();
        session.renderFrame();
    }
    testsupport::TemporaryDirectory root;
    std::shared_ptr<AppDelegate> delegate = std::make_shared<AppDelegate>();
    HostSession session{2};
};

App& app() {
    static App shared;
    return shared;
}

void BM_SwatchTapToEndOfAnimation(benchmark::State& state) {
    App& a = app();
    const CGPoint swatches[] = {{227, 452}, {43, 452}}; // blue, red
    int next = 0;
    long frames = 0;
    for (auto _ : state) {
        a.session.tap(swatches[next]);
        next ^= 1;
        do {
            CAMediaTimeAdvance(1.0 / 60);
            benchmark::DoNotOptimize(a.session.renderFrame());
            ++frames;
        } while (a.session.isAnimating());
    }
    state.counters["frames"] =
        benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_SwatchTapToEndOfAnimation)->Unit(benchmark::kMillisecond);

// The build installed once into a temporary prefix (cmake from PATH).
const std::filesystem::path& installedTree() {
    static testsupport::TemporaryDirectory prefix;
    static const bool installed =
        testsupport::runProcess({"/usr/bin/env", "cmake", "--install", buildFolder().string(),
                                 "--prefix", prefix.path().string()})
            .exitCode == 0;
    static const std::filesystem::path none;
    return installed ? prefix.path() : none;
}

void startToFirstFrame(benchmark::State& state, const std::filesystem::path& tree) {
    testsupport::TemporaryDirectory root;
    std::string shot = (root.path() / "first.png").string();
    std::string program = (tree / "bin" / "PrismkeyFree").string();
    for (auto _ : state) {
        auto result = testsupport::runProcess(
            {program, "--headless", "--root", root.path().string(), "--events", "-"},
            "screenshot " + shot + "\n");
        if (result.exitCode != 0) {
            state.SkipWithError(result.standardError.c_str());
            break;
        }
    }
}
void BM_StartToFirstFrameProcess(benchmark::State& state) {
    startToFirstFrame(state, buildFolder());
}
BENCHMARK(BM_StartToFirstFrameProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StartToFirstFrameInstalledProcess(benchmark::State& state) {
    if (installedTree().empty()) {
        state.SkipWithError("cmake --install failed");
        return;
    }
    startToFirstFrame(state, installedTree());
}
BENCHMARK(BM_StartToFirstFrameInstalledProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

// The baseline in the same run: starting a process that does nothing.
void BM_ProcessStartBaseline(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(testsupport::runProcess({"/bin/true"}));
    }
}
BENCHMARK(BM_ProcessStartBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
