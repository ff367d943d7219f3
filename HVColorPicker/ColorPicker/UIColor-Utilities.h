// Colour utilities added to UIColor: components, packed hexadecimal values, text
// forms, arithmetic and named colours. Instance operations take the receiving colour
// first; a null receiver answers zero, false or nil, as a message to nil does.
//
// Operations that need an RGB or monochrome colour state it as an assertion check
// through the current NSAssertionHandler, reporting this library's source file and a
// fixed line and message. The standard handler raises; a handler that returns lets
// the operation go on, and it then answers zero or nil where the colour cannot give
// its components.
#pragma once

#include <Foundation/NSArray.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSString.h>
#include <UIKit/UIColor.h>

#include <cstdint>
#include <memory>
#include <string>

class UIColor_Utilities {
  public:
    // ---- model and components ----
    static int colorSpaceModel(const UIColorRef& color);
    // "kCGColorSpaceModelRGB" and its kin, "Not a valid color space" for other values.
    static NSStringRef colorSpaceString(const UIColorRef& color);
    // Monochrome or RGB.
    static bool canProvideRGBComponents(const UIColorRef& color);
    // Red, green, blue, alpha as four float numbers; nil for other models.
    static std::shared_ptr<NSArray> arrayFromRGBAComponents(const UIColorRef& color);
    // Writes through the pointers that are not null. A monochrome colour gives its
    // white level as red, green and blue. False, writing nothing, for other models;
    // it never reports.
    static bool red(const UIColorRef& color, CGFloat* red, CGFloat* green, CGFloat* blue,
                    CGFloat* alpha);
    static CGFloat red(const UIColorRef& color);
    static CGFloat green(const UIColorRef& color);
    static CGFloat blue(const UIColorRef& color);
    // Monochrome colours only.
    static CGFloat white(const UIColorRef& color);
    static CGFloat alpha(const UIColorRef& color);

    // ---- packed values: channels 0..255, components clamped to 0..1 ----
    // 0x00RRGGBB.
    static std::uint32_t rgbHex(const UIColorRef& color);
    // 0xRRGGBBAA.
    static std::uint32_t rgbaHex(const UIColorRef& color);
    // Opaque, from the low 24 bits.
    static UIColorRef colorWithRGBHex(std::uint32_t hex);
    static UIColorRef colorWithRGBAHex(std::uint32_t hex);

    // ---- text forms ----
    // "{r, g, b, a}" or "{w, a}", three decimals each; nil for other models.
    static NSStringRef stringFromColor(const UIColorRef& color);
    // "RRGGBB" when alpha is exactly 1, else "RRGGBBAA"; uppercase, no prefix.
    static NSStringRef hexStringFromColor(const UIColorRef& color);
    // The inverse of stringFromColor: two or four numbers in braces, white space
    // anywhere between tokens. Numbers are kept as read, also outside 0..1.
    static UIColorRef colorWithString(const NSStringRef& string);
    static UIColorRef colorWithString(const char* string);
    // One hexadecimal number (optional "0x"). A text of exactly six UTF-16 units is
    // RRGGBB; any other length is RRGGBBAA, whatever the number of digits.
    static UIColorRef colorWithHexString(const NSStringRef& string);
    static UIColorRef colorWithHexString(const char* string);

    // ---- arithmetic: new colours, the receiver unchanged ----
    // A grey of the same BT.709 luma, alpha kept.
    static UIColorRef colorByLuminanceMapping(const UIColorRef& color);
    // Multiplying and adding clamp each result to 0..1 (NaN to 0), alpha too.
    static UIColorRef colorByMultiplyingByRed(const UIColorRef& color, CGFloat red, CGFloat green,
                                              CGFloat blue, CGFloat alpha);
    static UIColorRef colorByAddingRed(const UIColorRef& color, CGFloat red, CGFloat green,
                                       CGFloat blue, CGFloat alpha);
    // Lightening takes the larger, darkening the smaller of each pair; no clamping.
    static UIColorRef colorByLighteningToRed(const UIColorRef& color, CGFloat red, CGFloat green,
                                             CGFloat blue, CGFloat alpha);
    static UIColorRef colorByDarkeningToRed(const UIColorRef& color, CGFloat red, CGFloat green,
                                            CGFloat blue, CGFloat alpha);
    // One value for red, green and blue; alpha unchanged.
    static UIColorRef colorByMultiplyingBy(const UIColorRef& color, CGFloat f);
    static UIColorRef colorByAdding(const UIColorRef& color, CGFloat f);
    static UIColorRef colorByLighteningTo(const UIColorRef& color, CGFloat f);
    static UIColorRef colorByDarkeningTo(const UIColorRef& color, CGFloat f);
    // Red, green and blue of `other` (a grey for a monochrome colour); the receiver's
    // alpha unchanged. Nil when `other` is missing or cannot give its components.
    static UIColorRef colorByMultiplyingByColor(const UIColorRef& color, const UIColorRef& other);
    static UIColorRef colorByAddingColor(const UIColorRef& color, const UIColorRef& other);
    static UIColorRef colorByLighteningToColor(const UIColorRef& color, const UIColorRef& other);
    static UIColorRef colorByDarkeningToColor(const UIColorRef& color, const UIColorRef& other);
    // Opaque, each channel uniform in 0..1 from the platform's random source.
    static UIColorRef randomColor();

    // ---- named colours ----
    // One of the 147 CSS colour keywords, case-sensitive, whole names only; nil for
    // any other name. Every answer, found or not, is cached for the life of the
    // process, so each name is searched once. A null name gives nil and is not cached.
    static UIColorRef colorWithName(const NSStringRef& name);
    static UIColorRef colorWithName(const char* name);

    // ---- spoken forms, for assistive tools ----
    // The name of the table's colour nearest to the colour's red, green and blue
    // (each clamped to 0..1), Euclidean in OKLab; of names that share a value, the
    // last in the table. `exact` tells whether the two hex forms are equal. Empty
    // for colours that cannot give RGB components.
    static std::string nearestColorName(const UIColorRef& color, bool* exact = nullptr);
    // "blue, #0000FF", "near royalblue, #4365DD", "white, #FFFFFF, 50% opaque": the
    // nearest name ("near" unless exact), the six-digit hex form, and the opacity
    // when below 1 as a whole percentage. Empty where nearestColorName is.
    static std::string spokenDescription(const UIColorRef& color);
};

// The named-colour table and its cache, behind colorWithName.
class UIColor_Utilities_Support {
  public:
    // ",aliceblue#f0f8ff,antiquewhite#faebd7,...,yellowgreen#9acd32": 147 entries in
    // ascending name order, 2485 characters.
    static const char* const colorNameDB;

    // The table search, uncached: the colour for a whole entry name, else nil.
    static UIColorRef searchForColorByName(const NSStringRef& name);

    // The process-wide cache: names as given, to a colour or NSNull for a miss.
    // Created when the library is loaded; never emptied or freed. Guarded by its
    // object lock (objc_sync_enter).
    static NSMutableDictionary* colorNameCache();
    // How many table searches this process has made, for tests and benchmarks.
    static std::uint64_t searchCount();
};
