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
