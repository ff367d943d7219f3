#include "UIKBKeyView.h"

#include <UIKit/UIFont.h>

#include <cctype>

namespace {

// What the cap shows; the shift and delete caps show the device's symbols.
std::string capTitle(UIKBKeyKind kind, char character) {
    switch (kind) {
    case UIKBKeyKind::character:
        return character == ' ' ? "space" : std::string(1, character);
    case UIKBKeyKind::shift:
        return "\u21E7";
    case UIKBKeyKind::deleteKey:
        return "\u232B";
    case UIKBKeyKind::keyplaneSwitch:
        return "123";
    case UIKBKeyKind::returnKey:
        return "return";
    }
    return {};
}

// Names ("space", "return", "123") are set smaller than a character or a symbol, so
// that they fit their caps.
CGFloat capFontSize(UIKBKeyKind kind, char character) {
    bool named = kind == UIKBKeyKind::keyplaneSwitch || kind == UIKBKeyKind::returnKey ||
                 (kind == UIKBKeyKind::character && character == ' ');
    return named ? 15 : 20;
}

struct CapColors {
    UIColorRef cap;
    UIColorRef text;
};

CapColors capColors(bool functionKey, bool darkCap) {
    if (functionKey) {
        return darkCap
                   ? CapColors{UIColor::colorWithRed(0.17f, 0.17f, 0.18f, 1), UIColor::whiteColor()}
                   : CapColors{UIColor::colorWithRed(0.67f, 0.70f, 0.73f, 1),
                               UIColor::blackColor()};
    }
    return darkCap ? CapColors{UIColor::colorWithRed(0.30f, 0.30f, 0.32f, 1), UIColor::whiteColor()}
                   : CapColors{UIColor::whiteColor(), UIColor::blackColor()};
}

} // namespace

UIKBKeyView::UIKBKeyView(UIKBKeyKind kind, char character)
    : UIControl(CGRectZero), kind_(kind), character_(character) {
    label_ = std::make_shared<UILabel>();
    label_->setTextAlignment(NSTextAlignmentCenter);
    label_->setBackgroundColor(UIColor::clearColor());
    label_->setUserInteractionEnabled(false);
    label_->setFont(UIFont::systemFontOfSize(capFontSize(kind, character)));
    addSubview(label_);
    setTitle(capTitle(kind, character));
    layer()->setCornerRadius(5);
    updateColors();
}

char UIKBKeyView::typedCharacter() const {
    if (kind_ != UIKBKeyKind::character) {
        return 0;
    }
    auto byte = static_cast<unsigned char>(character_);
    return shifted_ ? static_cast<char>(std::toupper(byte)) : character_;
}

void UIKBKeyView::setShifted(bool shifted) {
    if (shifted == shifted_ || kind_ != UIKBKeyKind::character || character_ == ' ') {
        return;
    }
    shifted_ = shifted;
    setTitle(std::string(1, typedCharacter()));
}

void UIKBKeyView::setTitle(const std::string& title) {
    if (title == label_->text()) {
        return;
    }
    label_->setText(title);
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

void UIKBKeyView::setSelected(bool selected) {
    UIControl::setSelected(selected);
    updateColors();
}

bool UIKBKeyView::isFunctionKey() const {
    return kind_ != UIKBKeyKind::character;
}

void UIKBKeyView::updateColors() {
    // A pressed key takes the other appearance's cap, as a visible press; an active
    // shift is white in both appearances.
    CapColors colors = isSelected() && !isHighlighted()
                           ? CapColors{UIColor::whiteColor(), UIColor::blackColor()}
                           : capColors(isFunctionKey(), dark_ != isHighlighted());
    setBackgroundColor(colors.cap);
    label_->setTextColor(colors.text);
}

void UIKBKeyView::layoutSubviews() {
    label_->setFrame(bounds());
}

bool UIKBKeyView::isAccessibilityElement() const {
    return accessibilitySettings().element.value_or(true);
}

std::string UIKBKeyView::accessibilityLabel() const {
    if (const auto& label = accessibilitySettings().label) {
        return *label;
    }
    switch (kind_) {
    case UIKBKeyKind::shift:
        return "shift";
    case UIKBKeyKind::deleteKey:
        return "delete";
    case UIKBKeyKind::character:
    case UIKBKeyKind::keyplaneSwitch:
    case UIKBKeyKind::returnKey:
        break;
    }
    return label_->text();
}

UIAccessibilityTraits UIKBKeyView::accessibilityTraits() const {
    if (const auto& traits = accessibilitySettings().traits) {
        return *traits;
    }
    return UIAccessibilityTraitKeyboardKey | (isSelected() ? UIAccessibilityTraitSelected : 0);
}
