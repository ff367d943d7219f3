// Pixel probes of drawing on a bitmap context: what a person would see, checked at
// the pixels whose colour the geometry decides.
#include <CoreGraphics/CGBitmapContext.h>
#include <CoreGraphics/CGContextCairo.h>

#include "DrawingTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>

using namespace drawingtest;

TEST(CGCairoContext, FilledRoundRectCoversCentreAndEdgesButNotCorners) {
    for (CGFloat scale : {1.0f, 2.0f}) {
        auto context = CGBitmapContextCreate(36 * scale, 36 * scale, scale);
        CGContextSetFillColorWithColor(context.get(), rgba(1, 0, 0));
        CGContextAddPath(context.get(), roundRect(CGRectMake(0, 0, 36, 36), 7));
        CGContextFillPath(context.get());
        CGImageRef image = CGBitmapContextCreateImage(context.get());
        EXPECT_TRUE(near(at(image, 18, 18), kRed)) << "centre, scale " << scale;
        EXPECT_TRUE(near(at(image, 1.2f, 18), kRed)) << "left edge inside";
        EXPECT_TRUE(near(at(image, 18, 34.8f), kRed)) << "bottom edge inside";
        EXPECT_TRUE(near(at(image, 0.5f, 18), kClear)) << "outside the one-point inset";
        EXPECT_TRUE(near(at(image, 35.5f, 18), kClear));
        for (CGPoint corner :
             {CGPoint{2, 2}, CGPoint{33.5f, 2}, CGPoint{2, 33.5f}, CGPoint{33.5f, 33.5f}}) {
            EXPECT_TRUE(near(at(image, corner.x, corner.y), kClear))
                << "corner " << corner.x << "," << corner.y;
        }
    }
}

TEST(CGCairoContext, MultiplyDarkensWhereNormalCovers) {
    auto draw = [](CGBlendMode mode) {
        auto context = CGBitmapContextCreate(4, 4, 1);
        CGContextSetFillColorWithColor(context.get(), rgba(1, 0.5f, 0.25f));
        CGContextFillRect(context.get(), CGRectMake(0, 0, 4, 4));
        CGContextSetBlendMode(context.get(), mode);
        CGContextSetFillColorWithColor(context.get(), grey(0.5f));
        CGContextFillRect(context.get(), CGRectMake(0, 0, 2, 4));
        return CGBitmapContextCreateImage(context.get());
    };
    CGImageRef normal = draw(kCGBlendModeNormal), multiply = draw(kCGBlendModeMultiply);
    EXPECT_TRUE(near(CGImageGetPixel(normal, 0, 0), {128, 128, 128, 255}));
    EXPECT_TRUE(near(CGImageGetPixel(multiply, 0, 0), {128, 64, 32, 255}));
    EXPECT_TRUE(near(CGImageGetPixel(multiply, 3, 0), {255, 128, 64, 255})) << "outside the fill";
}

TEST(CGCairoContext, MultiplyOverTransparentShowsTheSource) {
    auto context = CGBitmapContextCreate(2, 2, 1);
    CGContextSetBlendMode(context.get(), kCGBlendModeMultiply);
    CGContextSetFillColorWithColor(context.get(), rgba(0.2f, 0.4f, 0.6f));
    CGContextFillRect(context.get(), CGRectMake(0, 0, 2, 2));
    EXPECT_TRUE(near(CGImageGetPixel(CGBitmapContextCreateImage(context.get()), 0, 0),
                     {51, 102, 153, 255}));
}

TEST(CGCairoContext, PositiveShadowHeightPutsTheShadowBelow) {
    for (CGFloat scale : {1.0f, 2.0f}) {
        auto context = CGBitmapContextCreate(20 * scale, 20 * scale, scale);
        CGContextSetShadowWithColor(context.get(), CGSizeMake(0, 1), 0, rgba(1, 0, 0));
        CGContextSetFillColorWithColor(context.get(), rgba(0, 0, 1));
        CGContextFillRect(context.get(), CGRectMake(4, 4, 12, 6));
        CGImageRef image = CGBitmapContextCreateImage(context.get());
        EXPECT_TRUE(near(at(image, 10, 3.5f), kClear)) << "above, scale " << scale;
        EXPECT_TRUE(near(at(image, 10, 4.2f), kBlue)) << "shape top row";
        EXPECT_TRUE(near(at(image, 10, 9.8f), kBlue)) << "shape bottom row";
        EXPECT_TRUE(near(at(image, 10, 10.2f), kRed)) << "one point below: shadow";
        EXPECT_TRUE(near(at(image, 10, 10.8f), kRed));
        EXPECT_TRUE(near(at(image, 10, 11.2f), kClear)) << "two points below";
        EXPECT_TRUE(near(at(image, 3.5f, 10.5f), kClear)) << "no horizontal offset";
    }
}

TEST(CGCairoContext, SwatchBorderShadowIsAWhiteLineOnePointBelow) {
    // Grey border drawn with multiply and a white shadow offset (0, 1), on the
    // transparent backing of a 36-point swatch.
    auto context = CGBitmapContextCreate(72, 72, 2);
    CGContextRef c = context.get();
    CGContextSetFillColorWithColor(c, rgba(0, 0, 1));
    CGContextAddPath(c, roundRect(CGRectMake(0, 0, 36, 36), 7));
    CGContextFillPath(c);
    CGContextSetLineWidth(c, 1);
    CGContextAddPath(c, roundRect(CGRectInset(CGRectMake(0, 0, 36, 36), 0.5f, 0.5f), 6));
    CGContextSetStrokeColorWithColor(c, grey(0.6f));
    CGContextSetBlendMode(c, kCGBlendModeMultiply);
    CGContextSetShadowWithColor(c, CGSizeMake(0, 1), 0, grey(1, 0.8f));
    CGContextStrokePath(c);
    CGContextSetBlendMode(c, kCGBlendModeNormal);
    CGImageRef image = CGBitmapContextCreateImage(c);
    EXPECT_TRUE(near(at(image, 18, 34.5f), {0, 0, 153, 255}))
        << "grey line multiplied over the blue fill";
    EXPECT_TRUE(near(at(image, 18, 35.5f), {255, 255, 255, 204}, 2))
        << "white shadow below the fill";
    EXPECT_TRUE(near(at(image, 18, 18), kBlue)) << "fill untouched inside";
}

TEST(CGCairoContext, BlurredShadowSpreadsAroundTheOffsetShape) {
    auto context = CGBitmapContextCreate(40, 40, 1);
    CGContextSetShadowWithColor(context.get(), CGSizeMake(0, 10), 4, rgba(0, 0, 0));
    CGContextSetFillColorWithColor(context.get(), rgba(1, 1, 1));
    CGContextFillRect(context.get(), CGRectMake(10, 5, 20, 10));
    CGImageRef image = CGBitmapContextCreateImage(context.get());
    CGPixel middle = CGImageGetPixel(image, 20, 20), edge = CGImageGetPixel(image, 20, 25),
            beyond = CGImageGetPixel(image, 20, 34);
    EXPECT_GT(middle.a, 200) << "inside the offset shape";
    EXPECT_GT(edge.a, 40) << "blurred edge";
    EXPECT_LT(edge.a, 215);
    EXPECT_EQ(beyond.a, 0) << "far beyond the blur";
}

TEST(CGCairoContext, PatternColourTilesFromTheContextOrigin) {
    // A 2x2 tile: red, blue / blue, red. Filling a rect that starts at an odd
    // offset must not restart the tile at the rect.
    CGImageRef tile = CGImageCreateWithPixels(2, 2, 1, {kRed, kBlue, kBlue, kRed});
    ASSERT_TRUE(tile);
    auto context = CGBitmapContextCreate(9, 9, 1);
    CGContextTranslateCTM(context.get(), 1, 0); // patterns ignore later CTM moves
    CGContextSetFillColorWithColor(context.get(), CGColorCreateWithPattern(tile, 1));
    CGContextFillRect(context.get(), CGRectMake(0, 1, 7, 7));
    CGImageRef image = CGBitmapContextCreateImage(context.get());
    for (std::size_t y = 1; y < 8; ++y) {
        for (std::size_t x = 1; x < 8; ++x) {
            CGPixel expected = (x + y) % 2 == 0 ? kRed : kBlue;
            EXPECT_TRUE(near(CGImageGetPixel(image, x, y), expected)) << x << "," << y;
        }
    }
    EXPECT_TRUE(near(CGImageGetPixel(image, 0, 0), kClear));
}

TEST(CGCairoContext, PatternTileOfScaleTwoSpansOnePointPerTwoPixels) {
    // A 4x4-pixel @2x tile is 2x2 points; at context scale 2 each of its pixels maps
    // to one device pixel, so the tile repeats every 4 device pixels.
    std::vector<CGPixel> pixels(16, kBlue);
    pixels[0] = kRed;
    CGImageRef tile = CGImageCreateWithPixels(4, 4, 2, pixels);
    auto context = CGBitmapContextCreate(8, 8, 2);
    CGContextSetFillColorWithColor(context.get(), CGColorCreateWithPattern(tile, 1));
    CGContextFillRect(context.get(), CGRectMake(0, 0, 4, 4));
    CGImageRef image = CGBitmapContextCreateImage(context.get());
    EXPECT_TRUE(near(CGImageGetPixel(image, 0, 0), kRed));
    EXPECT_TRUE(near(CGImageGetPixel(image, 4, 4), kRed));
    EXPECT_TRUE(near(CGImageGetPixel(image, 1, 0), kBlue));
    EXPECT_TRUE(near(CGImageGetPixel(image, 5, 4), kBlue));
}

TEST(CGCairoContext, DrawImageIsUprightAndStretched) {
    CGImageRef image = CGImageCreateWithPixels(1, 2, 1, {kRed, kBlue});
    auto context = CGBitmapContextCreate(4, 8, 1);
    CGContextDrawImage(context.get(), CGRectMake(0, 0, 4, 8), image);
    CGImageRef drawn = CGBitmapContextCreateImage(context.get());
    EXPECT_TRUE(near(CGImageGetPixel(drawn, 2, 0), kRed)) << "first row at the top";
    EXPECT_TRUE(near(CGImageGetPixel(drawn, 2, 7), kBlue));
}

TEST(CGCairoContext, StateIsSavedAndRestoredWithClips) {
    auto context = CGBitmapContextCreate(10, 10, 1);
    CGContextRef c = context.get();
    CGContextSetFillColorWithColor(c, rgba(1, 0, 0));
    CGContextSaveGState(c);
    CGContextClipToRect(c, CGRectMake(0, 0, 5, 10));
    CGContextSetFillColorWithColor(c, rgba(0, 0, 1));
    CGContextFillRect(c, CGRectMake(0, 0, 10, 5));
    CGContextRestoreGState(c);
    CGContextFillRect(c, CGRectMake(0, 5, 10, 5));
    CGContextRestoreGState(c); // unbalanced: ignored
    CGImageRef image = CGBitmapContextCreateImage(c);
    EXPECT_TRUE(near(CGImageGetPixel(image, 2, 2), kBlue));
    EXPECT_TRUE(near(CGImageGetPixel(image, 7, 2), kClear)) << "clipped";
    EXPECT_TRUE(near(CGImageGetPixel(image, 7, 7), kRed)) << "clip and colour restored";
}

TEST(CGCairoContext, FillRectLeavesTheCurrentPathInPlace) {
    auto context = CGBitmapContextCreate(10, 10, 1);
    CGContextRef c = context.get();
    CGContextAddRect(c, CGRectMake(0, 0, 2, 2));
    CGContextSetFillColorWithColor(c, rgba(0, 0, 1));
    CGContextFillRect(c, CGRectMake(8, 8, 2, 2));
    CGContextSetFillColorWithColor(c, rgba(1, 0, 0));
    CGContextFillPath(c);
    CGImageRef image = CGBitmapContextCreateImage(c);
    EXPECT_TRUE(near(CGImageGetPixel(image, 1, 1), kRed));
    EXPECT_TRUE(near(CGImageGetPixel(image, 9, 9), kBlue));
}

TEST(CGCairoContext, NonFiniteInputDoesNotBreakLaterDrawing) {
    auto context = CGBitmapContextCreate(4, 4, 1);
    CGContextRef c = context.get();
    auto bad = CGPathCreateMutable();
    bad->moveTo({NAN, 0});
    bad->lineTo({3, 3});
    CGContextAddPath(c, bad);
    CGContextScaleCTM(c, 0, 0);
    CGContextTranslateCTM(c, INFINITY, 0);
    CGContextSetLineWidth(c, NAN);
    CGContextSetFillColorWithColor(c, rgba(1, 0, 0));
    CGContextFillRect(c, CGRectMake(NAN, 0, 1, 1));
    CGContextFillRect(c, CGRectMake(0, 0, 4, 4));
    EXPECT_TRUE(near(CGImageGetPixel(CGBitmapContextCreateImage(c), 2, 2), kRed));
}

TEST(CGCairoContext, TextDrawsInsideItsRectInTheFillColour) {
    auto context = CGBitmapContextCreate(120, 40, 1);
    CGContextSetFillColorWithColor(context.get(), rgba(1, 1, 1));
    context->drawText("Save", CGRectMake(10, 10, 100, 20), 17, true, CGTextAlignment::left);
    CGImageRef image = CGBitmapContextCreateImage(context.get());
    int inside = 0, outside = 0;
    for (std::size_t y = 0; y < 40; ++y) {
        for (std::size_t x = 0; x < 120; ++x) {
            bool inRect = x >= 10 && x < 110 && y >= 10 && y < 32;
            if (CGImageGetPixel(image, x, y).a > 128) {
                ++(inRect ? inside : outside);
            }
        }
    }
    EXPECT_GT(inside, 50);
    EXPECT_EQ(outside, 0);
}

TEST(CGCairoContext, AlphaScalesEveryPaint) {
    auto context = CGBitmapContextCreate(2, 2, 1);
    CGContextSetAlpha(context.get(), 0.5f);
    CGContextSetFillColorWithColor(context.get(), rgba(1, 0, 0));
    CGContextFillRect(context.get(), CGRectMake(0, 0, 2, 2));
    EXPECT_TRUE(
        near(CGImageGetPixel(CGBitmapContextCreateImage(context.get()), 0, 0), {255, 0, 0, 128}));
}

namespace {

constexpr CGFloat kNaN = std::numeric_limits<CGFloat>::quiet_NaN();
constexpr CGFloat kInf = std::numeric_limits<CGFloat>::infinity();

CGPathRef pathThrough(CGPoint odd) {
    auto path = CGPathCreateMutable();
    CGPathMoveToPoint(path, nullptr, 0, 0);
    CGPathAddLineToPoint(path, nullptr, 4, 0);
    CGPathAddLineToPoint(path, nullptr, odd.x, odd.y);
    CGPathCloseSubpath(path);
    return path;
}

struct RefusedCall {
    const char* name;
    std::function<void(CGContextRef)> call;
};

} // namespace

// A value that is not a finite number, or an image without pixels, is refused
// where it enters: nothing stray is drawn, and the context draws on afterwards.
TEST(CGCairoContext, RefusedValuesDrawNothingAndLeaveTheContextUsable) {
    CGImageRef tile = CGImageCreateWithPixels(1, 1, 1, {kGreen});
    const CGAffineTransform infinite{1, 0, 0, 1, kInf, 0};
    const RefusedCall calls[] = {
        {"path with a NaN point, filled",
         [](CGContextRef c) {
             CGContextAddPath(c, pathThrough(CGPointMake(kNaN, 4)));
             CGContextFillPath(c);
         }},
        {"path with an infinite point, filled",
         [](CGContextRef c) {
             CGContextAddPath(c, pathThrough(CGPointMake(kInf, 4)));
             CGContextFillPath(c);
         }},
        {"path through an infinite transform, stroked",
         [&](CGContextRef c) {
             CGContextAddPath(c, CGPathCreateWithRect(CGRectMake(4, 0, 4, 4), &infinite));
             CGContextStrokePath(c);
         }},
        {"rectangle NaN, filled",
         [](CGContextRef c) { CGContextFillRect(c, CGRectMake(kNaN, 0, 4, 4)); }},
        {"rectangle infinite, stroked",
         [](CGContextRef c) { CGContextStrokeRect(c, CGRectMake(4, 0, kInf, 4)); }},
        {"rectangle NaN, clipped",
         [](CGContextRef c) { CGContextClipToRect(c, CGRectMake(0, 0, kNaN, 1)); }},
        {"translated by NaN", [](CGContextRef c) { CGContextTranslateCTM(c, kNaN, 0); }},
        {"scaled by infinity", [](CGContextRef c) { CGContextScaleCTM(c, 1, kInf); }},
        {"scaled by zero", [](CGContextRef c) { CGContextScaleCTM(c, 0, 1); }},
        {"line width NaN, stroked",
         [](CGContextRef c) {
             CGContextSetLineWidth(c, kNaN);
             CGContextStrokeRect(c, CGRectMake(5, 1, 2, 2));
             CGContextSetRGBStrokeColor(c, 0, 0, 0, 0);
         }},
        {"alpha NaN", [](CGContextRef c) { CGContextSetAlpha(c, kNaN); }},
        {"shadow offset NaN, filled",
         [](CGContextRef c) {
             CGContextSetShadowWithColor(c, CGSizeMake(kNaN, 0), 0, rgba(0, 1, 0));
             CGContextFillRect(c, CGRectMake(0, 0, 1, 1));
         }},
        {"shadow blur infinite, filled",
         [](CGContextRef c) {
             CGContextSetShadowWithColor(c, CGSizeMake(4, 0), kInf, rgba(0, 1, 0));
             CGContextFillRect(c, CGRectMake(0, 0, 1, 1));
         }},
        {"pattern of NaN alpha with a shadow, filled",
         [&](CGContextRef c) {
             CGContextSetShadowWithColor(c, CGSizeMake(0, 0), 1, rgba(0, 1, 0));
             CGContextSetFillColorWithColor(c, CGColorCreateWithPattern(tile, kNaN));
             CGContextFillRect(c, CGRectMake(4, 0, 4, 4));
             CGContextSetShadowWithColor(c, CGSizeZero, 0, nullptr);
         }},
        {"pattern of an image without pixels, filled",
         [](CGContextRef c) {
             CGContextSetFillColorWithColor(c, CGColorCreateWithPattern(emptyImage(), 1));
             CGContextFillRect(c, CGRectMake(4, 0, 4, 4));
         }},
        {"image without pixels",
         [](CGContextRef c) { CGContextDrawImage(c, CGRectMake(4, 0, 4, 4), emptyImage()); }},
        {"image Cairo cannot read",
         [](CGContextRef c) { CGContextDrawImage(c, CGRectMake(4, 0, 4, 4), damagedImage()); }},
        {"image in a NaN rectangle",
         [&](CGContextRef c) { CGContextDrawImage(c, CGRectMake(4, 0, kNaN, 4), tile); }},
        {"text in a NaN rectangle",
         [](CGContextRef c) {
             c->drawText("W", CGRectMake(4, kNaN, 4, 4), 4, false, CGTextAlignment::left);
         }},
        {"ellipse in an infinite rectangle",
         [](CGContextRef c) { CGContextFillEllipseInRect(c, CGRectMake(4, 0, kInf, 4)); }},
    };
    for (const auto& refused : calls) {
        SCOPED_TRACE(refused.name);
        auto context = CGBitmapContextCreate(8, 4, 1);
        CGContextRef c = context.get();
        CGContextSetRGBFillColor(c, 0, 0, 1, 1);
        refused.call(c);
        CGContextSetRGBFillColor(c, 1, 0, 0, 1);
        CGContextFillRect(c, CGRectMake(0, 0, 4, 4));
        CGImageRef image = CGBitmapContextCreateImage(c);
        EXPECT_TRUE(near(CGImageGetPixel(image, 2, 2), kRed)) << "drawn after";
        EXPECT_TRUE(near(CGImageGetPixel(image, 6, 2), kClear)) << "nothing stray";
        auto* cairoContext = dynamic_cast<CGCairoContext*>(c);
        ASSERT_TRUE(cairoContext);
        EXPECT_EQ(cairo_status(cairoContext->cairo()), CAIRO_STATUS_SUCCESS);
    }
}
