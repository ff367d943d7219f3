// The programs' icons, probed at both installed sizes in the 64-point design's
// coordinates: the settings icon's wheel on its dark tile, the keyboard icon's white
// keys on the tint.
#include "AppIcons.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

// The pixel under design point (x, y) of an icon `pixels` wide.
CGPixel at(const CGImageRef& icon, std::size_t pixels, double x, double y) {
    double k = static_cast<double>(pixels) / 64;
    return CGImageGetPixel(icon, static_cast<std::size_t>(x * k), static_cast<std::size_t>(y * k));
}

bool near(CGPixel p, int r, int g, int b) {
    return std::abs(p.r - r) <= 12 && std::abs(p.g - g) <= 12 && std::abs(p.b - b) <= 12 &&
           p.a == 255;
}

TEST(AppIcons, DrawnAtEachSizeWithTheirPartsWhereDesigned) {
    struct Probe {
        CGImageRef (*make)(std::size_t);
        double x, y;
        int r, g, b; // -1: transparent
        const char* what;
    };
    const Probe probes[] = {
        {appicons::makeSettingsIcon, 1.5, 1.5, -1, 0, 0, "outside the tile"},
        {appicons::makeSettingsIcon, 7.5, 32.5, 41, 43, 56, "the dark tile"},
        {appicons::makeSettingsIcon, 32.5, 32.5, 255, 255, 255, "the wheel's white centre"},
        {appicons::makeSettingsIcon, 50.5, 32.5, 255, 36, 36, "red at three o'clock"},
        {appicons::makeKeyboardIcon, 1.5, 62.5, -1, 0, 0, "outside the tile"},
        {appicons::makeKeyboardIcon, 12.5, 21.5, 255, 255, 255, "a key of the top row"},
        {appicons::makeKeyboardIcon, 17.2, 21.5, 51, 102, 153, "the tint between two keys"},
        {appicons::makeKeyboardIcon, 32.5, 43.5, 255, 255, 255, "the space bar"},
        {appicons::makeKeyboardIcon, 32.5, 50.5, 51, 102, 153, "the tint under the space bar"},
    };
    for (std::size_t pixels : appicons::kIconSizes) {
        for (const Probe& probe : probes) {
            CGImageRef icon = probe.make(pixels);
            ASSERT_EQ(CGImageGetWidth(icon), pixels);
            ASSERT_EQ(CGImageGetHeight(icon), pixels);
            CGPixel p = at(icon, pixels, probe.x, probe.y);
            if (probe.r < 0) {
                EXPECT_EQ(p.a, 0) << probe.what << " at " << pixels;
            } else {
                EXPECT_TRUE(near(p, probe.r, probe.g, probe.b))
                    << probe.what << " at " << pixels << ": " << int(p.r) << "," << int(p.g) << ","
                    << int(p.b) << "," << int(p.a);
            }
        }
    }
}

TEST(AppIcons, TheGeneratorWritesThemWhereTheDesktopLooks) {
    testsupport::TemporaryDirectory folder;
    auto result = testsupport::runProcess(
        {(testsupport::buildDirectory() / "bin" / "prismkey-resources").string(), "--icons",
         folder.path().string()});
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    for (const char* name : {"io.prismkey.PrismkeyFree", "io.prismkey.KeyboardHost"}) {
        for (std::size_t pixels : appicons::kIconSizes) {
            std::string size = std::to_string(pixels) + "x" + std::to_string(pixels);
            CGImageRef icon = CGImageCreateWithPNGFile(folder.path() / "hicolor" / size / "apps" /
                                                       (std::string(name) + ".png"));
            ASSERT_TRUE(icon) << name << " " << size;
            EXPECT_EQ(CGImageGetWidth(icon), pixels);
        }
    }
}

} // namespace
