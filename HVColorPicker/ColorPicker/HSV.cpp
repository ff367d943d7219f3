#include "HSV.h"

#include <cmath>

HSVType RGB_to_HSV(RGBType rgb) {
    float min = std::fminf(std::fminf(rgb.r, rgb.g), rgb.b);
    float max = std::fmaxf(std::fmaxf(rgb.r, rgb.g), rgb.b);
    if (max == min) {
        return HSVTypeMake(0, 0, max);
    }
    // The order of the tests settles ties: green and blue both minimal takes the
    // green branch, which puts pure red at hue 1.
    float f = 0;
    float i = 0;
    if (rgb.r == min) {
        f = rgb.g - rgb.b;
        i = 3;
    } else if (rgb.g == min) {
        f = rgb.b - rgb.r;
        i = 5;
    } else {
        f = rgb.r - rgb.g;
        i = 1;
    }
    float range = max - min;
    return HSVTypeMake((i - f / range) / 6, range / max, max);
}

RGBType rgbWithUIColor(const UIColor* color) {
    if (color == nullptr) {
        return RGBTypeMake(0, 0, 0);
    }
    const CGColorRef& cgColor = color->CGColor();
    const CGFloat* components = CGColorGetComponents(cgColor);
    std::size_t count = CGColorGetNumberOfComponents(cgColor);
    switch (CGColorSpaceGetModel(CGColorGetColorSpace(cgColor))) {
    case kCGColorSpaceModelRGB:
        if (count >= 3) {
            return RGBTypeMake(components[0], components[1], components[2]);
        }
        break;
    case kCGColorSpaceModelMonochrome:
        if (count >= 1) {
            return RGBTypeMake(components[0], components[0], components[0]);
        }
        break;
    default:
        break;
    }
    return RGBTypeMake(0, 0, 0);
}
