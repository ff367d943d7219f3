// Where the keys of the keyboard are, in the host view's coordinates: two keyplanes
// (letters; digits and punctuation) of four rows each, laid out for the view's width.
// The host view and its tests share these tables.
#pragma once

#include <CoreGraphics/CGGeometry.h>

#include <optional>
#include <vector>

enum class UIKBKeyKind { character, shift, deleteKey, keyplaneSwitch, returnKey };
enum class UIKBKeyplane { letters, numbers };

struct UIKBKeySpec {
    UIKBKeyKind kind = UIKBKeyKind::character;
    // What a character key types (a letter in lower case; ' ' is the space bar); 0
    // for the other keys.
    char character = 0;
    // The keyplane the key belongs to; none for the keys both keyplanes show.
    std::optional<UIKBKeyplane> keyplane;
    CGRect frame{};
};

namespace UIKBKeyboardGeometry {

constexpr CGFloat keyHeight = 42;
constexpr CGFloat rowPitch = 54;
constexpr CGFloat topInset = 6;

// Every key in reading order: row by row from the top, each left to right (a row's
// letters, then the numbers keyplane's keys of that row).
std::vector<UIKBKeySpec> keys(CGFloat width);

// Whether a key with this spec shows on `keyplane`.
bool isOnKeyplane(const UIKBKeySpec& spec, UIKBKeyplane keyplane);

} // namespace UIKBKeyboardGeometry
