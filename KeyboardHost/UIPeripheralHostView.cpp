#include "UIPeripheralHostView.h"

#include "KeyboardClasses.h"

namespace {

UIPeripheralHostView* hostView(id self) {
    return static_cast<UIPeripheralHostView*>(self);
}

void originalLayoutSubviews(id self, SEL) {
    hostView(self)->systemLayoutSubviews();
}

id originalInputBackdropView(id self, SEL) {
    return hostView(self)->systemInputBackdropView();
}

// Retains the colour it is given, as the platform's property does.
void originalSetBackgroundColor(id self, SEL, id color) {
    auto object = dynamic_cast<UIColor*>(color);
    hostView(self)->setBackgroundColor(
        object ? std::static_pointer_cast<UIColor>(object->shared_from_this()) : nullptr);
}

id originalBackgroundColor(id self, SEL) {
    return hostView(self)->backgroundColor().get();
}

} // namespace

Class UIPeripheralHostView::registerRuntimeClass() {
    static const Class cls = [] {
        Class c =
            KeyboardClasses::define("UIPeripheralHostView", KeyboardClasses::viewSuperclass());
        KeyboardClasses::addMethod(c, "layoutSubviews", &originalLayoutSubviews);
        KeyboardClasses::addMethod(c, "inputBackdropView", &originalInputBackdropView);
        KeyboardClasses::addMethod(c, "setBackgroundColor:", &originalSetBackgroundColor);
        KeyboardClasses::addMethod(c, "backgroundColor", &originalBackgroundColor);
        return c;
    }();
    return cls;
}

UIPeripheralHostView::UIPeripheralHostView() {
    isa = registerRuntimeClass();
}

void UIPeripheralHostView::layoutSubviews() {
    static const SEL selector = sel_registerName("layoutSubviews");
    objc_msgSend<void>(this, selector);
}

void UIPeripheralHostView::systemLayoutSubviews() {
    ++layoutPasses_;
}

UIKBBackdropView* UIPeripheralHostView::inputBackdropView() {
    static const SEL selector = sel_registerName("inputBackdropView");
    return dynamic_cast<UIKBBackdropView*>(objc_msgSend<id>(this, selector));
}
