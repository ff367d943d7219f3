// One drag step on the hue/saturation wheel at scale 2, as the finger moves: the
// touch is mapped to hue and saturation, the knob placed, the value-changed event
// sent (its target recolours the compare view, as a picker showing the colour
// would), and the screen rendered with what changed redrawn. Baselines in the same
// run: the step without rendering, and a render with nothing changed.
//
// Run from <build>/bin after building PrismkeyResources (the images load by name).
#include "HVColorCompareView.h"
#include "HVColorPickerHSWheel.h"
#include "HVColorPickerSwatchView.h"

#include <QuartzCore/CAMediaTiming.h>
#include <QuartzCore/CARenderer.h>
#include <UIKit/UIApplication.h>
#include <UIKit/UIScreen.h>
#include <UIKit/UIWindow.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>

namespace {

constexpr CGPoint kWheelOrigin{40, 35};

class WheelScene {
  public:
    WheelScene() {
        UIScreen::mainScreen()->setScale(2);
        CAMediaTimeUseVirtualClock(0);
        window_ = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
        window_->setBackgroundColor(UIColor::colorWithRed(0.345f, 0.337f, 0.839f, 1));
        wheel_ = std::make_shared<HVColorPickerHSWheel>(kWheelOrigin);
        compare_ = std::make_shared<HVColorCompareView>(CGRectMake(10, 30, 44, 44));
        window_->addSubview(wheel_);
        window_->addSubview(compare_);
        for (int i = 0; i < 6; ++i) {
            auto swatch =
                std::make_shared<HVColorPickerSwatchView>(CGRectMake(25 + 46 * i, 370, 36, 36));
            swatch->setColor(UIColor::colorWithHue(i / 6.0f, 1, 1, 1));
            window_->addSubview(swatch);
        }
        auto* wheel = wheel_.get();
        auto* compare = compare_.get();
        wheel_->addTarget(
            nullptr, "wheelChanged:",
            [wheel, compare](id, UIEvent*) {
                compare->setCurrentColor(
                    UIColor::colorWithHue(wheel->hue(), wheel->saturation(), 1, 1));
            },
            UIControlEventValueChanged);
        window_->makeKeyAndVisible();
        render();
        CAMediaTimeAdvance(1); // let every first value settle
        render();
        UIApplication::sharedApplication()->sendTouch(UITouchPhaseBegan, {160, 155});
    }
    ~WheelScene() {
        UIApplication::sharedApplication()->sendTouch(UITouchPhaseEnded, {160, 155});
        window_->setHidden(true);
        UIScreen::mainScreen()->setScale(1);
    }
    bool hasImages() const { return wheel_->wheelImageView()->image() != nullptr; }

    // The finger goes round a circle 100 points out, a degree a step.
    void moveFinger() {
        double angle = step_++ * std::numbers::pi / 180;
        CGPoint p{static_cast<CGFloat>(kWheelOrigin.x + 120 + 100 * std::cos(angle)),
                  static_cast<CGFloat>(kWheelOrigin.y + 120 - 100 * std::sin(angle))};
        UIApplication::sharedApplication()->sendTouch(UITouchPhaseMoved, p);
    }
    CGImageRef render() {
        window_->layoutIfNeeded();
        return CARenderLayerTree(window_->layer(), window_->bounds().size, 2);
    }

  private:
    std::shared_ptr<UIWindow> window_;
    HVColorPickerHSWheelRef wheel_;
    HVColorCompareViewRef compare_;
    long step_ = 0;
};

void BM_WheelDragStep(benchmark::State& state) {
    WheelScene scene;
    if (!scene.hasImages()) {
        state.SkipWithError("images missing: build PrismkeyResources and run from <build>/bin");
        return;
    }
    for (auto _ : state) {
        scene.moveFinger();
        benchmark::DoNotOptimize(scene.render());
    }
}
BENCHMARK(BM_WheelDragStep)->Unit(benchmark::kMicrosecond);

void BM_WheelDragStepWithoutRender(benchmark::State& state) {
    WheelScene scene;
    for (auto _ : state) {
        scene.moveFinger();
    }
}
BENCHMARK(BM_WheelDragStepWithoutRender)->Unit(benchmark::kMicrosecond);

void BM_RenderUnchanged(benchmark::State& state) {
    WheelScene scene;
    for (auto _ : state) {
        benchmark::DoNotOptimize(scene.render());
    }
}
BENCHMARK(BM_RenderUnchanged)->Unit(benchmark::kMicrosecond);

} // namespace
