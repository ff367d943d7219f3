// Text's fonts: DejaVu's folder given to Fontconfig directly, so that no start reads
// the desktop's font configuration; and layouts that share their shaping.
#include <CoreGraphics/CGBitmapContext.h>
#include <CoreGraphics/CGText.h>

#include <gtest/gtest.h>

#include <fontconfig/fontconfig.h>

#include <filesystem>
#include <set>
#include <string>

namespace {

TEST(CGText, TextIsLaidOutWithDejaVuSansAloneAndNoConfigurationFileIsRead) {
    if (!std::filesystem::exists("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf")) {
        GTEST_SKIP() << "DejaVu Sans is not where Debian puts it";
    }
    CGSize size = CGTextMeasure("Save", {17, true});
    EXPECT_GT(size.width, 0);
    FcConfig* config = FcConfigGetCurrent();
    FcStrList* files = FcConfigGetConfigFiles(config);
    EXPECT_EQ(FcStrListNext(files), nullptr) << "a configuration file was read";
    FcStrListDone(files);
    std::set<std::string> fonts;
    for (FcSetName set : {FcSetSystem, FcSetApplication}) {
        FcFontSet* found = FcConfigGetFonts(config, set);
        for (int i = 0; found != nullptr && i < found->nfont; ++i) {
            FcChar8* file = nullptr;
            if (FcPatternGetString(found->fonts[i], FC_FILE, 0, &file) == FcResultMatch) {
                std::filesystem::path path(reinterpret_cast<char*>(file));
                EXPECT_EQ(path.parent_path(), "/usr/share/fonts/truetype/dejavu");
                fonts.insert(path.filename());
            }
        }
    }
    EXPECT_TRUE(fonts.contains("DejaVuSans.ttf"));
    EXPECT_TRUE(fonts.contains("DejaVuSans-Bold.ttf"));
    for (const std::string& font : fonts) {
        EXPECT_TRUE(font.starts_with("DejaVu")) << font << ": only DejaVu's folder";
    }
}

// Layouts share their shaping only where everything that shapes them is the same: a
// second text that differs in weight, size or wrapping measures as its own.
TEST(CGText, TextsThatDifferInWhatShapesThemMeasureApart) {
    const std::string text = "Save the colour";
    const CGTextStyle regular{17}, bold{17, true}, small{12},
        wrapped{17, false, CGTextAlignment::left, 60},
        wrappedCentre{17, false, CGTextAlignment::center, 60},
        centred{17, false, CGTextAlignment::center};
    CGSize first = CGTextMeasure(text, regular);
    const struct {
        CGTextStyle style;
        bool sameSize;
    } rows[] = {
        {bold, false}, {small, false}, {wrapped, false}, {wrappedCentre, false}, {centred, true},
    };
    for (const auto& row : rows) {
        CGSize size = CGTextMeasure(text, row.style);
        EXPECT_EQ(size == first, row.sameSize) << size.width << " x " << size.height;
    }
    EXPECT_EQ(CGTextMeasure(text, wrapped), CGTextMeasure(text, wrapped));
    EXPECT_GT(CGTextMeasure(text, wrapped).height, first.height) << "wrapped onto more lines";
    EXPECT_NE(CGTextMeasure(text + "!", regular), first);
}

// Wrapped lines are aligned by the shaping itself: a text drawn left and then centred
// in the same width starts further right the second time.
TEST(CGText, WrappedTextDrawnLeftThenCentredIsAlignedEachTime) {
    auto leftmostInk = [](CGTextAlignment alignment) {
        auto context = CGBitmapContextCreate(200, 40, 1);
        const CGFloat white[] = {1, 1};
        CGContextSetFillColorWithColor(context.get(),
                                       CGColorCreate(CGColorSpaceCreateDeviceGray(), white));
        context->drawText("Hi", CGRectMake(0, 0, 200, 40), 17, false, alignment);
        CGImageRef image = CGBitmapContextCreateImage(context.get());
        for (std::size_t x = 0; x < 200; ++x) {
            for (std::size_t y = 0; y < 40; ++y) {
                if (CGImageGetPixel(image, x, y).a > 128) {
                    return x;
                }
            }
        }
        return std::size_t{200};
    };
    std::size_t left = leftmostInk(CGTextAlignment::left);
    std::size_t centred = leftmostInk(CGTextAlignment::center);
    EXPECT_LT(left, 5u);
    EXPECT_GT(centred, 80u);
    EXPECT_EQ(leftmostInk(CGTextAlignment::left), left);
}

} // namespace
