// The colour model of the picker: plain RGB and HSV values and the conversions
// between the platform colour and HSV. The way back, from HSV to a colour, is the
// platform's UIColor::colorWithHue, whose hexcone model this conversion inverts.
#pragma once

#include <UIKit/UIColor.h>

struct RGBType {
    float r;
    float g;
    float b;
};

// `h` is a fraction of a turn, 0 and 1 both red; `s` and `v` are 0..1.
struct HSVType {
    float h;
    float s;
    float v;
};

inline RGBType RGBTypeMake(float r, float g, float b) {
    return RGBType{r, g, b};
}
inline HSVType HSVTypeMake(float h, float s, float v) {
    return HSVType{h, s, v};
}

// Greys (black and white included) give hue 0 and saturation 0. A red whose green
// equals its blue gives hue 1, not 0.
HSVType RGB_to_HSV(RGBType rgb);

// Red, green and blue of an RGB colour, the white level three times for a monochrome
// one, black for any other model or for no colour. Alpha is not part of it.
RGBType rgbWithUIColor(const UIColor* color);
inline RGBType rgbWithUIColor(const UIColorRef& color) {
    return rgbWithUIColor(color.get());
}
