// The generator as the build runs it: a real process writing real files.
#include "ResourceImages.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

std::string generator() {
    return (testsupport::buildDirectory() / "bin" / "prismkey-resources").string();
}

} // namespace

TEST(ResourceGenerator, WritesEveryImageAtBothScales) {
    testsupport::TemporaryDirectory folder;
    auto target = folder.path() / "nested" / "Resources";
    auto result = testsupport::runProcess({generator(), target.string()});
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    struct Expected {
        const char* name;
        std::size_t side;
    } expected[] = {{"colorPickerKnob", 30},
                    {"checkerboard", 16},
                    {"pickerColorWheel", 240},
                    {"PXColorViewCheckmark", 22}};
    for (const auto& e : expected) {
        CGImageRef one = CGImageCreateWithPNGFile(target / (std::string(e.name) + ".png"));
        CGImageRef two = CGImageCreateWithPNGFile(target / (std::string(e.name) + "@2x.png"), 2);
        ASSERT_TRUE(one && two) << e.name;
        EXPECT_EQ(CGImageGetWidth(one), e.side) << e.name;
        EXPECT_EQ(CGImageGetHeight(one), e.side) << e.name;
        EXPECT_EQ(CGImageGetWidth(two), 2 * e.side) << e.name;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(target), {}), 8)
        << "no temporary files left";
}

TEST(ResourceGenerator, TheBuildWroteTheResourcesFolder) {
    auto folder = testsupport::buildDirectory() / "Resources";
    CGImageRef wheel = CGImageCreateWithPNGFile(folder / "pickerColorWheel@2x.png", 2);
    ASSERT_TRUE(wheel);
    EXPECT_EQ(CGImageGetPixel(wheel, 479, 240),
              CGImageGetPixel(resources::makeColorWheel(2), 479, 240));
}

TEST(ResourceGenerator, BadArgumentsExplainUsage) {
    auto none = testsupport::runProcess({generator()});
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_NE(none.standardError.find("usage: prismkey-resources FOLDER"), std::string::npos);
    auto help = testsupport::runProcess({generator(), "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.standardOutput.find("@2x.png"), std::string::npos);
    testsupport::TemporaryDirectory folder;
    testsupport::writeFile(folder.path() / "file", "x");
    auto blocked =
        testsupport::runProcess({generator(), (folder.path() / "file" / "sub").string()});
    EXPECT_EQ(blocked.exitCode, 1);
    EXPECT_NE(blocked.standardError.find("cannot create"), std::string::npos);
}
