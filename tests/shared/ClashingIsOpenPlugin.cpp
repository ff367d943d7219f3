// A plug-in that loads before Prismkey and gives the keyboard classes an `isOpen` of
// another type, as some other package might.
#include <objc/runtime.h>

namespace {

long clashingIsOpen(id, SEL) {
    return 7;
}

__attribute__((constructor)) void initialise() {
    for (const char* name : {"UIPeripheralHostView", "UITextInputTraits"}) {
        class_addMethod(objc_getClass(name), sel_registerName("isOpen"),
                        reinterpret_cast<IMP>(&clashingIsOpen), "q@:");
    }
}

} // namespace
