// The code-injection framework's hooking call, on the stand-in runtime.
#pragma once

#include <objc/runtime.h>

// Makes `replacement` the method of `cls` for `selector`, and stores the previous
// implementation in *result before the replacement can be called. A method that
// `cls` inherits is hooked on `cls` alone; the superclass keeps its own. When `cls`
// is null or nothing answers `selector`, nothing is hooked and *result is null.
void MSHookMessageEx(Class cls, SEL selector, IMP replacement, IMP* result);
