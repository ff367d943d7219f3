// One key of the keyboard: a rounded cap with its character, light with a dark
// letter, or dark with a light letter in the dark appearance. A tap that lifts
// inside the key sends touch-up-inside, which the keyboard turns into typing.
#pragma once

#include <UIKit/UIControl.h>
#include <UIKit/UILabel.h>

class UIKBKeyView;
using UIKBKeyViewRef = std::shared_ptr<UIKBKeyView>;

class UIKBKeyView : public UIControl {
  public:
    // `character` is what the key types; ' ' is the space bar.
    explicit UIKBKeyView(char character);

    char character() const { return character_; }
    void setDark(bool dark);
    bool isDark() const { return dark_; }
    void setHighlighted(bool highlighted) override;
    void layoutSubviews() override;

  private:
    void updateColors();

    char character_;
    bool dark_ = false;
    UILabelRef label_;
};
