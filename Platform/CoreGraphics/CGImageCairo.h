// Image surfaces for CGImage: every image holds premultiplied ARGB32 pixels.
#pragma once

#include <CoreGraphics/CGHandlesCairo.h>
#include <CoreGraphics/CGImage.h>

// A new ARGB32 surface holding a copy of `source`'s pixels, whatever its format.
CGImage::SurfacePtr CGImageSurfaceCreateARGB32Copy(cairo_surface_t* source);
