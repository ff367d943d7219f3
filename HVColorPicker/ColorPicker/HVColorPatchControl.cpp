#include "HVColorPatchControl.h"

#include <QuartzCore/CATransaction.h>
#include <UIKit/UIImage.h>

namespace {
// Long enough to count as an animation, short enough to show at once.
constexpr double kHighlightShowDuration = 0.001;
constexpr float kHighlightOpacity = 0.2f;
} // namespace

HVColorPatchControl::HVColorPatchControl(CGRect frame) : UIControl(frame) {
    setOpaque(true);
    setBackgroundColor(UIColor::clearColor());
    auto highlight = CAShapeLayer::layer();
    highlight->setOpacity(0);
    touchDownLayer_ = highlight.get();
    layer()->addSublayer(std::move(highlight));
}

const UIColorRef& HVColorPatchControl::checkerboardColor() {
    if (!checkerboardColor_) {
        setCheckerboardColor(
            UIColor::colorWithPatternImage(UIImage::imageNamed("checkerboard.png")));
    }
    return checkerboardColor_;
}

bool HVColorPatchControl::beginTrackingWithTouch(UITouch* touch, UIEvent* event) {
    bool tracking = UIControl::beginTrackingWithTouch(touch, event);
    CATransaction::begin();
    CATransaction::setValue(kHighlightShowDuration, kCATransactionAnimationDuration);
    touchDownLayer_->setOpacity(kHighlightOpacity);
    CATransaction::commit();
    return tracking;
}

void HVColorPatchControl::endTrackingWithTouch(UITouch* touch, UIEvent* event) {
    touchDownLayer_->setOpacity(0);
    UIControl::endTrackingWithTouch(touch, event);
}

void HVColorPatchControl::cancelTrackingWithEvent(UIEvent* event) {
    touchDownLayer_->setOpacity(0);
    UIControl::cancelTrackingWithEvent(event);
}
