// The event that carries the touches of one moment.
#pragma once

#include <Foundation/NSObject.h>
#include <UIKit/UIResponder.h>

enum UIEventType : NSInteger { UIEventTypeTouches = 0 };

class UIEvent : public NSObject {
  public:
    UIEvent(UITouchSet touches, double timestamp)
        : touches_(std::move(touches)), timestamp_(timestamp) {}

    UIEventType type() const { return UIEventTypeTouches; }
    double timestamp() const { return timestamp_; }
    const UITouchSet& allTouches() const { return touches_; }

  private:
    UITouchSet touches_;
    double timestamp_;
};
