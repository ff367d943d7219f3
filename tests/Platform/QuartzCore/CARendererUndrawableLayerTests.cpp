// One layer that cannot be drawn (a NaN or infinite position, size, radius, colour,
// width or transform, an image Cairo cannot read) is skipped; the rest of the frame is
// drawn: its siblings after it, and its parent's border above them.
#include <CoreGraphics/CGHandlesCairo.h>
#include <QuartzCore/CAGradientLayer.h>
#include <QuartzCore/CARenderer.h>
#include <QuartzCore/CAShapeLayer.h>
#include <QuartzCore/CATextLayer.h>
#include <QuartzCore/LayerRendererCairo.h>

#include "../CoreGraphics/DrawingTestSupport.h"
#include "LayerTreeTest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <optional>

using namespace drawingtest;

namespace {

constexpr CGFloat kNaN = std::numeric_limits<CGFloat>::quiet_NaN();
constexpr CGFloat kInf = std::numeric_limits<CGFloat>::infinity();

template <class Layer> using Spoil = std::function<void(Layer&)>;

// A 10 x 10 layer at the origin with one value spoiled. `own` is what the
// layer's centre shows (nothing: not probed). Only a damaged pattern image gets
// as far as breaking the Cairo context; every other value is refused before it.
struct UndrawableCase {
    const char* name;
    std::function<CALayerRef()> make;
    std::optional<CGPixel> own;
    bool breaksContext = false;
};

// Red background.
UndrawableCase plain(const char* name, std::optional<CGPixel> own, Spoil<CALayer> spoil) {
    return {name,
            [spoil] {
                auto layer = CALayer::layer();
                layer->setFrame(CGRectMake(0, 0, 10, 10));
                layer->setBackgroundColor(rgba(1, 0, 0));
                spoil(*layer);
                return layer;
            },
            own};
}

// Black fill (the default) and a green stroke, no background.
UndrawableCase shape(const char* name, std::optional<CGPixel> own, Spoil<CAShapeLayer> spoil) {
    return {name,
            [spoil] {
                auto layer = CAShapeLayer::layer();
                layer->setFrame(CGRectMake(0, 0, 10, 10));
                layer->setPath(CGPathCreateWithRect(CGRectMake(1, 1, 8, 8), nullptr));
                layer->setStrokeColor(rgba(0, 1, 0));
                spoil(*layer);
                return CALayerRef(layer);
            },
            own};
}

// Red to green, top to bottom, no background.
UndrawableCase gradient(const char* name, std::optional<CGPixel> own,
                        Spoil<CAGradientLayer> spoil) {
    return {name,
            [spoil] {
                auto layer = CAGradientLayer::layer();
                layer->setFrame(CGRectMake(0, 0, 10, 10));
                layer->setColors({rgba(1, 0, 0), rgba(0, 1, 0)});
                spoil(*layer);
                return CALayerRef(layer);
            },
            own};
}

// The square (1, 1)-(9, 9) with a fifth corner at `odd`, left of its left edge.
CGPathRef pentagonThrough(CGPoint odd) {
    auto path = CGPathCreateMutable();
    CGPathMoveToPoint(path, nullptr, 1, 1);
    CGPathAddLineToPoint(path, nullptr, 9, 1);
    CGPathAddLineToPoint(path, nullptr, 9, 9);
    CGPathAddLineToPoint(path, nullptr, 1, 9);
    CGPathAddLineToPoint(path, nullptr, odd.x, odd.y);
    CGPathCloseSubpath(path);
    return path;
}

UndrawableCase breaking(UndrawableCase c) {
    c.breaksContext = true;
    return c;
}

const CGAffineTransform kNaNT{kNaN, 0, 0, 1, 0, 0};
const CGPixel kHalfRed{255, 128, 128, 255};
const CGPixel kHalfBlack{128, 128, 128, 255};

std::vector<UndrawableCase> undrawableCases() {
    auto sublayerAt = [](CGRect frame) {
        auto sublayer = CALayer::layer();
        sublayer->setFrame(frame);
        sublayer->setBackgroundColor(rgba(0, 1, 0));
        return sublayer;
    };
    return {
        // Geometry that cannot be placed: the layer is left out.
        plain("position x NaN", kWhite, [](CALayer& l) { l.setPosition(CGPointMake(kNaN, 5)); }),
        plain("position y infinite", kWhite,
              [](CALayer& l) { l.setPosition(CGPointMake(5, kInf)); }),
        plain("bounds width NaN", kWhite,
              [](CALayer& l) { l.setBounds(CGRectMake(0, 0, kNaN, 10)); }),
        plain("bounds origin -infinity", kWhite,
              [](CALayer& l) { l.setBounds(CGRectMake(-kInf, 0, 10, 10)); }),
        plain("anchor point NaN", kWhite,
              [](CALayer& l) { l.setAnchorPoint(CGPointMake(kNaN, 0.5f)); }),
        plain("sublayer at a NaN place", kRed,
              [=](CALayer& l) { l.addSublayer(sublayerAt(CGRectMake(2, kNaN, 4, 4))); }),
        plain("translucent, a sublayer at an infinite place", kHalfRed,
              [=](CALayer& l) {
                  l.setOpacity(0.5f);
                  l.addSublayer(sublayerAt(CGRectMake(kInf, 0, 4, 4)));
              }),
        plain("translucent, a sublayer reaching past the float range", kHalfRed,
              [](CALayer& l) {
                  l.setOpacity(0.5f);
                  auto far = CALayer::layer();
                  far->setAnchorPoint(CGPointZero);
                  far->setBounds(CGRectMake(0, 0, 3e38f, 4));
                  far->setPosition(CGPointMake(3e38f, 0));
                  l.addSublayer(far);
              }),
        // Radii and widths: NaN ones draw nothing; infinite ones are clamped.
        plain("corner radius NaN", kRed, [](CALayer& l) { l.setCornerRadius(kNaN); }),
        plain("corner radius infinite, masking", kRed,
              [](CALayer& l) {
                  l.setCornerRadius(kInf);
                  l.setMasksToBounds(true);
              }),
        plain("border width NaN", kRed,
              [](CALayer& l) {
                  l.setBorderWidth(kNaN);
                  l.setBorderColor(rgba(0, 1, 0));
              }),
        plain("border width infinite", kGreen,
              [](CALayer& l) {
                  l.setBorderWidth(kInf);
                  l.setBorderColor(rgba(0, 1, 0));
              }),
        // Colours: components clamped, NaN read as 0.
        plain("background red NaN", kBlack,
              [](CALayer& l) { l.setBackgroundColor(rgba(kNaN, 0, 0)); }),
        plain("background green infinite", kGreen,
              [](CALayer& l) { l.setBackgroundColor(rgba(0, kInf, 0)); }),
        plain("background alpha NaN", kWhite,
              [](CALayer& l) { l.setBackgroundColor(rgba(1, 0, 0, kNaN)); }),
        plain("opacity NaN", kWhite, [](CALayer& l) { l.setOpacity(kNaN); }),
        // Shapes: a path that is not finite draws nothing; a bad stroke leaves the fill.
        shape("path through a NaN transform", kWhite,
              [](CAShapeLayer& s) {
                  s.setPath(CGPathCreateWithRect(CGRectMake(1, 1, 8, 8), &kNaNT));
              }),
        shape("path with a point at infinity", kWhite,
              [](CAShapeLayer& s) { s.setPath(pentagonThrough(CGPointMake(kInf, 5))); }),
        shape("path with a NaN point", kWhite,
              [](CAShapeLayer& s) { s.setPath(pentagonThrough(CGPointMake(kNaN, 5))); }),
        shape("line width infinite, no fill", kWhite,
              [](CAShapeLayer& s) {
                  s.setPath(CGPathCreateWithRect(CGRectMake(4, 4, 2, 2), nullptr));
                  s.setFillColor(nullptr);
                  s.setLineWidth(kInf);
              }),
        shape("line width NaN, translucent", kHalfBlack,
              [](CAShapeLayer& s) {
                  s.setLineWidth(kNaN);
                  s.setOpacity(0.5f);
              }),
        shape("stroke colour NaN", kBlack,
              [](CAShapeLayer& s) { s.setStrokeColor(rgba(0, kNaN, 0)); }),
        // Gradients whose geometry is not finite are not drawn.
        gradient("gradient start NaN", kWhite,
                 [](CAGradientLayer& g) { g.setStartPoint(CGPointMake(kNaN, 0)); }),
        gradient("gradient end infinite", kWhite,
                 [](CAGradientLayer& g) { g.setEndPoint(CGPointMake(0.5f, kInf)); }),
        gradient("gradient location NaN", kWhite,
                 [](CAGradientLayer& g) {
                     g.setLocations(std::vector<CGFloat>{0, kNaN});
                 }),
        gradient("gradient colour NaN", std::nullopt,
                 [](CAGradientLayer& g) {
                     g.setColors(std::vector{rgba(kNaN, 0, 0), rgba(0, 1, 0)});
                 }),
        {"text colour NaN",
         [] {
             auto text = CATextLayer::layer();
             text->setFrame(CGRectMake(0, 0, 10, 10));
             text->setString("W");
             text->setFontSize(8);
             text->setForegroundColor(rgba(kNaN, kNaN, 0));
             return CALayerRef(text);
         },
         std::nullopt},
        // Images: one without readable pixels, or of no finite size, is skipped; a
        // pattern colour of one breaks the context and costs its whole layer.
        plain("contents past the float range in points", kRed,
              [](CALayer& l) {
                  l.setContents(CGImageCreateWithPixels(1, 1, 1e-45f, std::vector{kGreen}));
                  l.setContentsGravity(CAContentsGravity::center);
              }),
        plain("contents of no size", kRed, [](CALayer& l) { l.setContents(emptyImage()); }),
        plain("damaged contents image", kRed, [](CALayer& l) { l.setContents(damagedImage()); }),
        breaking(plain(
            "damaged pattern background", kWhite,
            [](CALayer& l) { l.setBackgroundColor(CGColorCreateWithPattern(damagedImage(), 1)); })),
    };
}

class UndrawableLayer : public LayerTreeTest {
  protected:
    // White root 40 x 10 with a black two-point border; the spoiled layer first,
    // then a blue sibling at x 20..30.
    CGImageRef renderBeside(const CALayerRef& spoiled, CGFloat scale) {
        root_ = CALayer::layer();
        root_->setFrame(CGRectMake(0, 0, 40, 10));
        root_->setBackgroundColor(rgba(1, 1, 1));
        root_->setBorderWidth(2);
        root_->setBorderColor(rgba(0, 0, 0));
        root_->addSublayer(spoiled);
        auto sibling = CALayer::layer();
        sibling->setFrame(CGRectMake(20, 0, 10, 10));
        sibling->setBackgroundColor(rgba(0, 0, 1));
        root_->addSublayer(sibling);
        return CARenderLayerTree(root_.get(), CGSizeMake(40, 10), scale);
    }

    CALayerRef root_;
};

} // namespace

TEST_F(UndrawableLayer, SiblingAfterItAndParentBorderAreStillDrawn) {
    for (const auto& c : undrawableCases()) {
        for (CGFloat scale : {1.0f, 2.0f}) {
            SCOPED_TRACE(::testing::Message() << c.name << ", scale " << scale);
            CGImageRef image = renderBeside(c.make(), scale);
            ASSERT_TRUE(image);
            if (c.own) {
                EXPECT_TRUE(near(at(image, 5, 5), *c.own)) << "the layer itself";
            }
            EXPECT_TRUE(near(at(image, 25, 5), kBlue)) << "the sibling drawn after it";
            EXPECT_TRUE(near(at(image, 35, 5), kWhite)) << "the root's background";
            EXPECT_TRUE(near(at(image, 39.5f, 5), kBlack)) << "the root's border, drawn last";
            EXPECT_TRUE(near(at(image, 15, 0.5f), kBlack));
        }
    }
}

TEST_F(UndrawableLayer, NoNonFiniteValueBreaksTheContext) {
    CairoSurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 20, 20));
    std::vector<const CALayer*> none;
    for (const auto& c : undrawableCases()) {
        CairoPtr cairo(cairo_create(surface.get()));
        cairo_scale(cairo.get(), 2, 2);
        CALayerRef layer = c.make();
        LayerRenderer renderer(cairo.get(), 2, none);
        renderer.render(*layer);
        EXPECT_EQ(renderer.fault(), c.breaksContext ? layer.get() : nullptr) << c.name;
        EXPECT_EQ(cairo_status(cairo.get()) != CAIRO_STATUS_SUCCESS, c.breaksContext) << c.name;
    }
}

TEST_F(UndrawableLayer, ALayerThatCannotBePlacedIsLeftOutWithItsSublayers) {
    auto lost = plain("", kWhite, [](CALayer& l) { l.setPosition(CGPointMake(kNaN, 5)); }).make();
    auto child = CALayer::layer();
    child->setFrame(CGRectMake(0, 0, 10, 10));
    child->setBackgroundColor(rgba(0, 1, 0));
    lost->addSublayer(child);
    CGImageRef image = renderBeside(lost, 1);
    EXPECT_TRUE(near(at(image, 5, 5), kWhite)) << "neither the layer nor its sublayer";
}
