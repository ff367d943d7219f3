// From a touch event to the next frame of the platform test scene at scale 2: the
// touch's dispatch to its control, the actions it sends, the layout pass, the
// redraw of what changed and the render of the whole 640 x 960 screen.
#if __has_include(<TestScene.h>)
#include <TestScene.h>

#include <Host/Session/HostSession.h>
#include <QuartzCore/CAMediaTiming.h>

#include <benchmark/benchmark.h>

namespace {

struct Scene {
    Scene() {
        CAMediaTimeUseVirtualClock(0);
        UIScreen::mainScreen()->setScale(2);
        UIApplication::sharedApplication()->setDelegate(delegate);
        UIApplication::sharedApplication()->finishLaunching();
        session.renderFrame(); // the first frame draws and caches everything
    }
    std::shared_ptr<TestSceneAppDelegate> delegate = std::make_shared<TestSceneAppDelegate>();
    HostSession session{2};
};

Scene& scene() {
    static Scene shared;
    return shared;
}

// A finger held on the slider moves back and forth: each move sends value-changed,
// relabels the status line, resizes the fill, and the frame is rendered.
void BM_SliderMoveToFrame(benchmark::State& state) {
    Scene& s = scene();
    s.session.touchDown({30, 174});
    int step = 0;
    for (auto _ : state) {
        step = (step + 1) % 28;
        s.session.touchMove({static_cast<CGFloat>(30 + step * 10), 174});
        benchmark::DoNotOptimize(s.session.renderFrame());
    }
    s.session.touchUp({30, 174});
}
BENCHMARK(BM_SliderMoveToFrame)->Unit(benchmark::kMillisecond);

// A tap on "Show Alert" (the alert comes up over the dimmed screen, frame), then a
// tap on its "Cancel" (it goes, frame): two touches and two frames an iteration.
void BM_ButtonTapToFrame(benchmark::State& state) {
    Scene& s = scene();
    for (auto _ : state) {
        s.session.tap({85, 106});
        benchmark::DoNotOptimize(s.session.renderFrame());
        s.session.tap({98, 280});
        benchmark::DoNotOptimize(s.session.renderFrame());
    }
    state.SetItemsProcessed(2 * state.iterations());
}
BENCHMARK(BM_ButtonTapToFrame)->Unit(benchmark::kMillisecond);

// The baseline in the same run: a frame when nothing changed.
void BM_UnchangedFrame(benchmark::State& state) {
    Scene& s = scene();
    for (auto _ : state) {
        benchmark::DoNotOptimize(s.session.renderFrame());
    }
}
BENCHMARK(BM_UnchangedFrame)->Unit(benchmark::kMillisecond);

// The touch alone: dispatch, actions and the label change, no frame.
void BM_SliderMoveDispatchOnly(benchmark::State& state) {
    Scene& s = scene();
    s.session.touchDown({30, 174});
    int step = 0;
    for (auto _ : state) {
        step = (step + 1) % 28;
        s.session.touchMove({static_cast<CGFloat>(30 + step * 10), 174});
    }
    s.session.touchUp({30, 174});
}
BENCHMARK(BM_SliderMoveDispatchOnly)->Unit(benchmark::kMicrosecond);

} // namespace
#else
#include <benchmark/benchmark.h>
static void BM_TouchToFrameNeedsTheTestScene(benchmark::State& state) {
    state.SkipWithError("build with tests on: the test scene lives in tests/Platform/Host");
    for (auto _ : state) {
    }
}
BENCHMARK(BM_TouchToFrameNeedsTheTestScene);
#endif
