// One key of the keyboard: a rounded cap with its character or its name, light with
// a dark letter, or dark with a light letter in the dark appearance; the keys that
// do something other than type (shift, delete, the keyplane switch, return) have a
// darker cap. A tap that lifts inside the key sends touch-up-inside, which the
// keyboard turns into typing. Assistive tools read each key as a keyboard key, by
// its character or its name; an active shift is selected.
#pragma once

#include "UIKBKeyboardGeometry.h"

#include <UIKit/UIControl.h>
#include <UIKit/UILabel.h>

class UIKBKeyView;
using UIKBKeyViewRef = std::shared_ptr<UIKBKeyView>;

class UIKBKeyView : public UIControl {
  public:
    // `character` is what a character key types (' ' is the space bar); 0 for the
    // other kinds.
    UIKBKeyView(UIKBKeyKind kind, char character);

    UIKBKeyKind kind() const { return kind_; }
    char character() const { return character_; }
    // What a tap types now: a letter key types its capital while shifted.
    char typedCharacter() const;
    void setShifted(bool shifted);
    // The keyplane switch names the keyplane it switches to ("123", "ABC").
    void setTitle(const std::string& title);
    const std::string& title() const { return label_->text(); }
    void setDark(bool dark);
    bool isDark() const { return dark_; }
    void setHighlighted(bool highlighted) override;
    void setSelected(bool selected) override;
    void layoutSubviews() override;

    bool isAccessibilityElement() const override;
    std::string accessibilityLabel() const override;
    UIAccessibilityTraits accessibilityTraits() const override;

  private:
    void updateColors();
    bool isFunctionKey() const;

    UIKBKeyKind kind_;
    char character_;
    bool shifted_ = false;
    bool dark_ = false;
    UILabelRef label_;
};
