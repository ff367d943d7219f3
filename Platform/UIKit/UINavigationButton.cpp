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
    bool retitled = titleLabel_->text() != item_->title();
    titleLabel_->setText(item_->title());
    if (retitled) {
        // Its name changed: tools read the element again.
        UIAccessibilityPostNotification(UIAccessibilityNotification::layoutChanged, this);
    }
    bool bold = item_->style() == UIBarButtonItemStyleDone;
    titleLabel_->setFont(bold ? UIFont::boldSystemFontOfSize(fontSize)
                              : UIFont::systemFontOfSize(fontSize));
    setEnabled(item_->isEnabled());
    setSelected(item_->isSelected());
    stateDidChange();
}

bool UINavigationButton::isAccessibilityElement() const {
    return accessibilitySettings().element.value_or(true);
}

std::string UINavigationButton::accessibilityLabel() const {
    return accessibilitySettings().label.value_or(
        item_->accessibilityLabel().value_or(item_->title()));
}

UIAccessibilityTraits UINavigationButton::accessibilityTraits() const {
    return accessibilitySettings().traits.value_or(
               item_->accessibilityTraits().value_or(UIAccessibilityTraitButton)) |
           accessibilityStateTraits();
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
