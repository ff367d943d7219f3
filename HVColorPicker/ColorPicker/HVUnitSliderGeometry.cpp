#include "HVUnitSliderGeometry.h"

#include <cmath>

bool HVUnitSliderIsHorizontal(CGRect frame) {
    return frame.size.width > frame.size.height;
}

float HVUnitSliderClampValue(float value) {
    double v = value < 1.0 ? static_cast<double>(value) : 1.0;
    if (v < 0.0) {
        v = 0.0;
    }
    return static_cast<float>(v);
}

namespace {

// Rounds the knob's leading edge, not its centre, so that its edges fall on whole
// points whatever its size.
CGFloat alongTravel(float value, CGFloat length, CGFloat knobLength) {
    CGFloat edge = (1 - value) * (length - 2 * kHVUnitSliderTravelMargin) - knobLength / 2;
    return std::roundf(edge) + knobLength / 2 + kHVUnitSliderTravelMargin;
}

CGFloat acrossTravel(CGFloat room, CGFloat knobLength) {
    return std::roundf((room - knobLength) / 2) + knobLength / 2;
}

} // namespace

CGPoint HVUnitSliderKnobCenter(float value, bool horizontal, CGSize frameSize, CGSize boundsSize,
                               CGSize knobSize) {
    if (horizontal) {
        return {alongTravel(value, frameSize.width, knobSize.width),
                acrossTravel(boundsSize.height, knobSize.height)};
    }
    return {acrossTravel(boundsSize.width, knobSize.width),
            alongTravel(value, frameSize.height, knobSize.height)};
}

float HVUnitSliderValueForPoint(CGPoint point, bool horizontal, CGSize frameSize) {
    CGFloat offset = horizontal ? point.x : point.y;
    CGFloat length = horizontal ? frameSize.width : frameSize.height;
    return 1 - (offset - kHVUnitSliderTravelMargin) / (length - 2 * kHVUnitSliderTravelMargin);
}
