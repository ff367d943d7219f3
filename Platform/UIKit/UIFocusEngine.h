// Keyboard focus: the element that Tab, Shift+Tab and the arrows move to and that
// Space and Return act on, and the ring that shows it.
//
// Nothing holds focus until the keyboard first moves it. Tab and Shift+Tab step
// through the enabled controls (buttons, links, adjustable elements, keys) in the
// element tree's reading order, wrapping at the ends; the arrows move to the
// nearest element of the focused one's focus group in their direction. While an
// alert is up, focus is inside it, at first on its preferred (bold) button; when
// it goes, focus is back where it was.
#pragma once

#include <CoreGraphics/CGGeometry.h>
#include <Foundation/NSObject.h>
#include <QuartzCore/CALayer.h>

#include <memory>
#include <optional>

class UIView;
class CAShapeLayer;

enum class UIFocusHeading { next, previous, up, down, left, right };

class UIFocusEngine {
  public:
    static UIFocusEngine& shared();

    // The focused element, or nullptr: inside the alert that is up, one of its
    // buttons; otherwise the element last moved to while it is still on screen.
    UIView* focusedView();
    // False when there is nowhere to go (no enabled control; an arrow from an
    // element with no group, or none of the group that way).
    bool moveFocus(UIFocusHeading heading);
    // The centre of the focused element, in screen points: where activating it taps.
    std::optional<CGPoint> activationPoint();

    // An alert came up or went: tells assistive tools, and of the focus that moved.
    void screenDidChange();

    // Places the ring around the focused element, above every window, once the
    // keyboard has moved focus; hides it otherwise. Called before each frame.
    void updateFocusRing();
    // The ring's layer (tests look at it); nullptr until first shown.
    CALayer* focusRingLayer() const { return ring_.get(); }

    // Forgets all focus and hides the ring, as at start.
    void reset();

  private:
    // A view held without keeping it alive.
    struct WeakView {
        std::weak_ptr<NSObject> reference;
        UIView* view = nullptr;
        UIView* get() const { return reference.expired() ? nullptr : view; }
        void set(UIView* newView);
    };

    void setFocus(UIView* view);
    void postFocusIfChanged();
    void makeRing();

    WeakView focused_;
    WeakView alert_; // the alert whose buttons alertFocused_ is among
    WeakView alertFocused_;
    WeakView announced_; // the focus assistive tools last heard of
    bool ringShown_ = false;
    // Where the ring was last placed: around which view, at what frame, on what screen.
    struct RingPlacement {
        UIView* view = nullptr;
        CGRect frame{};
        CGRect screen{};
        bool operator==(const RingPlacement& other) const {
            return view == other.view && CGRectEqualToRect(frame, other.frame) &&
                   CGRectEqualToRect(screen, other.screen);
        }
    };
    std::optional<RingPlacement> placed_;
    CALayerRef ring_;
    std::shared_ptr<CAShapeLayer> ringEdge_;
    std::shared_ptr<CAShapeLayer> ringCore_;
};
