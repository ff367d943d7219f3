#include "HVRoundRectGeometry.h"

namespace {

struct InsetEdges {
    CGFloat left, top, right, bottom, midX, midY;
};

InsetEdges insetEdges(CGRect rect) {
    return {CGRectGetMinX(rect) + 1, CGRectGetMinY(rect) + 1, CGRectGetMaxX(rect) - 1,
            CGRectGetMaxY(rect) - 1, CGRectGetMidX(rect),     CGRectGetMidY(rect)};
}

} // namespace

CGMutablePathRef HVNewRoundRectPath(CGRect rect, CGFloat radius) {
    InsetEdges e = insetEdges(rect);
    CGMutablePathRef path = CGPathCreateMutable();
    CGPathMoveToPoint(path, nullptr, e.left, e.midY);
    CGPathAddArcToPoint(path, nullptr, e.left, e.top, e.midX, e.top, radius);
    CGPathAddArcToPoint(path, nullptr, e.right, e.top, e.right, e.midY, radius);
    CGPathAddArcToPoint(path, nullptr, e.right, e.bottom, e.midX, e.bottom, radius);
    CGPathAddArcToPoint(path, nullptr, e.left, e.bottom, e.left, e.midY, radius);
    CGPathCloseSubpath(path);
    return path;
}

CGMutablePathRef HVNewLeftRoundRectPath(CGRect rect, CGFloat radius) {
    InsetEdges e = insetEdges(rect);
    CGMutablePathRef path = CGPathCreateMutable();
    CGPathMoveToPoint(path, nullptr, e.right, e.top);
    CGPathAddArcToPoint(path, nullptr, e.left, e.top, e.left, e.midY, radius);
    CGPathAddArcToPoint(path, nullptr, e.left, e.bottom, e.right, e.bottom, radius);
    CGPathAddLineToPoint(path, nullptr, e.right, e.bottom);
    return path;
}

CGMutablePathRef HVNewRightRoundRectPath(CGRect rect, CGFloat radius) {
    InsetEdges e = insetEdges(rect);
    CGMutablePathRef path = CGPathCreateMutable();
    CGPathMoveToPoint(path, nullptr, e.left, e.top);
    CGPathAddArcToPoint(path, nullptr, e.right, e.top, e.right, e.midY, radius);
    CGPathAddArcToPoint(path, nullptr, e.right, e.bottom, e.left, e.bottom, radius);
    CGPathAddLineToPoint(path, nullptr, e.left, e.bottom);
    return path;
}
