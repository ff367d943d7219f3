#include "HVColorPickerSwatchView.h"

#include "HVRoundRectGeometry.h"
#include "UIColor-Utilities.h"

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
    UIAccessibilityPostNotification(UIAccessibilityNotification::layoutChanged, this);
}

void HVColorPickerSwatchView::setChosen(bool chosen) {
    if (chosen != chosen_) {
        chosen_ = chosen;
        UIAccessibilityPostNotification(UIAccessibilityNotification::layoutChanged, this);
    }
}

bool HVColorPickerSwatchView::isAccessibilityElement() const {
    return accessibilitySettings().element.value_or(true);
}

std::string HVColorPickerSwatchView::accessibilityLabel() const {
    if (accessibilitySettings().label) {
        return *accessibilitySettings().label;
    }
    bool exact = false;
    std::string name = UIColor_Utilities::nearestColorName(color_, &exact);
    return exact || name.empty() ? name : "near " + name;
}

std::string HVColorPickerSwatchView::accessibilityValue() const {
    return accessibilitySettings().value.value_or(UIColor_Utilities::spokenDescription(color_));
}

UIAccessibilityTraits HVColorPickerSwatchView::accessibilityTraits() const {
    return accessibilitySettings().traits.value_or(UIAccessibilityTraitButton |
                                                   UIAccessibilityTraitRadioButton) |
           accessibilityStateTraits() |
           (chosen_ ? UIAccessibilityTraitSelected : UIAccessibilityTraitNone);
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
