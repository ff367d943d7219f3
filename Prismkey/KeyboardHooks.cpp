#include "KeyboardHooks.h"

#include "KeyboardTint.h"

#include <Foundation/NSLog.h>
#include <Foundation/NSString.h>
#include <TintPreferences.h>
#include <UIKit/UIAlertView.h>

#include <atomic>
#include <exception>
#include <string>

namespace {

// Written once by the initialiser, before any replacement can run; only read after.
IMP savedBackgroundTraitsForKeyplane = nullptr;
IMP savedLayoutSubviews = nullptr;
IMP savedInputBackdropView = nullptr;
IMP savedKeyboardAppearance = nullptr;

// Whether a class's `isOpen` is the boolean one the replacements send; set by the
// installer, false when the class had one of another type before.
std::atomic<bool> hostViewIsOpenFits = true;
std::atomic<bool> traitsIsOpenFits = true;

SEL isOpenSelector() {
    static const SEL selector = sel_registerName("isOpen");
    return selector;
}

// Once per process and replacement: the keyboard keeps working, so one line is
// enough to tell why the tint is missing.
void reportFailure(std::atomic<bool>& reported, const char* replacement, const char* why) {
    if (!reported.exchange(true)) {
        NSLog("Prismkey: %s failed (%s); the keyboard's own implementation answers instead",
              replacement, why);
    }
}

// The hook's own work; a failure is reported and goes no further.
template <class Work>
void attempt(std::atomic<bool>& reported, const char* replacement, Work work) {
    try {
        work();
    } catch (const std::exception& failure) {
        reportFailure(reported, replacement, failure.what());
    } catch (...) {
        reportFailure(reported, replacement, "an unknown exception");
    }
}

id replacedBackgroundTraitsForKeyplane(id self, SEL cmd, id keyplane) {
    return objc_callIMP<id>(savedBackgroundTraitsForKeyplane, self, cmd, keyplane);
}

// The tint first, then the view's own layout, which runs exactly once whatever the
// tint did.
void replacedLayoutSubviews(id self, SEL cmd) {
    static std::atomic<bool> reported = false;
    if (hostViewIsOpenFits) {
        attempt(reported, "-[UIPeripheralHostView layoutSubviews]", [self] {
            bool tintIsOpen = objc_msgSend<BOOL>(self, isOpenSelector());
            if (UIColorRef tint = KeyboardTint::layoutTintGiven(tintIsOpen)) {
                static const SEL setBackgroundColor = sel_registerName("setBackgroundColor:");
                objc_msgSend<void>(self, setBackgroundColor, static_cast<id>(tint.get()));
            }
        });
    }
    objc_callIMP<void>(savedLayoutSubviews, self, cmd);
}

id replacedInputBackdropView(id self, SEL cmd) {
    return objc_callIMP<id>(savedInputBackdropView, self, cmd);
}

NSInteger replacedKeyboardAppearance(id self, SEL cmd) {
    static std::atomic<bool> reported = false;
    std::optional<NSInteger> forced;
    if (traitsIsOpenFits) {
        attempt(reported, "-[UITextInputTraits keyboardAppearance]", [self, &forced] {
            forced = KeyboardTint::forcedKeyboardAppearanceGiven(
                objc_msgSend<BOOL>(self, isOpenSelector()));
        });
    }
    return forced ? *forced : objc_callIMP<NSInteger>(savedKeyboardAppearance, self, cmd);
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
bool add(const KeyboardHookRuntime& runtime, Class cls, const char* selector,
         Function implementation) {
    return runtime.addMethod(cls, sel_registerName(selector), imp_cast(implementation),
                             imp_types(implementation).c_str());
}

// Adds `isOpen`; a class that already has one keeps it, and one of another type is
// reported, since the replacements' boolean send to it would fail.
bool addIsOpen(const KeyboardHookRuntime& runtime, Class cls, const char* className) {
    if (add(runtime, cls, "isOpen", &addedIsOpen)) {
        return true;
    }
    const std::string expected = imp_types(&addedIsOpen);
    const std::string found = method_typeCharacters(runtime.methodTypes(cls, isOpenSelector()));
    if (found == expected) {
        return true;
    }
    NSLog("Prismkey: %s already has isOpen with the types \"%s\", not \"%s\"; its hook leaves "
          "the call to the original",
          className, found.c_str(), expected.c_str());
    return false;
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

const char* keyboardHookMethodTypes(Class cls, SEL selector) {
    return method_getTypeEncoding(class_getInstanceMethod(cls, selector));
}

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
        hostViewIsOpenFits = addIsOpen(runtime, hostView, "UIPeripheralHostView");
    }
    if (Class traits = lookUp(runtime, "UITextInputTraits")) {
        hook(runtime, traits, "keyboardAppearance", &replacedKeyboardAppearance,
             &savedKeyboardAppearance);
        traitsIsOpenFits = addIsOpen(runtime, traits, "UITextInputTraits");
    }
}
