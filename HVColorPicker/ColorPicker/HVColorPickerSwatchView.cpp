#include "HVColorPickerSwatchView.h"

#include "HVRoundRectGeometry.h"

#include <Foundation/NSNumber.h>
#include <QuartzCore/CATransaction.h>
#include <UIKit/UIGraphics.h>
#include <UIKit/UIImage.h>

HVColorPickerSwatchView::HVColorPickerSwatchView(CGRect frame) : HVColorPatchControl(frame) {
    color_ = UIColor::blueColor()->colorWithAlphaComponent(0.5f);
    borderWidth_ = 1.0f;

    auto checkmark = CALayer::layer();
    checkmark->setHidden(true);
    if (UIImageRef image = UIImage::imageNamed("PXColorViewCheckmark.png")) {
        checkmark->setContents(image->CGImage());
    }
    checkmark->setBounds(CGRectMake(0, 0, kCheckmarkWidth, kCheckmarkWidth));
    checkmarkLayer_ = checkmark.get();
    layer()->addSublayer(std::move(checkmark));

    cornerRadius_ = 6.0f;
    hasShadow_ = true;
}

void HVColorPickerSwatchView::setColor(UIColorRef color) {
    color_ = std::move(color);
    setNeedsDisplay();
}

void HVColorPickerSwatchView::setSelected(bool selected) {
    UIControl::setSelected(selected);
    checkmarkLayer_->setHidden(!selected);
}

void HVColorPickerSwatchView::setSelected(bool selected, bool animated) {
    if (animated) {
        setSelected(selected);
        return;
    }
    CATransaction::begin();
    CATransaction::setValue(NSNumber::numberWithFloat(0), kCATransactionAnimationDuration);
    setSelected(selected);
    CATransaction::commit();
}

void HVColorPickerSwatchView::drawRect(CGRect rect) {
    (void)rect;
    HVDrawSwatch(UIGraphicsGetCurrentContext(),
                 {bounds(), drawableColor(color_), borderWidth_, cornerRadius_, hasShadow_},
                 [this] { return drawableColor(checkerboardColor()); });
}

void HVColorPickerSwatchView::layoutSublayersOfLayer(CALayer* layer) {
    (void)layer;
    HVSwatchSublayerPlacement placement =
        HVSwatchSublayerPlacementForBounds(bounds(), cornerRadius_);
    touchDownLayer()->setPath(placement.highlightPath);
    checkmarkLayer_->setPosition(placement.checkmarkPosition);
}

CGMutablePathRef HVColorPickerSwatchView::newRoundRectPathForBoundingRect(CGRect rect,
                                                                          CGFloat radius) {
    return HVNewRoundRectPath(rect, radius);
}
