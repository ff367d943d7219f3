// A scene of layers of every kind (images, a gradient, text, delegate drawing with
// pattern colours and blend modes, hidden layers, an opacity animation), laid out
// like the colour picker's screen and drawn with the application's own images;
// written as a PNG for a person to look at, and probed.
#include <CoreGraphics/CGContext.h>
#include <QuartzCore/CAGradientLayer.h>
#include <QuartzCore/CAMediaTiming.h>
#include <QuartzCore/CARenderer.h>
#include <QuartzCore/CAShapeLayer.h>
#include <QuartzCore/CATextLayer.h>
#include <QuartzCore/CATransaction.h>

#include "../CoreGraphics/DrawingTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>

using namespace drawingtest;

namespace {

CGColorRef hex(unsigned value) {
    return rgba((value >> 16 & 0xff) / 255.0f, (value >> 8 & 0xff) / 255.0f,
                (value & 0xff) / 255.0f);
}
CGImageRef resource(const std::string& name) {
    return CGImageCreateWithPNGFile(
        testsupport::buildDirectory() / "Resources" / (name + "@2x.png"), 2);
}

CGMutablePathRef halfPath(CGRect r, CGFloat radius, bool left) {
    CGFloat l = CGRectGetMinX(r) + 1, t = CGRectGetMinY(r) + 1, rt = CGRectGetMaxX(r) - 1,
            b = CGRectGetMaxY(r) - 1;
    auto path = CGPathCreateMutable();
    if (left) {
        CGPathMoveToPoint(path, nullptr, rt, t);
        CGPathAddArcToPoint(path, nullptr, l, t, l, CGRectGetMidY(r), radius);
        CGPathAddArcToPoint(path, nullptr, l, b, rt, b, radius);
        CGPathAddLineToPoint(path, nullptr, rt, b);
    } else {
        CGPathMoveToPoint(path, nullptr, l, t);
        CGPathAddArcToPoint(path, nullptr, rt, t, rt, CGRectGetMidY(r), radius);
        CGPathAddArcToPoint(path, nullptr, rt, b, l, b, radius);
        CGPathAddLineToPoint(path, nullptr, l, b);
    }
    return path;
}

// The swatch's draw plan: checkerboard under translucent colour, the colour, and
// a grey border multiplied with a white shadow one point below.
class SwatchDrawing : public CALayerDelegate {
  public:
    SwatchDrawing(CGColorRef color, CGColorRef checkerboard)
        : color_(std::move(color)), checker_(std::move(checkerboard)) {}
    void drawLayerInContext(CALayer* layer, CGContext* c) override {
        CGRect b = layer->bounds();
        if (CGColorGetAlpha(color_) < 1) {
            CGContextAddPath(c, roundRect(CGRectInset(b, 1, 1), 5));
            CGContextSetFillColorWithColor(c, checker_);
            CGContextFillPath(c);
        }
        CGContextAddPath(c, roundRect(b, 7));
        CGContextSetFillColorWithColor(c, color_);
        CGContextFillPath(c);
        CGContextSetLineWidth(c, 1);
        CGContextAddPath(c, roundRect(CGRectInset(b, 0.5f, 0.5f), 6));
        CGContextSetStrokeColorWithColor(c, grey(0.6f));
        CGContextSetBlendMode(c, kCGBlendModeMultiply);
        CGContextSetShadowWithColor(c, CGSizeMake(0, 1), 0, grey(1, 0.8f));
        CGContextStrokePath(c);
        CGContextSetBlendMode(c, kCGBlendModeNormal);
    }

  private:
    CGColorRef color_, checker_;
};

// The compare view's draw plan: old colour left, current colour right, white border.
class CompareDrawing : public CALayerDelegate {
  public:
    CompareDrawing(CGColorRef old, CGColorRef current, CGColorRef checkerboard)
        : old_(std::move(old)), current_(std::move(current)), checker_(std::move(checkerboard)) {}
    void drawLayerInContext(CALayer* layer, CGContext* c) override {
        CGFloat w = layer->bounds().size.width, h = layer->bounds().size.height;
        if (CGColorGetAlpha(old_) < 1 || CGColorGetAlpha(current_) < 1) {
            CGContextAddPath(c, roundRect(CGRectInset(layer->bounds(), 2, 2), 5));
            CGContextSetFillColorWithColor(c, checker_);
            CGContextFillPath(c);
        }
        CGContextAddPath(c, halfPath(CGRectMake(0, 0, w / 2 + 1, h), 7, true));
        CGContextSetFillColorWithColor(c, old_);
        CGContextFillPath(c);
        CGContextAddPath(c, halfPath(CGRectMake(w / 2 - 1, 0, w / 2 + 1, h), 7, false));
        CGContextSetFillColorWithColor(c, current_);
        CGContextFillPath(c);
        CGContextSetLineWidth(c, 2);
        CGContextAddPath(c, roundRect(CGRectInset(layer->bounds(), 1, 1), 6));
        CGContextSetStrokeColorWithColor(c, grey(1));
        CGContextStrokePath(c);
    }

  private:
    CGColorRef old_, current_, checker_;
};

CGPixel pixelOf(unsigned value) {
    return {static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value), 255};
}

class LayeredScene : public ::testing::Test {
  protected:
    static constexpr CGFloat kPickerTop = 64;
    static constexpr CGPoint kWheelOrigin{40, 15};

    void SetUp() override {
        CAMediaTimeUseVirtualClock(0);
        CATransaction::begin();
        CATransaction::setDisableActions(true);
        wheelImage_ = resource("pickerColorWheel");
        knobImage_ = resource("colorPickerKnob");
        checkmarkImage_ = resource("PXColorViewCheckmark");
        CGImageRef tile = resource("checkerboard");
        ASSERT_TRUE(wheelImage_ && knobImage_ && checkmarkImage_ && tile)
            << "resources not generated";
        checker_ = CGColorCreateWithPattern(tile, 1);
        build();
        CATransaction::commit();
    }

    CALayerRef add(const CALayerRef& parent, CGRect frame, CGColorRef background = nullptr) {
        auto layer = CALayer::layer();
        layer->setFrame(frame);
        layer->setBackgroundColor(std::move(background));
        parent->addSublayer(layer);
        return layer;
    }

    void build() {
        root_ = CALayer::layer();
        root_->setFrame(CGRectMake(0, 0, 320, 480));
        root_->setBackgroundColor(hex(0x5856D6));
        add(root_, CGRectMake(0, 0, 320, 20), grey(0));
        auto bar = add(root_, CGRectMake(0, 20, 320, 44), hex(0xF7F7F7));
        auto title = CATextLayer::layer();
        CGSize titleSize = CATextLayer::sizeOfText("Prismkey", 17, true);
        title->setFrame(CGRectMake(0, (44 - titleSize.height) / 2, 320, titleSize.height));
        title->setString("Prismkey");
        title->setFontSize(17);
        title->setBold(true);
        title->setAlignment(CGTextAlignment::center);
        title->setForegroundColor(grey(0));
        bar->addSublayer(title);

        picker_ = add(root_, CGRectMake(0, kPickerTop, 320, 416), hex(0x5856D6));
        auto gradient = CAGradientLayer::layer();
        gradient->setFrame(CGRectMake(0, 0, 320, 416));
        gradient->setColors({hex(0x1AD6FD), hex(0x1D62F0)});
        picker_->insertSublayer(gradient, 0);

        auto wheel = add(picker_, CGRectMake(kWheelOrigin.x, kWheelOrigin.y, 240, 240));
        auto wheelImage = add(wheel, CGRectMake(0, 0, 240, 240));
        wheelImage->setContents(wheelImage_);
        wheelImage->setContentsGravity(CAContentsGravity::topLeft);
        // Knob at hue 2/3 (blue), saturation 1: 117 points out, rounded to whole points.
        double angle = 2.0 / 3 * 2 * std::numbers::pi;
        float kx = 120 + std::cos(static_cast<float>(angle)) * 117,
              ky = 120 - std::sin(static_cast<float>(angle)) * 117;
        knobCentre_ = {std::round(kx - 15) + 15 + kWheelOrigin.x,
                       std::round(ky - 15) + 15 + kWheelOrigin.y};
        auto knob = add(wheel, CGRectMake(knobCentre_.x - kWheelOrigin.x - 15,
                                          knobCentre_.y - kWheelOrigin.y - 15, 30, 30));
        knob->setContents(knobImage_);

        drawings_.push_back(
            std::make_unique<CompareDrawing>(grey(1), rgba(0, 0, 1, 0.5f), checker_));
        auto compare = add(picker_, CGRectMake(10, 10, 44, 44));
        compare->setDelegate(drawings_.back().get());
        compare->setNeedsDisplay();
        auto highlight = CAShapeLayer::layer();
        highlight->setOpacity(0);
        highlight->setPath(halfPath(CGRectMake(0, 0, 23, 44), 7, true));
        compare->addSublayer(highlight);

        const unsigned palette[] = {0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF, 0xFF00FF};
        float spacing = (320 - 40) / 6.0f;
        int x = 20;
        for (int i = 0; i < 6; ++i) {
            CGFloat left = static_cast<CGFloat>(x + spacing * 0.5 - 18);
            swatchFrames_.push_back(CGRectMake(left, 370, 36, 36));
            drawings_.push_back(std::make_unique<SwatchDrawing>(hex(palette[i]), checker_));
            auto swatch = add(picker_, swatchFrames_.back());
            swatch->setDelegate(drawings_.back().get());
            swatch->setNeedsDisplay();
            auto touch = CAShapeLayer::layer();
            touch->setOpacity(0);
            swatch->addSublayer(touch);
            auto checkmark = CALayer::layer();
            checkmark->setBounds(CGRectMake(0, 0, 22, 22));
            checkmark->setPosition(CGPointMake(36 - 14, 36 - 14));
            checkmark->setContents(checkmarkImage_);
            checkmark->setHidden(i != 4); // the blue swatch is selected
            swatch->addSublayer(checkmark);
            x = static_cast<int>(x + spacing);
        }

        auto more = CATextLayer::layer();
        more->setFrame(CGRectMake(130, 280, 200, 100));
        more->setString("-->More apps by me");
        more->setFontSize(15);
        more->setForegroundColor(rgba(0, 1, 0));
        picker_->addSublayer(more);
    }

    CGPixel screen(const CGImageRef& image, CGFloat x, CGFloat y) {
        return CGImageGetPixel(image, static_cast<std::size_t>(x * image->scale()),
                               static_cast<std::size_t>(y * image->scale()));
    }

    CALayerRef root_, picker_;
    CGImageRef wheelImage_, knobImage_, checkmarkImage_;
    CGColorRef checker_;
    CGPoint knobCentre_{};
    std::vector<CGRect> swatchFrames_;
    std::vector<std::unique_ptr<CALayerDelegate>> drawings_;
};

} // namespace

TEST_F(LayeredScene, RendersAndPassesPixelProbesAtBothScales) {
    for (CGFloat scale : {2.0f, 1.0f}) {
        CGImageRef image = CARenderLayerTree(root_.get(), CGSizeMake(320, 480), scale);
        ASSERT_TRUE(image);
        auto folder = testsupport::buildDirectory() / "test-output";
        std::filesystem::create_directories(folder);
        EXPECT_TRUE(CGImageWritePNG(
            image, folder / (scale == 2 ? "LayeredScene@2x.png" : "LayeredScene.png")));
        SCOPED_TRACE(scale);

        // The gradient runs top to bottom behind everything, from 1AD6FD to 1D62F0.
        EXPECT_TRUE(near(screen(image, 3, kPickerTop + 0.3f), pixelOf(0x1AD6FD), 3));
        EXPECT_TRUE(near(screen(image, 3, 479.6f), pixelOf(0x1D62F0), 3));
        // The wheel: red at three o'clock, 100 points out (saturation 100/120).
        CGPoint centre{kWheelOrigin.x + 120, kPickerTop + kWheelOrigin.y + 120};
        EXPECT_TRUE(near(screen(image, centre.x + 100, centre.y), {255, 43, 43, 255}, 4));
        // Green at hue 1/3 (up and to the left), 60 points out (saturation 1/2).
        double a = 2 * std::numbers::pi / 3;
        EXPECT_TRUE(near(screen(image, centre.x + 60 * std::cos(a), centre.y - 60 * std::sin(a)),
                         {128, 255, 128, 255}, 6));
        // Outside the disc the wheel is transparent: the gradient shows.
        CGPixel corner = screen(image, kWheelOrigin.x + 237, kPickerTop + kWheelOrigin.y + 3);
        EXPECT_GT(corner.b, 200);
        EXPECT_LT(corner.r, 60);
        // The knob's white ring crosses the blue area of the wheel.
        CGPixel ring = screen(image, knobCentre_.x + 10, kPickerTop + knobCentre_.y - 0.5f);
        EXPECT_GT(ring.r, 220);
        EXPECT_GT(ring.g, 220);
        // Swatches: colour inside, the gradient in their rounded corners, and the
        // white shadow line one point below the border.
        const CGPixel colours[] = {{255, 0, 0, 255},   {255, 255, 0, 255}, {0, 255, 0, 255},
                                   {0, 255, 255, 255}, {0, 0, 255, 255},   {255, 0, 255, 255}};
        for (std::size_t i = 0; i < swatchFrames_.size(); ++i) {
            CGRect f = CGRectOffset(swatchFrames_[i], 0, kPickerTop);
            EXPECT_TRUE(near(screen(image, f.origin.x + 8, f.origin.y + 8), colours[i], 2))
                << "swatch " << i;
            CGPixel cornerPixel = screen(image, f.origin.x + 1.5f, f.origin.y + 1.5f);
            EXPECT_FALSE(near(cornerPixel, colours[i], 40)) << "rounded corner of swatch " << i;
            CGPixel below = screen(image, f.origin.x + 18, f.origin.y + 35.5f);
            CGPixel gradientThere = screen(image, f.origin.x + 18, f.origin.y + 37.5f);
            EXPECT_GT(below.r, gradientThere.r + 100) << "white line below swatch " << i;
        }
        // The selected (blue) swatch shows its checkmark: white tick over a dark disc.
        CGRect blue = CGRectOffset(swatchFrames_[4], 0, kPickerTop);
        CGPixel disc = screen(image, blue.origin.x + 22, blue.origin.y + 28);
        EXPECT_LT(disc.r + disc.g + disc.b, 200);
        CGPixel notSelected = screen(image, swatchFrames_[3].origin.x + 22, kPickerTop + 370 + 28);
        EXPECT_TRUE(near(notSelected, {0, 255, 255, 255}, 2))
            << "unselected swatch has no checkmark";
        // Compare patch: opaque white old half, translucent blue over the checkerboard.
        EXPECT_TRUE(near(screen(image, 10 + 11, kPickerTop + 10 + 22), {255, 255, 255, 255}, 2));
        CGPixel lightSquare = screen(image, 10 + 33.5f, kPickerTop + 10 + 22);
        EXPECT_NEAR(lightSquare.b, 255, 2);
        EXPECT_GT(lightSquare.r, 90);
        EXPECT_LT(lightSquare.r, 140);
        // Title and link text have ink of their colour.
        int green = 0, dark = 0;
        for (CGFloat x = 130; x < 320; x += 0.5f) {
            for (CGFloat y = kPickerTop + 280; y < kPickerTop + 300; y += 0.5f) {
                CGPixel p = screen(image, x, y);
                green += p.g > 200 && p.r < 80 && p.b < 120;
            }
        }
        for (CGFloat x = 120; x < 200; x += 0.5f) {
            for (CGFloat y = 25; y < 60; y += 0.5f) {
                CGPixel p = screen(image, x, y);
                dark += p.r < 60 && p.g < 60;
            }
        }
        EXPECT_GT(green, 40);
        EXPECT_GT(dark, 40);
    }
}

TEST_F(LayeredScene, TouchHighlightDarkensTheOldHalfAndFadesOut) {
    auto compare = picker_->sublayers()[2]; // gradient, wheel, compare, swatches...
    auto highlight = std::dynamic_pointer_cast<CAShapeLayer>(compare->sublayers()[0]);
    ASSERT_TRUE(highlight);
    CATransaction::begin();
    CATransaction::setValue(0.001, kCATransactionAnimationDuration);
    highlight->setOpacity(0.2f);
    CATransaction::commit();
    CAMediaTimeAdvance(0.002);
    CGImageRef touched = CARenderLayerTree(root_.get(), CGSizeMake(320, 480), 1);
    EXPECT_TRUE(near(screen(touched, 21, kPickerTop + 32), {204, 204, 204, 255}, 2))
        << "white darkened by a fifth";
    highlight->setOpacity(0); // the default fade
    CAMediaTimeAdvance(0.125);
    CGImageRef fading = CARenderLayerTree(root_.get(), CGSizeMake(320, 480), 1);
    EXPECT_TRUE(near(screen(fading, 21, kPickerTop + 32), {230, 230, 230, 255}, 2));
    CAMediaTimeAdvance(0.2);
    CGImageRef done = CARenderLayerTree(root_.get(), CGSizeMake(320, 480), 1);
    EXPECT_TRUE(near(screen(done, 21, kPickerTop + 32), {255, 255, 255, 255}, 2));
    EXPECT_FALSE(CARendererHasRunningAnimations(root_.get()));
}
