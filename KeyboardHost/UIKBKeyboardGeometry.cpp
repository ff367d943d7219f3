#include "UIKBKeyboardGeometry.h"

#include <string_view>

namespace UIKBKeyboardGeometry {

namespace {

struct CharacterRow {
    std::string_view characters;
    UIKBKeyplane keyplane;
    int row;
    CGFloat pitch; // from one key's left edge to the next one's
    CGFloat width;
};

// The device's keyplanes: ten keys on a 32-point pitch across a 320-point keyboard;
// the five punctuation keys of the numbers keyplane wider, as there.
constexpr CharacterRow kCharacterRows[] = {
    {"qwertyuiop", UIKBKeyplane::letters, 0, 32, 26},
    {"1234567890", UIKBKeyplane::numbers, 0, 32, 26},
    {"asdfghjkl", UIKBKeyplane::letters, 1, 32, 26},
    {"-/:;()$&@\"", UIKBKeyplane::numbers, 1, 32, 26},
    {"zxcvbnm", UIKBKeyplane::letters, 2, 32, 26},
    {".,?!'", UIKBKeyplane::numbers, 2, 46, 40},
};

constexpr CGFloat kSideInset = 3;
constexpr CGFloat kShiftWidth = 42;     // shift and delete, beside the third row
constexpr CGFloat kBottomKeyWidth = 74; // the keyplane switch and return

CGFloat rowTop(int row) {
    return topInset + static_cast<CGFloat>(row) * rowPitch;
}

// A row's keys centred in the width.
void addCharacterRow(const CharacterRow& row, CGFloat width, std::vector<UIKBKeySpec>& keys) {
    auto count = static_cast<CGFloat>(row.characters.size());
    CGFloat left = (width - count * row.pitch) / 2 + (row.pitch - row.width) / 2;
    CGFloat x = left;
    for (char character : row.characters) {
        keys.push_back({UIKBKeyKind::character, character, row.keyplane,
                        CGRectMake(x, rowTop(row.row), row.width, keyHeight)});
        x += row.pitch;
    }
}

UIKBKeySpec functionKey(UIKBKeyKind kind, std::optional<UIKBKeyplane> keyplane, CGFloat x, int row,
                        CGFloat width) {
    return {kind, 0, keyplane, CGRectMake(x, rowTop(row), width, keyHeight)};
}

void addCharacterRows(int row, CGFloat width, std::vector<UIKBKeySpec>& keys) {
    for (const CharacterRow& characters : kCharacterRows) {
        if (characters.row == row) {
            addCharacterRow(characters, width, keys);
        }
    }
}

} // namespace

std::vector<UIKBKeySpec> keys(CGFloat width) {
    using K = UIKBKeyKind;
    std::vector<UIKBKeySpec> result;
    addCharacterRows(0, width, result);
    addCharacterRows(1, width, result);
    result.push_back(functionKey(K::shift, UIKBKeyplane::letters, kSideInset, 2, kShiftWidth));
    addCharacterRows(2, width, result);
    result.push_back(
        functionKey(K::deleteKey, std::nullopt, width - kSideInset - kShiftWidth, 2, kShiftWidth));
    result.push_back(functionKey(K::keyplaneSwitch, std::nullopt, kSideInset, 3, kBottomKeyWidth));
    result.push_back(
        {K::character, ' ', std::nullopt, CGRectMake(width / 4, rowTop(3), width / 2, keyHeight)});
    result.push_back(functionKey(K::returnKey, std::nullopt, width - kSideInset - kBottomKeyWidth,
                                 3, kBottomKeyWidth));
    return result;
}

bool isOnKeyplane(const UIKBKeySpec& spec, UIKBKeyplane keyplane) {
    return !spec.keyplane || *spec.keyplane == keyplane;
}

} // namespace UIKBKeyboardGeometry
