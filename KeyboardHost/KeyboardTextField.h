// The text field at the top of the keyboard host's screen: the typed text on a
// white rounded field, and the input traits that the keyboard asks for its
// appearance.
#pragma once

#include "UITextInputTraits.h"

#include <UIKit/UILabel.h>
#include <UIKit/UIView.h>

#include <memory>
#include <string>

class KeyboardTextField : public UIView {
  public:
    explicit KeyboardTextField(CGRect frame);

    const std::string& text() const { return text_; }
    void insertText(char character);
    UITextInputTraits* textInputTraits() const { return traits_.get(); }
    void layoutSubviews() override;

  private:
    void update();

    std::string text_;
    std::shared_ptr<UITextInputTraits> traits_;
    UILabelRef label_;
};
