// The keyboard classes of this process in the object runtime, registered with their
// own implementations before any plug-in loads, as the system's keyboard classes are.
#pragma once

#include <objc/runtime.h>

#include <string>

namespace KeyboardClasses {

// Registers UIKBRenderFactory, UIPeripheralHostView and UITextInputTraits; once.
void registerAll();

// The class `name`, registered now with `superclass` when the runtime does not know it.
Class define(const char* name, Class superclass);

// The runtime's root for the keyboard classes: UIView's class when the runtime has
// one, else NSObject's, else none.
Class viewSuperclass();

// Adds an implementation with the type encoding derived from its signature.
template <class Function> void addMethod(Class cls, const char* selector, Function implementation) {
    class_addMethod(cls, sel_registerName(selector), imp_cast(implementation),
                    imp_types(implementation).c_str());
}

} // namespace KeyboardClasses
