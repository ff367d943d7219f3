#include <UIKit/UIResponder.h>

#include <memory>

namespace {

// Held without keeping it alive: a responder that goes is no first responder.
struct FirstResponder {
    std::weak_ptr<NSObject> reference;
    UIResponder* responder = nullptr;
};

FirstResponder& firstResponder() {
    static FirstResponder instance;
    return instance;
}

} // namespace

bool UIResponder::becomeFirstResponder() {
    if (!canBecomeFirstResponder()) {
        return isFirstResponder();
    }
    firstResponder() = {weak_from_this(), this};
    return true;
}

// Not const: it changes which responder is first, state outside the object.
bool UIResponder::resignFirstResponder() { // NOLINT(readability-make-member-function-const)
    if (isFirstResponder()) {
        firstResponder() = {};
    }
    return true;
}

bool UIResponder::isFirstResponder() const {
    return currentFirstResponder() == this;
}

UIResponder* UIResponder::currentFirstResponder() {
    const FirstResponder& current = firstResponder();
    return current.reference.expired() ? nullptr : current.responder;
}

void UIResponder::touchesBegan(const UITouchSet& touches, UIEvent* event) {
    if (UIResponder* next = nextResponder()) {
        next->touchesBegan(touches, event);
    }
}

void UIResponder::touchesMoved(const UITouchSet& touches, UIEvent* event) {
    if (UIResponder* next = nextResponder()) {
        next->touchesMoved(touches, event);
    }
}

void UIResponder::touchesEnded(const UITouchSet& touches, UIEvent* event) {
    if (UIResponder* next = nextResponder()) {
        next->touchesEnded(touches, event);
    }
}

void UIResponder::touchesCancelled(const UITouchSet& touches, UIEvent* event) {
    if (UIResponder* next = nextResponder()) {
        next->touchesCancelled(touches, event);
    }
}
