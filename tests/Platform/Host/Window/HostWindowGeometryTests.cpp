// The window's arithmetic: the scale it opens at and where the screen sits in it.
#include <Host/Window/HostWindowGeometry.h>

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(HostDesktopScale, OutputScaleThenGdkScaleThenXftDpi) {
    struct Row {
        std::optional<int> output;
        const char* gdk;
        std::optional<double> dpi;
        int expected;
    };
    const Row rows[] = {
        {2, "3", 288.0, 2},                   // Wayland's output scale wins
        {std::nullopt, "3", 96.0, 3},         // GDK_SCALE before Xft.dpi
        {std::nullopt, "", 192.0, 2},         // empty GDK_SCALE is unset
        {std::nullopt, "2x", 96.0, 1},        // not a whole number: ignored
        {std::nullopt, "0", std::nullopt, 1}, // below 1: ignored
        {std::nullopt, nullptr, 144.0, 2},    // 1.5 rounds to 2
        {std::nullopt, nullptr, 143.0, 1},    // 1.49 rounds to 1
        {std::nullopt, nullptr, 40.0, 1},     // at least 1
        {std::nullopt, nullptr, std::nullopt, 1},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(HostDesktopScale(row.output, row.gdk, row.dpi), row.expected)
            << (row.gdk ? row.gdk : "(no GDK_SCALE)") << " dpi " << row.dpi.value_or(0);
    }
}

TEST(HostChooseWindowScale, LoweredUntilTheScreenFitsWarningOnlyForAnExplicitScale) {
    struct Row {
        std::optional<int> requested;
        int desktop;
        std::optional<int> usableWidth, usableHeight;
        int expected;
        bool warns;
    };
    const Row rows[] = {
        {std::nullopt, 2, 1920, 1050, 2, false}, // 640 x 960 fits
        {std::nullopt, 2, 1366, 740, 1, false},  // 960 high does not: lowered quietly
        {std::nullopt, 3, 1920, 1050, 2, false}, // 1440 high does not, 960 does
        {2, 1, 1366, 740, 1, true},              // explicit and too big: lowered, said
        {2, 1, 1920, 1050, 2, false},            // explicit and fits
        {1, 3, 200, 200, 1, false},              // never below 1, nothing to lower
        {std::nullopt, 2, std::nullopt, std::nullopt, 2, false}, // display size unknown
    };
    for (const Row& row : rows) {
        HostWindowScale chosen = HostChooseWindowScale(row.requested, row.desktop, 320, 480,
                                                       row.usableWidth, row.usableHeight);
        EXPECT_EQ(chosen.scale, row.expected) << row.usableWidth.value_or(0);
        EXPECT_EQ(chosen.warning.has_value(), row.warns) << chosen.warning.value_or("");
    }
    HostWindowScale lowered = HostChooseWindowScale(2, 1, 320, 480, 1366, 740);
    EXPECT_EQ(lowered.warning, "--scale 2 does not fit the display (1366 x 740 pixels usable); "
                               "using 1");
}

// A window's size and its floor, in window coordinates: the screen at its pixels a
// point over the output's pixels a coordinate; the floor is half of it.
TEST(HostWindowSize, FollowsScaleAndOutputWithAFloorOfHalfTheScreen) {
    struct Row {
        CGSize points;
        int pixelsPerPoint, outputScale;
        HostWindowSize size, smallest;
    };
    const Row rows[] = {
        {{320, 480}, 1, 1, {320, 480}, {160, 240}},
        {{320, 480}, 2, 1, {640, 960}, {320, 480}},
        {{480, 320}, 2, 1, {960, 640}, {480, 320}}, // landscape
        {{320, 480}, 2, 2, {320, 480}, {160, 240}}, // Wayland at the output's scale
        {{320, 480}, 1, 2, {160, 240}, {80, 120}},  // lowered to fit a short output
        {{320, 480}, 1, 3, {107, 160}, {53, 80}},
        {{320, 480}, 0, 0, {320, 480}, {160, 240}}, // nonsense scales count as 1
        {{1, 1}, 1, 4, {1, 1}, {1, 1}},             // never nothing
    };
    for (const Row& row : rows) {
        EXPECT_EQ(HostWindowSizeFor(row.points, row.pixelsPerPoint, row.outputScale), row.size)
            << row.points.width << " at " << row.pixelsPerPoint << "/" << row.outputScale;
        EXPECT_EQ(HostMinimumWindowSize(row.points, row.pixelsPerPoint, row.outputScale),
                  row.smallest)
            << row.points.width << " at " << row.pixelsPerPoint << "/" << row.outputScale;
    }
}

TEST(HostViewport, KeepsTheAspectCentredAndMapsPixelsBack) {
    struct Row {
        CGSize screen;
        int windowWidth, windowHeight;
        CGFloat scale;
        int x, y, width, height;
    };
    const Row rows[] = {
        {{320, 480}, 640, 960, 2, 0, 0, 640, 960},              // exact
        {{320, 480}, 900, 700, 700.0f / 480, 216, 0, 467, 700}, // wide: bars left and right
        {{320, 480}, 400, 1000, 1.25f, 0, 200, 400, 600},       // tall: bars above and below
        {{480, 320}, 960, 960, 2, 0, 160, 960, 640},            // landscape
        {{320, 480}, 0, 480, 1, 0, 0, 0, 0},                    // no window yet
    };
    for (const Row& row : rows) {
        HostViewport v = HostViewport::fit(row.screen, row.windowWidth, row.windowHeight);
        EXPECT_FLOAT_EQ(v.scale, row.scale) << row.windowWidth << "x" << row.windowHeight;
        EXPECT_EQ(v.x, row.x) << row.windowWidth << "x" << row.windowHeight;
        EXPECT_EQ(v.y, row.y) << row.windowWidth << "x" << row.windowHeight;
        EXPECT_EQ(v.width, row.width) << row.windowWidth << "x" << row.windowHeight;
        EXPECT_EQ(v.height, row.height) << row.windowWidth << "x" << row.windowHeight;
    }
    HostViewport tall = HostViewport::fit({320, 480}, 400, 1000);
    CGPoint corner = tall.toPoints(0, 200), centre = tall.toPoints(200, 500);
    EXPECT_FLOAT_EQ(corner.x, 0);
    EXPECT_FLOAT_EQ(corner.y, 0);
    EXPECT_FLOAT_EQ(centre.x, 160);
    EXPECT_FLOAT_EQ(centre.y, 240);
    EXPECT_LT(tall.toPoints(10, 100).y, 0) << "the letterbox lies off the screen";
}

} // namespace
