// A drawing context over a fresh transparent bitmap, for images made by drawing
// (the resource generator, tests, cached layer content).
#pragma once

#include <CoreGraphics/CGContext.h>

#include <memory>

// A context of width x height pixels whose coordinates are points: the CTM is
// scaled by `scale` pixels per point. nullptr for a zero or huge size.
std::unique_ptr<CGContext> CGBitmapContextCreate(std::size_t width, std::size_t height,
                                                 CGFloat scale);
// A copy of the pixels drawn so far; nullptr when `context` is not a bitmap context.
CGImageRef CGBitmapContextCreateImage(CGContextRef context);
