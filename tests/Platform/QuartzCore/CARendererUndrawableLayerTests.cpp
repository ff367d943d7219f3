// One layer that cannot be drawn (a NaN or infinite position, size, radius, colour,
// width or transform, an image Cairo cannot read) is skipped; the rest of the frame is
// drawn: its siblings after it, and its parent's border above them.
#include <CoreGraphics/CGHandlesCairo.h>
#include <QuartzCore/CAGradientLayer.h>
#include <QuartzCore/CAMediaTiming.h>
#include <QuartzCore/CARenderer.h>
#include <QuartzCore/CAShapeLayer.h>
#include <QuartzCore/CATextLayer.h>
#include <QuartzCore/CATransaction.h>
#include <QuartzCore/LayerRendererCairo.h>

#include "../CoreGraphics/DrawingTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <optional>

using namespace drawingtest;

namespace {

constexpr CGFloat kNaN = std::numeric_limits<CGFloat>::quiet_NaN();
constexpr CGFloat kInf = std::numeric_limits<CGFloat>::infinity();

// A delegate whose drawing runs a given plan.
class PlanDrawing : public CALayerDelegate {
  public:
    explicit PlanDrawing(std::function<void(CGContextRef)> plan) : plan_(std::move(plan)) {}
    void drawLayerInContext(CALayer*, CGContext* context) override { plan_(context); }

  private:
    std::function<void(CGContextRef)> plan_;
};

// An image whose surface went into an error state after it was made (touched
// once finished): a Cairo context that reads it enters an error state too.
CGImageRef damagedImage() {
    CGImage::SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 4, 4));
    cairo_surface_t* raw = surface.get();
    auto image = std::make_shared<const CGImage>(std::move(surface), 1);
    cairo_surface_finish(raw);
    cairo_surface_mark_dirty(raw);
    return image;
}

CGImageRef emptyImage() {
    return std::make_shared<const CGImage>(
        CGImage::SurfacePtr(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 0, 0)), 1);
}

template <class Layer> using Spoil = std::function<void(Layer&)>;

// A 10 x 10 layer at the origin with one value spoiled. `own` is what the
// layer's centre shows (nothing: not probed). Only a damaged image gets as far
// as breaking the Cairo context; every non-finite value is refused before it.
struct UndrawableCase {
    const char* name;
    std::function<CALayerRef()> make;
    std::optional<CGPixel> own;
    bool breaksContext = false;
};

// Red background.
UndrawableCase plain(const char* name, Spoil<CALayer> spoil, std::optional<CGPixel> own) {
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
UndrawableCase shape(const char* name, Spoil<CAShapeLayer> spoil, std::optional<CGPixel> own) {
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
UndrawableCase gradient(const char* name, Spoil<CAGradientLayer> spoil,
                        std::optional<CGPixel> own) {
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

const CGAffineTransform kNaNTransform{kNaN, 0, 0, 1, 0, 0};
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
        plain(
            "position x NaN",
            [](CALayer& l) {
                l.setPosition({kNaN, 5});
            },
            kWhite),
        plain(
            "position y infinite",
            [](CALayer& l) {
                l.setPosition({5, kInf});
            },
            kWhite),
        plain(
            "bounds width NaN", [](CALayer& l) { l.setBounds(CGRectMake(0, 0, kNaN, 10)); },
            kWhite),
        plain(
            "bounds origin minus infinity",
            [](CALayer& l) { l.setBounds(CGRectMake(-kInf, 0, 10, 10)); }, kWhite),
        plain(
            "bounds height infinite", [](CALayer& l) { l.setBounds(CGRectMake(0, 0, 10, kInf)); },
            kWhite),
        plain(
            "anchor point NaN",
            [](CALayer& l) {
                l.setAnchorPoint({kNaN, 0.5f});
            },
            kWhite),
        plain(
            "sublayer at a NaN place",
            [=](CALayer& l) { l.addSublayer(sublayerAt(CGRectMake(2, kNaN, 4, 4))); }, kRed),
        plain(
            "translucent, with a sublayer at an infinite place",
            [=](CALayer& l) {
                l.setOpacity(0.5f);
                l.addSublayer(sublayerAt(CGRectMake(kInf, 0, 4, 4)));
            },
            kHalfRed),
        plain(
            "translucent, with a sublayer reaching past the float range",
            [](CALayer& l) {
                l.setOpacity(0.5f);
                auto far = CALayer::layer();
                far->setAnchorPoint(CGPointZero);
                far->setBounds(CGRectMake(0, 0, 3e38f, 4));
                far->setPosition({3e38f, 0});
                l.addSublayer(far);
            },
            kHalfRed),
        // Radii and widths: square corners, no border; infinite ones are clamped.
        plain(
            "corner radius NaN", [](CALayer& l) { l.setCornerRadius(kNaN); }, kRed),
        plain(
            "corner radius infinite, masking",
            [](CALayer& l) {
                l.setCornerRadius(kInf);
                l.setMasksToBounds(true);
            },
            kRed),
        plain(
            "border width NaN",
            [](CALayer& l) {
                l.setBorderWidth(kNaN);
                l.setBorderColor(rgba(0, 1, 0));
            },
            kRed),
        plain(
            "border width infinite",
            [](CALayer& l) {
                l.setBorderWidth(kInf);
                l.setBorderColor(rgba(0, 1, 0));
            },
            kGreen),
        // Colours: components clamped, NaN read as 0.
        plain(
            "background red NaN", [](CALayer& l) { l.setBackgroundColor(rgba(kNaN, 0, 0)); },
            kBlack),
        plain(
            "background green infinite", [](CALayer& l) { l.setBackgroundColor(rgba(0, kInf, 0)); },
            kGreen),
        plain(
            "background alpha NaN", [](CALayer& l) { l.setBackgroundColor(rgba(1, 0, 0, kNaN)); },
            kWhite),
        plain(
            "opacity NaN", [](CALayer& l) { l.setOpacity(kNaN); }, kWhite),
        // Shapes: a path that is not finite draws nothing; the fill survives a bad stroke.
        shape(
            "shape path through a NaN transform",
            [](CAShapeLayer& s) {
                s.setPath(CGPathCreateWithRect(CGRectMake(1, 1, 8, 8), &kNaNTransform));
            },
            kWhite),
        shape(
            "shape line width infinite, no fill",
            [](CAShapeLayer& s) {
                s.setPath(CGPathCreateWithRect(CGRectMake(4, 4, 2, 2), nullptr));
                s.setFillColor(nullptr);
                s.setLineWidth(kInf);
            },
            kWhite),
        shape(
            "shape path with a point at infinity",
            [](CAShapeLayer& s) {
                s.setPath(pentagonThrough({kInf, 5}));
            },
            kWhite),
        shape(
            "shape path with a NaN point",
            [](CAShapeLayer& s) {
                s.setPath(pentagonThrough({kNaN, 5}));
            },
            kWhite),
        shape(
            "shape line width NaN, translucent",
            [](CAShapeLayer& s) {
                s.setLineWidth(kNaN);
                s.setOpacity(0.5f);
            },
            kHalfBlack),
        shape(
            "shape stroke colour NaN", [](CAShapeLayer& s) { s.setStrokeColor(rgba(0, kNaN, 0)); },
            kBlack),
        // Gradients whose geometry is not finite are not drawn.
        gradient(
            "gradient start point NaN",
            [](CAGradientLayer& g) {
                g.setStartPoint({kNaN, 0});
            },
            kWhite),
        gradient(
            "gradient end point infinite",
            [](CAGradientLayer& g) {
                g.setEndPoint({0.5f, kInf});
            },
            kWhite),
        gradient(
            "gradient location NaN",
            [](CAGradientLayer& g) {
                g.setLocations({0, kNaN});
            },
            kWhite),
        gradient(
            "gradient colour NaN",
            [](CAGradientLayer& g) {
                g.setColors({rgba(kNaN, 0, 0), rgba(0, 1, 0)});
            },
            std::nullopt),
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
        // Images: one without pixels is skipped; one that breaks the context costs
        // its whole layer.
        plain(
            "contents larger than the float range in points",
            [](CALayer& l) {
                l.setContents(CGImageCreateWithPixels(1, 1, 1e-45f, {kGreen}));
                l.setContentsGravity(CAContentsGravity::center);
            },
            kRed),
        plain(
            "contents of no size", [](CALayer& l) { l.setContents(emptyImage()); }, kRed),
        breaking(plain(
            "damaged contents image", [](CALayer& l) { l.setContents(damagedImage()); }, kWhite)),
        breaking(plain(
            "damaged pattern background",
            [](CALayer& l) { l.setBackgroundColor(CGColorCreateWithPattern(damagedImage(), 1)); },
            kWhite)),
    };
}

// Free-standing layers animate implicitly; these trees are built at once.
class UndrawableLayer : public ::testing::Test {
  protected:
    void SetUp() override {
        CAMediaTimeUseVirtualClock(0);
        CATransaction::begin();
        CATransaction::setDisableActions(true);
    }
    void TearDown() override { CATransaction::commit(); }

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
    auto lost = plain(
                    "",
                    [](CALayer& l) {
                        l.setPosition({kNaN, 5});
                    },
                    kWhite)
                    .make();
    auto child = CALayer::layer();
    child->setFrame(CGRectMake(0, 0, 10, 10));
    child->setBackgroundColor(rgba(0, 1, 0));
    lost->addSublayer(child);
    CGImageRef image = renderBeside(lost, 1);
    EXPECT_TRUE(near(at(image, 5, 5), kWhite)) << "neither the layer nor its sublayer";
}

TEST_F(UndrawableLayer, ADelegateDrawingThroughNonFiniteValuesKeepsItsValidParts) {
    // Each refused call is skipped; the fill after them lands.
    PlanDrawing plan([](CGContextRef c) {
        CGContextTranslateCTM(c, kNaN, 0);
        CGContextScaleCTM(c, kInf, 1);
        CGContextSetShadowWithColor(c, CGSizeMake(kNaN, 1), 2, rgba(0, 0, 0));
        CGContextAddPath(c, CGPathCreateWithRect(CGRectMake(0, 0, 4, 4), &kNaNTransform));
        CGContextSetLineWidth(c, kInf);
        CGContextStrokePath(c);
        CGContextSetRGBFillColor(c, 0, 1, 0, 1);
        CGContextFillRect(c, CGRectMake(2, 2, 6, 6));
    });
    auto drawn = CALayer::layer();
    drawn->setFrame(CGRectMake(0, 0, 10, 10));
    drawn->setDelegate(&plan);
    drawn->setNeedsDisplay();
    CGImageRef image = renderBeside(drawn, 2);
    EXPECT_TRUE(near(at(image, 5, 5), kGreen));
    EXPECT_TRUE(near(at(image, 25, 5), kBlue));
}
