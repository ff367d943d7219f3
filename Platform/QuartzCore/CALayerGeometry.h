// The geometry the renderer draws a layer from, as plain functions: where the
// layer's coordinates lie in its superlayer's, the outline of its rounded
// corners, and where its contents image goes.
#pragma once

#include <CoreGraphics/CGPath.h>
#include <QuartzCore/CALayer.h>

#include <optional>

// A layer on screen now (presentation values): its standardised bounds, and the
// point of its superlayer's coordinates where its own (0, 0) lies.
struct CALayerPlacement {
    CGRect bounds;
    CGPoint offset;
};
// Nothing when the bounds, position or anchor point, or the offset they give, is
// not a finite number: such a layer cannot be placed.
std::optional<CALayerPlacement> CALayerPresentationPlacement(const CALayer& layer);

// The rectangle with quarter-circle corners of `radius`, at most half its shorter
// side; a plain rectangle when the radius is not positive.
CGPathRef CALayerRoundedRectPath(CGRect rect, CGFloat radius);

// Where an image of `imageSize` points goes in `bounds`, by `gravity`.
CGRect CALayerContentsRect(CAContentsGravity gravity, CGRect bounds, CGSize imageSize);
