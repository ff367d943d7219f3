#include <UIKit/UINavigationButton.h>

UINavigationButton::UINavigationButton(UIBarButtonItemRef item, UIColorRef tintColor)
    : UIControl(CGRectZero), item_(std::move(item)), tintColor_(std::move(tintColor)),
      titleLabel_(std::make_shared<UILabel>()) {
    setOpaque(false);
    titleLabel_->setTextAlignment(NSTextAlignmentCenter);
    addSubview(titleLabel_);
    addTarget(this, "pressed", &UINavigationButton::pressed, UIControlEventTouchUpInside);
    update();
}

UIColorRef UINavigationButton::disabledTitleColor() {
    static const UIColorRef grey = UIColor::colorWithWhite(0.6f, 1);
    return grey;
}

void UINavigationButton::setTintColor(UIColorRef color) {
    tintColor_ = std::move(color);
    stateDidChange();
}

void UINavigationButton::update() {
    titleLabel_->setText(item_->title());
    bool bold = item_->style() == UIBarButtonItemStyleDone;
    titleLabel_->setFont(bold ? UIFont::boldSystemFontOfSize(fontSize)
                              : UIFont::systemFontOfSize(fontSize));
    setEnabled(item_->isEnabled());
    stateDidChange();
}

void UINavigationButton::stateDidChange() {
    UIColorRef color = disabledTitleColor();
    if (isEnabled()) {
        color = isHighlighted() ? tintColor_->colorWithAlphaComponent(0.3f) : tintColor_;
    }
    titleLabel_->setTextColor(color);
}

CGSize UINavigationButton::sizeThatFits(CGSize size) const {
    CGSize text = titleLabel_->sizeThatFits(CGSizeZero);
    return {text.width + 2 * horizontalPadding, size.height};
}

void UINavigationButton::layoutSubviews() {
    titleLabel_->setFrame(bounds());
}

void UINavigationButton::pressed() {
    item_->press();
}
