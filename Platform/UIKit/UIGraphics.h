// The current drawing context: a stack, pushed around a view's drawing so that
// drawing code can find the context without being handed it.
#pragma once

#include <CoreGraphics/CGContext.h>

// nullptr outside drawing.
CGContextRef UIGraphicsGetCurrentContext();
void UIGraphicsPushContext(CGContextRef context);
void UIGraphicsPopContext();

// Pushes on construction, pops on destruction.
class UIGraphicsContextScope {
  public:
    explicit UIGraphicsContextScope(CGContextRef context) { UIGraphicsPushContext(context); }
    ~UIGraphicsContextScope() { UIGraphicsPopContext(); }
    UIGraphicsContextScope(const UIGraphicsContextScope&) = delete;
    UIGraphicsContextScope& operator=(const UIGraphicsContextScope&) = delete;
};
