#include <CoreGraphics/CGBitmapContext.h>
#include <CoreGraphics/CGRecordingContext.h>

#include "DrawingTestSupport.h"

#include <gtest/gtest.h>

using namespace drawingtest;

namespace {

void drawBorderWithShadow(CGContextRef c, const CGPathRef& path) {
    CGContextSetLineWidth(c, 1);
    CGContextAddPath(c, path);
    CGContextSetStrokeColorWithColor(c, grey(0.6f, 1));
    CGContextSetBlendMode(c, kCGBlendModeMultiply);
    CGContextSetShadowWithColor(c, CGSizeMake(0, 1), 0, grey(1, 0.8f));
    CGContextStrokePath(c);
    CGContextSetBlendMode(c, kCGBlendModeNormal);
}

} // namespace

TEST(CGRecordingContext, KeepsEveryOperationInOrderWithItsArguments) {
    auto path = CGPathCreateMutable();
    CGPathAddRect(path, nullptr, CGRectMake(1, 2, 3, 4));
    CGRecordingContext recording;
    drawBorderWithShadow(&recording, path);

    using Kind = CGDrawingRecord::Kind;
    std::vector<CGDrawingRecord> expected(7);
    expected[0].kind = Kind::setLineWidth, expected[0].value = 1;
    expected[1].kind = Kind::addPath, expected[1].elements = path->elements();
    expected[2].kind = Kind::setStrokeColor, expected[2].color = grey(0.6f, 1);
    expected[3].kind = Kind::setBlendMode, expected[3].blendMode = kCGBlendModeMultiply;
    expected[4].kind = Kind::setShadow, expected[4].size = CGSizeMake(0, 1),
    expected[4].color = grey(1, 0.8f);
    expected[5].kind = Kind::drawPath, expected[5].drawingMode = kCGPathStroke;
    expected[6].kind = Kind::setBlendMode, expected[6].blendMode = kCGBlendModeNormal;
    ASSERT_EQ(recording.records().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(recording.records()[i], expected[i])
            << CGDrawingRecordDescription(recording.records()[i]);
    }
}

TEST(CGRecordingContext, RecordsDifferWhenAColourDiffers) {
    CGRecordingContext a, b;
    CGContextSetFillColorWithColor(&a, grey(0.5f, 1));
    CGContextSetFillColorWithColor(&b, grey(0.5f, 0.9f));
    EXPECT_FALSE(a.records()[0] == b.records()[0]);
}

TEST(CGRecordingContext, ReplayDrawsTheSamePixelsAsDrawingDirectly) {
    auto path = CGPathCreateMutable();
    CGPathAddEllipseInRect(path, nullptr, CGRectMake(2, 2, 12, 10));
    auto direct = CGBitmapContextCreate(32, 32, 2);
    drawBorderWithShadow(direct.get(), path);
    CGRecordingContext recording;
    drawBorderWithShadow(&recording, path);
    auto replayed = CGBitmapContextCreate(32, 32, 2);
    recording.replay(*replayed);
    CGImageRef a = CGBitmapContextCreateImage(direct.get()),
               b = CGBitmapContextCreateImage(replayed.get());
    for (std::size_t y = 0; y < 32; ++y) {
        for (std::size_t x = 0; x < 32; ++x) {
            ASSERT_EQ(CGImageGetPixel(a, x, y), CGImageGetPixel(b, x, y)) << x << "," << y;
        }
    }
}

namespace {

// One call of every kind, each with arguments of its own.
void callEveryOperation(CGContextRef c, const CGImageRef& image) {
    auto path = CGPathCreateMutable();
    CGPathMoveToPoint(path, nullptr, 1, 2);
    CGPathAddCurveToPoint(path, nullptr, 3, 4, 5, 6, 7, 8);
    CGPathCloseSubpath(path);
    CGContextSaveGState(c);
    CGContextRestoreGState(c);
    CGContextBeginPath(c);
    CGContextAddPath(c, path);
    CGContextDrawPath(c, kCGPathEOFillStroke);
    CGContextEOClip(c);
    CGContextFillRect(c, CGRectMake(1, 2, 3, 4));
    CGContextStrokeRect(c, CGRectMake(5, 6, 7, 8));
    CGContextClearRect(c, CGRectMake(9, 10, 11, 12));
    CGContextClipToRect(c, CGRectMake(13, 14, 15, 16));
    CGContextSetFillColorWithColor(c, grey(0.25f));
    CGContextSetStrokeColorWithColor(c, rgba(0.5f, 0.75f, 1, 0.5f));
    CGContextSetLineWidth(c, 2.5f);
    CGContextSetLineCap(c, kCGLineCapSquare);
    CGContextSetLineJoin(c, kCGLineJoinBevel);
    CGContextSetBlendMode(c, kCGBlendModeScreen);
    CGContextSetAlpha(c, 0.75f);
    CGContextSetShadowWithColor(c, CGSizeMake(1, -2), 3, grey(0, 0.5f));
    CGContextTranslateCTM(c, 4, 5);
    CGContextScaleCTM(c, 6, 7);
    CGContextDrawImage(c, CGRectMake(17, 18, 19, 20), image);
    c->drawText("Save", CGRectMake(21, 22, 23, 24), 17, true, CGTextAlignment::center);
}

} // namespace

TEST(CGRecordingContext, ReplayPlaysEveryKindAsItWasRecorded) {
    CGImageRef image = CGImageCreateWithPixels(1, 1, 1, {kRed});
    CGRecordingContext recorded, replayed;
    callEveryOperation(&recorded, image);
    ASSERT_EQ(recorded.records().size(), 22u) << "one record a call";
    recorded.replay(replayed);
    ASSERT_EQ(replayed.records().size(), recorded.records().size());
    for (std::size_t i = 0; i < recorded.records().size(); ++i) {
        EXPECT_EQ(replayed.records()[i], recorded.records()[i])
            << CGDrawingRecordDescription(replayed.records()[i]);
    }
}

TEST(CGRecordingContext, DescriptionNamesTheKindAndItsArguments) {
    CGRecordingContext recording;
    callEveryOperation(&recording, CGImageCreateWithPixels(1, 1, 1, {kRed}));
    const char* expected[] = {
        "saveGState",
        "restoreGState",
        "beginPath",
        "addPath M 1,2 C 3,4 5,6 7,8 Z",
        "drawPath mode=4",
        "clipToPath evenOdd=1",
        "fillRect rect=1,2,3,4",
        "strokeRect rect=5,6,7,8",
        "clearRect rect=9,10,11,12",
        "clipToRect rect=13,14,15,16",
        "setFillColor color=0( 0.25 1 )",
        "setStrokeColor color=1( 0.5 0.75 1 0.5 )",
        "setLineWidth 2.5",
        "setLineCap 2",
        "setLineJoin 2",
        "setBlendMode 2",
        "setAlpha 0.75",
        "setShadow offset=1,-2 blur=3 color=0( 0 0.5 )",
        "translateCTM 4,5",
        "scaleCTM 6,7",
        "drawImage rect=17,18,19,20",
        "drawText \"Save\" size=17 bold=1 rect=21,22,23,24",
    };
    ASSERT_EQ(recording.records().size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(CGDrawingRecordDescription(recording.records()[i]), expected[i]);
    }
}
