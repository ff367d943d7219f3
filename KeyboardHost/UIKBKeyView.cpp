#include "UIKBKeyView.h"

#include <UIKit/UIFont.h>

UIKBKeyView::UIKBKeyView(char character) : UIControl(CGRectZero), character_(character) {
    label_ = std::make_shared<UILabel>();
    label_->setText(character == ' ' ? "space" : std::string(1, character));
    label_->setTextAlignment(NSTextAlignmentCenter);
    label_->setFont(UIFont::systemFontOfSize(character == ' ' ? 15 : 20));
    label_->setBackgroundColor(UIColor::clearColor());
    label_->setUserInteractionEnabled(false);
    addSubview(label_);
    layer()->setCornerRadius(5);
    updateColors();
}

void UIKBKeyView::setDark(bool dark) {
    if (dark == dark_) {
        return;
    }
    dark_ = dark;
    updateColors();
}

void UIKBKeyView::setHighlighted(bool highlighted) {
    UIControl::setHighlighted(highlighted);
    updateColors();
}

void UIKBKeyView::updateColors() {
    // A pressed key takes the other appearance's cap, as a visible press.
    bool darkCap = dark_ != isHighlighted();
    setBackgroundColor(darkCap ? UIColor::colorWithRed(0.30f, 0.30f, 0.32f, 1)
                               : UIColor::whiteColor());
    label_->setTextColor(darkCap ? UIColor::whiteColor() : UIColor::blackColor());
}

void UIKBKeyView::layoutSubviews() {
    label_->setFrame(bounds());
}
