// Components, packed hexadecimal values and text forms.
#include "UIColor-Utilities.h"
#include "UIColor-UtilitiesChecks.h"

#include <Foundation/NSAssertionHandler.h>
#include <Foundation/NSNumber.h>
#include <Foundation/NSScanner.h>

#include <cmath>
#include <utility>

using namespace colorutilities;

namespace colorutilities {

void reportFailure(const UIColorRef& color, const Check& check) {
    NSAssertionHandler::currentHandler()->handleFailureInMethod(
        sel_registerName(check.selector), color.get(), kSourceFile, check.line, check.message);
}

CGFloat componentAt(const UIColorRef& color, std::size_t index) {
    if (!color || index >= CGColorGetNumberOfComponents(color->CGColor())) {
        return 0;
    }
    return CGColorGetComponents(color->CGColor())[index];
}

} // namespace colorutilities

namespace {

bool isMonochrome(const UIColorRef& color) {
    return UIColor_Utilities::colorSpaceModel(color) == kCGColorSpaceModelMonochrome;
}

// Clamps to 0..1 in two steps, so that NaN ends as 1, then rounds to a channel.
int channel(CGFloat value) {
    CGFloat clamped = value < 0 ? 0 : value;
    clamped = clamped < 1 ? clamped : 1;
    return static_cast<int>(std::roundf(clamped * 255.0f));
}

UIColorRef colorFromChannels(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a) {
    return UIColor::colorWithRed(static_cast<float>(r) / 255.0f, static_cast<float>(g) / 255.0f,
                                 static_cast<float>(b) / 255.0f, static_cast<float>(a) / 255.0f);
}

} // namespace

// ---- model and components ----

int UIColor_Utilities::colorSpaceModel(const UIColorRef& color) {
    if (!color) {
        return 0;
    }
    return CGColorSpaceGetModel(CGColorGetColorSpace(color->CGColor()));
}

NSStringRef UIColor_Utilities::colorSpaceString(const UIColorRef& color) {
    if (!color) {
        return nullptr;
    }
    switch (colorSpaceModel(color)) {
    case kCGColorSpaceModelUnknown:
        return NSString::string("kCGColorSpaceModelUnknown");
    case kCGColorSpaceModelMonochrome:
        return NSString::string("kCGColorSpaceModelMonochrome");
    case kCGColorSpaceModelRGB:
        return NSString::string("kCGColorSpaceModelRGB");
    case kCGColorSpaceModelCMYK:
        return NSString::string("kCGColorSpaceModelCMYK");
    case kCGColorSpaceModelLab:
        return NSString::string("kCGColorSpaceModelLab");
    case kCGColorSpaceModelDeviceN:
        return NSString::string("kCGColorSpaceModelDeviceN");
    case kCGColorSpaceModelIndexed:
        return NSString::string("kCGColorSpaceModelIndexed");
    case kCGColorSpaceModelPattern:
        return NSString::string("kCGColorSpaceModelPattern");
    default:
        return NSString::string("Not a valid color space");
    }
}

bool UIColor_Utilities::canProvideRGBComponents(const UIColorRef& color) {
    // Unsigned, so that the unknown model (-1) is refused with the rest.
    return color && static_cast<unsigned>(colorSpaceModel(color)) <= 1;
}

bool UIColor_Utilities::red(const UIColorRef& color, CGFloat* red, CGFloat* green, CGFloat* blue,
                            CGFloat* alpha) {
    if (!color) {
        return false;
    }
    CGFloat r = 0, g = 0, b = 0, a = 0;
    switch (colorSpaceModel(color)) {
    case kCGColorSpaceModelRGB:
        r = componentAt(color, 0);
        g = componentAt(color, 1);
        b = componentAt(color, 2);
        a = componentAt(color, 3);
        break;
    case kCGColorSpaceModelMonochrome:
        r = g = b = componentAt(color, 0);
        a = componentAt(color, 1);
        break;
    default:
        return false;
    }
    const std::pair<CGFloat*, CGFloat> outputs[] = {{red, r}, {green, g}, {blue, b}, {alpha, a}};
    for (auto [out, value] : outputs) {
        if (out != nullptr) {
            *out = value;
        }
    }
    return true;
}

std::shared_ptr<NSArray> UIColor_Utilities::arrayFromRGBAComponents(const UIColorRef& color) {
    if (!color) {
        return nullptr;
    }
    requireRGB(color, kArrayCheck);
    CGFloat r, g, b, a;
    if (!red(color, &r, &g, &b, &a)) {
        return nullptr;
    }
    return NSArray::arrayWithObjects({NSNumber::numberWithFloat(r), NSNumber::numberWithFloat(g),
                                      NSNumber::numberWithFloat(b), NSNumber::numberWithFloat(a)});
}

CGFloat UIColor_Utilities::red(const UIColorRef& color) {
    if (!color) {
        return 0;
    }
    requireRGB(color, kRedCheck);
    return componentAt(color, 0);
}

CGFloat UIColor_Utilities::green(const UIColorRef& color) {
    if (!color) {
        return 0;
    }
    requireRGB(color, kGreenCheck);
    return componentAt(color, isMonochrome(color) ? 0 : 1);
}

CGFloat UIColor_Utilities::blue(const UIColorRef& color) {
    if (!color) {
        return 0;
    }
    requireRGB(color, kBlueCheck);
    return componentAt(color, isMonochrome(color) ? 0 : 2);
}

CGFloat UIColor_Utilities::white(const UIColorRef& color) {
    if (!color) {
        return 0;
    }
    if (!isMonochrome(color)) {
        reportFailure(color, kWhiteCheck);
    }
    return componentAt(color, 0);
}

CGFloat UIColor_Utilities::alpha(const UIColorRef& color) {
    return color ? CGColorGetAlpha(color->CGColor()) : 0;
}

// ---- packed values ----

std::uint32_t UIColor_Utilities::rgbHex(const UIColorRef& color) {
    if (!color) {
        return 0;
    }
    requireRGB(color, kRGBHexCheck);
    if (!red(color, nullptr, nullptr, nullptr, nullptr)) {
        return 0;
    }
    auto r = static_cast<std::uint32_t>(channel(red(color)));
    auto g = static_cast<std::uint32_t>(channel(green(color)));
    auto b = static_cast<std::uint32_t>(channel(blue(color)));
    return (r << 16) | (g << 8) | b;
}

std::uint32_t UIColor_Utilities::rgbaHex(const UIColorRef& color) {
    if (!color) {
        return 0;
    }
    requireRGB(color, kRGBAHexCheck);
    if (!red(color, nullptr, nullptr, nullptr, nullptr)) {
        return 0;
    }
    auto r = static_cast<std::uint32_t>(channel(red(color)));
    auto g = static_cast<std::uint32_t>(channel(green(color)));
    auto b = static_cast<std::uint32_t>(channel(blue(color)));
    auto a = static_cast<std::uint32_t>(channel(alpha(color)));
    return (r << 24) | (g << 16) | (b << 8) | a;
}

UIColorRef UIColor_Utilities::colorWithRGBHex(std::uint32_t hex) {
    return colorFromChannels((hex >> 16) & 0xFF, (hex >> 8) & 0xFF, hex & 0xFF, 0xFF);
}

UIColorRef UIColor_Utilities::colorWithRGBAHex(std::uint32_t hex) {
    return colorFromChannels((hex >> 24) & 0xFF, (hex >> 16) & 0xFF, (hex >> 8) & 0xFF, hex & 0xFF);
}

// ---- text forms ----

NSStringRef UIColor_Utilities::stringFromColor(const UIColorRef& color) {
    if (!color) {
        return nullptr;
    }
    requireRGB(color, kStringCheck);
    switch (colorSpaceModel(color)) {
    case kCGColorSpaceModelMonochrome:
        return NSString::stringWithFormat("{%0.3f, %0.3f}", white(color), alpha(color));
    case kCGColorSpaceModelRGB:
        return NSString::stringWithFormat("{%0.3f, %0.3f, %0.3f, %0.3f}", red(color), green(color),
                                          blue(color), alpha(color));
    default:
        return nullptr;
    }
}

NSStringRef UIColor_Utilities::hexStringFromColor(const UIColorRef& color) {
    if (!color) {
        return nullptr;
    }
    if (static_cast<double>(alpha(color)) == 1.0) {
        return NSString::stringWithFormat("%0.6X", rgbHex(color));
    }
    return NSString::stringWithFormat("%0.8X", rgbaHex(color));
}

UIColorRef UIColor_Utilities::colorWithString(const NSStringRef& string) {
    NSScannerRef scanner = NSScanner::scannerWithString(string);
    if (!scanner->scanString("{", nullptr)) {
        return nullptr;
    }
    CGFloat c[4] = {0, 0, 0, 0};
    int n = 0;
    if (!scanner->scanFloat(&c[n++])) {
        return nullptr;
    }
    while (!scanner->scanString("}", nullptr)) {
        if (n >= 4 || !scanner->scanString(",", nullptr) || !scanner->scanFloat(&c[n++])) {
            return nullptr;
        }
    }
    if (!scanner->isAtEnd()) {
        return nullptr;
    }
    switch (n) {
    case 4:
        return UIColor::colorWithRed(c[0], c[1], c[2], c[3]);
    case 2:
        return UIColor::colorWithWhite(c[0], c[1]);
    default:
        return nullptr;
    }
}

UIColorRef UIColor_Utilities::colorWithString(const char* string) {
    return string ? colorWithString(NSString::stringWithUTF8String(string)) : nullptr;
}

UIColorRef UIColor_Utilities::colorWithHexString(const NSStringRef& string) {
    unsigned hex = 0;
    if (!string || !NSScanner::scannerWithString(string)->scanHexInt(&hex)) {
        return nullptr;
    }
    // The whole text's length decides, not the number of digits read: "0xD1EEFC" and
    // " D1EEFC" are eight and seven units long and so read as RRGGBBAA.
    return string->length() == 6 ? colorWithRGBHex(hex) : colorWithRGBAHex(hex);
}

UIColorRef UIColor_Utilities::colorWithHexString(const char* string) {
    return string ? colorWithHexString(NSString::stringWithUTF8String(string)) : nullptr;
}
