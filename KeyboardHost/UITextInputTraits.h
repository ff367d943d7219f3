// The text-input traits of a text field, asked for its keyboard appearance through
// the object runtime, so that a plug-in's replacement answers.
#pragma once

#include <Foundation/NSObject.h>

class UITextInputTraits : public NSObject {
  public:
    // The platform's UIKeyboardAppearance values.
    static constexpr NSInteger appearanceDefault = 0;
    static constexpr NSInteger appearanceDark = 1;
    static constexpr NSInteger appearanceLight = 2;

    static Class registerRuntimeClass();

    explicit UITextInputTraits(NSInteger appearance = appearanceDefault);

    // Sends `keyboardAppearance`.
    NSInteger keyboardAppearance();
    // The text field's own setting.
    NSInteger systemKeyboardAppearance() const { return appearance_; }
    void setKeyboardAppearance(NSInteger appearance) { appearance_ = appearance; }

  private:
    NSInteger appearance_;
};
