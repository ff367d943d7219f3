// The responder chain: touches that a view does not handle go to its next
// responder (its view controller, then its superview, up to the window and the
// application). One responder at a time is the first responder, the one that
// typed text goes to (a text field being edited).
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

    // Only a responder that takes typed text becomes the first responder.
    virtual bool canBecomeFirstResponder() const { return false; }
    // True when this is the first responder afterwards.
    bool becomeFirstResponder();
    // True when this is not the first responder afterwards.
    bool resignFirstResponder();
    bool isFirstResponder() const;
    // The first responder now, or nullptr (none, or it is gone).
    static UIResponder* currentFirstResponder();
};
