// Image surfaces for CGImage: every image holds premultiplied ARGB32 pixels.
#pragma once

#include <CoreGraphics/CGHandlesCairo.h>
#include <CoreGraphics/CGImage.h>

// A new ARGB32 surface holding a copy of `source`'s pixels, whatever its format.
CGImage::SurfacePtr CGImageSurfaceCreateARGB32Copy(cairo_surface_t* source);

// Whether the image has pixels Cairo can read: a size, and a surface not in an
// error state. Painting from such a surface would leave the context in an error
// state (and Cairo leaks the pattern it makes on the way): drawing code checks
// first.
bool CGImageIsDrawable(const CGImage& image);
