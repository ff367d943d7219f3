// Controls: views that track a touch and report what happens through target and
// action. An action is registered for an event mask under its selector's name
// ("colorWheelColorChanged:"), with the call it makes; targets are not retained.
//
// A touch that begins on an enabled control: beginTrackingWithTouch, then
// touch-down (1). Each move: continueTrackingWithTouch while tracking goes on, and
// drag-inside/outside/enter/exit. Lift-off: endTrackingWithTouch, then
// touch-up-inside (64) when the finger is inside the control's bounds, else
// touch-up-outside (128). A cancelled touch: cancelTrackingWithEvent, then
// touch-cancel (256). Disabled controls take touches and do nothing with them.
#pragma once

#include <UIKit/UIView.h>

#include <functional>
#include <string>
#include <vector>

using UIControlEvents = NSUInteger;
enum : UIControlEvents {
    UIControlEventTouchDown = 1 << 0,
    UIControlEventTouchDownRepeat = 1 << 1,
    UIControlEventTouchDragInside = 1 << 2,
    UIControlEventTouchDragOutside = 1 << 3,
    UIControlEventTouchDragEnter = 1 << 4,
    UIControlEventTouchDragExit = 1 << 5,
    UIControlEventTouchUpInside = 1 << 6,
    UIControlEventTouchUpOutside = 1 << 7,
    UIControlEventTouchCancel = 1 << 8,
    UIControlEventValueChanged = 1 << 12,
    UIControlEventAllTouchEvents = 0x00000FFF,
    UIControlEventAllEditingEvents = 0x000F0000,
    UIControlEventApplicationReserved = 0x0F000000,
    UIControlEventSystemReserved = 0xF0000000,
    UIControlEventAllEvents = 0xFFFFFFFF,
};

using UIControlState = NSUInteger;
enum : UIControlState {
    UIControlStateNormal = 0,
    UIControlStateHighlighted = 1 << 0,
    UIControlStateDisabled = 1 << 1,
    UIControlStateSelected = 1 << 2,
};

class UIControl : public UIView {
  public:
    // What an action does when sent: called with the control as the sender.
    using ActionCall = std::function<void(id sender, UIEvent* event)>;

    explicit UIControl(CGRect frame = CGRectZero);

    // Target and action. `target` may be nullptr for a free-standing call.
    void addTarget(id target, std::string action, ActionCall call, UIControlEvents events);
    // A member function of the target taking the sender (any pointer type the
    // sender converts to), or nothing.
    template <class T, class Sender>
    void addTarget(T* target, std::string action, void (T::*method)(Sender*),
                   UIControlEvents events) {
        addTarget(
            static_cast<id>(target), std::move(action),
            [target, method](id sender, UIEvent*) {
                (target->*method)(dynamic_cast<Sender*>(sender));
            },
            events);
    }
    template <class T>
    void addTarget(T* target, std::string action, void (T::*method)(), UIControlEvents events) {
        addTarget(
            static_cast<id>(target), std::move(action),
            [target, method](id, UIEvent*) { (target->*method)(); }, events);
    }
    // Removes the events from the target's actions (all its actions when `action`
    // is empty); an action left with no events is removed.
    void removeTarget(id target, const std::string& action, UIControlEvents events);

    // What is wired, as the platform answers: the distinct targets in the order
    // first registered, and the names of a target's actions for one event.
    std::vector<id> allTargets() const;
    std::vector<std::string> actionsForTarget(id target, UIControlEvents event) const;
    UIControlEvents allControlEvents() const;

    // Sends each action registered for any of `events`, in registration order.
    void sendActionsForControlEvents(UIControlEvents events);

    // State.
    bool isEnabled() const { return enabled_; }
    virtual void setEnabled(bool enabled);
    bool isSelected() const { return selected_; }
    virtual void setSelected(bool selected);
    bool isHighlighted() const { return highlighted_; }
    virtual void setHighlighted(bool highlighted);
    UIControlState state() const;

    // Accessibility: the state's traits (not enabled, selected) are added to what
    // the control, or a value set on it, answers.
    UIAccessibilityTraits accessibilityTraits() const override;
    bool isTracking() const { return tracking_; }
    bool isTouchInside() const { return touchInside_; }

    // Tracking: subclasses override and call up. Returning false from begin or
    // continue ends the tracking callbacks for this touch (the touch events still
    // follow).
    virtual bool beginTrackingWithTouch(UITouch* touch, UIEvent* event);
    virtual bool continueTrackingWithTouch(UITouch* touch, UIEvent* event);
    virtual void endTrackingWithTouch(UITouch* touch, UIEvent* event);
    virtual void cancelTrackingWithEvent(UIEvent* event);

    void touchesBegan(const UITouchSet& touches, UIEvent* event) override;
    void touchesMoved(const UITouchSet& touches, UIEvent* event) override;
    void touchesEnded(const UITouchSet& touches, UIEvent* event) override;
    void touchesCancelled(const UITouchSet& touches, UIEvent* event) override;

  protected:
    // Called after a state change so subclasses can restyle.
    virtual void stateDidChange() {}
    // Not enabled, selected: what the state adds to the traits.
    UIAccessibilityTraits accessibilityStateTraits() const;

  private:
    struct TargetAction {
        id target;
        std::string action;
        ActionCall call;
        UIControlEvents events;
    };
    void send(UIControlEvents events, UIEvent* event);
    bool touchIsInside(UITouch* touch, UIEvent* event) const;

    std::vector<TargetAction> targetActions_;
    bool enabled_ = true;
    bool selected_ = false;
    bool highlighted_ = false;
    bool tracking_ = false;
    bool touchInside_ = false;
    bool touchActive_ = false;
};
