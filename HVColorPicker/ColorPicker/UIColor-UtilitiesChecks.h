// The precondition checks of the colour utilities. Their file, lines and messages are
// part of the library's behaviour (both deliverables report the same ones), so they
// are fixed here rather than taken from where the check happens to be written.
#pragma once

#include "UIColor-Utilities.h"

#include <cstddef>

namespace colorutilities {

struct Check {
    const char* selector;
    int line;
    const char* message;
};

inline constexpr const char* kSourceFile = "HVColorPicker/ColorPicker/UIColor-Utilities";

inline constexpr Check kArrayCheck{"arrayFromRGBAComponents", 89,
                                   "Must be an RGB color to use -arrayFromRGBAComponents"};
inline constexpr Check kRedCheck{"red", 131, "Must be an RGB color to use -red"};
inline constexpr Check kGreenCheck{"green", 137, "Must be an RGB color to use -green"};
inline constexpr Check kBlueCheck{"blue", 144, "Must be an RGB color to use -blue"};
inline constexpr Check kWhiteCheck{"white", 151, "Must be a Monochrome color to use -white"};
inline constexpr Check kRGBHexCheck{"rgbHex", 161, "Must be a RGB color to use rgbHex"};
inline constexpr Check kRGBAHexCheck{"rgbaHex", 176, "Must be a RGB color to use rgbaHex"};
inline constexpr Check kStringCheck{"stringFromColor", 310,
                                    "Must be an RGB color to use -stringFromColor"};

// The arithmetic's message is spelled so on the platform; callers match it exactly.
inline constexpr const char* kArithmeticMessage =
    "Must be a RGB color to use arithmatic operations";
inline constexpr Check kLuminanceCheck{"colorByLuminanceMapping", 195, kArithmeticMessage};
inline constexpr Check kMultiplyCheck{"colorByMultiplyingByRed:green:blue:alpha:", 208,
                                      kArithmeticMessage};
inline constexpr Check kAddCheck{"colorByAddingRed:green:blue:alpha:", 220, kArithmeticMessage};
inline constexpr Check kLightenCheck{"colorByLighteningToRed:green:blue:alpha:", 232,
                                     kArithmeticMessage};
inline constexpr Check kDarkenCheck{"colorByDarkeningToRed:green:blue:alpha:", 244,
                                    kArithmeticMessage};
inline constexpr Check kMultiplyColorCheck{"colorByMultiplyingByColor:", 272, kArithmeticMessage};
inline constexpr Check kAddColorCheck{"colorByAddingColor:", 281, kArithmeticMessage};
inline constexpr Check kLightenColorCheck{"colorByLighteningToColor:", 290, kArithmeticMessage};
inline constexpr Check kDarkenColorCheck{"colorByDarkeningToColor:", 299, kArithmeticMessage};

// Hands a failed check to the current assertion handler; returns if the handler does.
void reportFailure(const UIColorRef& color, const Check& check);

// The check that nearly every operation makes: an RGB or monochrome receiver.
inline void requireRGB(const UIColorRef& color, const Check& check) {
    if (!UIColor_Utilities::canProvideRGBComponents(color)) {
        reportFailure(color, check);
    }
}

// Component `index` of the colour, 0 where it has no such component: a handler that
// returns may let an operation read past a short component array.
CGFloat componentAt(const UIColorRef& color, std::size_t index);

} // namespace colorutilities
