// Where the brightness and alpha sliders put their gradient (and the alpha slider
// its checkerboard): plain arithmetic on the slider's size and orientation, run at
// creation and at every frame change.
#pragma once

#include <CoreGraphics/CGGeometry.h>

// The track: inset 18 points along the axis (2 beyond the knob's travel) and 6
// across it, in the slider's coordinates.
CGRect HVColorPickerSliderTrackRect(CGSize frameSize, bool horizontal);

// A layer's bounds and position.
struct HVLayerPlacement {
    CGRect bounds;
    CGPoint position;
    friend bool operator==(const HVLayerPlacement&, const HVLayerPlacement&) = default;
};

// The brightness gradient: the track's size, centred in the slider.
HVLayerPlacement HVBrightnessSliderGradientPlacement(CGSize frameSize, bool horizontal);

// The alpha gradient lives in the checkerboard view, whose frame is the track; it
// is centred in that view's bounds.
HVLayerPlacement HVAlphaSliderGradientPlacement(CGSize frameSize, bool horizontal);

// Start and end points of a gradient that runs from left to right.
inline constexpr CGPoint kHVSliderGradientStartPoint{0, 0.5f};
inline constexpr CGPoint kHVSliderGradientEndPoint{1, 0.5f};
