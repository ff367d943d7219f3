// A gradient layer's pixels. Filling a gradient costs far more than copying
// pixels, so the gradient is drawn once into a bitmap and kept with the layer
// until one of its inputs changes.
#pragma once

#include <CoreGraphics/CGImage.h>
#include <QuartzCore/CAGradientLayer.h>

// The gradient over `size` points at `scale` pixels a point, inside corners of
// `radius`, from the layer's presentation values. Null when there is nothing to
// draw: no colours, an empty or huge size, or a point or location that is not a
// finite number.
CGImageRef CAGradientLayerRaster(const CAGradientLayer& gradient, CGSize size, CGFloat radius,
                                 CGFloat scale);
// Whether the raster covers its whole rectangle opaquely (square corners, opaque colours).
bool CAGradientLayerIsOpaqueRectangle(const CAGradientLayer& gradient, CGFloat radius);
