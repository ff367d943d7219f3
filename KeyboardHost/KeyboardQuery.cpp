#include "KeyboardQuery.h"

#include "KeyboardClasses.h"
#include "UIPeripheralHostView.h"
#include "UITextInputTraits.h"

#include <Host/Session/HostJSON.h>

namespace {

// Red, green, blue and alpha: a grey widens to its RGB form, other models are
// converted as drawing converts them.
std::vector<float> rgba(const UIColor& color) {
    const CGColorRef& cg = color.CGColor();
    const CGFloat* c = CGColorGetComponents(cg);
    switch (CGColorSpaceGetModel(CGColorGetColorSpace(cg))) {
    case kCGColorSpaceModelRGB:
        return {c[0], c[1], c[2], c[3]};
    case kCGColorSpaceModelMonochrome:
        return {c[0], c[0], c[0], c[1]};
    default: {
        CGRGBA drawn = CGColorGetDrawingRGBA(cg);
        return {float(drawn.r), float(drawn.g), float(drawn.b), float(drawn.a)};
    }
    }
}

} // namespace

KeyboardQueryResult runKeyboardQuery(std::vector<std::string> loadedPlugins) {
    KeyboardClasses::registerAll();
    auto hostView = std::make_shared<UIPeripheralHostView>();
    auto traits = std::make_shared<UITextInputTraits>();
    hostView->layoutSubviews();
    KeyboardQueryResult result;
    result.plugins = std::move(loadedPlugins);
    result.keyboardAppearance = traits->keyboardAppearance();
    result.background = hostView->backgroundColor();
    result.layoutPasses = hostView->layoutPasses();
    return result;
}

std::string keyboardQueryJSON(const KeyboardQueryResult& result) {
    std::string json = "{\"plugins\":[";
    for (std::size_t i = 0; i < result.plugins.size(); ++i) {
        json += i ? "," : "";
        json += HostJSONString(result.plugins[i]);
    }
    json += "],\"keyboardAppearance\":" + std::to_string(result.keyboardAppearance) +
            ",\"background\":";
    if (result.background) {
        std::vector<float> components = rgba(*result.background);
        json += "[";
        for (std::size_t i = 0; i < components.size(); ++i) {
            json += i ? "," : "";
            json += HostJSONNumber(components[i]);
        }
        json += "]";
    } else {
        json += "null";
    }
    return json + ",\"layoutPasses\":" + std::to_string(result.layoutPasses) + "}";
}
