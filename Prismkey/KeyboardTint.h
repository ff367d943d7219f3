// The plug-in's two decisions over the preferences file, as plain operations that
// need no keyboard host.
#pragma once

#include <Foundation/NSObject.h>
#include <UIKit/UIColor.h>

#include <optional>

namespace KeyboardTint {

// The platform's UIKeyboardAppearanceDark.
inline constexpr NSInteger darkKeyboardAppearance = 1;

// The colour for the keyboard's host view: none when the tint is off, otherwise the
// stored colour (none unless "saveColor" holds five elements).
UIColorRef layoutTint();
// As above, for a caller that already asked whether the tint is on; the colour is
// read only when it is.
UIColorRef layoutTintGiven(bool tintIsOpen);

// The dark appearance while the tint is on; none otherwise.
std::optional<NSInteger> forcedKeyboardAppearance();
std::optional<NSInteger> forcedKeyboardAppearanceGiven(bool tintIsOpen);

} // namespace KeyboardTint
