// One finger on the screen. A touch belongs to the view it began on for its whole
// life, wherever the finger moves.
#pragma once

#include <CoreGraphics/CGGeometry.h>
#include <Foundation/NSObject.h>

#include <memory>

class UIView;
class UIWindow;

enum UITouchPhase : NSInteger {
    UITouchPhaseBegan = 0,
    UITouchPhaseMoved = 1,
    UITouchPhaseStationary = 2,
    UITouchPhaseEnded = 3,
    UITouchPhaseCancelled = 4,
};

class UITouch : public NSObject {
  public:
    UITouch(UIWindow* window, UIView* view, CGPoint locationInWindow, double timestamp);

    UITouchPhase phase() const { return phase_; }
    double timestamp() const { return timestamp_; }
    NSUInteger tapCount() const { return 1; }
    UIView* view() const { return view_; }
    UIWindow* window() const { return window_; }

    // In `view`'s coordinates; nullptr means the window's.
    CGPoint locationInView(const UIView* view) const;
    CGPoint previousLocationInView(const UIView* view) const;

    // The application moves the touch along.
    void update(UITouchPhase phase, CGPoint locationInWindow, double timestamp);

  private:
    CGPoint convertToView(CGPoint windowPoint, const UIView* view) const;

    UIWindow* window_;
    UIView* view_;
    // The view is retained, as the platform does: a view removed during the touch
    // stays valid until the touch ends.
    std::shared_ptr<NSObject> retainedView_;
    CGPoint location_;
    CGPoint previousLocation_;
    UITouchPhase phase_ = UITouchPhaseBegan;
    double timestamp_;
};

using UITouchRef = std::shared_ptr<UITouch>;
