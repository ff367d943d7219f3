// The unit slider's value logic and knob placement: plain arithmetic on the
// slider's size, the knob's size and a touch point, shared by the slider and its
// subclasses (and their tests).
#pragma once

#include <CoreGraphics/CGGeometry.h>

// The knob's centre stays this far from either end of the slider's axis.
inline constexpr CGFloat kHVUnitSliderTravelMargin = 20;

// Horizontal when wider than tall; a square slider is vertical.
bool HVUnitSliderIsHorizontal(CGRect frame);

// Into 0..1; NaN becomes 1 (the comparisons are made in double precision).
float HVUnitSliderClampValue(float value);

// The knob's centre for a value that is already clamped. Value 1 sits at the start
// of the axis (left or top), 0 at its end. `frameSize` gives the travel along the
// axis, `boundsSize` the room across it.
CGPoint HVUnitSliderKnobCenter(float value, bool horizontal, CGSize frameSize, CGSize boundsSize,
                               CGSize knobSize);

// The value under a point in the slider's own coordinates, not clamped: a point
// before the travel gives more than 1, one past it less than 0. A slider 40 points
// long or shorter divides by zero or a negative length; the caller clamps.
float HVUnitSliderValueForPoint(CGPoint point, bool horizontal, CGSize frameSize);
