// The keyboard's key geometry: both keyplanes inside the host view's 320 x 216
// points, no two keys of one keyplane overlapping, each key where the device has it.
#include <UIKBKeyboardGeometry.h>
#include <UIPeripheralHostView.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

constexpr CGFloat kWidth = 320;

std::vector<UIKBKeySpec> keysOn(UIKBKeyplane keyplane) {
    std::vector<UIKBKeySpec> shown;
    for (const UIKBKeySpec& spec : UIKBKeyboardGeometry::keys(kWidth)) {
        if (UIKBKeyboardGeometry::isOnKeyplane(spec, keyplane)) {
            shown.push_back(spec);
        }
    }
    return shown;
}

bool inside(CGRect outer, CGRect r) {
    return r.origin.x >= outer.origin.x && r.origin.y >= outer.origin.y &&
           CGRectGetMaxX(r) <= CGRectGetMaxX(outer) && CGRectGetMaxY(r) <= CGRectGetMaxY(outer);
}

// Sharing an edge is not overlapping.
bool overlap(CGRect a, CGRect b) {
    return a.origin.x < CGRectGetMaxX(b) && b.origin.x < CGRectGetMaxX(a) &&
           a.origin.y < CGRectGetMaxY(b) && b.origin.y < CGRectGetMaxY(a);
}

std::string nameOf(const UIKBKeySpec& spec) {
    return spec.kind == UIKBKeyKind::character ? std::string(1, spec.character)
                                               : "kind " + std::to_string(int(spec.kind));
}

TEST(KeyboardGeometry, EveryKeyInsideTheHostViewAndNoneOverlapping) {
    const CGRect hostBounds = CGRectMake(0, 0, kWidth, UIPeripheralHostView::keyboardHeight);
    for (UIKBKeyplane keyplane : {UIKBKeyplane::letters, UIKBKeyplane::numbers}) {
        std::vector<UIKBKeySpec> keys = keysOn(keyplane);
        for (std::size_t i = 0; i < keys.size(); ++i) {
            EXPECT_TRUE(inside(hostBounds, keys[i].frame)) << nameOf(keys[i]);
            EXPECT_GE(keys[i].frame.size.width, 26) << nameOf(keys[i]) << ": a finger's width";
            for (std::size_t j = i + 1; j < keys.size(); ++j) {
                EXPECT_FALSE(overlap(keys[i].frame, keys[j].frame))
                    << nameOf(keys[i]) << " and " << nameOf(keys[j]);
            }
        }
    }
}

TEST(KeyboardGeometry, EachKeyplaneHasTheDevicesCharactersRowByRow) {
    const std::vector<std::pair<UIKBKeyplane, std::vector<std::string>>> rows = {
        {UIKBKeyplane::letters, {"qwertyuiop", "asdfghjkl", "zxcvbnm", " "}},
        {UIKBKeyplane::numbers, {"1234567890", "-/:;()$&@\"", ".,?!'", " "}},
    };
    for (const auto& [keyplane, expected] : rows) {
        std::vector<std::string> found(4);
        for (const UIKBKeySpec& spec : keysOn(keyplane)) {
            if (spec.kind == UIKBKeyKind::character) {
                auto row = static_cast<std::size_t>((spec.frame.origin.y - 6) / 54);
                found.at(row) += spec.character;
            }
        }
        EXPECT_EQ(found, expected) << int(keyplane);
    }
}

TEST(KeyboardGeometry, KeysSitWhereTheDeviceHasThem) {
    struct Row {
        UIKBKeyKind kind;
        char character;
        CGRect frame;
    };
    using K = UIKBKeyKind;
    const Row rows[] = {
        {K::character, 'q', {{3, 6}, {26, 42}}},      {K::character, 'p', {{291, 6}, {26, 42}}},
        {K::character, 'a', {{19, 60}, {26, 42}}},    {K::character, 'z', {{51, 114}, {26, 42}}},
        {K::character, 'm', {{243, 114}, {26, 42}}},  {K::character, '1', {{3, 6}, {26, 42}}},
        {K::character, '"', {{291, 60}, {26, 42}}},   {K::character, '.', {{48, 114}, {40, 42}}},
        {K::character, '\'', {{232, 114}, {40, 42}}}, {K::shift, 0, {{3, 114}, {42, 42}}},
        {K::deleteKey, 0, {{275, 114}, {42, 42}}},    {K::keyplaneSwitch, 0, {{3, 168}, {74, 42}}},
        {K::character, ' ', {{80, 168}, {160, 42}}},  {K::returnKey, 0, {{243, 168}, {74, 42}}},
    };
    std::vector<UIKBKeySpec> keys = UIKBKeyboardGeometry::keys(kWidth);
    for (const Row& row : rows) {
        auto found = std::find_if(keys.begin(), keys.end(), [&](const UIKBKeySpec& spec) {
            return spec.kind == row.kind && spec.character == row.character;
        });
        ASSERT_NE(found, keys.end()) << row.character;
        EXPECT_TRUE(CGRectEqualToRect(found->frame, row.frame))
            << nameOf(*found) << " at " << found->frame.origin.x << "," << found->frame.origin.y
            << " " << found->frame.size.width;
    }
}

TEST(KeyboardGeometry, ReadingOrderIsRowByRowLeftToRight) {
    for (UIKBKeyplane keyplane : {UIKBKeyplane::letters, UIKBKeyplane::numbers}) {
        std::vector<UIKBKeySpec> keys = keysOn(keyplane);
        for (std::size_t i = 1; i < keys.size(); ++i) {
            const CGRect &before = keys[i - 1].frame, &after = keys[i].frame;
            bool sameRow = before.origin.y == after.origin.y;
            EXPECT_TRUE(sameRow ? before.origin.x < after.origin.x
                                : before.origin.y < after.origin.y)
                << nameOf(keys[i - 1]) << " before " << nameOf(keys[i]);
        }
    }
}

} // namespace
