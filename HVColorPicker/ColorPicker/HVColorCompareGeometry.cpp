#include "HVColorCompareGeometry.h"

#include "HVRoundRectGeometry.h"

namespace {

constexpr CGFloat kHalfRadius = 7;

// Each half reaches one point past the middle; the paths' one-point inset brings
// both edges back to the middle, so the halves meet exactly.
CGRect leftHalf(CGFloat width, CGFloat height) {
    return CGRectMake(0, 0, width / 2 + 1, height);
}
CGRect rightHalf(CGFloat width, CGFloat height) {
    return CGRectMake(width / 2 - 1, 0, width / 2 + 1, height);
}

void fillPath(CGContextRef context, const CGPathRef& path, const CGColorRef& color) {
    CGContextAddPath(context, path);
    CGContextSetFillColorWithColor(context, color);
    CGContextFillPath(context);
}

CGColorRef white() {
    const CGFloat components[] = {1, 1};
    return CGColorCreate(CGColorSpaceCreateDeviceGray(), components);
}

} // namespace

void HVDrawColorCompare(CGContextRef context, CGRect bounds, const CGColorRef& oldColor,
                        const CGColorRef& currentColor,
                        const std::function<CGColorRef()>& checkerboardColor) {
    CGFloat w = bounds.size.width;
    CGFloat h = bounds.size.height;

    if (CGColorGetAlpha(oldColor) < 1 || CGColorGetAlpha(currentColor) < 1) {
        fillPath(context, HVNewRoundRectPath(CGRectInset(bounds, 2, 2), 5), checkerboardColor());
    }
    fillPath(context, HVNewLeftRoundRectPath(leftHalf(w, h), kHalfRadius), oldColor);
    fillPath(context, HVNewRightRoundRectPath(rightHalf(w, h), kHalfRadius), currentColor);

    CGContextSetLineWidth(context, 2);
    CGContextAddPath(context, HVNewRoundRectPath(CGRectInset(bounds, 1, 1), 6));
    CGContextSetStrokeColorWithColor(context, white());
    CGContextStrokePath(context);
}

CGMutablePathRef HVNewColorCompareHighlightPath(CGRect bounds) {
    return HVNewLeftRoundRectPath(leftHalf(bounds.size.width, bounds.size.height), kHalfRadius);
}
