#include "KeyboardClasses.h"

#include "UIKBRenderFactory.h"
#include "UIPeripheralHostView.h"
#include "UITextInputTraits.h"

#include <mutex>

namespace KeyboardClasses {

void registerAll() {
    static std::once_flag once;
    std::call_once(once, [] {
        UIKBRenderFactory::registerRuntimeClass();
        UIPeripheralHostView::registerRuntimeClass();
        UITextInputTraits::registerRuntimeClass();
    });
}

Class define(const char* name, Class superclass) {
    if (Class existing = objc_getClass(name)) {
        return existing;
    }
    Class cls = objc_allocateClassPair(superclass, name);
    objc_registerClassPair(cls);
    return cls;
}

Class viewSuperclass() {
    if (Class view = objc_getClass("UIView")) {
        return view;
    }
    return objc_getClass("NSObject");
}

} // namespace KeyboardClasses
