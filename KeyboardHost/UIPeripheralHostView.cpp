#include "UIPeripheralHostView.h"

#include "KeyboardClasses.h"
#include "UITextInputTraits.h"

#include <UIKit/UIColor.h>

#include <cctype>

namespace {

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
    specs_ = UIKBKeyboardGeometry::keys(bounds().size.width);
    for (const UIKBKeySpec& spec : specs_) {
        auto key = std::make_shared<UIKBKeyView>(spec.kind, spec.character);
        key->addTarget(this, "keyTapped:", &UIPeripheralHostView::keyTapped,
                       UIControlEventTouchUpInside);
        addSubview(key);
        keys_.push_back(std::move(key));
    }
}

// Each pass starts from the system's own look, as the device's keyboard laid out
// afresh does: a colour a plug-in sets inside the pass still wins, and one it no longer
// sets (the tint switched off) goes at once instead of staying until a restart.
void UIPeripheralHostView::layoutSubviews() {
    static const SEL selector = sel_registerName("layoutSubviews");
    setBackgroundColor(nullptr);
    backdrop_->setHidden(false);
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

// The keys of the keyplane in use show, the others hide; letters show their capitals
// while shifted.
void UIPeripheralHostView::layOutKeys() {
    specs_ = UIKBKeyboardGeometry::keys(bounds().size.width);
    for (std::size_t i = 0; i < keys_.size(); ++i) {
        UIKBKeyView& key = *keys_[i];
        key.setFrame(specs_[i].frame);
        key.setHidden(!UIKBKeyboardGeometry::isOnKeyplane(specs_[i], keyplane_));
        key.setDark(dark_);
        key.setShifted(shifted_);
        key.setSelected(key.kind() == UIKBKeyKind::shift && shifted_);
        if (key.kind() == UIKBKeyKind::keyplaneSwitch) {
            key.setTitle(keyplane_ == UIKBKeyplane::letters ? "123" : "ABC");
        }
    }
}

// A shift lasts for one character; switching the keyplane drops it too.
void UIPeripheralHostView::keyTapped(UIKBKeyView* key) {
    if (key == nullptr) {
        return;
    }
    switch (key->kind()) {
    case UIKBKeyKind::shift:
        shifted_ = !shifted_;
        break;
    case UIKBKeyKind::keyplaneSwitch:
        keyplane_ =
            keyplane_ == UIKBKeyplane::letters ? UIKBKeyplane::numbers : UIKBKeyplane::letters;
        shifted_ = false;
        break;
    case UIKBKeyKind::character:
    case UIKBKeyKind::deleteKey:
    case UIKBKeyKind::returnKey:
        typeWithKey(*key);
        break;
    }
    setNeedsLayout();
    layoutIfNeeded();
}

void UIPeripheralHostView::typeWithKey(const UIKBKeyView& key) {
    char typed = key.typedCharacter();
    if (key.kind() == UIKBKeyKind::character) {
        shifted_ = false;
    }
    if (keyInput_ == nullptr) {
        return;
    }
    if (key.kind() == UIKBKeyKind::deleteKey) {
        keyInput_->deleteBackward();
    } else {
        keyInput_->insertText(key.kind() == UIKBKeyKind::returnKey ? "\n" : std::string(1, typed));
    }
}

std::optional<std::size_t> UIPeripheralHostView::indexOfKeyForCharacter(char character) const {
    for (std::size_t i = 0; i < keys_.size(); ++i) {
        if (keys_[i]->kind() == UIKBKeyKind::character && keys_[i]->character() == character) {
            return i;
        }
    }
    return std::nullopt;
}

UIKBKeyView* UIPeripheralHostView::keyForCharacter(char character) const {
    std::optional<std::size_t> index = indexOfKeyForCharacter(character);
    return index ? keys_[*index].get() : nullptr;
}

UIKBKeyView* UIPeripheralHostView::keyOfKind(UIKBKeyKind kind) const {
    for (const auto& key : keys_) {
        if (key->kind() == kind) {
            return key.get();
        }
    }
    return nullptr;
}

UIKBKeyView* UIPeripheralHostView::keyToTapFor(char character) const {
    auto byte = static_cast<unsigned char>(character);
    std::optional<std::size_t> index =
        indexOfKeyForCharacter(static_cast<char>(std::tolower(byte)));
    if (!index) {
        return nullptr;
    }
    if (!UIKBKeyboardGeometry::isOnKeyplane(specs_[*index], keyplane_)) {
        return keyOfKind(UIKBKeyKind::keyplaneSwitch);
    }
    bool capital = std::isupper(byte) != 0;
    if (std::isalpha(byte) != 0 && capital != shifted_) {
        return keyOfKind(UIKBKeyKind::shift);
    }
    return keys_[*index].get();
}

UIKBBackdropView* UIPeripheralHostView::inputBackdropView() {
    static const SEL selector = sel_registerName("inputBackdropView");
    return dynamic_cast<UIKBBackdropView*>(objc_msgSend<id>(this, selector));
}
