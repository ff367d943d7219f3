#include "KeyboardTint.h"

#include <TintPreferences.h>

namespace KeyboardTint {

UIColorRef layoutTint() {
    return layoutTintGiven(TintPreferences::isOpen());
}

UIColorRef layoutTintGiven(bool tintIsOpen) {
    return tintIsOpen ? TintPreferences::storedTint() : nullptr;
}

std::optional<NSInteger> forcedKeyboardAppearance() {
    return forcedKeyboardAppearanceGiven(TintPreferences::isOpen());
}

std::optional<NSInteger> forcedKeyboardAppearanceGiven(bool tintIsOpen) {
    if (tintIsOpen) {
        return darkKeyboardAppearance;
    }
    return std::nullopt;
}

} // namespace KeyboardTint
