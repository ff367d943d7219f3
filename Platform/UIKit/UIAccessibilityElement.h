// An element that is part of a view but no view of its own (one half of a
// control that shows two things): its container lists it among its
// accessibility elements and places it in its own coordinates. Here it is a view
// kept out of the view tree, so that the element tree can hold it like any
// other; it draws nothing and takes no touches.
#pragma once

#include <UIKit/UIView.h>

class UIAccessibilityElement;
using UIAccessibilityElementRef = std::shared_ptr<UIAccessibilityElement>;

class UIAccessibilityElement : public UIView {
  public:
    // `container` is not retained: it owns the element.
    explicit UIAccessibilityElement(UIView* container);
    static UIAccessibilityElementRef initWithAccessibilityContainer(UIView* container) {
        return std::make_shared<UIAccessibilityElement>(container);
    }

    UIView* accessibilityContainer() const { return container_; }
    CGRect accessibilityFrameInContainerSpace() const { return frameInContainer_; }
    void setAccessibilityFrameInContainerSpace(CGRect frame) { frameInContainer_ = frame; }

    bool isAccessibilityElement() const override;
    // The frame in the container, in screen points.
    CGRect accessibilityFrame() const override;

  private:
    UIView* container_;
    CGRect frameInContainer_{};
};
