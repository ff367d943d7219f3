// The text field at the top of the keyboard host's screen: the typed text on a
// white rounded field, clipped inside its padding and scrolled so that the caret (at
// the end of the text) stays in view; and the input traits that the keyboard asks
// for its appearance. It is one line: return inserts nothing.
#pragma once

#include "UIKeyInput.h"
#include "UITextInputTraits.h"

#include <UIKit/UILabel.h>
#include <UIKit/UIView.h>

#include <memory>
#include <string>

class KeyboardTextField : public UIView, public UIKeyInput {
  public:
    static constexpr CGFloat padding = 10;

    explicit KeyboardTextField(CGRect frame);

    const std::string& text() const { return text_; }
    bool hasText() const override { return !text_.empty(); }
    void insertText(const std::string& text) override;
    void deleteBackward() override;
    UITextInputTraits* textInputTraits() const { return traits_.get(); }
    void layoutSubviews() override;

    // The area the text shows in (the field less its padding), and where the text and
    // the caret are, in the field's coordinates.
    CGRect textClipFrame() const;
    CGRect textFrame() const;
    CGRect caretFrame() const;

    // It takes typed text: the first responder, where assistive tools keep their
    // focus while the keyboard has not moved it elsewhere.
    bool canBecomeFirstResponder() const override { return true; }

    bool isAccessibilityElement() const override;
    std::string accessibilityLabel() const override;
    std::string accessibilityValue() const override;
    bool isAccessibilityTextEntry() const override { return true; }

  private:
    void update();

    std::string text_;
    std::shared_ptr<UITextInputTraits> traits_;
    UIViewRef clip_;
    UILabelRef label_;
    UIViewRef caret_;
};
