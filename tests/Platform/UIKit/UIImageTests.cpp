// Images by name, colours from images, and the current drawing context.
#include <CoreGraphics/CGRecordingContext.h>
#include <QuartzCore/CALayer.h>
#include <QuartzCore/CARenderer.h>
#include <UIKit/UIColor.h>
#include <UIKit/UIGraphics.h>
#include <UIKit/UIImage.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

// Writes name.png (w x h pixels) and, when asked, name@2x.png (twice the pixels).
void writeImages(const std::filesystem::path& folder, const std::string& name, std::size_t w,
                 std::size_t h, bool oneX, bool twoX) {
    if (oneX) {
        ASSERT_TRUE(CGImageWritePNG(
            CGImageCreateWithPixels(w, h, 1, std::vector<CGPixel>(w * h, {255, 0, 0, 255})),
            folder / (name + ".png")));
    }
    if (twoX) {
        ASSERT_TRUE(
            CGImageWritePNG(CGImageCreateWithPixels(
                                2 * w, 2 * h, 2, std::vector<CGPixel>(4 * w * h, {0, 0, 255, 255})),
                            folder / (name + "@2x.png")));
    }
}

class UIImageNamed : public ::testing::Test {
  protected:
    void SetUp() override {
        writeImages(folder_.path(), "both", 3, 2, true, true);
        writeImages(folder_.path(), "onlyOne", 4, 4, true, false);
        writeImages(folder_.path(), "onlyTwo", 5, 5, false, true);
        UIImage::setResourceDirectory(folder_.path());
    }
    void TearDown() override { UIImage::setScreenScale(1); }
    testsupport::TemporaryDirectory folder_;
};

} // namespace

TEST(UIImageResources, DefaultFolderIsResourcesBesideTheProgramsFolder) {
    EXPECT_EQ(std::filesystem::weakly_canonical(UIImage::resourceDirectory()),
              std::filesystem::weakly_canonical(testsupport::buildDirectory() / "Resources"));
}

TEST_F(UIImageNamed, ScreenScaleChoosesTheFileAndPointSizeStaysTheSame) {
    struct Case {
        const char* name;
        CGFloat screenScale;
        CGFloat imageScale;
        CGSize points;
    } cases[] = {
        {"both", 1, 1, {3, 2}},    {"both.png", 2, 2, {3, 2}},    {"onlyOne", 2, 1, {4, 4}},
        {"onlyTwo", 1, 2, {5, 5}}, {"onlyTwo.png", 2, 2, {5, 5}},
    };
    for (const auto& c : cases) {
        UIImage::setScreenScale(c.screenScale);
        UIImageRef image = UIImage::imageNamed(c.name);
        ASSERT_TRUE(image) << c.name;
        EXPECT_EQ(image->scale(), c.imageScale) << c.name << " at " << c.screenScale;
        EXPECT_EQ(image->size(), c.points) << c.name;
        EXPECT_EQ(image->CGImage()->scale(), c.imageScale);
    }
}

TEST_F(UIImageNamed, CachedPerNameAndScale) {
    UIImageRef first = UIImage::imageNamed("both.png");
    EXPECT_EQ(UIImage::imageNamed("both.png"), first);
    UIImage::setScreenScale(2);
    EXPECT_NE(UIImage::imageNamed("both.png"), first);
    UIImage::setResourceDirectory(folder_.path()); // a new folder forgets the cache
    UIImage::setScreenScale(1);
    EXPECT_NE(UIImage::imageNamed("both.png"), first);
}

TEST_F(UIImageNamed, MissingOrUnsafeNamesGiveNothing) {
    EXPECT_FALSE(UIImage::imageNamed("absent.png"));
    EXPECT_FALSE(UIImage::imageNamed(""));
    EXPECT_FALSE(UIImage::imageNamed("../both.png"));
    testsupport::writeFile(folder_.path() / "text.png", "not a picture");
    EXPECT_FALSE(UIImage::imageNamed("text"));
    // A file that appears later is found: failures are not cached.
    writeImages(folder_.path(), "absent", 1, 1, true, false);
    EXPECT_TRUE(UIImage::imageNamed("absent.png"));
}

TEST_F(UIImageNamed, PatternColourCarriesTheImage) {
    UIImageRef tile = UIImage::imageNamed("both");
    UIColorRef pattern = UIColor::colorWithPatternImage(tile);
    ASSERT_TRUE(pattern);
    EXPECT_EQ(CGColorSpaceGetModel(CGColorGetColorSpace(pattern->CGColor())),
              kCGColorSpaceModelPattern);
    EXPECT_EQ(CGColorGetPattern(pattern->CGColor()), tile->CGImage());
    EXPECT_EQ(CGColorGetAlpha(pattern->CGColor()), 1);
    EXPECT_FALSE(UIColor::colorWithPatternImage(nullptr));
}

// A window resized draws the screen at any density: a named image is drawn from the
// file nearest to it, whichever the screen's scale chose (red @1x, blue @2x), and an
// @2x file of another size in points is not taken for the same picture.
TEST_F(UIImageNamed, DrawnFromTheFileNearestTheDensity) {
    ASSERT_TRUE(CGImageWritePNG(
        CGImageCreateWithPixels(10, 10, 2, std::vector<CGPixel>(100, {0, 0, 255, 255})),
        folder_.path() / "odd@2x.png"));
    writeImages(folder_.path(), "odd", 3, 2, true, false);
    struct Row {
        const char* name;
        CGFloat screenScale, drawnAt;
        CGPixel centre;
    } rows[] = {
        {"both", 1, 1, {255, 0, 0, 255}},     {"both", 1, 1.25f, {255, 0, 0, 255}},
        {"both", 1, 1.5f, {0, 0, 255, 255}},  {"both", 1, 2.5f, {0, 0, 255, 255}},
        {"both", 2, 1.25f, {255, 0, 0, 255}}, {"both", 2, 2, {0, 0, 255, 255}},
        {"odd", 1, 2, {255, 0, 0, 255}},
    };
    for (const Row& row : rows) {
        UIImage::setScreenScale(row.screenScale);
        UIImageRef image = UIImage::imageNamed(row.name);
        ASSERT_TRUE(image) << row.name;
        auto layer = CALayer::layer();
        layer->setFrame(CGRectMake(0, 0, 3, 2));
        layer->setContents(image->CGImage());
        CGImageRef drawn = CARenderLayerTree(layer.get(), {3, 2}, row.drawnAt);
        ASSERT_TRUE(drawn);
        EXPECT_EQ(CGImageGetPixel(drawn, drawn->width() / 2, drawn->height() / 2), row.centre)
            << row.name << " at screen scale " << row.screenScale << ", drawn at " << row.drawnAt;
    }
}

TEST(UIGraphics, SetFillAndSetStrokeGoToTheInnermostContext) {
    CGRecordingContext outer, inner;
    UIColor::redColor()->setFill(); // no context: nothing happens
    EXPECT_EQ(UIGraphicsGetCurrentContext(), nullptr);
    {
        UIGraphicsContextScope outerScope(&outer);
        {
            UIGraphicsContextScope innerScope(&inner);
            UIColor::redColor()->setFill();
            UIColor::blueColor()->setStroke();
        }
        EXPECT_EQ(UIGraphicsGetCurrentContext(), &outer);
        UIColor::greenColor()->setFill();
    }
    EXPECT_EQ(UIGraphicsGetCurrentContext(), nullptr);
    ASSERT_EQ(inner.records().size(), 2u);
    EXPECT_EQ(inner.records()[0].kind, CGDrawingRecord::Kind::setFillColor);
    EXPECT_TRUE(CGColorEqualToColor(inner.records()[0].color, UIColor::redColor()->CGColor()));
    EXPECT_EQ(inner.records()[1].kind, CGDrawingRecord::Kind::setStrokeColor);
    ASSERT_EQ(outer.records().size(), 1u);
    EXPECT_TRUE(CGColorEqualToColor(outer.records()[0].color, UIColor::greenColor()->CGColor()));
    UIGraphicsPopContext(); // unbalanced: ignored
}
