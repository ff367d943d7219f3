// colorWithString: any text either gives nil or a monochrome or RGB colour, and the
// text form of that colour reads back to the same components to three decimals.
#include "UIColor-Utilities.h"

#include <cmath>
#include <cstdint>
#include <string>

namespace {

void require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using U = UIColor_Utilities;
    auto text = NSString::string(std::string(reinterpret_cast<const char*>(data), size));
    auto color = U::colorWithString(text);
    if (!color) {
        return 0;
    }
    int model = U::colorSpaceModel(color);
    require(model == kCGColorSpaceModelMonochrome || model == kCGColorSpaceModelRGB);
    const auto& components = color->CGColor()->components();
    require(components.size() == (model == kCGColorSpaceModelRGB ? 4u : 2u));
    for (CGFloat c : components) {
        // "inf" and "nan" are refused; only overflow can make an infinity.
        require(!std::isnan(c));
        if (std::isinf(c) || std::fabs(c) >= 1e6f) {
            return 0;
        }
    }
    auto back = U::colorWithString(U::stringFromColor(color));
    require(back != nullptr);
    const auto& again = back->CGColor()->components();
    require(again.size() == components.size());
    for (std::size_t i = 0; i < again.size(); ++i) {
        float tolerance = 0.0005f + 1e-6f + std::fabs(components[i]) * 1e-6f;
        require(std::fabs(again[i] - components[i]) <= tolerance);
    }
    return 0;
}
