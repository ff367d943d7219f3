#include <UIKit/UITouch.h>

#include <UIKit/UIView.h>
#include <UIKit/UIWindow.h>

UITouch::UITouch(UIWindow* window, UIView* view, CGPoint locationInWindow, double timestamp)
    : window_(window), view_(view), retainedView_(view ? view->weak_from_this().lock() : nullptr),
      location_(locationInWindow), previousLocation_(locationInWindow), timestamp_(timestamp) {}

CGPoint UITouch::locationInView(const UIView* view) const {
    return convertToView(location_, view);
}

CGPoint UITouch::previousLocationInView(const UIView* view) const {
    return convertToView(previousLocation_, view);
}

void UITouch::update(UITouchPhase phase, CGPoint locationInWindow, double timestamp) {
    previousLocation_ = location_;
    location_ = locationInWindow;
    phase_ = phase;
    timestamp_ = timestamp;
}

CGPoint UITouch::convertToView(CGPoint windowPoint, const UIView* view) const {
    if (view == nullptr || window_ == nullptr) {
        return windowPoint;
    }
    return view->convertPointFromView(windowPoint, window_);
}
