// A button in a navigation bar: a title, a style (done, 2, shows bold), a target
// and action, enabled or greyed out, selected or not (an on/off item). A press on
// a disabled item does nothing. Assistive tools read the button that shows it by
// the item's accessibility label and traits where set, else by its title.
#pragma once

#include <Foundation/NSObject.h>
#include <UIKit/UIAccessibility.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class UIBarButtonItem;
using UIBarButtonItemRef = std::shared_ptr<UIBarButtonItem>;

enum UIBarButtonItemStyle : NSInteger {
    UIBarButtonItemStylePlain = 0,
    UIBarButtonItemStyleBordered = 1,
    UIBarButtonItemStyleDone = 2,
};

class UIBarButtonItem : public NSObject {
  public:
    using ActionCall = std::function<void(id sender)>;

    UIBarButtonItem(std::string title, UIBarButtonItemStyle style, id target, std::string action,
                    ActionCall call);

    // `initWithTitle:style:target:action:` with a member function of the target
    // that takes the sender (any pointer type it converts to) or nothing.
    template <class T, class Sender>
    static UIBarButtonItemRef initWithTitle(std::string title, UIBarButtonItemStyle style,
                                            T* target, std::string action,
                                            void (T::*method)(Sender*)) {
        return std::make_shared<UIBarButtonItem>(
            std::move(title), style, static_cast<id>(target), std::move(action),
            [target, method](id sender) { (target->*method)(dynamic_cast<Sender*>(sender)); });
    }
    template <class T>
    static UIBarButtonItemRef initWithTitle(std::string title, UIBarButtonItemStyle style,
                                            T* target, std::string action, void (T::*method)()) {
        return std::make_shared<UIBarButtonItem>(std::move(title), style, static_cast<id>(target),
                                                 std::move(action),
                                                 [target, method](id) { (target->*method)(); });
    }

    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    UIBarButtonItemStyle style() const { return style_; }
    void setStyle(UIBarButtonItemStyle style);
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool isSelected() const { return selected_; }
    void setSelected(bool selected);

    const std::optional<std::string>& accessibilityLabel() const { return accessibilityLabel_; }
    void setAccessibilityLabel(std::string label);
    const std::optional<UIAccessibilityTraits>& accessibilityTraits() const {
        return accessibilityTraits_;
    }
    void setAccessibilityTraits(UIAccessibilityTraits traits);
    id target() const { return target_; }
    // The action's selector name, e.g. "rightButtonPressed:".
    const std::string& action() const { return action_; }

    // What a tap on the item's button does: the action, when enabled.
    void press();

    // The bar showing the item refreshes through this (one observer).
    void setChangeHandler(std::function<void()> handler) { changed_ = std::move(handler); }

  private:
    void notify();

    std::string title_;
    UIBarButtonItemStyle style_;
    id target_;
    std::string action_;
    ActionCall call_;
    bool enabled_ = true;
    bool selected_ = false;
    std::optional<std::string> accessibilityLabel_;
    std::optional<UIAccessibilityTraits> accessibilityTraits_;
    std::function<void()> changed_;
};
