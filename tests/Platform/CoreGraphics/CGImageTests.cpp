#include <CoreGraphics/CGBitmapContext.h>
#include <CoreGraphics/CGImage.h>
#include <CoreGraphics/CGImageCairo.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

TEST(CGImage, PngRoundTripKeepsStraightPixels) {
    testsupport::TemporaryDirectory folder;
    std::vector<CGPixel> pixels = {{255, 0, 0, 255},    {0, 255, 0, 128}, {10, 20, 30, 0},
                                   {200, 100, 50, 255}, {0, 0, 255, 255}, {255, 255, 255, 64}};
    CGImageRef image = CGImageCreateWithPixels(3, 2, 2, pixels);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->sizeInPoints(), CGSizeMake(1.5f, 1));
    auto path = folder.path() / "round.png";
    ASSERT_TRUE(CGImageWritePNG(image, path));
    CGImageRef read = CGImageCreateWithPNGFile(path, 2);
    ASSERT_TRUE(read);
    EXPECT_EQ(CGImageGetWidth(read), 3u);
    EXPECT_EQ(CGImageGetHeight(read), 2u);
    EXPECT_EQ(read->scale(), 2);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        CGPixel expected = pixels[i].a == 0 ? CGPixel{} : pixels[i];
        CGPixel actual = CGImageGetPixel(read, i % 3, i / 3);
        // Premultiplied storage loses precision at low alpha, never at full alpha.
        int tolerance = expected.a == 255 ? 0 : 255 / std::max<int>(expected.a, 1) + 1;
        EXPECT_NEAR(actual.r, expected.r, tolerance) << i;
        EXPECT_NEAR(actual.g, expected.g, tolerance) << i;
        EXPECT_NEAR(actual.b, expected.b, tolerance) << i;
        EXPECT_EQ(actual.a, expected.a) << i;
    }
}

// An opaque image (a screen) is written without alpha, and reads back the same; one
// with any pixel not opaque keeps its alpha channel.
TEST(CGImage, PngOfAnOpaqueImageHasNoAlphaChannelAndReadsBackTheSame) {
    testsupport::TemporaryDirectory folder;
    const struct {
        std::vector<CGPixel> pixels;
        char colourType; // the IHDR's: 2 RGB, 6 RGBA
    } rows[] = {
        {{{255, 0, 0, 255}, {1, 2, 3, 255}, {0, 0, 0, 255}, {250, 128, 7, 255}}, 2},
        {{{255, 0, 0, 255}, {1, 2, 3, 255}, {0, 0, 0, 255}, {250, 128, 7, 254}}, 6},
    };
    for (const auto& row : rows) {
        auto path = folder.path() / "image.png";
        ASSERT_TRUE(CGImageWritePNG(CGImageCreateWithPixels(2, 2, 1, row.pixels), path));
        std::string bytes = testsupport::readFile(path);
        ASSERT_GT(bytes.size(), 25u);
        EXPECT_EQ(bytes[25], row.colourType);
        CGImageRef read = CGImageCreateWithPNGFile(path);
        ASSERT_TRUE(read);
        for (std::size_t i = 0; i < row.pixels.size(); ++i) {
            CGPixel actual = CGImageGetPixel(read, i % 2, i / 2);
            EXPECT_EQ(actual.a, row.pixels[i].a) << i;
            if (row.pixels[i].a == 255) {
                EXPECT_EQ(actual, row.pixels[i]) << i;
            }
        }
    }
}

TEST(CGImage, MissingOrBrokenFilesGiveNoImage) {
    testsupport::TemporaryDirectory folder;
    EXPECT_FALSE(CGImageCreateWithPNGFile(folder.path() / "missing.png"));
    testsupport::writeFile(folder.path() / "broken.png", "\x89PNG\r\n\x1a\nnot really");
    EXPECT_FALSE(CGImageCreateWithPNGFile(folder.path() / "broken.png"));
    EXPECT_FALSE(CGImageWritePNG(nullptr, folder.path() / "none.png"));
    EXPECT_FALSE(CGImageWritePNG(CGImageCreateWithPixels(1, 1, 1, {{1, 2, 3, 4}}),
                                 folder.path() / "no/such/dir.png"));
}

TEST(CGImage, PixelReaderRefusesOutsideAndBadSizes) {
    CGImageRef image = CGImageCreateWithPixels(1, 1, 1, {{9, 8, 7, 255}});
    EXPECT_EQ(CGImageGetPixel(image, 0, 0), (CGPixel{9, 8, 7, 255}));
    EXPECT_EQ(CGImageGetPixel(image, 1, 0), CGPixel{});
    EXPECT_EQ(CGImageGetPixel(nullptr, 0, 0), CGPixel{});
    EXPECT_FALSE(CGImageCreateWithPixels(2, 2, 1, {{0, 0, 0, 0}}));
    EXPECT_FALSE(CGImageCreateWithPixels(0, 0, 1, {}));
}

TEST(CGImage, PngWithoutAlphaReadsAsOpaquePixels) {
    testsupport::TemporaryDirectory folder;
    CairoSurfacePtr rgb(cairo_image_surface_create(CAIRO_FORMAT_RGB24, 2, 1));
    CairoPtr cairo(cairo_create(rgb.get()));
    cairo_set_source_rgb(cairo.get(), 0.2, 0.4, 0.6);
    cairo_paint(cairo.get());
    cairo.reset();
    auto path = folder.path() / "rgb.png";
    ASSERT_EQ(cairo_surface_write_to_png(rgb.get(), path.c_str()), CAIRO_STATUS_SUCCESS);
    CGImageRef image = CGImageCreateWithPNGFile(path);
    ASSERT_TRUE(image);
    EXPECT_EQ(cairo_image_surface_get_format(image->cairoSurface()), CAIRO_FORMAT_ARGB32);
    EXPECT_EQ(CGImageGetPixel(image, 1, 0), (CGPixel{51, 102, 153, 255}));
}

TEST(CGBitmapContext, ImageIsACopyThatLaterDrawingLeavesAlone) {
    auto context = CGBitmapContextCreate(2, 2, 2);
    CGContextSetRGBFillColor(context.get(), 1, 0, 0, 1);
    CGContextFillRect(context.get(), CGRectMake(0, 0, 1, 1));
    CGImageRef first = CGBitmapContextCreateImage(context.get());
    CGContextSetRGBFillColor(context.get(), 0, 0, 1, 1);
    CGContextFillRect(context.get(), CGRectMake(0, 0, 1, 1));
    EXPECT_EQ(CGImageGetPixel(first, 1, 1), (CGPixel{255, 0, 0, 255}));
    EXPECT_EQ(first->scale(), 2);
    EXPECT_EQ(CGImageGetPixel(CGBitmapContextCreateImage(context.get()), 1, 1),
              (CGPixel{0, 0, 255, 255}));
}
