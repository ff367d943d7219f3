// The swatch's draw plan and sublayer placement, as plain functions of its bounds
// and properties, so that the view, the tests and anything else that draws a swatch
// perform the same operations in the same order.
#pragma once

#include <CoreGraphics/CGContext.h>
#include <CoreGraphics/CGPath.h>

#include <functional>

// The side of the square checkmark layer, in points.
inline constexpr CGFloat kCheckmarkWidth = 22.0f;

struct HVSwatchAppearance {
    CGRect bounds;
    CGColorRef color;
    CGFloat borderWidth = 1.0f;
    CGFloat cornerRadius = 6.0f;
    bool hasShadow = true;
};

// Draws the whole swatch into `context`. The checkerboard colour is asked for only
// when the colour is translucent, so that the pattern is built on first real use.
void HVDrawSwatch(CGContextRef context, const HVSwatchAppearance& appearance,
                  const std::function<CGColorRef()>& checkerboardColor);

struct HVSwatchSublayerPlacement {
    CGPathRef highlightPath;   // in the view's coordinates
    CGPoint checkmarkPosition; // the checkmark layer's centre
};

// The highlight covers the swatch's rounded shape; the checkmark ends 3 points
// inside the right and bottom edges.
HVSwatchSublayerPlacement HVSwatchSublayerPlacementForBounds(CGRect bounds, CGFloat cornerRadius);
