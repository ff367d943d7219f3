// A colour as a screen reader says it: the nearest named colour by perceptual
// distance, then the hexadecimal form, then the opacity when not opaque.
#include "UIColor-Utilities.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Lab = std::array<double, 3>;

double linear(double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// OKLab from sRGB components in 0..1: linear light, cone responses, cube roots.
Lab oklab(double r, double g, double b) {
    r = linear(r);
    g = linear(g);
    b = linear(b);
    double l = std::cbrt(0.4122214708 * r + 0.5363325363 * g + 0.0514459929 * b);
    double m = std::cbrt(0.2119034982 * r + 0.6806995451 * g + 0.1073969566 * b);
    double s = std::cbrt(0.0883024619 * r + 0.2817188376 * g + 0.6299787005 * b);
    return {0.2104542553 * l + 0.7936177850 * m - 0.0040720468 * s,
            1.9779984951 * l - 2.4285922050 * m + 0.4505937099 * s,
            0.0259040371 * l + 0.7827717662 * m - 0.8086757660 * s};
}

struct NamedColor {
    std::string name;
    std::uint32_t rgb;
    Lab lab;
};

// The named-colour table, read once from its text.
const std::vector<NamedColor>& namedColors() {
    static const std::vector<NamedColor> colors = [] {
        std::vector<NamedColor> parsed;
        std::string table = UIColor_Utilities_Support::colorNameDB;
        std::size_t at = 0;
        while ((at = table.find(',', at)) != std::string::npos) {
            std::size_t hash = table.find('#', at);
            std::string name = table.substr(at + 1, hash - at - 1);
            auto rgb = static_cast<std::uint32_t>(
                std::strtoul(table.substr(hash + 1, 6).c_str(), nullptr, 16));
            auto byte = [rgb](unsigned shift) { return ((rgb >> shift) & 0xFFU) / 255.0; };
            parsed.push_back({name, rgb, oklab(byte(16), byte(8), byte(0))});
            at = hash;
        }
        return parsed;
    }();
    return colors;
}

double clamped(CGFloat value) {
    return std::clamp(static_cast<double>(value), 0.0, 1.0);
}

double distanceSquared(const Lab& a, const Lab& b) {
    double dl = a[0] - b[0], da = a[1] - b[1], db = a[2] - b[2];
    return dl * dl + da * da + db * db;
}

} // namespace

std::string UIColor_Utilities::nearestColorName(const UIColorRef& color, bool* exact) {
    if (exact != nullptr) {
        *exact = false;
    }
    if (!canProvideRGBComponents(color)) {
        return {};
    }
    Lab lab = oklab(clamped(red(color)), clamped(green(color)), clamped(blue(color)));
    const NamedColor* nearest = nullptr;
    double best = 0;
    for (const NamedColor& named : namedColors()) {
        double distance = distanceSquared(lab, named.lab);
        // "<=": of names that share a value, the last in the table wins.
        if (nearest == nullptr || distance <= best) {
            nearest = &named;
            best = distance;
        }
    }
    if (exact != nullptr) {
        *exact = nearest->rgb == rgbHex(color);
    }
    return nearest->name;
}

std::string UIColor_Utilities::spokenDescription(const UIColorRef& color) {
    bool exact = false;
    std::string name = nearestColorName(color, &exact);
    if (name.empty()) {
        return {};
    }
    char hex[8];
    std::snprintf(hex, sizeof hex, "#%06X", static_cast<unsigned>(rgbHex(color)));
    std::string spoken = (exact ? "" : "near ") + name + ", " + hex;
    double opacity = clamped(alpha(color));
    if (opacity < 1) {
        // Never "100%" for a colour that is not opaque.
        long percent = std::min(std::lround(opacity * 100), 99L);
        spoken += ", " + std::to_string(percent) + "% opaque";
    }
    return spoken;
}
