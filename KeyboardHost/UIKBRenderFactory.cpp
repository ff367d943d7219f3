#include "UIKBRenderFactory.h"

#include "KeyboardClasses.h"

namespace {

id originalBackgroundTraitsForKeyplane(id self, SEL, id keyplane) {
    auto factory = static_cast<UIKBRenderFactory*>(self);
    return factory->systemBackgroundTraitsForKeyplane(dynamic_cast<const NSString*>(keyplane));
}

} // namespace

Class UIKBRenderFactory::registerRuntimeClass() {
    static const Class cls = [] {
        Class c = KeyboardClasses::define("UIKBRenderFactory", objc_getClass("NSObject"));
        KeyboardClasses::addMethod(
            c, "backgroundTraitsForKeyplane:", &originalBackgroundTraitsForKeyplane);
        return c;
    }();
    return cls;
}

UIKBRenderFactory::UIKBRenderFactory() {
    isa = registerRuntimeClass();
}

UIKBRenderTraits* UIKBRenderFactory::backgroundTraitsForKeyplane(NSString* keyplane) {
    static const SEL selector = sel_registerName("backgroundTraitsForKeyplane:");
    id traits = objc_msgSend<id>(this, selector, static_cast<id>(keyplane));
    return dynamic_cast<UIKBRenderTraits*>(traits);
}

UIKBRenderTraits* UIKBRenderFactory::systemBackgroundTraitsForKeyplane(const NSString* keyplane) {
    std::string name = keyplane ? keyplane->utf8() : std::string();
    auto& traits = traits_[name];
    if (!traits) {
        bool dark = name.find("dark") != std::string::npos;
        traits = std::make_shared<UIKBRenderTraits>(
            dark ? UIColor::colorWithWhite(0.2f, 1)
                 : UIColor::colorWithRed(0.82f, 0.84f, 0.86f, 1));
    }
    return traits.get();
}
