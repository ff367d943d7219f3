// The application's image resources, drawn rather than shipped: the colour wheel,
// the slider and wheel knob, the checkerboard tile and the swatch checkmark.
#pragma once

#include <CoreGraphics/CGImage.h>

#include <string>
#include <vector>

namespace resources {

inline constexpr CGFloat kWheelSide = 240;
inline constexpr CGFloat kKnobSide = 30;
inline constexpr CGFloat kCheckerboardSide = 16;
inline constexpr CGFloat kCheckmarkSide = 22;

// The hexcone colour of hue h (0..1, 0 red, 1/6 yellow...) and saturation s at
// brightness 1, as 0..1 channels: UIColor's own formula (UIColorHexcone.h), worked
// in double like the rest of the generator's per-pixel geometry rather than in
// CGFloat. The precision is the generator's convenience, not the platform's: in
// CGFloat the wheel comes out the same, pixel for pixel, at both scales.
struct RGB {
    double r, g, b;
};
RGB hueSaturationColor(double hue, double saturation);

// The wheel's mapping from a point (in points, y downwards) to hue and saturation:
// hue 0 at three o'clock growing counter-clockwise on screen, saturation the
// distance from the centre over the radius.
struct HueSaturation {
    double hue, saturation;
};
HueSaturation wheelHueSaturation(double x, double y);

CGImageRef makeColorWheel(CGFloat scale);
CGImageRef makeKnob(CGFloat scale);
CGImageRef makeCheckerboard(CGFloat scale);
CGImageRef makeCheckmark(CGFloat scale);

struct Resource {
    std::string name; // file name without ".png"
    CGImageRef (*make)(CGFloat scale);
};
const std::vector<Resource>& allResources();

} // namespace resources
