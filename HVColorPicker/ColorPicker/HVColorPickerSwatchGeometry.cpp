#include "HVColorPickerSwatchGeometry.h"

#include "HVRoundRectGeometry.h"

namespace {

CGColorRef grey(CGFloat white, CGFloat alpha) {
    const CGFloat components[] = {white, alpha};
    return CGColorCreate(CGColorSpaceCreateDeviceGray(), components);
}

void fillPath(CGContextRef context, const CGPathRef& path, const CGColorRef& color) {
    CGContextAddPath(context, path);
    CGContextSetFillColorWithColor(context, color);
    CGContextFillPath(context);
}

} // namespace

void HVDrawSwatch(CGContextRef context, const HVSwatchAppearance& appearance,
                  const std::function<CGColorRef()>& checkerboardColor) {
    const CGRect& bounds = appearance.bounds;
    CGFloat width = appearance.borderWidth;
    CGFloat radius = appearance.cornerRadius;

    if (CGColorGetAlpha(appearance.color) < 1.0f) {
        fillPath(context, HVNewRoundRectPath(CGRectInset(bounds, width, width), radius - 1),
                 checkerboardColor());
    }
    fillPath(context, HVNewRoundRectPath(bounds, radius + 1), appearance.color);

    CGContextSetLineWidth(context, width);
    CGContextAddPath(context,
                     HVNewRoundRectPath(CGRectInset(bounds, width * 0.5f, width * 0.5f), radius));
    if (appearance.hasShadow) {
        // A grey line multiplied into the colour, with a white highlight under it.
        CGContextSetStrokeColorWithColor(context, grey(0.6f, 1.0f));
        CGContextSetBlendMode(context, kCGBlendModeMultiply);
        CGContextSetShadowWithColor(context, CGSizeMake(0, 1), 0, grey(1.0f, 0.8f));
    } else {
        CGContextSetStrokeColorWithColor(context, grey(1, 1));
    }
    CGContextStrokePath(context);
    CGContextSetBlendMode(context, kCGBlendModeNormal);
}

HVSwatchSublayerPlacement HVSwatchSublayerPlacementForBounds(CGRect bounds, CGFloat cornerRadius) {
    return {HVNewRoundRectPath(bounds, cornerRadius),
            CGPointMake(CGRectGetMaxX(bounds) - kCheckmarkWidth / 2 - 3,
                        CGRectGetMaxY(bounds) - kCheckmarkWidth / 2 - 3)};
}
