// The backdrop behind the keyboard's keys: light, or near-black for the dark
// appearance. The host view hides it when it has a background colour of its own, so
// that colour shows behind the keys.
#pragma once

#include <UIKit/UIView.h>

class UIKBBackdropView : public UIView {
  public:
    explicit UIKBBackdropView(CGRect frame = CGRectZero);
    void setDark(bool dark);
    bool isDark() const { return dark_; }
    std::string description() const override { return "<UIKBBackdropView>"; }

  private:
    bool dark_ = false;
};
