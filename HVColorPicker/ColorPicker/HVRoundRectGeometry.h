// The rounded-rectangle paths of the swatch and the compare view. Every edge is
// pulled one point inside the given rectangle (the midpoints are not moved), and
// each corner is the platform's tangent arc through it. Each call returns a new
// path that the caller owns.
#pragma once

#include <CoreGraphics/CGPath.h>

// Closed: all four corners rounded.
CGMutablePathRef HVNewRoundRectPath(CGRect rect, CGFloat radius);
// Open along the right edge: rounded on the left corners only. Filled, it closes
// with a straight edge back to its start, so it is square on the right.
CGMutablePathRef HVNewLeftRoundRectPath(CGRect rect, CGFloat radius);
// The mirror image: rounded on the right corners only, open along the left edge.
CGMutablePathRef HVNewRightRoundRectPath(CGRect rect, CGFloat radius);
