// The draw plans of a 36-point swatch and a 44-point compare view with the values
// they have after creation, spelled out from the worked rectangles and radii, for
// the tests of the plans and of the views that run them.
#pragma once

#include "HVRoundRectGeometry.h"

#include <CoreGraphics/CGRecordingContext.h>

#include <gtest/gtest.h>

#include <string>

namespace expectedplans {

inline CGColorRef grey(CGFloat white, CGFloat alpha) {
    const CGFloat components[] = {white, alpha};
    return CGColorCreate(CGColorSpaceCreateDeviceGray(), components);
}

inline void fill(CGRecordingContext& c, const CGPathRef& path, const CGColorRef& color) {
    c.addPath(*path);
    c.setFillColor(color);
    c.drawPath(kCGPathFill);
}

// A null checkerboard means none is drawn.
inline CGRecordingContext swatch36(const CGColorRef& color, const CGColorRef& checkerboard,
                                   bool shadow = true) {
    CGRecordingContext c;
    if (checkerboard) {
        fill(c, HVNewRoundRectPath(CGRectMake(1, 1, 34, 34), 5), checkerboard);
    }
    fill(c, HVNewRoundRectPath(CGRectMake(0, 0, 36, 36), 7), color);
    c.setLineWidth(1);
    c.addPath(*HVNewRoundRectPath(CGRectMake(0.5f, 0.5f, 35, 35), 6));
    if (shadow) {
        c.setStrokeColor(grey(0.6f, 1));
        c.setBlendMode(kCGBlendModeMultiply);
        c.setShadow(CGSizeMake(0, 1), 0, grey(1, 0.8f));
    } else {
        c.setStrokeColor(grey(1, 1));
    }
    c.drawPath(kCGPathStroke);
    c.setBlendMode(kCGBlendModeNormal);
    return c;
}

inline CGRecordingContext compare44(const CGColorRef& oldColor, const CGColorRef& currentColor,
                                    const CGColorRef& checkerboard) {
    CGRecordingContext c;
    if (checkerboard) {
        fill(c, HVNewRoundRectPath(CGRectMake(2, 2, 40, 40), 5), checkerboard);
    }
    fill(c, HVNewLeftRoundRectPath(CGRectMake(0, 0, 23, 44), 7), oldColor);
    fill(c, HVNewRightRoundRectPath(CGRectMake(21, 0, 23, 44), 7), currentColor);
    c.setLineWidth(2);
    c.addPath(*HVNewRoundRectPath(CGRectMake(1, 1, 42, 42), 6));
    c.setStrokeColor(grey(1, 1));
    c.drawPath(kCGPathStroke);
    return c;
}

inline std::string describe(const std::vector<CGDrawingRecord>& records) {
    std::string text;
    for (const auto& r : records) {
        text += "  " + CGDrawingRecordDescription(r) + "\n";
    }
    return text;
}

inline void expectSameOperations(const CGRecordingContext& actual,
                                 const CGRecordingContext& expected) {
    EXPECT_TRUE(actual.records() == expected.records())
        << "actual:\n"
        << describe(actual.records()) << "expected:\n"
        << describe(expected.records());
}

} // namespace expectedplans
