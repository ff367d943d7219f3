#include <UIKit/UIButton.h>

namespace {

// The state whose setting applies: the exact state, else the normal state.
template <class Map> const typename Map::mapped_type* lookup(const Map& map, UIControlState state) {
    auto it = map.find(state);
    if (it == map.end()) {
        it = map.find(UIControlStateNormal);
    }
    return it == map.end() ? nullptr : &it->second;
}

} // namespace

UIButton::UIButton(CGRect frame, UIButtonType type)
    : UIControl(frame), type_(type), titleLabel_(std::make_shared<UILabel>(CGRectZero)) {
    setOpaque(false);
    titleLabel_->setTextAlignment(NSTextAlignmentCenter);
    titleLabel_->setFont(UIFont::systemFontOfSize(15));
    if (type_ == UIButtonTypeRoundedRect) {
        setBackgroundColor(UIColor::whiteColor());
        layer()->setCornerRadius(8);
        layer()->setBorderWidth(1);
        layer()->setBorderColor(defaultTintColor()->CGColor());
        titleLabel_->setFont(UIFont::boldSystemFontOfSize(15));
    }
    addSubview(titleLabel_);
    updateTitle();
}

UIButtonRef UIButton::buttonWithType(UIButtonType type) {
    return std::make_shared<UIButton>(CGRectZero, type);
}

UIColorRef UIButton::defaultTintColor() {
    static const UIColorRef tint = UIColor::colorWithRed(0, 122.0f / 255, 1, 1);
    return tint;
}

bool UIButton::isAccessibilityElement() const {
    return accessibilitySettings().element.value_or(true);
}

std::string UIButton::accessibilityLabel() const {
    return accessibilitySettings().label.value_or(currentTitle());
}

UIAccessibilityTraits UIButton::accessibilityTraits() const {
    return accessibilitySettings().traits.value_or(UIAccessibilityTraitButton) |
           accessibilityStateTraits();
}

void UIButton::setTitle(std::string title, UIControlState state) {
    titles_[state] = std::move(title);
    updateTitle();
}

std::string UIButton::titleForState(UIControlState state) const {
    const std::string* title = lookup(titles_, state);
    return title ? *title : std::string();
}

void UIButton::setTitleColor(UIColorRef color, UIControlState state) {
    titleColors_[state] = std::move(color);
    updateTitle();
}

UIColorRef UIButton::titleColorForState(UIControlState state) const {
    const UIColorRef* color = lookup(titleColors_, state);
    if (color && *color) {
        return *color;
    }
    return type_ == UIButtonTypeRoundedRect ? defaultTintColor() : UIColor::whiteColor();
}

UIColorRef UIButton::currentTitleColor() const {
    UIControlState current = state();
    UIColorRef color = titleColorForState(current);
    bool ownColor = titleColors_.count(current) != 0;
    if (!ownColor && (!isEnabled() || isHighlighted())) {
        CGFloat dim = isEnabled() ? 0.4f : 0.35f;
        return color->colorWithAlphaComponent(CGColorGetAlpha(color->CGColor()) * dim);
    }
    return color;
}

void UIButton::stateDidChange() {
    updateTitle();
}

void UIButton::updateTitle() {
    titleLabel_->setText(currentTitle());
    titleLabel_->setTextColor(currentTitleColor());
    setNeedsLayout();
}

void UIButton::layoutSubviews() {
    titleLabel_->setFrame(bounds());
}

CGSize UIButton::sizeThatFits(CGSize size) const {
    (void)size;
    CGSize text = titleLabel_->sizeThatFits(CGSizeZero);
    return {text.width + 16, std::max(text.height + 12, CGFloat(30))};
}
