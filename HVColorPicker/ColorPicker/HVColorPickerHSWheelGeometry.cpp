#include "HVColorPickerHSWheelGeometry.h"

#include <cmath>
#include <numbers>

HVHueSaturation HVColorPickerHSWheelHueSaturationForPoint(CGPoint point, CGSize wheelBounds) {
    CGPoint centre = CGPointMake(wheelBounds.width / 2, wheelBounds.height / 2);
    CGFloat radius = wheelBounds.width / 2;
    float dx = std::fabs(point.x - centre.x);
    float dy = std::fabs(point.y - centre.y);

    // At the centre itself 0/0 is not a number; the angle is taken as 0 there.
    double angle = std::atan(static_cast<double>(dy / dx));
    if (std::isnan(angle)) {
        angle = 0;
    }
    double distance = std::sqrt(std::pow(dx, 2) + std::pow(dy, 2));

    double saturation = distance / radius < 1 ? distance / radius : 1;
    if (distance < kHVColorPickerHSWheelDeadZone) {
        saturation = 0;
    }

    // Screen y grows downwards: fold the first-quadrant angle into 0..2pi measured
    // counter-clockwise as the eye sees it.
    if (point.x < centre.x) {
        angle = std::numbers::pi - angle;
    }
    if (point.y > centre.y) {
        angle = 2 * std::numbers::pi - angle;
    }
    return {static_cast<float>(angle / (2 * std::numbers::pi)), static_cast<float>(saturation)};
}

CGPoint HVColorPickerHSWheelKnobCenter(float hue, float saturation, CGSize wheelBounds,
                                       CGPoint wheelOrigin, CGSize knobSize) {
    auto angle = static_cast<float>(hue * 2 * std::numbers::pi);
    CGPoint centre = CGPointMake(wheelBounds.width / 2, wheelBounds.height / 2);
    CGFloat knobRadius = (wheelBounds.width / 2 - kHVColorPickerHSWheelKnobInset) * saturation;
    CGFloat kx = centre.x + std::cos(angle) * knobRadius;
    CGFloat ky = centre.y - std::sin(angle) * knobRadius;
    // A damaged colour (a component out of range or not a number) can give a hue or
    // saturation with no place on the wheel. The knob then rests at the centre, where
    // saturation 0 puts it: the one point that claims no hue, and one that can be drawn.
    if (!std::isfinite(kx) || !std::isfinite(ky)) {
        kx = centre.x;
        ky = centre.y;
    }
    // Rounding the knob's top-left corner keeps its edges on whole points.
    return CGPointMake(std::roundf(kx - knobSize.width / 2) + knobSize.width / 2 + wheelOrigin.x,
                       std::roundf(ky - knobSize.height / 2) + knobSize.height / 2 + wheelOrigin.y);
}
