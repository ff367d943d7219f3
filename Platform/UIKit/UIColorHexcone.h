// The hexcone model behind UIColor's hue, saturation and brightness constructor:
// hue 0 and 1 red, 1/6 yellow, 1/3 green, 1/2 cyan, 2/3 blue, 5/6 magenta;
// saturation 0 the grey of level brightness. One formula, written once, in the
// precision of the caller's numbers: UIColor works in CGFloat, as the platform
// does; a caller that needs another precision says why where it calls it.
#pragma once

#include <cmath>
#include <concepts>
#include <limits>

template <std::floating_point Real> struct UIHexconeRGB { Real red, green, blue; };

template <std::floating_point Real>
UIHexconeRGB<Real> UIHexconeToRGB(Real hue, Real saturation, Real brightness) {
    Real v = brightness;
    if (saturation == 0) {
        return {v, v, v};
    }
    Real h = hue - std::floor(hue); // hue 1 is red again, like hue 0
    Real sector = h * 6;
    // An infinite or NaN hue names no place on the colour circle, and its sector
    // cannot become an integer: the colour is undefined, and says so.
    if (!std::isfinite(sector)) {
        Real undefined = std::numeric_limits<Real>::quiet_NaN();
        return {undefined, undefined, undefined};
    }
    int i = static_cast<int>(std::floor(sector));
    Real f = sector - static_cast<Real>(i);
    Real p = v * (1 - saturation);
    Real q = v * (1 - saturation * f);
    Real t = v * (1 - saturation * (1 - f));
    switch (i % 6) {
    case 0:
        return {v, t, p};
    case 1:
        return {q, v, p};
    case 2:
        return {p, v, t};
    case 3:
        return {p, q, v};
    case 4:
        return {t, p, v};
    default:
        return {v, p, q};
    }
}
