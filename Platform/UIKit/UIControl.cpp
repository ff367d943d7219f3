#include <UIKit/UIControl.h>

#include <UIKit/UITouch.h>

#include <algorithm>

UIControl::UIControl(CGRect frame) : UIView(frame) {}

void UIControl::addTarget(id target, std::string action, ActionCall call, UIControlEvents events) {
    if (!call || events == 0) {
        return;
    }
    for (TargetAction& entry : targetActions_) {
        if (entry.target == target && entry.action == action) {
            entry.events |= events;
            entry.call = std::move(call);
            return;
        }
    }
    targetActions_.push_back({target, std::move(action), std::move(call), events});
}

void UIControl::removeTarget(id target, const std::string& action, UIControlEvents events) {
    for (TargetAction& entry : targetActions_) {
        if (entry.target == target && (action.empty() || entry.action == action)) {
            entry.events &= ~events;
        }
    }
    std::erase_if(targetActions_, [](const TargetAction& entry) { return entry.events == 0; });
}

std::vector<id> UIControl::allTargets() const {
    std::vector<id> targets;
    for (const TargetAction& entry : targetActions_) {
        if (std::find(targets.begin(), targets.end(), entry.target) == targets.end()) {
            targets.push_back(entry.target);
        }
    }
    return targets;
}

std::vector<std::string> UIControl::actionsForTarget(id target, UIControlEvents event) const {
    std::vector<std::string> actions;
    for (const TargetAction& entry : targetActions_) {
        if (entry.target == target && (entry.events & event) != 0) {
            actions.push_back(entry.action);
        }
    }
    return actions;
}

UIControlEvents UIControl::allControlEvents() const {
    UIControlEvents all = 0;
    for (const TargetAction& entry : targetActions_) {
        all |= entry.events;
    }
    return all;
}

void UIControl::sendActionsForControlEvents(UIControlEvents events) {
    send(events, nullptr);
}

void UIControl::send(UIControlEvents events, UIEvent* event) {
    // An action may add or remove actions, or release this control's last owner:
    // work on a copy, with the control kept alive.
    auto keepAlive = weak_from_this().lock();
    std::vector<TargetAction> matching;
    for (const TargetAction& entry : targetActions_) {
        if ((entry.events & events) != 0) {
            matching.push_back(entry);
        }
    }
    for (const TargetAction& entry : matching) {
        entry.call(this, event);
    }
}

// ---- state ------------------------------------------------------------------------

void UIControl::setEnabled(bool enabled) {
    if (enabled_ == enabled) {
        return;
    }
    enabled_ = enabled;
    stateDidChange();
    UIAccessibilityPostNotification(UIAccessibilityNotification::layoutChanged, this);
}

void UIControl::setSelected(bool selected) {
    if (selected_ == selected) {
        return;
    }
    selected_ = selected;
    stateDidChange();
    UIAccessibilityPostNotification(UIAccessibilityNotification::layoutChanged, this);
}

void UIControl::setHighlighted(bool highlighted) {
    if (highlighted_ == highlighted) {
        return;
    }
    highlighted_ = highlighted;
    stateDidChange();
}

UIAccessibilityTraits UIControl::accessibilityStateTraits() const {
    return (enabled_ ? UIAccessibilityTraitNone : UIAccessibilityTraitNotEnabled) |
           (selected_ ? UIAccessibilityTraitSelected : UIAccessibilityTraitNone);
}

UIAccessibilityTraits UIControl::accessibilityTraits() const {
    return UIView::accessibilityTraits() | accessibilityStateTraits();
}

UIControlState UIControl::state() const {
    UIControlState state = UIControlStateNormal;
    if (highlighted_) {
        state |= UIControlStateHighlighted;
    }
    if (!enabled_) {
        state |= UIControlStateDisabled;
    }
    if (selected_) {
        state |= UIControlStateSelected;
    }
    return state;
}

// ---- tracking -----------------------------------------------------------------------

bool UIControl::beginTrackingWithTouch(UITouch* touch, UIEvent* event) {
    (void)touch;
    (void)event;
    return true;
}

bool UIControl::continueTrackingWithTouch(UITouch* touch, UIEvent* event) {
    (void)touch;
    (void)event;
    return true;
}

void UIControl::endTrackingWithTouch(UITouch* touch, UIEvent* event) {
    (void)touch;
    (void)event;
}

void UIControl::cancelTrackingWithEvent(UIEvent* event) {
    (void)event;
}

bool UIControl::touchIsInside(UITouch* touch, UIEvent* event) const {
    return pointInside(touch->locationInView(this), event);
}

void UIControl::touchesBegan(const UITouchSet& touches, UIEvent* event) {
    if (touches.empty() || !enabled_ || touchActive_) {
        return;
    }
    auto keepAlive = weak_from_this().lock();
    UITouch* touch = touches.front();
    touchActive_ = true;
    touchInside_ = true;
    setHighlighted(true);
    tracking_ = beginTrackingWithTouch(touch, event);
    send(UIControlEventTouchDown, event);
}

void UIControl::touchesMoved(const UITouchSet& touches, UIEvent* event) {
    if (touches.empty() || !touchActive_) {
        return;
    }
    auto keepAlive = weak_from_this().lock();
    UITouch* touch = touches.front();
    bool wasInside = touchInside_;
    touchInside_ = touchIsInside(touch, event);
    if (tracking_) {
        tracking_ = continueTrackingWithTouch(touch, event);
    }
    setHighlighted(touchInside_);
    UIControlEvents events =
        touchInside_ ? UIControlEventTouchDragInside : UIControlEventTouchDragOutside;
    if (wasInside != touchInside_) {
        events |= touchInside_ ? UIControlEventTouchDragEnter : UIControlEventTouchDragExit;
    }
    send(events, event);
}

void UIControl::touchesEnded(const UITouchSet& touches, UIEvent* event) {
    if (touches.empty() || !touchActive_) {
        return;
    }
    auto keepAlive = weak_from_this().lock();
    UITouch* touch = touches.front();
    touchInside_ = touchIsInside(touch, event);
    if (tracking_) {
        endTrackingWithTouch(touch, event);
    }
    tracking_ = false;
    touchActive_ = false;
    setHighlighted(false);
    send(touchInside_ ? UIControlEventTouchUpInside : UIControlEventTouchUpOutside, event);
}

void UIControl::touchesCancelled(const UITouchSet& touches, UIEvent* event) {
    (void)touches;
    if (!touchActive_) {
        return;
    }
    auto keepAlive = weak_from_this().lock();
    if (tracking_) {
        cancelTrackingWithEvent(event);
    }
    tracking_ = false;
    touchActive_ = false;
    touchInside_ = false;
    setHighlighted(false);
    send(UIControlEventTouchCancel, event);
}
