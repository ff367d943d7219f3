// colorWithHexString: any text either gives nil or an RGB colour whose channels are
// whole steps of 1/255, and whose hexadecimal text reads back to the same channels.
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
    auto color = U::colorWithHexString(text);
    if (!color) {
        return 0;
    }
    require(U::colorSpaceModel(color) == kCGColorSpaceModelRGB);
    for (CGFloat c : color->CGColor()->components()) {
        float steps = c * 255.0f;
        require(c >= 0 && c <= 1 && std::fabs(steps - std::round(steps)) < 1e-3f);
    }
    if (text->length() == 6) {
        require(U::alpha(color) == 1);
    }
    auto back = U::colorWithHexString(U::hexStringFromColor(color));
    require(back != nullptr && U::rgbaHex(back) == U::rgbaHex(color));
    return 0;
}
