// The alpha mask a shadow is painted through: the coverage of the Cairo context's
// current path (filled or stroked with the context's settings), in device pixels,
// blurred.
#pragma once

#include <CoreGraphics/CGHandlesCairo.h>

#include <optional>

struct CGShadowMask {
    CairoSurfacePtr surface; // A8
    int x = 0, y = 0;        // the mask's top-left in device pixels
};

// `coverage` scales the mask (the shape's colour alpha); `blurPixels` is the blur
// in device pixels, 0 for a sharp shadow. Nothing for an empty or huge shape. The
// current path is left in place.
std::optional<CGShadowMask> CGShadowMaskCreate(cairo_t* cairo, bool stroke, double coverage,
                                               double blurPixels);
