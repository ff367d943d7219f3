// Layer trees rendered to pixels and probed where the geometry decides the colour.
#include <QuartzCore/CAGradientLayer.h>
#include <QuartzCore/CAMediaTiming.h>
#include <QuartzCore/CARenderer.h>
#include <QuartzCore/CAShapeLayer.h>
#include <QuartzCore/CATextLayer.h>
#include <QuartzCore/CATransaction.h>

#include "../CoreGraphics/DrawingTestSupport.h"
#include "LayerTreeTest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

using namespace drawingtest;

namespace {

class Renderer : public LayerTreeTest {
  protected:
    template <class Layer = CALayer>
    std::shared_ptr<Layer> make(CGRect frame, CGColorRef background = nullptr) {
        auto layer = Layer::layer();
        layer->setFrame(frame);
        layer->setBackgroundColor(std::move(background));
        return layer;
    }
};

} // namespace

TEST_F(Renderer, RoundedBackgroundFillsCentreNotCorners) {
    auto root = make(CGRectMake(0, 0, 40, 40));
    auto box = make(CGRectMake(0, 0, 40, 40), rgba(1, 0, 0));
    box->setCornerRadius(10);
    root->addSublayer(box);
    for (CGFloat scale : {1.0f, 2.0f}) {
        CGImageRef image = CARenderLayerTree(root.get(), CGSizeMake(40, 40), scale);
        EXPECT_TRUE(near(at(image, 20, 20), kRed));
        EXPECT_TRUE(near(at(image, 20, 0.2f), kRed)) << "straight edge";
        EXPECT_TRUE(near(at(image, 0.5f, 0.5f), kClear)) << "corner, scale " << scale;
        EXPECT_TRUE(near(at(image, 39.5f, 39.5f), kClear));
        EXPECT_TRUE(near(at(image, 3.5f, 3.5f), kRed)) << "inside the arc";
    }
}

TEST_F(Renderer, GradientRunsFromStartColourToEndColour) {
    auto root = make(CGRectMake(0, 0, 100, 20));
    auto vertical = make<CAGradientLayer>(CGRectMake(0, 0, 50, 20));
    vertical->setColors({rgba(1, 0, 0), rgba(0, 0, 1)}); // default: top to bottom
    auto horizontal = make<CAGradientLayer>(CGRectMake(50, 0, 50, 20));
    horizontal->setColors({rgba(0, 1, 0), rgba(1, 1, 1)});
    horizontal->setStartPoint(CGPointMake(0, 0.5f));
    horizontal->setEndPoint(CGPointMake(1, 0.5f));
    root->addSublayer(vertical);
    root->addSublayer(horizontal);
    CGImageRef image = CARenderLayerTree(root.get(), CGSizeMake(100, 20), 1);
    EXPECT_TRUE(near(at(image, 25, 0), kRed, 8)) << "top";
    EXPECT_TRUE(near(at(image, 25, 19), kBlue, 8)) << "bottom";
    EXPECT_TRUE(near(at(image, 25, 10), {128, 0, 128, 255}, 8)) << "middle";
    EXPECT_TRUE(near(at(image, 50, 10), kGreen, 8)) << "left end";
    EXPECT_TRUE(near(at(image, 99, 10), kWhite, 8)) << "right end";
}

TEST_F(Renderer, HiddenLayerAndItsSublayersAreNotDrawn) {
    auto root = make(CGRectMake(0, 0, 20, 20), rgba(1, 1, 1));
    auto hidden = make(CGRectMake(0, 0, 10, 10), rgba(1, 0, 0));
    auto child = make(CGRectMake(0, 10, 10, 10), rgba(0, 0, 1)); // outside its parent's bounds
    hidden->addSublayer(child);
    root->addSublayer(hidden);
    hidden->setHidden(true);
    CGImageRef image = CARenderLayerTree(root.get(), CGSizeMake(20, 20), 1);
    EXPECT_TRUE(near(at(image, 5, 5), kWhite));
    EXPECT_TRUE(near(at(image, 5, 15), kWhite));
    hidden->setHidden(false);
    image = CARenderLayerTree(root.get(), CGSizeMake(20, 20), 1);
    EXPECT_TRUE(near(at(image, 5, 5), kRed));
    EXPECT_TRUE(near(at(image, 5, 15), kBlue));
}

TEST_F(Renderer, OpacityComposesTheLayerWithItsSublayersAsOneGroup) {
    // Two opaque sublayers overlap inside a half-transparent parent: the overlap
    // shows the top one at half strength, not a mix of both.
    auto root = make(CGRectMake(0, 0, 30, 10), rgba(1, 1, 1));
    auto group = make(CGRectMake(0, 0, 30, 10));
    group->addSublayer(make(CGRectMake(0, 0, 20, 10), rgba(1, 0, 0)));
    group->addSublayer(make(CGRectMake(10, 0, 20, 10), rgba(0, 0, 1)));
    group->setOpacity(0.5f);
    root->addSublayer(group);
    CGImageRef image = CARenderLayerTree(root.get(), CGSizeMake(30, 10), 1);
    EXPECT_TRUE(near(at(image, 5, 5), {255, 128, 128, 255})) << "red alone";
    EXPECT_TRUE(near(at(image, 15, 5), {128, 128, 255, 255})) << "overlap: blue at half";
    EXPECT_TRUE(near(at(image, 25, 5), {128, 128, 255, 255})) << "blue alone";
}

TEST_F(Renderer, ZeroOpacityDrawsNothing) {
    auto root = make(CGRectMake(0, 0, 10, 10));
    auto layer = make(CGRectMake(0, 0, 10, 10), rgba(1, 0, 0));
    layer->setOpacity(0);
    root->addSublayer(layer);
    EXPECT_TRUE(near(at(CARenderLayerTree(root.get(), CGSizeMake(10, 10), 1), 5, 5), kClear));
}

TEST_F(Renderer, MasksToBoundsClipsSublayersToTheRoundedRect) {
    auto root = make(CGRectMake(0, 0, 40, 40));
    auto clip = make(CGRectMake(5, 5, 30, 30));
    clip->setCornerRadius(8);
    auto filler = make(CGRectMake(-5, -5, 40, 40), rgba(0, 1, 0));
    clip->addSublayer(filler);
    root->addSublayer(clip);
    CGImageRef unclipped = CARenderLayerTree(root.get(), CGSizeMake(40, 40), 2);
    EXPECT_TRUE(near(at(unclipped, 1, 1), kGreen)) << "without masking the sublayer spills out";
    clip->setMasksToBounds(true);
    CGImageRef image = CARenderLayerTree(root.get(), CGSizeMake(40, 40), 2);
    EXPECT_TRUE(near(at(image, 1, 1), kClear)) << "outside the bounds";
    EXPECT_TRUE(near(at(image, 5.5f, 5.5f), kClear))
        << "inside the bounds but in the rounded corner";
    EXPECT_TRUE(near(at(image, 20, 5.2f), kGreen)) << "straight edge";
    EXPECT_TRUE(near(at(image, 20, 20), kGreen));
}

TEST_F(Renderer, ScaleTwoIsCrisp) {
    // A one-point line at whole coordinates covers exactly two full pixel rows.
    auto root = make(CGRectMake(0, 0, 10, 10), rgba(1, 1, 1));
    root->addSublayer(make(CGRectMake(0, 3, 10, 1), rgba(0, 0, 0)));
    CGImageRef image = CARenderLayerTree(root.get(), CGSizeMake(10, 10), 2);
    ASSERT_EQ(CGImageGetWidth(image), 20u);
    EXPECT_TRUE(near(CGImageGetPixel(image, 7, 5), kWhite, 0));
    EXPECT_TRUE(near(CGImageGetPixel(image, 7, 6), {0, 0, 0, 255}, 0));
    EXPECT_TRUE(near(CGImageGetPixel(image, 7, 7), {0, 0, 0, 255}, 0));
    EXPECT_TRUE(near(CGImageGetPixel(image, 7, 8), kWhite, 0));
}

TEST_F(Renderer, PresentationValuesShowMidAnimation) {
    auto root = make(CGRectMake(0, 0, 10, 10), rgba(0, 0, 0));
    auto layer = make(CGRectMake(0, 0, 10, 10), rgba(1, 1, 1));
    root->addSublayer(layer);
    CARenderLayerTree(root.get(), CGSizeMake(10, 10), 1); // on screen: changes animate now
    CATransaction::setDisableActions(false);
    layer->setOpacity(0);
    EXPECT_TRUE(CARendererHasRunningAnimations(root.get()));
    CAMediaTimeAdvance(0.125);
    EXPECT_TRUE(
        near(at(CARenderLayerTree(root.get(), CGSizeMake(10, 10), 1), 5, 5), {128, 128, 128, 255}));
    CAMediaTimeAdvance(0.2);
    EXPECT_TRUE(
        near(at(CARenderLayerTree(root.get(), CGSizeMake(10, 10), 1), 5, 5), {0, 0, 0, 255}));
    EXPECT_FALSE(CARendererHasRunningAnimations(root.get()));
}

TEST_F(Renderer, PatternBackgroundTilesInTheLayersCoordinates) {
    CGImageRef tile = CGImageCreateWithPixels(2, 1, 1, {kRed, kBlue});
    auto root = make(CGRectMake(0, 0, 10, 2));
    auto patterned = make(CGRectMake(3, 0, 6, 2), CGColorCreateWithPattern(tile, 1));
    root->addSublayer(patterned);
    CGImageRef image = CARenderLayerTree(root.get(), CGSizeMake(10, 2), 1);
    // The tile starts at the layer's origin (x = 3 on screen), not the screen's.
    for (int x = 3; x < 9; ++x) {
        EXPECT_TRUE(near(CGImageGetPixel(image, x, 1), (x - 3) % 2 == 0 ? kRed : kBlue)) << x;
    }
}

TEST_F(Renderer, ShapeLayerFillsBlackByDefaultAndStrokes) {
    auto root = make(CGRectMake(0, 0, 20, 20), rgba(1, 1, 1));
    auto shape = make<CAShapeLayer>(CGRectZero); // path in the parent's coordinates
    shape->setPath(CGPathCreateWithRect(CGRectMake(2, 2, 8, 8), nullptr));
    auto outlined = make<CAShapeLayer>(CGRectZero);
    outlined->setPath(CGPathCreateWithRect(CGRectMake(12, 12, 6, 6), nullptr));
    outlined->setFillColor(nullptr);
    outlined->setStrokeColor(rgba(1, 0, 0));
    outlined->setLineWidth(2);
    root->addSublayer(shape);
    root->addSublayer(outlined);
    CGImageRef image = CARenderLayerTree(root.get(), CGSizeMake(20, 20), 1);
    EXPECT_TRUE(near(at(image, 5, 5), {0, 0, 0, 255}));
    EXPECT_TRUE(near(at(image, 12, 15), kRed)) << "stroke";
    EXPECT_TRUE(near(at(image, 15, 15), kWhite)) << "no fill";
}

TEST_F(Renderer, BorderLiesInsideTheBoundsAboveSublayers) {
    auto root = make(CGRectMake(0, 0, 20, 20));
    auto framed = make(CGRectMake(0, 0, 20, 20), rgba(0, 0, 1));
    framed->addSublayer(make(CGRectMake(0, 0, 20, 20), rgba(0, 1, 0)));
    framed->setBorderWidth(2);
    framed->setBorderColor(rgba(1, 0, 0));
    root->addSublayer(framed);
    CGImageRef image = CARenderLayerTree(root.get(), CGSizeMake(20, 20), 1);
    EXPECT_TRUE(near(at(image, 1, 10), kRed));
    EXPECT_TRUE(near(at(image, 10, 18.5f), kRed));
    EXPECT_TRUE(near(at(image, 2.5f, 10), kGreen));
}

TEST_F(Renderer, ContentsImageFollowsGravity) {
    CGImageRef image =
        CGImageCreateWithPixels(4, 4, 2, std::vector<CGPixel>(16, kRed)); // 2x2 points
    auto root = make(CGRectMake(0, 0, 10, 10));
    auto stretched = make(CGRectMake(0, 0, 10, 10));
    stretched->setContents(image);
    auto topLeft = make(CGRectMake(0, 0, 10, 10));
    topLeft->setContents(image);
    topLeft->setContentsGravity(CAContentsGravity::topLeft);
    root->addSublayer(stretched);
    CGImageRef a = CARenderLayerTree(root.get(), CGSizeMake(10, 10), 1);
    EXPECT_TRUE(near(at(a, 9, 9), kRed));
    stretched->removeFromSuperlayer();
    root->addSublayer(topLeft);
    CGImageRef b = CARenderLayerTree(root.get(), CGSizeMake(10, 10), 1);
    EXPECT_TRUE(near(at(b, 1, 1), kRed));
    EXPECT_TRUE(near(at(b, 3, 3), kClear));
}

TEST_F(Renderer, TextLayerDrawsAlignedTextInsideItsBounds) {
    auto root = make(CGRectMake(0, 0, 200, 30));
    auto text = make<CATextLayer>(CGRectMake(0, 0, 200, 30));
    text->setString("Prismkey");
    text->setFontSize(17);
    text->setBold(true);
    text->setAlignment(CGTextAlignment::center);
    root->addSublayer(text);
    CGImageRef image = CARenderLayerTree(root.get(), CGSizeMake(200, 30), 1);
    CGSize size = CATextLayer::sizeOfText("Prismkey", 17, true);
    EXPECT_GT(size.width, 60);
    EXPECT_LT(size.width, 110);
    EXPECT_NEAR(size.height, 20, 3);
    auto columnHasInk = [&](int x) {
        for (int y = 0; y < 30; ++y) {
            if (CGImageGetPixel(image, x, y).a > 128) {
                return true;
            }
        }
        return false;
    };
    int left = 0, right = 199;
    while (left < 200 && !columnHasInk(left)) {
        ++left;
    }
    while (right >= 0 && !columnHasInk(right)) {
        --right;
    }
    ASSERT_LT(left, right);
    EXPECT_NEAR((left + right) / 2.0, 100, 3) << "centred";
    EXPECT_NEAR(right - left, size.width, 4);
}

TEST_F(Renderer, WrappedTextMeasuresTallerAtNarrowWidth) {
    std::string message = "free version you can only use the bottom color";
    CGSize oneLine = CATextLayer::sizeOfText(message, 13, false);
    CGSize wrapped = CATextLayer::sizeOfText(message, 13, false, 120);
    EXPECT_LE(wrapped.width, 120);
    EXPECT_GE(wrapped.height, 3 * oneLine.height);
}

TEST(CARenderer, NullRootOrEmptySizeIsHandled) {
    EXPECT_EQ(CGImageGetPixel(CARenderLayerTree(nullptr, CGSizeMake(2, 2), 1), 0, 0), CGPixel{});
    EXPECT_FALSE(CARenderLayerTree(nullptr, CGSizeMake(0, 2), 1));
    EXPECT_FALSE(CARendererHasRunningAnimations(nullptr));
}

TEST(CARendererFirstFrame, ImplicitAnimationsBegunBeforeTheFirstFrameAreDropped) {
    CAMediaTimeUseVirtualClock(0);
    auto root = CALayer::layer(); // no transaction: every change below is implicit
    root->setFrame(CGRectMake(0, 0, 10, 10));
    root->setBackgroundColor(rgba(0, 0, 0));
    auto child = CALayer::layer();
    child->setFrame(CGRectMake(0, 0, 10, 10));
    child->setBackgroundColor(rgba(1, 1, 1));
    child->setOpacity(0.5f);
    root->addSublayer(child);
    EXPECT_TRUE(CARendererHasRunningAnimations(root.get()));
    CGImageRef first = CARenderLayerTree(root.get(), CGSizeMake(10, 10), 1);
    EXPECT_TRUE(near(at(first, 5, 5), {128, 128, 128, 255}))
        << "set values, not a fly-in from zero";
    EXPECT_FALSE(CARendererHasRunningAnimations(root.get()));
    child->setOpacity(1);
    EXPECT_TRUE(child->hasRunningAnimations()) << "once on screen, changes animate";
}

TEST(CARendererFirstFrame, DelegateAnimationsBegunBeforeTheFirstFrameRun) {
    class Animating : public CALayerDelegate {
        std::optional<CAAction> actionForLayer(CALayer*, const std::string&) override {
            return CAAction::animated(1);
        }
    } delegate;
    CAMediaTimeUseVirtualClock(0);
    auto root = CALayer::layer();
    CATransaction::begin();
    CATransaction::setDisableActions(true);
    root->setFrame(CGRectMake(0, 0, 10, 10));
    CATransaction::commit();
    auto fading = CALayer::layer();
    fading->setDelegate(&delegate);
    fading->setOpacity(0); // a fade-out that starts before the first frame
    root->addSublayer(fading);
    CARenderLayerTree(root.get(), CGSizeMake(10, 10), 1);
    CAMediaTimeAdvance(0.5);
    CARenderLayerTree(root.get(), CGSizeMake(10, 10), 1);
    EXPECT_NEAR(fading->presentationOpacity(), 0.5f, 1e-4);
}
