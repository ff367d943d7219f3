#include "ControlTestSupport.h"

#include <QuartzCore/CAMediaTiming.h>
#include <QuartzCore/CARenderer.h>
#include <UIKit/UIApplication.h>
#include <UIKit/UIImage.h>
#include <UIKit/UIScreen.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace controlstest {

namespace {

void writeSolid(const std::filesystem::path& path, std::size_t width, std::size_t height,
                CGPixel pixel) {
    std::vector<CGPixel> pixels(width * height, pixel);
    CGImageWritePNG(CGImageCreateWithPixels(width, height, 1, pixels), path);
}

void writeCheckerboard(const std::filesystem::path& path) {
    std::vector<CGPixel> pixels;
    for (std::size_t y = 0; y < 8; ++y) {
        for (std::size_t x = 0; x < 8; ++x) {
            pixels.push_back(((x / 4) + (y / 4)) % 2 == 0 ? kCheckerLight : kCheckerDark);
        }
    }
    CGImageWritePNG(CGImageCreateWithPixels(8, 8, 1, pixels), path);
}

} // namespace

void useTestResources() {
    static testsupport::TemporaryDirectory folder;
    static bool written = false;
    if (!written) {
        writeSolid(folder.path() / "colorPickerKnob.png", 30, 30, kKnobPixel);
        writeSolid(folder.path() / "pickerColorWheel.png", 240, 240, kWheelPixel);
        writeSolid(folder.path() / "PXColorViewCheckmark.png", 22, 22, kCheckmarkPixel);
        writeCheckerboard(folder.path() / "checkerboard.png");
        written = true;
    }
    UIImage::setResourceDirectory(folder.path());
    CAMediaTimeUseVirtualClock(100);
}

Stage::Stage() {
    useTestResources();
    window_ = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
    window_->setBackgroundColor(UIColor::whiteColor());
    window_->makeKeyAndVisible();
}

Stage::~Stage() {
    if (UIApplication::sharedApplication()->hasTouchDown()) {
        cancel();
    }
    window_->setHidden(true);
}

bool Stage::touch(UITouchPhase phase, CGPoint p) {
    return UIApplication::sharedApplication()->sendTouch(phase, p);
}

CGImageRef Stage::render(CGFloat scale) {
    window_->layoutIfNeeded();
    return CARenderLayerTree(window_->layer(), window_->bounds().size, scale);
}

EventCounter::EventCounter(UIControl& control, UIControlEvents events) {
    // Each counter its own action name: the control merges equal target-action pairs.
    std::string action = "count" + std::to_string(reinterpret_cast<std::uintptr_t>(count_.get()));
    control.addTarget(
        nullptr, action, [count = count_](id, UIEvent*) { ++*count; }, events);
}

std::string describe(CGPixel p) {
    return std::to_string(p.r) + "," + std::to_string(p.g) + "," + std::to_string(p.b) + "," +
           std::to_string(p.a);
}

bool near(CGPixel a, CGPixel b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance && std::abs(a.a - b.a) <= tolerance;
}

} // namespace controlstest
