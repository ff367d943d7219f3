#include "KeyboardTextField.h"

#include <UIKit/UIFont.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr CGFloat kFontSize = 18;
constexpr CGFloat kCaretWidth = 2;
constexpr CGFloat kCaretGap = 1; // between the last character and the caret

} // namespace

KeyboardTextField::KeyboardTextField(CGRect frame) : UIView(frame) {
    traits_ = std::make_shared<UITextInputTraits>();
    setBackgroundColor(UIColor::whiteColor());
    layer()->setCornerRadius(6);
    layer()->setBorderWidth(1);
    layer()->setBorderColor(UIColor::colorWithWhite(0.7f, 1)->CGColor());
    // The text scrolls inside a clipping view, so a long line never crosses the padding.
    clip_ = std::make_shared<UIView>();
    clip_->setClipsToBounds(true);
    clip_->setUserInteractionEnabled(false);
    addSubview(clip_);
    label_ = std::make_shared<UILabel>();
    label_->setFont(UIFont::systemFontOfSize(kFontSize));
    label_->setBackgroundColor(UIColor::clearColor());
    clip_->addSubview(label_);
    caret_ = std::make_shared<UIView>();
    caret_->setBackgroundColor(UIColor::colorWithRed(0.2f, 0.45f, 0.95f, 1));
    clip_->addSubview(caret_);
    update();
}

void KeyboardTextField::insertText(const std::string& text) {
    if (text == "\n") {
        return; // one line: return ends nothing here and inserts nothing
    }
    text_ += text;
    update();
}

void KeyboardTextField::deleteBackward() {
    if (text_.empty()) {
        return;
    }
    text_.pop_back();
    update();
}

void KeyboardTextField::update() {
    if (text_.empty()) {
        label_->setText("Type here");
        label_->setTextColor(UIColor::colorWithWhite(0.6f, 1));
    } else {
        label_->setText(text_);
        label_->setTextColor(UIColor::blackColor());
    }
    setNeedsLayout();
    UIAccessibilityPostNotification(UIAccessibilityNotification::valueChanged, this);
}

CGRect KeyboardTextField::textClipFrame() const {
    return CGRectInset(bounds(), padding, 0);
}

// Left-aligned while the text fits; once it does not, scrolled left just enough that
// the caret's right edge meets the clip's.
CGRect KeyboardTextField::textFrame() const {
    CGRect clip = textClipFrame();
    CGFloat width = std::ceil(label_->font()->sizeOfText(text_).width);
    CGFloat offset = std::min<CGFloat>(0, clip.size.width - (width + kCaretGap + kCaretWidth));
    return CGRectMake(clip.origin.x + offset, clip.origin.y, width, clip.size.height);
}

CGRect KeyboardTextField::caretFrame() const {
    CGRect text = textFrame();
    CGFloat x = text_.empty() ? text.origin.x : CGRectGetMaxX(text) + kCaretGap;
    CGFloat height = std::ceil(kFontSize * 1.2f);
    return CGRectMake(x, CGRectGetMidY(text) - height / 2, kCaretWidth, height);
}

void KeyboardTextField::layoutSubviews() {
    CGRect clip = textClipFrame();
    clip_->setFrame(clip);
    CGRect text = textFrame();
    CGRect caret = caretFrame();
    // The clip's own coordinates.
    auto inClip = [&](CGRect frame) { return CGRectOffset(frame, -clip.origin.x, -clip.origin.y); };
    label_->setFrame(text_.empty() ? CGRectMake(0, 0, clip.size.width, clip.size.height)
                                   : inClip(text));
    caret_->setFrame(inClip(caret));
}

bool KeyboardTextField::isAccessibilityElement() const {
    return accessibilitySettings().element.value_or(true);
}

std::string KeyboardTextField::accessibilityLabel() const {
    return accessibilitySettings().label.value_or("Text field");
}

std::string KeyboardTextField::accessibilityValue() const {
    return accessibilitySettings().value.value_or(text_);
}
