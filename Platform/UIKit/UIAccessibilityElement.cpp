#include <UIKit/UIAccessibilityElement.h>

UIAccessibilityElement::UIAccessibilityElement(UIView* container) : container_(container) {
    setUserInteractionEnabled(false);
    setOpaque(false);
}

bool UIAccessibilityElement::isAccessibilityElement() const {
    return accessibilitySettings().element.value_or(true);
}

CGRect UIAccessibilityElement::accessibilityFrame() const {
    if (container_ == nullptr) {
        return frameInContainer_;
    }
    return container_->convertRectToView(frameInContainer_, nullptr);
}
