// The keyboard host's screen: a text field near the top and the keyboard at the
// bottom. Each tapped key types into the text field and makes the keyboard's host
// view lay itself out again, as typing does on the device.
#pragma once

#include "KeyboardTextField.h"
#include "UIPeripheralHostView.h"

#include <UIKit/UIViewController.h>

#include <optional>

class KeyboardHostViewController : public UIViewController {
  public:
    void loadView() override;

    KeyboardTextField* textField() const { return textField_.get(); }
    UIPeripheralHostView* hostView() const { return hostView_.get(); }
    // The keyboard is shown again (the window gained focus): its host view lays
    // itself out again, as a keyboard coming on screen does, so a tint saved
    // meanwhile shows without typing.
    void keyboardShown();
    // The centre of the key whose own character is `character` (a letter in lower
    // case), in screen points; none when the keyboard has no such key.
    std::optional<CGPoint> screenPointOfKey(char character) const;
    // The centre of `key` in screen points.
    static CGPoint screenPointOf(const UIKBKeyView& key);

  private:
    std::shared_ptr<KeyboardTextField> textField_;
    std::shared_ptr<UIPeripheralHostView> hostView_;
};
