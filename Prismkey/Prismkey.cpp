// The keyboard plug-in. The loader runs its initialiser once, when it loads the
// library into a keyboard-hosting process, before anything can call a replacement.
#include "KeyboardHooks.h"

namespace {

__attribute__((constructor)) void PrismkeyInitialise() {
    installKeyboardHooks();
}

} // namespace
