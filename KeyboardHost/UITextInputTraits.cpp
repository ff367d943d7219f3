#include "UITextInputTraits.h"

#include "KeyboardClasses.h"

namespace {

NSInteger originalKeyboardAppearance(id self, SEL) {
    return static_cast<UITextInputTraits*>(self)->systemKeyboardAppearance();
}

void originalSetKeyboardAppearance(id self, SEL, NSInteger appearance) {
    static_cast<UITextInputTraits*>(self)->setKeyboardAppearance(appearance);
}

} // namespace

Class UITextInputTraits::registerRuntimeClass() {
    static const Class cls = [] {
        Class c = KeyboardClasses::define("UITextInputTraits", objc_getClass("NSObject"));
        KeyboardClasses::addMethod(c, "keyboardAppearance", &originalKeyboardAppearance);
        KeyboardClasses::addMethod(c, "setKeyboardAppearance:", &originalSetKeyboardAppearance);
        return c;
    }();
    return cls;
}

UITextInputTraits::UITextInputTraits(NSInteger appearance) : appearance_(appearance) {
    isa = registerRuntimeClass();
}

NSInteger UITextInputTraits::keyboardAppearance() {
    static const SEL selector = sel_registerName("keyboardAppearance");
    return objc_msgSend<NSInteger>(this, selector);
}
