#include "KeyboardHostViewController.h"

#include <UIKit/UIScreen.h>

void KeyboardHostViewController::loadView() {
    CGRect frame = UIScreen::mainScreen()->applicationFrame();
    auto root = std::make_shared<UIView>(frame);
    root->setBackgroundColor(UIColor::colorWithRed(0.94f, 0.94f, 0.96f, 1));
    textField_ = std::make_shared<KeyboardTextField>(CGRectMake(10, 20, frame.size.width - 20, 40));
    root->addSubview(textField_);
    // The keyboard sits at the bottom of the screen: (0, 264) in screen points.
    CGFloat height = UIPeripheralHostView::keyboardHeight;
    hostView_ = std::make_shared<UIPeripheralHostView>(
        CGRectMake(0, frame.size.height - height, frame.size.width, height));
    hostView_->setTextInputTraits(textField_->textInputTraits());
    hostView_->setKeyInput(textField_.get());
    root->addSubview(hostView_);
    setView(root);
    textField_->becomeFirstResponder(); // what is typed goes there from the start
}

std::optional<CGPoint> KeyboardHostViewController::screenPointOfKey(char character) const {
    UIKBKeyView* key = hostView_ ? hostView_->keyForCharacter(character) : nullptr;
    if (key == nullptr) {
        return std::nullopt;
    }
    return screenPointOf(*key);
}

CGPoint KeyboardHostViewController::screenPointOf(const UIKBKeyView& key) {
    CGRect bounds = key.bounds();
    return key.convertPointToView({CGRectGetMidX(bounds), CGRectGetMidY(bounds)}, nullptr);
}

void KeyboardHostViewController::keyboardShown() {
    if (hostView_) {
        hostView_->setNeedsLayout();
        hostView_->layoutIfNeeded();
    }
}
