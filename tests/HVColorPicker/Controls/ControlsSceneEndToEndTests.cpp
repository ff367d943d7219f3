// The controls in a real program: controls-test-scene run headless from an event
// script, checked by its log lines and by pixels of its screenshots.
#include "ControlTestSupport.h"

#include "HVColorPickerHSWheelGeometry.h"

#include <UIKit/UIColor.h>

#include <gtest/gtest.h>

#include <sstream>

namespace {

using namespace controlstest;

struct SceneRun {
    testsupport::ProcessResult result;
    std::vector<std::string> log; // the scene's own lines, prefix removed
};

SceneRun runScene(const std::string& script, const std::filesystem::path& root) {
    auto program = testsupport::buildDirectory() / "bin" / "controls-test-scene";
    SceneRun run{
        testsupport::runProcess(
            {program.string(), "--headless", "--root", root.string(), "--events", "-"}, script),
        {}};
    std::istringstream lines(run.result.standardError);
    const std::string prefix = "controls-test-scene: ";
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(prefix, 0) == 0) {
            run.log.push_back(line.substr(prefix.size()));
        }
    }
    return run;
}

CGPixel pixel(const CGImageRef& image, CGPoint screenPoint) {
    return CGImageGetPixel(image, static_cast<std::size_t>(screenPoint.x),
                           static_cast<std::size_t>(screenPoint.y));
}

CGPixel expectedPixel(const UIColorRef& color) {
    CGRGBA c = CGColorGetDrawingRGBA(color->CGColor());
    auto byte = [](double v) { return static_cast<std::uint8_t>(v * 255 + 0.5); };
    return {byte(c.r), byte(c.g), byte(c.b), 255};
}

// Screen points of the scene: its view starts 20 points down, below the status bar.
constexpr CGPoint kWheel{40, 35};
constexpr CGPoint kCompareRightHalf{10 + 33, 30 + 22};

CGPoint knobRingOnScreen(float hue, float saturation) {
    CGPoint centre = HVColorPickerHSWheelKnobCenter(hue, saturation, {240, 240}, {0, 0}, {30, 30});
    // The knob image's white ring runs 8 to 12 points from its centre (15, 14.5).
    return {kWheel.x + centre.x - 10, kWheel.y + centre.y - 0.5f};
}

TEST(ControlsSceneEndToEnd, DragTheWheelSlideTapASwatchAndTheCompareView) {
    testsupport::TemporaryDirectory folder;
    auto shot = [&](const char* name) { return (folder.path() / name).string(); };
    std::string script = "wait 500\n"
                         "screenshot " +
                         shot("start.png") +
                         "\n"
                         // Wheel point (180, 60) to the rim at three o'clock.
                         "drag 220 95 280 155 4\n"
                         "screenshot " +
                         shot("wheel.png") +
                         "\n"
                         // The brightness knob (value 0.9 at slider x 43) to slider x 156.
                         "drag 67 301 180 301 2\n"
                         "screenshot " +
                         shot("brightness.png") +
                         "\n"
                         // The translucent blue swatch, fifth in the row.
                         "tap 227 388\n"
                         "wait 500\n"
                         "screenshot " +
                         shot("swatch.png") +
                         "\n"
                         "tap 32 52\n"
                         "wait 500\n"
                         "screenshot " +
                         shot("compare.png") + "\n";
    SceneRun run = runScene(script, folder.path() / "device");
    ASSERT_EQ(run.result.exitCode, 0) << run.result.standardError;

    std::vector<std::string> expected = {"ready",
                                         "wheel 0.125 0.71",
                                         "wheel 0.086 0.73",
                                         "wheel 0.051 0.79",
                                         "wheel 0.023 0.88",
                                         "wheel 0.000 1.00",
                                         "wheel 0.000 1.00",
                                         "brightness 0.90",
                                         "brightness 0.66",
                                         "brightness 0.41",
                                         "brightness 0.41",
                                         "swatch 4",
                                         "compare"};
    EXPECT_EQ(run.log, expected) << run.result.standardError;

    CGImageRef start = CGImageCreateWithPNGFile(shot("start.png"));
    CGImageRef wheel = CGImageCreateWithPNGFile(shot("wheel.png"));
    CGImageRef brightness = CGImageCreateWithPNGFile(shot("brightness.png"));
    CGImageRef swatch = CGImageCreateWithPNGFile(shot("swatch.png"));
    CGImageRef compare = CGImageCreateWithPNGFile(shot("compare.png"));
    ASSERT_TRUE(start && wheel && brightness && swatch && compare);
    EXPECT_EQ(CGImageGetWidth(start), 320u); // headless runs at scale 1

    // The knob's ring sits at the start colour's hue and saturation, then at the rim.
    const CGPixel white{255, 255, 255, 255};
    EXPECT_TRUE(near(pixel(start, knobRingOnScreen(0.08f, 0.8f)), white, 40))
        << describe(pixel(start, knobRingOnScreen(0.08f, 0.8f)));
    EXPECT_FALSE(near(pixel(wheel, knobRingOnScreen(0.08f, 0.8f)), white, 40));
    EXPECT_TRUE(near(pixel(wheel, knobRingOnScreen(0, 1)), white, 40))
        << describe(pixel(wheel, knobRingOnScreen(0, 1)));

    // The compare view's new half follows: the start colour, then hue 0 at full
    // saturation with the slider's brightness.
    UIColorRef startColor = UIColor::colorWithHue(0.08f, 0.8f, 0.9f, 1);
    EXPECT_TRUE(near(pixel(start, kCompareRightHalf), expectedPixel(startColor), 3))
        << describe(pixel(start, kCompareRightHalf));
    float value = 1 - (156.0f - 20) / 232;
    EXPECT_TRUE(near(pixel(brightness, kCompareRightHalf),
                     expectedPixel(UIColor::colorWithHue(0, 1, value, 1)), 3))
        << describe(pixel(brightness, kCompareRightHalf));

    // Translucent blue over the checkerboard, then back to the old colour.
    CGPixel translucent = pixel(swatch, kCompareRightHalf);
    EXPECT_GE(translucent.b, 250) << describe(translucent);
    EXPECT_TRUE(translucent.r >= 95 && translucent.r <= 135) << describe(translucent);
    EXPECT_TRUE(near(pixel(compare, kCompareRightHalf), expectedPixel(startColor), 3))
        << describe(pixel(compare, kCompareRightHalf));
    // The tapped swatch shows its checkmark (11 to 33 in the swatch at (209, 370)).
    EXPECT_NE(pixel(swatch, {209 + 22, 370 + 22}), pixel(start, {209 + 22, 370 + 22}));
}

} // namespace
