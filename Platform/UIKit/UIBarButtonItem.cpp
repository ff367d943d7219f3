#include <UIKit/UIBarButtonItem.h>

UIBarButtonItem::UIBarButtonItem(std::string title, UIBarButtonItemStyle style, id target,
                                 std::string action, ActionCall call)
    : title_(std::move(title)), style_(style), target_(target), action_(std::move(action)),
      call_(std::move(call)) {}

void UIBarButtonItem::setTitle(std::string title) {
    if (title == title_) {
        return;
    }
    title_ = std::move(title);
    notify();
}

void UIBarButtonItem::setStyle(UIBarButtonItemStyle style) {
    if (style == style_) {
        return;
    }
    style_ = style;
    notify();
}

void UIBarButtonItem::setEnabled(bool enabled) {
    if (enabled == enabled_) {
        return;
    }
    enabled_ = enabled;
    notify();
}

void UIBarButtonItem::setSelected(bool selected) {
    if (selected == selected_) {
        return;
    }
    selected_ = selected;
    notify();
}

void UIBarButtonItem::setAccessibilityLabel(std::string label) {
    accessibilityLabel_ = std::move(label);
    notify();
}

void UIBarButtonItem::setAccessibilityTraits(UIAccessibilityTraits traits) {
    accessibilityTraits_ = traits;
    notify();
}

void UIBarButtonItem::press() {
    if (!enabled_ || !call_) {
        return;
    }
    // The action may replace this item in its bar.
    auto keepAlive = weak_from_this().lock();
    call_(this);
}

void UIBarButtonItem::notify() {
    if (changed_) {
        changed_();
    }
}
