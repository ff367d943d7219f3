#include <substrate.h>

void MSHookMessageEx(Class cls, SEL selector, IMP replacement, IMP* result) {
    if (result != nullptr) {
        *result = nullptr;
    }
    Method method = class_getInstanceMethod(cls, selector);
    if (method == nullptr || replacement == nullptr) {
        return;
    }
    // The previous implementation is saved before the replacement is installed, so
    // that a replacement running at once (another thread) can already reach it.
    IMP previous = method_getImplementation(method);
    if (result != nullptr) {
        *result = previous;
    }
    if (class_addMethod(cls, selector, replacement, method_getTypeEncoding(method))) {
        return; // inherited: the hook lives on `cls` alone
    }
    class_replaceMethod(cls, selector, replacement, method_getTypeEncoding(method));
}
