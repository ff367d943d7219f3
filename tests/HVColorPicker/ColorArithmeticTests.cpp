#include "ColorTestSupport.h"
#include "UIColor-Utilities.h"

#include <Foundation/NSException.h>

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <numeric>

using namespace colortest;
using U = UIColor_Utilities;

namespace {

using V = std::vector<CGFloat>;

struct Worked {
    const char* name;
    std::function<UIColorRef()> make;
    int model;
    V components;
};

TEST(Arithmetic, WorkedValues) {
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    const Worked cases[] = {
        {"multiply, clamped",
         [] { return U::colorByMultiplyingByRed(rgb(0.8f, 0.5f, 0.2f), 2, 2, 2, 1); }, 1,
         V{1, 1, 0.4f, 1}},
        {"add, clamped",
         [] { return U::colorByAddingRed(rgb(0.2f, 0.6f, 1, 0.5f), -0.5f, -0.5f, -0.5f, 0); }, 1,
         V{0, 0.6f - 0.5f, 0.5f, 0.5f}},
        {"add one value keeps alpha",
         [] { return U::colorByAdding(rgb(0.1f, 0.2f, 0.3f, 0.5f), 0.25f); }, 1,
         V{0.1f + 0.25f, 0.2f + 0.25f, 0.3f + 0.25f, 0.5f}},
        {"multiply one value keeps alpha",
         [] { return U::colorByMultiplyingBy(grey(0.4f, 0.3f), 0.5f); }, 1,
         V{0.2f, 0.2f, 0.2f, 0.3f}},
        {"multiply by NaN gives 0",
         [] { return U::colorByMultiplyingByRed(rgb(0.5f, 0.5f, 0.5f), nan, 1, 1, 1); }, 1,
         V{0, 0.5f, 0.5f, 1}},
        {"add clamps alpha too", [] { return U::colorByAddingRed(rgb(0, 0, 0, 0.5f), 0, 0, 0, 2); },
         1, V{0, 0, 0, 1}},
        {"lighten to 0.6", [] { return U::colorByLighteningTo(rgb(0.2f, 0.9f, 0.5f), 0.6f); }, 1,
         V{0.6f, 0.9f, 0.6f, 1}},
        {"darken to 0.6", [] { return U::colorByDarkeningTo(rgb(0.2f, 0.9f, 0.5f), 0.6f); }, 1,
         V{0.2f, 0.6f, 0.5f, 1}},
        {"lighten does not clamp",
         [] { return U::colorByLighteningTo(rgb(0.2f, 0.9f, 0.5f, 0.5f), 1.5f); }, 1,
         V{1.5f, 1.5f, 1.5f, 0.5f}},
        {"darken does not clamp",
         [] { return U::colorByDarkeningToRed(rgb(0.2f, 0.9f, 0.5f), -1, 2, 0.5f, 3); }, 1,
         V{-1, 0.9f, 0.5f, 1}},
        {"luminance of red", [] { return U::colorByLuminanceMapping(rgb(1, 0, 0, 0.5f)); }, 0,
         V{0.2126f, 0.5f}},
        {"luminance of green", [] { return U::colorByLuminanceMapping(rgb(0, 1, 0)); }, 0,
         V{0.7152f, 1}},
        {"luminance of blue", [] { return U::colorByLuminanceMapping(rgb(0, 0, 1, 0)); }, 0,
         V{0.0722f, 0}},
        {"multiply by a colour",
         [] {
             return U::colorByMultiplyingByColor(rgb(0.5f, 0.5f, 0.5f, 0.8f),
                                                 rgb(0.2f, 0.4f, 1, 0.1f));
         },
         1, V{0.1f, 0.2f, 0.5f, 0.8f}},
        {"lighten to a colour",
         [] {
             return U::colorByLighteningToColor(rgb(0.2f, 0.2f, 0.2f), rgb(0.5f, 0.1f, 0.3f, 0));
         },
         1, V{0.5f, 0.2f, 0.3f, 1}},
        {"darken to a grey",
         [] { return U::colorByDarkeningToColor(rgb(0.2f, 0.5f, 0.9f, 0.4f), grey(0.3f, 0)); }, 1,
         V{0.2f, 0.3f, 0.3f, 0.4f}},
        {"add a colour",
         [] { return U::colorByAddingColor(grey(0.5f, 0.5f), rgb(0.25f, 0.75f, -1, 1)); }, 1,
         V{0.75f, 1, 0, 0.5f}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto color = c.make();
        ASSERT_NE(color, nullptr);
        EXPECT_EQ(modelOf(color), c.model);
        EXPECT_EQ(componentsOf(color), c.components);
    }
}

TEST(Arithmetic, LuminanceOfWhiteAndGreysIsTheirLevel) {
    for (float level : {0.0f, 0.4f, 1.0f}) {
        auto mapped = U::colorByLuminanceMapping(grey(level, 0.25f));
        ASSERT_EQ(modelOf(mapped), kCGColorSpaceModelMonochrome);
        EXPECT_NEAR(componentsOf(mapped)[0], level, 1e-6f);
        EXPECT_EQ(componentsOf(mapped)[1], 0.25f);
    }
}

TEST(Arithmetic, ArgumentWithoutComponentsGivesNilSilently) {
    RecordingHandlerScope recording;
    auto color = rgb(0.5f, 0.5f, 0.5f);
    EXPECT_EQ(U::colorByMultiplyingByColor(color, pattern()), nullptr);
    EXPECT_EQ(U::colorByMultiplyingByColor(color, nullptr), nullptr);
    EXPECT_EQ(U::colorByAddingColor(color, cmyk(0, 0, 0, 0)), nullptr);
    EXPECT_EQ(U::colorByLighteningToColor(color, ofModel(-1)), nullptr);
    EXPECT_EQ(U::colorByDarkeningToColor(color, nullptr), nullptr);
    EXPECT_TRUE(recording.failures().empty());
    EXPECT_EQ(U::colorByLuminanceMapping(nullptr), nullptr);
    EXPECT_EQ(U::colorByAdding(nullptr, 1), nullptr);
}

struct ArithmeticCheck {
    const char* name;
    std::function<UIColorRef(const UIColorRef&)> operation;
    std::vector<int> lines; // reported in this order when the handler returns
    const char* selector;   // the first report's operation
};

std::vector<ArithmeticCheck> arithmeticChecks() {
    auto other = rgb(0.5f, 0.5f, 0.5f);
    return {
        {"luminance",
         [](auto& c) { return U::colorByLuminanceMapping(c); },
         {195},
         "colorByLuminanceMapping"},
        {"multiply",
         [](auto& c) { return U::colorByMultiplyingByRed(c, 1, 1, 1, 1); },
         {208},
         "colorByMultiplyingByRed:green:blue:alpha:"},
        {"add",
         [](auto& c) { return U::colorByAddingRed(c, 0, 0, 0, 0); },
         {220},
         "colorByAddingRed:green:blue:alpha:"},
        {"lighten",
         [](auto& c) { return U::colorByLighteningToRed(c, 0, 0, 0, 0); },
         {232},
         "colorByLighteningToRed:green:blue:alpha:"},
        {"darken",
         [](auto& c) { return U::colorByDarkeningToRed(c, 1, 1, 1, 1); },
         {244},
         "colorByDarkeningToRed:green:blue:alpha:"},
        {"multiply by",
         [](auto& c) { return U::colorByMultiplyingBy(c, 1); },
         {208},
         "colorByMultiplyingByRed:green:blue:alpha:"},
        {"add one",
         [](auto& c) { return U::colorByAdding(c, 0); },
         {220},
         "colorByAddingRed:green:blue:alpha:"},
        {"lighten to",
         [](auto& c) { return U::colorByLighteningTo(c, 0); },
         {232},
         "colorByLighteningToRed:green:blue:alpha:"},
        {"darken to",
         [](auto& c) { return U::colorByDarkeningTo(c, 1); },
         {244},
         "colorByDarkeningToRed:green:blue:alpha:"},
        {"multiply by colour",
         [other](auto& c) { return U::colorByMultiplyingByColor(c, other); },
         {272, 208},
         "colorByMultiplyingByColor:"},
        {"add colour",
         [other](auto& c) { return U::colorByAddingColor(c, other); },
         {281, 220},
         "colorByAddingColor:"},
        {"lighten to colour",
         [other](auto& c) { return U::colorByLighteningToColor(c, other); },
         {290, 232},
         "colorByLighteningToColor:"},
        {"darken to colour",
         [other](auto& c) { return U::colorByDarkeningToColor(c, other); },
         {299, 244},
         "colorByDarkeningToColor:"},
    };
}

TEST(ArithmeticChecks, StandardHandlerRaisesWithTheOperationsLine) {
    for (const auto& c : arithmeticChecks()) {
        SCOPED_TRACE(c.name);
        try {
            c.operation(pattern());
            ADD_FAILURE() << "no exception";
        } catch (const NSException& exception) {
            EXPECT_EQ(exception.name(), NSInternalInconsistencyException);
            EXPECT_EQ(exception.reason(), "Must be a RGB color to use arithmatic operations");
            EXPECT_EQ(exception.operation(), c.selector);
            EXPECT_EQ(exception.lineNumber(), c.lines.front());
            EXPECT_NE(exception.fileName().find("UIColor-Utilities"), std::string::npos);
        }
    }
}

TEST(ArithmeticChecks, ReturningHandlerStillGivesNilForARefusedReceiver) {
    for (const auto& c : arithmeticChecks()) {
        SCOPED_TRACE(c.name);
        RecordingHandlerScope recording;
        auto receiver = cmyk(0.1f, 0.2f, 0.3f, 0.4f);
        EXPECT_EQ(c.operation(receiver), nullptr);
        std::vector<int> lines;
        for (const auto& failure : recording.failures()) {
            lines.push_back(static_cast<int>(failure.line));
            EXPECT_EQ(failure.object, receiver.get());
        }
        EXPECT_EQ(lines, c.lines);
    }
}

TEST(ArithmeticChecks, RGBAndMonochromeReceiversPass) {
    RecordingHandlerScope recording;
    for (const auto& receiver : {rgb(0.1f, 0.2f, 0.3f), grey(0.5f)}) {
        for (const auto& c : arithmeticChecks()) {
            EXPECT_NE(c.operation(receiver), nullptr) << c.name;
        }
    }
    EXPECT_TRUE(recording.failures().empty());
}

TEST(RandomColor, IsOpaqueRGBInTheUnitRange) {
    for (int i = 0; i < 1000; ++i) {
        auto color = U::randomColor();
        ASSERT_EQ(modelOf(color), kCGColorSpaceModelRGB);
        auto c = componentsOf(color);
        EXPECT_EQ(c[3], 1);
        for (int k = 0; k < 3; ++k) {
            ASSERT_GE(c[k], 0);
            ASSERT_LE(c[k], 1);
        }
    }
}

// Channels drawn independently and uniformly: each mean near 1/2, no two successive
// colours alike, and red, green and blue not tied to each other. The bounds are many
// standard deviations wide, so a correct source does not fail them.
TEST(RandomColor, ChannelsAreIndependentAndUniform) {
    constexpr int count = 20000;
    double sum[3] = {0, 0, 0};
    double redGreen = 0;
    V previous;
    for (int i = 0; i < count; ++i) {
        auto c = componentsOf(U::randomColor());
        ASSERT_NE(c, previous);
        previous = c;
        for (int k = 0; k < 3; ++k) {
            sum[k] += c[k];
        }
        redGreen += (c[0] - 0.5) * (c[1] - 0.5);
    }
    for (double s : sum) {
        EXPECT_NEAR(s / count, 0.5, 0.02); // sd of the mean: 0.002
    }
    EXPECT_NEAR(redGreen / count, 0.0, 0.01); // sd: 0.0006
}

} // namespace
