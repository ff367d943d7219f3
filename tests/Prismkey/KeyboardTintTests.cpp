#include "../shared/TintPreferencesFixture.h"

#include <KeyboardTint.h>

using namespace tintfixture;

namespace {

struct DecisionRow {
    const char* name;
    std::string contents; // empty: no file
    std::vector<float> layoutTint;
    std::optional<NSInteger> appearance;
};

class KeyboardTintDecisions : public PreferencesFile,
                              public ::testing::WithParamInterface<DecisionRow> {};

TEST_P(KeyboardTintDecisions, FollowTheFile) {
    const DecisionRow& row = GetParam();
    if (!row.contents.empty()) {
        put(row.contents);
    }
    EXPECT_EQ(rgba(KeyboardTint::layoutTint()), row.layoutTint);
    EXPECT_EQ(KeyboardTint::forcedKeyboardAppearance(), row.appearance);
}

const std::optional<NSInteger> dark = KeyboardTint::darkKeyboardAppearance;

INSTANTIATE_TEST_SUITE_P(
    Rows, KeyboardTintDecisions,
    ::testing::Values(
        DecisionRow{"NoFile", "", {}, std::nullopt},
        DecisionRow{"OnWithFive", plist(openEntry("on") + colorEntry(fiveElements)),
                    std::vector<float>{0.2f, 0.4f, 0.6f, 1}, dark},
        DecisionRow{"OnWithThree", plist(openEntry("on") + colorEntry(threeElements)), {}, dark},
        DecisionRow{"OnWithoutColour", plist(openEntry("on")), {}, dark},
        DecisionRow{
            "OffWithFive", plist(openEntry("off") + colorEntry(fiveElements)), {}, std::nullopt},
        DecisionRow{"Unreadable", "garbage", {}, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KeyboardTintGiven, DarkIsTheOnlyForcedAppearance) {
    EXPECT_EQ(KeyboardTint::darkKeyboardAppearance, 1);
    EXPECT_EQ(KeyboardTint::forcedKeyboardAppearanceGiven(true), std::optional<NSInteger>(1));
    EXPECT_EQ(KeyboardTint::forcedKeyboardAppearanceGiven(false), std::nullopt);
}

} // namespace
