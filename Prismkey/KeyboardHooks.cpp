#include "KeyboardHooks.h"

#include "KeyboardTint.h"

#include <Foundation/NSLog.h>
#include <Foundation/NSString.h>
#include <TintPreferences.h>
#include <UIKit/UIAlertView.h>

namespace {

// Written once by the initialiser, before any replacement can run; only read after.
IMP savedBackgroundTraitsForKeyplane = nullptr;
IMP savedLayoutSubviews = nullptr;
IMP savedInputBackdropView = nullptr;
IMP savedKeyboardAppearance = nullptr;

SEL isOpenSelector() {
    static const SEL selector = sel_registerName("isOpen");
    return selector;
}

id replacedBackgroundTraitsForKeyplane(id self, SEL cmd, id keyplane) {
    return objc_callIMP<id>(savedBackgroundTraitsForKeyplane, self, cmd, keyplane);
}

void replacedLayoutSubviews(id self, SEL cmd) {
    bool tintIsOpen = objc_msgSend<BOOL>(self, isOpenSelector());
    if (UIColorRef tint = KeyboardTint::layoutTintGiven(tintIsOpen)) {
        static const SEL setBackgroundColor = sel_registerName("setBackgroundColor:");
        objc_msgSend<void>(self, setBackgroundColor, static_cast<id>(tint.get()));
    }
    objc_callIMP<void>(savedLayoutSubviews, self, cmd);
}

id replacedInputBackdropView(id self, SEL cmd) {
    return objc_callIMP<id>(savedInputBackdropView, self, cmd);
}

NSInteger replacedKeyboardAppearance(id self, SEL cmd) {
    bool tintIsOpen = objc_msgSend<BOOL>(self, isOpenSelector());
    if (std::optional<NSInteger> forced = KeyboardTint::forcedKeyboardAppearanceGiven(tintIsOpen)) {
        return *forced;
    }
    return objc_callIMP<NSInteger>(savedKeyboardAppearance, self, cmd);
}

BOOL addedIsOpen(id, SEL) {
    return TintPreferences::isOpen();
}

// A developer's aid that nothing calls: a test alert with the object's description.
void addedDebugWithObject(id, SEL, id object) {
    auto message = NSString::stringWithFormat(
        "%@", static_cast<const NSObject*>(dynamic_cast<NSObject*>(object)));
    UIAlertView::initWithTitle("test", message->utf8(), nullptr, "ok", {})->show();
}

template <class Function>
void hook(const KeyboardHookRuntime& runtime, Class cls, const char* selector, Function replacement,
          IMP* saved) {
    runtime.hookMessage(cls, sel_registerName(selector), imp_cast(replacement), saved);
}

template <class Function>
void add(const KeyboardHookRuntime& runtime, Class cls, const char* selector,
         Function implementation) {
    runtime.addMethod(cls, sel_registerName(selector), imp_cast(implementation),
                      imp_types(implementation).c_str());
}

// A keyboard class that this process does not have is skipped, rather than handing
// the runtime a null class.
Class lookUp(const KeyboardHookRuntime& runtime, const char* name) {
    Class cls = runtime.getClass(name);
    if (cls == nullptr) {
        NSLog("Prismkey: this process has no class %s; its hooks are skipped", name);
    }
    return cls;
}

} // namespace

void installKeyboardHooks(const KeyboardHookRuntime& runtime) {
    if (Class factory = lookUp(runtime, "UIKBRenderFactory")) {
        hook(runtime, factory, "backgroundTraitsForKeyplane:", &replacedBackgroundTraitsForKeyplane,
             &savedBackgroundTraitsForKeyplane);
        add(runtime, factory, "debugWithobj:", &addedDebugWithObject);
    }
    if (Class hostView = lookUp(runtime, "UIPeripheralHostView")) {
        hook(runtime, hostView, "layoutSubviews", &replacedLayoutSubviews, &savedLayoutSubviews);
        hook(runtime, hostView, "inputBackdropView", &replacedInputBackdropView,
             &savedInputBackdropView);
        add(runtime, hostView, "isOpen", &addedIsOpen);
    }
    if (Class traits = lookUp(runtime, "UITextInputTraits")) {
        hook(runtime, traits, "keyboardAppearance", &replacedKeyboardAppearance,
             &savedKeyboardAppearance);
        add(runtime, traits, "isOpen", &addedIsOpen);
    }
}
