// The plug-in's replacements in the keyboard classes and the initialiser that
// installs them.
#pragma once

#include <objc/runtime.h>
#include <substrate.h>

// The type encoding of the method `cls` answers `selector` with; null for none.
const char* keyboardHookMethodTypes(Class cls, SEL selector);

// The runtime calls the installer makes, so that a test can watch them.
struct KeyboardHookRuntime {
    Class (*getClass)(const char* name) = objc_getClass;
    void (*hookMessage)(Class cls, SEL selector, IMP replacement, IMP* previous) = MSHookMessageEx;
    BOOL (*addMethod)(Class cls, SEL selector, IMP imp, const char* types) = class_addMethod;
    const char* (*methodTypes)(Class cls, SEL selector) = keyboardHookMethodTypes;
};

// In this order: UIKBRenderFactory (replace backgroundTraitsForKeyplane:, add
// debugWithobj:), UIPeripheralHostView (replace layoutSubviews and
// inputBackdropView, add isOpen), UITextInputTraits (replace keyboardAppearance, add
// isOpen). A class the process does not have is skipped; the others are installed.
//
// No replacement lets a failure out into the keyboard's process: when its own work
// fails (an exception, a message the receiver cannot take) it says so once in the
// log and the original implementation answers. A class that already has an `isOpen`
// of another type is reported here, and its replacement leaves the call to the
// original from then on.
void installKeyboardHooks(const KeyboardHookRuntime& runtime = KeyboardHookRuntime{});
