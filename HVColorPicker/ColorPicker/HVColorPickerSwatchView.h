// A preset colour as a rounded, bordered patch: a checkerboard under translucent
// colours, a dark highlight while a finger is down, a checkmark when selected. It
// sends only the platform control's own touch events.
#pragma once

#include "HVColorPatchControl.h"
#include "HVColorPickerSwatchGeometry.h"

class HVColorPickerSwatchView;
using HVColorPickerSwatchViewRef = std::shared_ptr<HVColorPickerSwatchView>;

class HVColorPickerSwatchView : public HVColorPatchControl {
  public:
    explicit HVColorPickerSwatchView(CGRect frame);

    const UIColorRef& color() const { return color_; }
    // Redraws, also for the same colour.
    void setColor(UIColorRef color);

    // Plain stores: the change shows at the next redraw or sublayer layout.
    CGFloat borderWidth() const { return borderWidth_; }
    void setBorderWidth(CGFloat width) { borderWidth_ = width; }
    CGFloat cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(CGFloat radius) { cornerRadius_ = radius; }
    bool hasShadow() const { return hasShadow_; }
    void setHasShadow(bool hasShadow) { hasShadow_ = hasShadow; }

    // Held by the view's layer, above the highlight, not by the swatch.
    CALayer* checkmarkLayer() const { return checkmarkLayer_; }
    void setCheckmarkLayer(CALayer* layer) { checkmarkLayer_ = layer; }

    // Shows the checkmark exactly when selected, with the layer's default change.
    void setSelected(bool selected) override;
    // Without animation the checkmark changes inside a zero-length transaction.
    void setSelected(bool selected, bool animated);

    // Draws the whole swatch from the bounds, whatever `rect` asks for.
    void drawRect(CGRect rect) override;
    // Shapes the highlight and places the checkmark; nothing else.
    void layoutSublayersOfLayer(CALayer* layer) override;

    // The preset that the picker's colour is (the picker says so; nothing is
    // drawn for it): tools read it as selected.
    bool isChosen() const { return chosen_; }
    void setChosen(bool chosen);

    // One of a set of buttons of which the chosen one is selected (a radio button),
    // labelled by its colour's name ("red", "near royalblue") unless given one,
    // valued by the colour's spoken form ("red, #FF0000").
    bool isAccessibilityElement() const override;
    std::string accessibilityLabel() const override;
    std::string accessibilityValue() const override;
    UIAccessibilityTraits accessibilityTraits() const override;

    // A new closed rounded rectangle one point inside `rect`.
    static CGMutablePathRef newRoundRectPathForBoundingRect(CGRect rect, CGFloat radius);

  private:
    UIColorRef color_;
    CGFloat borderWidth_ = 1.0f;
    CGFloat cornerRadius_ = 6.0f;
    bool hasShadow_ = true;
    CALayer* checkmarkLayer_ = nullptr;
    bool chosen_ = false;
};
