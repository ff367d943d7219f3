// The tour's contact sheet: its layout worked by hand, and the program drawing real
// files whose pixels are probed.
#include "ContactSheet.h"
#include "TestSupport.h"

#include <CoreGraphics/CGImage.h>

#include <gtest/gtest.h>

namespace {

using contactsheet::layOut;

bool sameRect(CGRect a, CGRect b) {
    return a.origin.x == b.origin.x && a.origin.y == b.origin.y && a.size.width == b.size.width &&
           a.size.height == b.size.height;
}

TEST(ContactSheet, FourCellsARowEachTitledUnderItsImage) {
    struct Row {
        const char* name;
        std::vector<CGSize> images;
        CGSize size;
        std::size_t probe; // which image's place to check
        CGRect image, title;
    };
    const std::vector<Row> rows = {
        {"one screen", {{320, 480}}, {368, 612}, 0, {24, 64, 320, 480}, {24, 544, 320, 44}},
        {"the tour's seven",
         std::vector<CGSize>(7, {320, 480}),
         {1400, 1160},
         4,
         {24, 612, 320, 480},
         {24, 1092, 320, 44}},
        {"a doubled screen is halved, a small one centred",
         {{640, 960}, {160, 240}},
         {712, 612},
         1,
         {448, 64, 160, 240},
         {368, 544, 320, 44}},
    };
    for (const Row& row : rows) {
        contactsheet::Layout layout = layOut(row.images);
        EXPECT_EQ(layout.size.width, row.size.width) << row.name;
        EXPECT_EQ(layout.size.height, row.size.height) << row.name;
        ASSERT_EQ(layout.images.size(), row.images.size()) << row.name;
        EXPECT_TRUE(sameRect(layout.images[row.probe], row.image)) << row.name;
        EXPECT_TRUE(sameRect(layout.titles[row.probe], row.title)) << row.name;
    }
}

CGImageRef solid(CGPixel colour, std::size_t width, std::size_t height) {
    return CGImageCreateWithPixels(width, height, 1, std::vector<CGPixel>(width * height, colour));
}

std::string program() {
    return (testsupport::buildDirectory() / "bin" / "prismkey-contact-sheet").string();
}

// Some pixel in `box` is as dark as text.
bool hasText(const CGImageRef& image, CGRect box) {
    for (auto y = static_cast<std::size_t>(box.origin.y); y < CGRectGetMaxY(box); ++y) {
        for (auto x = static_cast<std::size_t>(box.origin.x); x < CGRectGetMaxX(box); ++x) {
            if (CGImageGetPixel(image, x, y).r < 100) {
                return true;
            }
        }
    }
    return false;
}

TEST(ContactSheet, TheProgramDrawsEachImageInOrderWithItsTitle) {
    testsupport::TemporaryDirectory folder;
    auto red = folder.path() / "red.png", blue = folder.path() / "blue.png";
    ASSERT_TRUE(CGImageWritePNG(solid({255, 0, 0, 255}, 320, 480), red));
    ASSERT_TRUE(CGImageWritePNG(solid({0, 0, 255, 255}, 320, 480), blue));
    auto sheet = folder.path() / "sheet.png";
    auto result = testsupport::runProcess(
        {program(), sheet.string(), "The tour", red.string(), "1. Red", blue.string(), "2. Blue"});
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    CGImageRef image = CGImageCreateWithPNGFile(sheet);
    ASSERT_TRUE(image);
    contactsheet::Layout layout = layOut({{320, 480}, {320, 480}});
    EXPECT_EQ(CGImageGetWidth(image), static_cast<std::size_t>(layout.size.width));
    auto centre = [&](std::size_t i) {
        CGRect r = layout.images[i];
        return CGImageGetPixel(image, static_cast<std::size_t>(CGRectGetMidX(r)),
                               static_cast<std::size_t>(CGRectGetMidY(r)));
    };
    EXPECT_EQ(centre(0), (CGPixel{255, 0, 0, 255}));
    EXPECT_EQ(centre(1), (CGPixel{0, 0, 255, 255}));
    EXPECT_TRUE(hasText(image, layout.titles[0]));
    EXPECT_TRUE(hasText(image, layout.titles[1]));
    EXPECT_TRUE(hasText(image, layout.heading));
}

TEST(ContactSheet, BadArgumentsAndMissingImagesAreRefused) {
    testsupport::TemporaryDirectory folder;
    auto sheet = (folder.path() / "sheet.png").string();
    const std::vector<std::pair<std::vector<std::string>, std::pair<int, std::string>>> rows = {
        {{sheet, "heading"}, {2, "usage: prismkey-contact-sheet"}},
        {{sheet, "heading", "a.png"}, {2, "usage: prismkey-contact-sheet"}},
        {{sheet, "heading", (folder.path() / "none.png").string(), "title"},
         {1, "cannot read the image"}},
    };
    for (const auto& [arguments, expected] : rows) {
        std::vector<std::string> command{program()};
        command.insert(command.end(), arguments.begin(), arguments.end());
        auto result = testsupport::runProcess(command);
        EXPECT_EQ(result.exitCode, expected.first) << arguments.size();
        EXPECT_NE(result.standardError.find(expected.second), std::string::npos)
            << result.standardError;
    }
    EXPECT_FALSE(std::filesystem::exists(sheet));
}

} // namespace
