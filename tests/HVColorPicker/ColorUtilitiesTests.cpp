#include "ColorTestSupport.h"
#include "UIColor-Utilities.h"

#include <Foundation/NSException.h>
#include <Foundation/NSNumber.h>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <optional>
#include <random>

using namespace colortest;
using U = UIColor_Utilities;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

float channelValue(std::uint32_t channel) {
    return static_cast<float>(channel) / 255.0f;
}

// The RGB colour whose channels are the bytes of 0xRRGGBBAA.
void expectChannels(const UIColorRef& color, std::uint32_t rgba) {
    ASSERT_NE(color, nullptr);
    ASSERT_EQ(modelOf(color), kCGColorSpaceModelRGB);
    auto c = componentsOf(color);
    EXPECT_EQ(c[0], channelValue(rgba >> 24));
    EXPECT_EQ(c[1], channelValue((rgba >> 16) & 0xFF));
    EXPECT_EQ(c[2], channelValue((rgba >> 8) & 0xFF));
    EXPECT_EQ(c[3], channelValue(rgba & 0xFF));
}

TEST(ColorSpace, NamesEveryModel) {
    const std::pair<int, const char*> cases[] = {
        {-1, "kCGColorSpaceModelUnknown"}, {0, "kCGColorSpaceModelMonochrome"},
        {1, "kCGColorSpaceModelRGB"},      {2, "kCGColorSpaceModelCMYK"},
        {3, "kCGColorSpaceModelLab"},      {4, "kCGColorSpaceModelDeviceN"},
        {5, "kCGColorSpaceModelIndexed"},  {6, "kCGColorSpaceModelPattern"},
        {7, "Not a valid color space"},    {-2, "Not a valid color space"},
        {1000, "Not a valid color space"},
    };
    for (auto [model, name] : cases) {
        auto color = ofModel(model);
        EXPECT_EQ(U::colorSpaceModel(color), model);
        EXPECT_EQ(U::colorSpaceString(color)->utf8(), name);
        EXPECT_EQ(U::canProvideRGBComponents(color), model == 0 || model == 1) << model;
    }
    EXPECT_EQ(U::colorSpaceString(pattern())->utf8(), "kCGColorSpaceModelPattern");
}

TEST(Components, RedGreenBlueAlphaByModel) {
    CGFloat r = -9, g = -9, b = -9, a = -9;
    EXPECT_TRUE(U::red(rgb(0.1f, 0.2f, 0.3f, 0.4f), &r, &g, &b, &a));
    EXPECT_EQ((std::vector<CGFloat>{r, g, b, a}), (std::vector<CGFloat>{0.1f, 0.2f, 0.3f, 0.4f}));

    EXPECT_TRUE(U::red(grey(0.6f, 0.7f), &r, &g, &b, &a));
    EXPECT_EQ((std::vector<CGFloat>{r, g, b, a}), (std::vector<CGFloat>{0.6f, 0.6f, 0.6f, 0.7f}));

    // Null pointers are skipped: only green is written.
    r = g = b = a = -9;
    EXPECT_TRUE(U::red(rgb(0.1f, 0.2f, 0.3f), nullptr, &g, nullptr, nullptr));
    EXPECT_EQ(g, 0.2f);
    EXPECT_EQ(r, -9);
    EXPECT_TRUE(U::red(rgb(0.1f, 0.2f, 0.3f), nullptr, nullptr, nullptr, nullptr));

    // Other models: false, nothing written, nothing reported.
    RecordingHandlerScope recording;
    for (const auto& color : {pattern(), cmyk(0.1f, 0.2f, 0.3f, 0.4f), ofModel(-1)}) {
        r = g = b = a = -9;
        EXPECT_FALSE(U::red(color, &r, &g, &b, &a));
        EXPECT_EQ((std::vector<CGFloat>{r, g, b, a}), (std::vector<CGFloat>(4, -9)));
    }
    EXPECT_FALSE(U::red(nullptr, &r, &g, &b, &a));
    EXPECT_TRUE(recording.failures().empty());
}

TEST(Components, SingleComponentReaders) {
    auto color = rgb(0.1f, 0.2f, 0.3f, 0.4f);
    EXPECT_EQ(U::red(color), 0.1f);
    EXPECT_EQ(U::green(color), 0.2f);
    EXPECT_EQ(U::blue(color), 0.3f);
    EXPECT_EQ(U::alpha(color), 0.4f);

    auto gray = grey(0.6f, 0.7f);
    EXPECT_EQ(U::red(gray), 0.6f);
    EXPECT_EQ(U::green(gray), 0.6f);
    EXPECT_EQ(U::blue(gray), 0.6f);
    EXPECT_EQ(U::white(gray), 0.6f);
    EXPECT_EQ(U::alpha(gray), 0.7f);

    // alpha has no check and works for every model.
    EXPECT_EQ(U::alpha(pattern()), 1);
    EXPECT_EQ(U::alpha(cmyk(0, 0, 0, 0, 0.25f)), 0.25f);
}

TEST(Components, ArrayHoldsFourFloatNumbers) {
    auto array = U::arrayFromRGBAComponents(grey(0.25f, 0.5f));
    ASSERT_NE(array, nullptr);
    ASSERT_EQ(array->count(), 4u);
    const float expected[] = {0.25f, 0.25f, 0.25f, 0.5f};
    for (NSUInteger i = 0; i < 4; ++i) {
        auto number = ns_cast<NSNumber>(array->objectAtIndex(i));
        ASSERT_NE(number, nullptr);
        EXPECT_EQ(number->kind(), NSNumber::Kind::Real);
        EXPECT_EQ(number->floatValue(), expected[i]);
    }
}

TEST(Components, NoColourAnswersNothing) {
    EXPECT_EQ(U::red(nullptr), 0);
    EXPECT_EQ(U::white(nullptr), 0);
    EXPECT_EQ(U::rgbaHex(nullptr), 0u);
    EXPECT_EQ(U::stringFromColor(nullptr), nullptr);
    EXPECT_EQ(U::hexStringFromColor(nullptr), nullptr);
    EXPECT_EQ(U::arrayFromRGBAComponents(nullptr), nullptr);
    EXPECT_FALSE(U::canProvideRGBComponents(nullptr));
}

struct Packing {
    const char* name;
    UIColorRef color;
    std::uint32_t rgbHex;
    std::uint32_t rgbaHex;
    const char* hexString;
};

TEST(Packing, ChannelsRoundAndClamp) {
    const Packing cases[] = {
        {"grey 0.5: 127.5 rounds up", grey(0.5f), 0x808080, 0x808080FF, "808080"},
        {"from hex D1EEFC", U::colorWithRGBHex(0xD1EEFC), 0xD1EEFC, 0xD1EEFCFF, "D1EEFC"},
        {"out of range and NaN", rgb(-0.2f, 1.7f, kNaN, 1), 0x00FFFF, 0x00FFFFFF, "00FFFF"},
        {"alpha 0.999 packs as FF", rgb(0, 0, 0, 0.999f), 0x000000, 0x000000FF, "000000FF"},
        {"translucent", rgb(0.2f, 0.4f, 0.6f, 0.5f), 0x336699, 0x33669980, "33669980"},
        {"negative alpha", grey(1, -3), 0xFFFFFF, 0xFFFFFF00, "FFFFFF00"},
        {"just under half a step", rgb(0.5f / 255 - 1e-6f, 0, 0), 0, 0x000000FF, "000000"},
        {"half a step rounds away from zero", rgb(1.5f / 255, 0, 0), 0x020000, 0x020000FF,
         "020000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(U::rgbHex(c.color), c.rgbHex);
        EXPECT_EQ(U::rgbaHex(c.color), c.rgbaHex);
        EXPECT_EQ(U::hexStringFromColor(c.color)->utf8(), c.hexString);
    }
}

TEST(Packing, HexConstructorsPlaceEachByte) {
    expectChannels(U::colorWithRGBHex(0xFF123456), 0x123456FF); // top byte ignored
    expectChannels(U::colorWithRGBHex(0), 0x000000FF);
    expectChannels(U::colorWithRGBAHex(0x80FF0000), 0x80FF0000);
    expectChannels(U::colorWithRGBAHex(0x12345678), 0x12345678);
}

// Every channel value in every position survives packing and unpacking unchanged.
TEST(Packing, RGBAHexRoundTripsEveryChannelValue) {
    for (int shift = 0; shift < 32; shift += 8) {
        for (std::uint32_t value = 0; value <= 255; ++value) {
            std::uint32_t hex = (value << shift) | (0x5A5A5A5Au & ~(0xFFu << shift));
            ASSERT_EQ(U::rgbaHex(U::colorWithRGBAHex(hex)), hex);
            std::uint32_t rgbPart = hex & 0xFFFFFF;
            ASSERT_EQ(U::rgbHex(U::colorWithRGBHex(hex)), rgbPart);
        }
    }
    std::mt19937 random(11);
    for (int i = 0; i < 100000; ++i) {
        std::uint32_t hex = random();
        ASSERT_EQ(U::rgbaHex(U::colorWithRGBAHex(hex)), hex);
    }
}

// The other way: a colour packed and rebuilt is within half a channel step.
TEST(Packing, ColorWithRGBAHexOfRGBAHexIsWithinHalfAStep) {
    std::mt19937 random(12);
    std::uniform_real_distribution<float> unit(0, 1);
    for (int i = 0; i < 100000; ++i) {
        auto color = rgb(unit(random), unit(random), unit(random), unit(random));
        auto back = componentsOf(U::colorWithRGBAHex(U::rgbaHex(color)));
        auto original = componentsOf(color);
        for (int k = 0; k < 4; ++k) {
            ASSERT_NEAR(back[k], original[k], 0.5f / 255 + 1e-6f);
        }
    }
}

// Expected colour: 0xRRGGBBAA, or nullopt for nil.
struct HexText {
    std::string text;
    std::optional<std::uint32_t> rgba;
};

TEST(HexString, ReadsByTheLengthOfTheWholeText) {
    const HexText cases[] = {
        {"D1EEFC", 0xD1EEFCFF},
        {"d1eefc", 0xD1EEFCFF},
        {"80FF0000", 0x80FF0000},
        {"0xD1EEFC", 0x00D1EEFC}, // eight units long: RGBA
        {"0XD1EEFC", 0x00D1EEFC},
        {" D1EEFC", 0x00D1EEFC},  // seven units long: RGBA
        {"D1EEFCzz", 0x00D1EEFC}, // the letters end the number but count
        {"FFF", 0x00000FFF},
        {"123456789", 0xFFFFFFFF}, // more than eight digits saturate
        {"000000000000D1EEFC", 0x00D1EEFC},
        {"0x", 0x00000000},            // the "0" is the number
        {"D1EEF\xC3\x87", 0x0D1EEFFF}, // "Ç" is one unit: six units, RGB
        {"#D1EEFC", std::nullopt},
        {"", std::nullopt},
        {"GHIJKL", std::nullopt},
        {"-1", std::nullopt},
        {"  ", std::nullopt},
    };
    for (const auto& [text, rgba] : cases) {
        SCOPED_TRACE("\"" + text + "\"");
        auto color = U::colorWithHexString(NSString::string(text));
        if (!rgba) {
            EXPECT_EQ(color, nullptr);
            continue;
        }
        expectChannels(color, *rgba);
    }
    EXPECT_EQ(U::colorWithHexString(NSStringRef()), nullptr);
    EXPECT_EQ(U::colorWithHexString(static_cast<const char*>(nullptr)), nullptr);
}

TEST(ComponentText, PrintsThreeDecimals) {
    const std::pair<UIColorRef, const char*> cases[] = {
        {grey(0.5f), "{0.500, 1.000}"},
        {rgb(0.2f, 0.4f, 0.6f), "{0.200, 0.400, 0.600, 1.000}"},
        {rgb(-0.25f, 1.5f, 0.0005f, 0.9996f), "{-0.250, 1.500, 0.001, 1.000}"},
        {rgb(-0.0001f, 0, 0, 0), "{-0.000, 0.000, 0.000, 0.000}"},
        {grey(0.0625f, 0.3125f), "{0.062, 0.312}"}, // exact halves round to even digits
    };
    for (const auto& [color, text] : cases) {
        EXPECT_EQ(U::stringFromColor(color)->utf8(), text);
    }
}

struct ComponentTextCase {
    std::string text;
    std::optional<std::vector<CGFloat>> components; // white and alpha, or r, g, b, a
};

TEST(ComponentText, AcceptsTwoOrFourNumbersAndRefusesTheRest) {
    using V = std::vector<CGFloat>;
    const ComponentTextCase cases[] = {
        {"{0.2, 0.4, 0.6, 1}", V{0.2f, 0.4f, 0.6f, 1}},
        {" \t{ 0.2 ,0.4,  0.6 , 1 }\n ", V{0.2f, 0.4f, 0.6f, 1}},
        {"{0.5, 1}", V{0.5f, 1}},
        {"\n{0.5,\r\n1}\n", V{0.5f, 1}},
        {"{2, -1}", V{2, -1}}, // kept as read
        {"{+.25, 5., 1e-1, -2.5E+1}", V{0.25f, 5, 0.1f, -25}},
        {"{1e39, 0}", V{std::numeric_limits<float>::infinity(), 0}},
        {"{0.5}", std::nullopt},
        {"{0.1, 0.2, 0.3}", std::nullopt},
        {"{0.1, 0.2, 0.3, 0.4, 0.5}", std::nullopt},
        {"{}", std::nullopt},
        {"{0.5, 1,}", std::nullopt},
        {"{0.5 1}", std::nullopt},
        {"{0.5, 1} x", std::nullopt},
        {"{0.5, 1}}", std::nullopt},
        {"{0.5, 1", std::nullopt},
        {"(0.5, 1)", std::nullopt},
        {"{,0.5, 1}", std::nullopt},
        {"{inf, 1}", std::nullopt},
        {"{nan, 1}", std::nullopt},
        {"{0x1p-1, 1}", std::nullopt},
        {"{0.5, 1e}", std::nullopt},
        {"", std::nullopt},
        {"0.5, 1", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE("\"" + text + "\"");
        auto color = U::colorWithString(NSString::string(text));
        if (!expected) {
            EXPECT_EQ(color, nullptr);
            continue;
        }
        ASSERT_NE(color, nullptr);
        EXPECT_EQ(modelOf(color),
                  expected->size() == 2 ? kCGColorSpaceModelMonochrome : kCGColorSpaceModelRGB);
        EXPECT_EQ(componentsOf(color), *expected);
    }
    EXPECT_EQ(U::colorWithString(NSStringRef()), nullptr);
    EXPECT_EQ(U::colorWithString(static_cast<const char*>(nullptr)), nullptr);
}

TEST(ComponentText, RoundTripsToThreeDecimals) {
    std::mt19937 random(14);
    std::uniform_real_distribution<float> unit(0, 1);
    constexpr float tolerance = 0.0005f + 1e-6f;
    for (int i = 0; i < 50000; ++i) {
        auto color = (i % 3 == 0) ? grey(unit(random), unit(random))
                                  : rgb(unit(random), unit(random), unit(random), unit(random));
        auto back = U::colorWithString(U::stringFromColor(color));
        ASSERT_NE(back, nullptr);
        ASSERT_EQ(modelOf(back), modelOf(color));
        auto original = componentsOf(color);
        auto read = componentsOf(back);
        for (std::size_t k = 0; k < original.size(); ++k) {
            ASSERT_NEAR(read[k], original[k], tolerance);
        }
    }
}

// ---- precondition checks ----

struct CheckCase {
    const char* name;
    std::function<void()> operation; // runs the operation on a colour that fails the check
    const char* selector;
    int line;
    const char* message;
};

std::vector<CheckCase> checkCases() {
    return {
        {"array", [] { U::arrayFromRGBAComponents(pattern()); }, "arrayFromRGBAComponents", 89,
         "Must be an RGB color to use -arrayFromRGBAComponents"},
        {"red", [] { U::red(cmyk(0, 0, 0, 0)); }, "red", 131, "Must be an RGB color to use -red"},
        {"green", [] { U::green(ofModel(-1)); }, "green", 137,
         "Must be an RGB color to use -green"},
        {"blue", [] { U::blue(pattern()); }, "blue", 144, "Must be an RGB color to use -blue"},
        {"white", [] { U::white(rgb(1, 1, 1)); }, "white", 151,
         "Must be a Monochrome color to use -white"},
        {"rgbHex", [] { U::rgbHex(pattern()); }, "rgbHex", 161,
         "Must be a RGB color to use rgbHex"},
        {"rgbaHex", [] { U::rgbaHex(pattern()); }, "rgbaHex", 176,
         "Must be a RGB color to use rgbaHex"},
        {"hex string, opaque", [] { U::hexStringFromColor(pattern()); }, "rgbHex", 161,
         "Must be a RGB color to use rgbHex"},
        {"hex string, translucent", [] { U::hexStringFromColor(cmyk(0, 0, 0, 0, 0.5f)); },
         "rgbaHex", 176, "Must be a RGB color to use rgbaHex"},
        {"string", [] { U::stringFromColor(cmyk(0, 0, 0, 0)); }, "stringFromColor", 310,
         "Must be an RGB color to use -stringFromColor"},
    };
}

TEST(Checks, StandardHandlerRaisesWithOperationFileAndLine) {
    for (const auto& c : checkCases()) {
        SCOPED_TRACE(c.name);
        try {
            c.operation();
            ADD_FAILURE() << "no exception";
        } catch (const NSException& exception) {
            EXPECT_EQ(exception.name(), NSInternalInconsistencyException);
            EXPECT_EQ(exception.reason(), c.message);
            EXPECT_EQ(exception.operation(), c.selector);
            EXPECT_EQ(std::filesystem::path(exception.fileName()).filename(), "UIColor-Utilities");
            EXPECT_EQ(exception.lineNumber(), c.line);
        }
    }
}

TEST(Checks, EachOperationReportsOnce) {
    for (const auto& c : checkCases()) {
        SCOPED_TRACE(c.name);
        RecordingHandlerScope recording;
        c.operation();
        ASSERT_EQ(recording.failures().size(), 1u);
        EXPECT_EQ(recording.failures()[0].line, c.line);
        EXPECT_EQ(recording.failures()[0].description, c.message);
    }
}

TEST(Checks, MonochromeAndRGBPassTheirChecks) {
    RecordingHandlerScope recording;
    for (const auto& color : {grey(0.3f, 0.5f), rgb(0.1f, 0.2f, 0.3f, 0.5f)}) {
        U::red(color);
        U::green(color);
        U::blue(color);
        U::rgbHex(color);
        U::hexStringFromColor(color);
        U::stringFromColor(color);
        U::arrayFromRGBAComponents(color);
    }
    U::white(grey(0.3f));
    EXPECT_TRUE(recording.failures().empty());
}

// When the handler returns, the readers read whatever the colour holds and the rest
// give up as if the colour had been refused.
TEST(Checks, OperationsGoOnWhenTheHandlerReturns) {
    RecordingHandlerScope recording;
    auto inks = cmyk(0.1f, 0.2f, 0.3f, 0.4f, 0.5f);
    EXPECT_EQ(U::red(inks), 0.1f);
    ASSERT_EQ(recording.failures().size(), 1u);
    EXPECT_EQ(recording.failures()[0].object, inks.get());
    EXPECT_EQ(U::green(inks), 0.2f);
    EXPECT_EQ(U::blue(inks), 0.3f);
    EXPECT_EQ(U::white(rgb(0.7f, 0.8f, 0.9f)), 0.7f);
    EXPECT_EQ(U::arrayFromRGBAComponents(inks), nullptr);
    EXPECT_EQ(U::stringFromColor(inks), nullptr);
    EXPECT_EQ(U::rgbHex(inks), 0u);
    EXPECT_EQ(U::rgbaHex(inks), 0u);
    EXPECT_EQ(U::hexStringFromColor(pattern())->utf8(), "000000");
    EXPECT_EQ(U::hexStringFromColor(inks)->utf8(), "00000000");
    // A pattern colour holds only its alpha: the components it lacks read as 0.
    auto tiles = pattern();
    EXPECT_EQ(U::red(tiles), 1);
    EXPECT_EQ(U::green(tiles), 0);
    EXPECT_EQ(U::blue(tiles), 0);
}

} // namespace
