// The compare view's draw plan and highlight shape, as plain functions of its
// bounds and colours: the old colour in the left half, the current colour in the
// right half, a white border round both.
#pragma once

#include <CoreGraphics/CGContext.h>
#include <CoreGraphics/CGPath.h>

#include <functional>

// Draws the whole control for `bounds`. The halves are laid out from the origin
// (0, 0) of the view's own coordinates, the checkerboard and the border from the
// bounds. The checkerboard colour is asked for only when a colour is translucent.
void HVDrawColorCompare(CGContextRef context, CGRect bounds, const CGColorRef& oldColor,
                        const CGColorRef& currentColor,
                        const std::function<CGColorRef()>& checkerboardColor);

// The shape of the old-colour half, which the highlight layer takes as its path.
CGMutablePathRef HVNewColorCompareHighlightPath(CGRect bounds);
