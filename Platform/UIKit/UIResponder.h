// The responder chain: touches that a view does not handle go to its next
// responder (its view controller, then its superview, up to the window and the
// application).
#pragma once

#include <Foundation/NSObject.h>

#include <string>
#include <vector>

class UITouch;
class UIEvent;

using UITouchSet = std::vector<UITouch*>;

class UIResponder : public NSObject {
  public:
    virtual UIResponder* nextResponder() const { return nullptr; }

    // Each default passes the touches on to the next responder.
    virtual void touchesBegan(const UITouchSet& touches, UIEvent* event);
    virtual void touchesMoved(const UITouchSet& touches, UIEvent* event);
    virtual void touchesEnded(const UITouchSet& touches, UIEvent* event);
    virtual void touchesCancelled(const UITouchSet& touches, UIEvent* event);

    // Edit actions by selector name ("copy:"), which the keyboard's shortcuts send
    // to the first responder that can perform them (UIApplication::sendAction).
    virtual bool canPerformAction(const std::string& action, id sender) const {
        (void)action;
        (void)sender;
        return false;
    }
    virtual void copy(id sender) { (void)sender; }
};
