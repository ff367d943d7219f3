#include "HVColorPickerSliderGeometry.h"

namespace {
constexpr CGFloat kAlongInset = 18;
constexpr CGFloat kAcrossInset = 6;
} // namespace

CGRect HVColorPickerSliderTrackRect(CGSize frameSize, bool horizontal) {
    if (horizontal) {
        return CGRectMake(kAlongInset, kAcrossInset, frameSize.width - 2 * kAlongInset,
                          frameSize.height - 2 * kAcrossInset);
    }
    return CGRectMake(kAcrossInset, kAlongInset, frameSize.width - 2 * kAcrossInset,
                      frameSize.height - 2 * kAlongInset);
}

HVLayerPlacement HVBrightnessSliderGradientPlacement(CGSize frameSize, bool horizontal) {
    return {HVColorPickerSliderTrackRect(frameSize, horizontal),
            CGPointMake(frameSize.width / 2, frameSize.height / 2)};
}

HVLayerPlacement HVAlphaSliderGradientPlacement(CGSize frameSize, bool horizontal) {
    CGRect track = HVColorPickerSliderTrackRect(frameSize, horizontal);
    return {track, CGPointMake(track.size.width / 2, track.size.height / 2)};
}
