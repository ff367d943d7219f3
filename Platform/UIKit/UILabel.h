// A line (or a wrapped paragraph) of text, centred vertically in the view.
#pragma once

#include <QuartzCore/CATextLayer.h>
#include <UIKit/UIFont.h>
#include <UIKit/UIView.h>

#include <string>

class UILabel;
using UILabelRef = std::shared_ptr<UILabel>;

enum NSTextAlignment : NSInteger {
    NSTextAlignmentLeft = 0,
    NSTextAlignmentCenter = 1,
    NSTextAlignmentRight = 2,
};

class UILabel : public UIView {
  public:
    explicit UILabel(CGRect frame = CGRectZero);

    const std::string& text() const { return text_; }
    void setText(std::string text);
    // Black by default.
    const UIColorRef& textColor() const { return textColor_; }
    void setTextColor(UIColorRef color);
    // The system font of size 17 by default.
    const UIFontRef& font() const { return font_; }
    void setFont(UIFontRef font);
    NSTextAlignment textAlignment() const { return alignment_; }
    void setTextAlignment(NSTextAlignment alignment);
    // 1 by default; 0 wraps into as many lines as needed.
    NSInteger numberOfLines() const { return numberOfLines_; }
    void setNumberOfLines(NSInteger lines);

    CGSize sizeThatFits(CGSize size) const override;
    void layoutSubviews() override;
    CATextLayer* textLayer() const { return textLayer_.get(); }

    // An element (while it has text) labelled by its text, static text.
    bool isAccessibilityElement() const override;
    std::string accessibilityLabel() const override;
    UIAccessibilityTraits accessibilityTraits() const override;

  private:
    void update();

    std::string text_;
    UIColorRef textColor_;
    UIFontRef font_;
    NSTextAlignment alignment_ = NSTextAlignmentLeft;
    NSInteger numberOfLines_ = 1;
    CATextLayerRef textLayer_;
};
