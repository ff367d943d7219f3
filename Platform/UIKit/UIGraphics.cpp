#include <UIKit/UIGraphics.h>

#include <vector>

namespace {

std::vector<CGContextRef>& contextStack() {
    static std::vector<CGContextRef> stack;
    return stack;
}

} // namespace

CGContextRef UIGraphicsGetCurrentContext() {
    return contextStack().empty() ? nullptr : contextStack().back();
}

void UIGraphicsPushContext(CGContextRef context) {
    contextStack().push_back(context);
}

void UIGraphicsPopContext() {
    if (!contextStack().empty()) {
        contextStack().pop_back();
    }
}
