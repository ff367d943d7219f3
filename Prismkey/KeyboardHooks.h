// The plug-in's replacements in the keyboard classes and the initialiser that
// installs them.
#pragma once

#include <objc/runtime.h>
#include <substrate.h>

// The runtime calls the installer makes, so that a test can watch them.
struct KeyboardHookRuntime {
    Class (*getClass)(const char* name) = objc_getClass;
    void (*hookMessage)(Class cls, SEL selector, IMP replacement, IMP* previous) = MSHookMessageEx;
    BOOL (*addMethod)(Class cls, SEL selector, IMP imp, const char* types) = class_addMethod;
};

// In this order: UIKBRenderFactory (replace backgroundTraitsForKeyplane:, add
// debugWithobj:), UIPeripheralHostView (replace layoutSubviews and
// inputBackdropView, add isOpen), UITextInputTraits (replace keyboardAppearance, add
// isOpen). A class the process does not have is skipped; the others are installed.
void installKeyboardHooks(const KeyboardHookRuntime& runtime = KeyboardHookRuntime{});
