// The Cairo operator that composites as a blend mode does.
#pragma once

#include <CoreGraphics/CGContext.h>
#include <CoreGraphics/CGHandlesCairo.h>

// A mode without a Cairo counterpart (plus-darker) composites as normal.
cairo_operator_t CGCairoOperatorForBlendMode(CGBlendMode mode);
