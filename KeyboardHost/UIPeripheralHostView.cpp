#include "UIPeripheralHostView.h"

#include "KeyboardClasses.h"
#include "UITextInputTraits.h"

#include <UIKit/UIColor.h>

namespace {

const char* const kRows[] = {"qwertyuiop", "asdfghjkl", "zxcvbnm"};

// Key geometry of a 320-point keyboard: ten keys on a 32-point pitch, rows 54 apart.
constexpr CGFloat kPitch = 32;
constexpr CGFloat kKeyWidth = 26;
constexpr CGFloat kKeyHeight = 42;
constexpr CGFloat kRowPitch = 54;
constexpr CGFloat kTopInset = 6;

UIPeripheralHostView* hostView(id self) {
    return static_cast<UIPeripheralHostView*>(self);
}

void originalLayoutSubviews(id self, SEL) {
    hostView(self)->systemLayoutSubviews();
}

id originalInputBackdropView(id self, SEL) {
    return hostView(self)->systemInputBackdropView();
}

// Retains the colour it is given, as the platform's property does.
void originalSetBackgroundColor(id self, SEL, id color) {
    auto object = dynamic_cast<UIColor*>(color);
    hostView(self)->setBackgroundColor(
        object ? std::static_pointer_cast<UIColor>(object->shared_from_this()) : nullptr);
}

id originalBackgroundColor(id self, SEL) {
    return hostView(self)->backgroundColor().get();
}

} // namespace

Class UIPeripheralHostView::registerRuntimeClass() {
    static const Class cls = [] {
        Class c =
            KeyboardClasses::define("UIPeripheralHostView", KeyboardClasses::viewSuperclass());
        KeyboardClasses::addMethod(c, "layoutSubviews", &originalLayoutSubviews);
        KeyboardClasses::addMethod(c, "inputBackdropView", &originalInputBackdropView);
        KeyboardClasses::addMethod(c, "setBackgroundColor:", &originalSetBackgroundColor);
        KeyboardClasses::addMethod(c, "backgroundColor", &originalBackgroundColor);
        return c;
    }();
    return cls;
}

UIPeripheralHostView::UIPeripheralHostView(CGRect frame) : UIView(frame) {
    isa = registerRuntimeClass();
    backdrop_ = std::make_shared<UIKBBackdropView>(bounds());
    addSubview(backdrop_);
    addKeys();
}

void UIPeripheralHostView::addKeys() {
    for (const char* row : kRows) {
        for (const char* c = row; *c != '\0'; ++c) {
            keys_.push_back(std::make_shared<UIKBKeyView>(*c));
        }
    }
    keys_.push_back(std::make_shared<UIKBKeyView>(' '));
    for (const auto& key : keys_) {
        key->addTarget(this, "keyTapped:", &UIPeripheralHostView::keyTapped,
                       UIControlEventTouchUpInside);
        addSubview(key);
    }
}

void UIPeripheralHostView::layoutSubviews() {
    static const SEL selector = sel_registerName("layoutSubviews");
    objc_msgSend<void>(this, selector);
}

void UIPeripheralHostView::systemLayoutSubviews() {
    ++layoutPasses_;
    dark_ =
        traits_ != nullptr && traits_->keyboardAppearance() == UITextInputTraits::appearanceDark;
    backdrop_->setFrame(bounds());
    backdrop_->setDark(dark_);
    // A background colour of the host view's own shows behind the keys instead.
    backdrop_->setHidden(backgroundColor() != nullptr);
    layOutKeys();
}

void UIPeripheralHostView::layOutKeys() {
    std::size_t index = 0;
    CGFloat top = kTopInset;
    for (const char* row : kRows) {
        std::size_t count = std::char_traits<char>::length(row);
        // Shorter rows are centred under the top one.
        CGFloat left = (bounds().size.width - static_cast<CGFloat>(count) * kPitch) / 2 +
                       (kPitch - kKeyWidth) / 2;
        for (std::size_t i = 0; i < count; ++i, ++index) {
            keys_[index]->setFrame(
                CGRectMake(left + static_cast<CGFloat>(i) * kPitch, top, kKeyWidth, kKeyHeight));
            keys_[index]->setDark(dark_);
        }
        top += kRowPitch;
    }
    UIKBKeyView* space = keys_.back().get();
    space->setFrame(CGRectMake(bounds().size.width / 4, top, bounds().size.width / 2, kKeyHeight));
    space->setDark(dark_);
}

void UIPeripheralHostView::keyTapped(UIKBKeyView* key) {
    if (key != nullptr && keyHandler_) {
        keyHandler_(key->character());
    }
}

UIKBKeyView* UIPeripheralHostView::keyForCharacter(char character) const {
    for (const auto& key : keys_) {
        if (key->character() == character) {
            return key.get();
        }
    }
    return nullptr;
}

UIKBBackdropView* UIPeripheralHostView::inputBackdropView() {
    static const SEL selector = sel_registerName("inputBackdropView");
    return dynamic_cast<UIKBBackdropView*>(objc_msgSend<id>(this, selector));
}
