// The accessibility defaults of a plain view.
#include <UIKit/UIView.h>

bool UIView::isAccessibilityElement() const {
    return accessibility_.element.value_or(false);
}

std::string UIView::accessibilityLabel() const {
    return accessibility_.label.value_or("");
}

std::string UIView::accessibilityValue() const {
    return accessibility_.value.value_or("");
}

std::string UIView::accessibilityHint() const {
    return accessibility_.hint.value_or("");
}

UIAccessibilityTraits UIView::accessibilityTraits() const {
    return accessibility_.traits.value_or(UIAccessibilityTraitNone);
}

CGRect UIView::accessibilityFrame() const {
    return convertRectToView(bounds(), nullptr);
}

std::vector<UIView*> UIView::accessibilityElements() const {
    std::vector<UIView*> views;
    views.reserve(subviews_.size());
    for (const UIViewRef& subview : subviews_) {
        views.push_back(subview.get());
    }
    return views;
}
