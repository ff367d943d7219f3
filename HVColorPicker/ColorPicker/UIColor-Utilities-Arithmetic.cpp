// Colour arithmetic: new colours computed from a colour's components.
#include "UIColor-Utilities.h"
#include "UIColor-UtilitiesChecks.h"

#include <Foundation/arc4random.h>

using namespace colorutilities;

namespace {

struct RGBA {
    CGFloat r, g, b, a;
};

// The common frame of the receiver operations: the check, then the components.
// False when the colour cannot give them (possible only if a handler returned).
bool receiverComponents(const UIColorRef& color, const Check& check, RGBA& out) {
    requireRGB(color, check);
    return UIColor_Utilities::red(color, &out.r, &out.g, &out.b, &out.a);
}

// Widened to double, then to 0..1, so that NaN ends as 0.
CGFloat clampUnit(CGFloat value) {
    double p = value;
    double v = 1.0 < p ? 1.0 : p;
    v = 0.0 < v ? v : 0.0;
    return static_cast<CGFloat>(v);
}

CGFloat larger(CGFloat c, CGFloat x) {
    return c < x ? x : c;
}
CGFloat smaller(CGFloat c, CGFloat x) {
    return c < x ? c : x;
}

template <class Combine>
UIColorRef combined(const UIColorRef& color, const Check& check, RGBA with, Combine combine) {
    RGBA c;
    if (!color || !receiverComponents(color, check, c)) {
        return nullptr;
    }
    return UIColor::colorWithRed(combine(c.r, with.r), combine(c.g, with.g), combine(c.b, with.b),
                                 combine(c.a, with.a));
}

// Red, green and blue of `other`; false for no colour or one of another model.
bool argumentComponents(const UIColorRef& other, RGBA& out) {
    return UIColor_Utilities::red(other, &out.r, &out.g, &out.b, nullptr);
}

using FourValueForm = UIColorRef (*)(const UIColorRef&, CGFloat, CGFloat, CGFloat, CGFloat);

// The colour-argument forms: the receiver is checked here with this form's own line,
// and once more by the four-value form that does the work.
UIColorRef withColor(const UIColorRef& color, const UIColorRef& other, const Check& check,
                     FourValueForm form, CGFloat alpha) {
    RGBA o;
    if (!color) {
        return nullptr;
    }
    requireRGB(color, check);
    if (!argumentComponents(other, o)) {
        return nullptr;
    }
    return form(color, o.r, o.g, o.b, alpha);
}

CGFloat randomUnit() {
    return static_cast<CGFloat>(arc4random() / 4294967296.0);
}

} // namespace

UIColorRef UIColor_Utilities::colorByLuminanceMapping(const UIColorRef& color) {
    RGBA c;
    if (!color || !receiverComponents(color, kLuminanceCheck, c)) {
        return nullptr;
    }
    // BT.709 luma weights, summed in this order in single precision.
    CGFloat white = (c.r * 0.2126f + c.g * 0.7152f) + c.b * 0.0722f;
    return UIColor::colorWithWhite(white, c.a);
}

UIColorRef UIColor_Utilities::colorByMultiplyingByRed(const UIColorRef& color, CGFloat red,
                                                      CGFloat green, CGFloat blue, CGFloat alpha) {
    return combined(color, kMultiplyCheck, {red, green, blue, alpha},
                    [](CGFloat c, CGFloat x) { return clampUnit(c * x); });
}

UIColorRef UIColor_Utilities::colorByAddingRed(const UIColorRef& color, CGFloat red, CGFloat green,
                                               CGFloat blue, CGFloat alpha) {
    return combined(color, kAddCheck, {red, green, blue, alpha},
                    [](CGFloat c, CGFloat x) { return clampUnit(c + x); });
}

UIColorRef UIColor_Utilities::colorByLighteningToRed(const UIColorRef& color, CGFloat red,
                                                     CGFloat green, CGFloat blue, CGFloat alpha) {
    return combined(color, kLightenCheck, {red, green, blue, alpha}, larger);
}

UIColorRef UIColor_Utilities::colorByDarkeningToRed(const UIColorRef& color, CGFloat red,
                                                    CGFloat green, CGFloat blue, CGFloat alpha) {
    return combined(color, kDarkenCheck, {red, green, blue, alpha}, smaller);
}

// The alpha each one-value form passes is the one that leaves the receiver's alpha as
// it is: 1 for multiplying and darkening, 0 for adding and lightening.

UIColorRef UIColor_Utilities::colorByMultiplyingBy(const UIColorRef& color, CGFloat f) {
    return colorByMultiplyingByRed(color, f, f, f, 1.0f);
}

UIColorRef UIColor_Utilities::colorByAdding(const UIColorRef& color, CGFloat f) {
    return colorByAddingRed(color, f, f, f, 0.0f);
}

UIColorRef UIColor_Utilities::colorByLighteningTo(const UIColorRef& color, CGFloat f) {
    return colorByLighteningToRed(color, f, f, f, 0.0f);
}

UIColorRef UIColor_Utilities::colorByDarkeningTo(const UIColorRef& color, CGFloat f) {
    return colorByDarkeningToRed(color, f, f, f, 1.0f);
}

UIColorRef UIColor_Utilities::colorByMultiplyingByColor(const UIColorRef& color,
                                                        const UIColorRef& other) {
    return withColor(color, other, kMultiplyColorCheck, colorByMultiplyingByRed, 1.0f);
}

UIColorRef UIColor_Utilities::colorByAddingColor(const UIColorRef& color, const UIColorRef& other) {
    return withColor(color, other, kAddColorCheck, colorByAddingRed, 0.0f);
}

UIColorRef UIColor_Utilities::colorByLighteningToColor(const UIColorRef& color,
                                                       const UIColorRef& other) {
    return withColor(color, other, kLightenColorCheck, colorByLighteningToRed, 0.0f);
}

UIColorRef UIColor_Utilities::colorByDarkeningToColor(const UIColorRef& color,
                                                      const UIColorRef& other) {
    return withColor(color, other, kDarkenColorCheck, colorByDarkeningToRed, 1.0f);
}

UIColorRef UIColor_Utilities::randomColor() {
    // Drawn in this order: red, green, blue.
    CGFloat red = randomUnit();
    CGFloat green = randomUnit();
    CGFloat blue = randomUnit();
    return UIColor::colorWithRed(red, green, blue, 1.0f);
}
