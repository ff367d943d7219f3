#include <UIKit/UIAlertViewButton.h>

#include <UIKit/UILabel.h>

UIAlertViewButton::UIAlertViewButton() : UIButton(CGRectZero, UIButtonTypeCustom) {
    setTitleColor(UIButton::defaultTintColor(), UIControlStateNormal);
    setTitleColor(UIButton::defaultTintColor(), UIControlStateHighlighted);
    titleLabel()->setFont(UIFont::systemFontOfSize(17));
}

void UIAlertViewButton::stateDidChange() {
    UIButton::stateDidChange();
    setBackgroundColor(isHighlighted() ? UIColor::colorWithWhite(0.85f, 1) : nullptr);
}
