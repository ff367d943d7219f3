#include "KeyboardTextField.h"

#include <UIKit/UIFont.h>

namespace {

constexpr CGFloat kTextInset = 10;

} // namespace

KeyboardTextField::KeyboardTextField(CGRect frame) : UIView(frame) {
    traits_ = std::make_shared<UITextInputTraits>();
    setBackgroundColor(UIColor::whiteColor());
    layer()->setCornerRadius(6);
    layer()->setBorderWidth(1);
    layer()->setBorderColor(UIColor::colorWithWhite(0.7f, 1)->CGColor());
    label_ = std::make_shared<UILabel>();
    label_->setFont(UIFont::systemFontOfSize(18));
    label_->setBackgroundColor(UIColor::clearColor());
    addSubview(label_);
    update();
}

void KeyboardTextField::insertText(char character) {
    text_ += character;
    update();
}

void KeyboardTextField::update() {
    // The end of a long text stays in view, as a field scrolls to its caret.
    if (text_.empty()) {
        label_->setText("Type here");
        label_->setTextColor(UIColor::colorWithWhite(0.6f, 1));
    } else {
        label_->setText(text_ + "|");
        label_->setTextColor(UIColor::blackColor());
        label_->setTextAlignment(text_.size() > 24 ? NSTextAlignmentRight : NSTextAlignmentLeft);
    }
}

void KeyboardTextField::layoutSubviews() {
    label_->setFrame(CGRectInset(bounds(), kTextInset, 0));
}
