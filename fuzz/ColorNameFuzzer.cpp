// colorWithName: a name gives nil or an opaque RGB colour only when ",name#" occurs
// in the table, and asking again gives the same object (or nil again) from the cache.
#include "UIColor-Utilities.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

void require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using U = UIColor_Utilities;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    auto name = NSString::string(bytes);
    auto color = U::colorWithName(name);
    std::string_view table = UIColor_Utilities_Support::colorNameDB;
    bool inTable = table.find("," + bytes + "#") != std::string_view::npos;
    require((color != nullptr) == inTable);
    if (color) {
        require(U::colorSpaceModel(color) == kCGColorSpaceModelRGB && U::alpha(color) == 1);
    }
    auto searches = UIColor_Utilities_Support::searchCount();
    require(U::colorWithName(name) == color);
    require(UIColor_Utilities_Support::searchCount() == searches);
    return 0;
}
