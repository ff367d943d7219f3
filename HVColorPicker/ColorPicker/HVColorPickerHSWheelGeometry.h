// The hue/saturation wheel's mapping between points and hue and saturation, and its
// knob placement: plain computations on the wheel image's size, the knob's size and
// a point. Hue 0 lies at three o'clock and grows counter-clockwise on the screen;
// saturation grows from the centre to the rim.
#pragma once

#include <CoreGraphics/CGGeometry.h>

inline constexpr CGFloat kHVColorPickerHSWheelSize = 240;
// Touches this close to the centre give saturation 0 (the hue is still computed).
inline constexpr double kHVColorPickerHSWheelDeadZone = 10;
// At saturation 1 the knob's centre stays this far inside the rim.
inline constexpr CGFloat kHVColorPickerHSWheelKnobInset = 3;

struct HVHueSaturation {
    float hue = 0;
    float saturation = 0;
};

// `point` is in the wheel image view's coordinates, `wheelBounds` that view's bounds
// size. Points beyond the rim give saturation 1.
HVHueSaturation HVColorPickerHSWheelHueSaturationForPoint(CGPoint point, CGSize wheelBounds);

// The knob's centre in the wheel control's coordinates; `wheelOrigin` is the wheel
// image view's frame origin. A saturation beyond 1 places the knob beyond the rim;
// a hue and saturation that give no finite place put it at the centre.
CGPoint HVColorPickerHSWheelKnobCenter(float hue, float saturation, CGSize wheelBounds,
                                       CGPoint wheelOrigin, CGSize knobSize);
