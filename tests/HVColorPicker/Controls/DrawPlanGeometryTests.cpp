#include "ExpectedDrawPlans.h"
#include "HVColorCompareGeometry.h"
#include "HVColorPickerSwatchGeometry.h"
#include "HVRoundRectGeometry.h"

#include <CoreGraphics/CGRecordingContext.h>

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace expectedplans;

CGColorRef rgb(CGFloat r, CGFloat g, CGFloat b, CGFloat a) {
    const CGFloat components[] = {r, g, b, a};
    return CGColorCreate(CGColorSpaceCreateDeviceRGB(), components);
}

// Stands in for the pattern colour; the plans only pass it on.
const CGColorRef kCheckerboard = rgb(0.25f, 0.5f, 0.75f, 1);

struct CheckerboardSource {
    int reads = 0;
    std::function<CGColorRef()> function() {
        return [this] {
            ++reads;
            return kCheckerboard;
        };
    }
};

TEST(SwatchDrawPlan, CheckerboardOnlyUnderTranslucentColour) {
    struct Case {
        const char* name;
        CGColorRef color;
        bool checkerboard;
    } cases[] = {
        {"opaque red", rgb(1, 0, 0, 1), false},
        {"opaque white in the grey space", grey(1, 1), false},
        {"alpha 0.999", rgb(1, 0, 0, 0.999f), true},
        {"blue at 0.5 after creation", rgb(0, 0, 1, 0.5f), true},
        {"fully transparent", rgb(0, 1, 0, 0), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CGRecordingContext context;
        CheckerboardSource source;
        HVDrawSwatch(&context, {CGRectMake(0, 0, 36, 36), c.color, 1, 6, true}, source.function());
        expectSameOperations(context, swatch36(c.color, c.checkerboard ? kCheckerboard : nullptr));
        // The pattern is built on first real use only.
        EXPECT_EQ(source.reads, c.checkerboard ? 1 : 0);
    }
}

TEST(SwatchDrawPlan, PlainWhiteBorderWithoutShadow) {
    for (CGColorRef color : {rgb(1, 1, 0, 1), rgb(1, 1, 0, 0.3f)}) {
        CGRecordingContext context;
        CheckerboardSource source;
        HVDrawSwatch(&context, {CGRectMake(0, 0, 36, 36), color, 1, 6, false}, source.function());
        expectSameOperations(
            context, swatch36(color, CGColorGetAlpha(color) < 1 ? kCheckerboard : nullptr, false));
    }
}

TEST(SwatchDrawPlan, BorderWidthAndRadiusShapeAllThreePaths) {
    CGColorRef color = rgb(0, 0, 1, 0.5f);
    CGRecordingContext context;
    CheckerboardSource source;
    HVDrawSwatch(&context, {CGRectMake(0, 0, 50, 40), color, 4, 10, true}, source.function());

    CGRecordingContext expected;
    fill(expected, HVNewRoundRectPath(CGRectMake(4, 4, 42, 32), 9), kCheckerboard);
    fill(expected, HVNewRoundRectPath(CGRectMake(0, 0, 50, 40), 11), color);
    expected.setLineWidth(4);
    expected.addPath(*HVNewRoundRectPath(CGRectMake(2, 2, 46, 36), 10));
    expected.setStrokeColor(grey(0.6f, 1));
    expected.setBlendMode(kCGBlendModeMultiply);
    expected.setShadow(CGSizeMake(0, 1), 0, grey(1, 0.8f));
    expected.drawPath(kCGPathStroke);
    expected.setBlendMode(kCGBlendModeNormal);
    expectSameOperations(context, expected);
}

TEST(CompareDrawPlan, CheckerboardWhenEitherColourIsTranslucent) {
    struct Case {
        const char* name;
        CGColorRef oldColor, currentColor;
        bool checkerboard;
    } cases[] = {
        {"both opaque", rgb(1, 0, 0, 1), rgb(0, 1, 0, 1), false},
        {"current transparent", rgb(1, 0, 0, 1), rgb(0, 1, 0, 0), true},
        {"old translucent", rgb(1, 0, 0, 0.99f), grey(0.5f, 1), true},
        {"defaults after creation", rgb(0, 0, 1, 0.6f), grey(0.5f, 0.8f), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CGRecordingContext context;
        CheckerboardSource source;
        HVDrawColorCompare(&context, CGRectMake(0, 0, 44, 44), c.oldColor, c.currentColor,
                           source.function());
        expectSameOperations(context, compare44(c.oldColor, c.currentColor,
                                                c.checkerboard ? kCheckerboard : nullptr));
        EXPECT_EQ(source.reads, c.checkerboard ? 1 : 0);
    }
}

} // namespace
