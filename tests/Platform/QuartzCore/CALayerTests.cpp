#include <CoreGraphics/CGContext.h>
#include <QuartzCore/CALayer.h>
#include <QuartzCore/CAMediaTiming.h>
#include <QuartzCore/CARenderer.h>
#include <QuartzCore/CATransaction.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

CALayerRef layerWithFrame(CGRect frame) {
    auto layer = CALayer::layer();
    CATransaction::begin();
    CATransaction::setDisableActions(true);
    layer->setFrame(frame);
    CATransaction::commit();
    return layer;
}

std::vector<CALayer*> children(const CALayer& layer) {
    std::vector<CALayer*> out;
    for (const auto& l : layer.sublayers()) {
        out.push_back(l.get());
    }
    return out;
}

class CountingDelegate : public CALayerDelegate {
  public:
    void drawLayerInContext(CALayer*, CGContext* context) override {
        ++draws;
        const CGFloat red[] = {1, 0, 0, 1};
        CGContextSetFillColorWithColor(context, CGColorCreate(CGColorSpaceCreateDeviceRGB(), red));
        CGContextFillRect(context, CGRectMake(0, 0, 4, 4));
    }
    void layoutSublayersOfLayer(CALayer* layer) override { laidOut.push_back(layer); }
    int draws = 0;
    std::vector<CALayer*> laidOut;
};

} // namespace

TEST(CALayer, FrameFollowsBoundsPositionAndAnchor) {
    auto layer = layerWithFrame(CGRectMake(10, 20, 30, 40));
    EXPECT_EQ(layer->position(), CGPointMake(25, 40));
    EXPECT_EQ(layer->bounds(), CGRectMake(0, 0, 30, 40));
    layer->setAnchorPoint(CGPointMake(0, 0));
    EXPECT_EQ(layer->frame(), CGRectMake(25, 40, 30, 40));
}

TEST(CALayer, SublayersInsertAtIndexBelowAndAbove) {
    auto parent = CALayer::layer();
    auto a = CALayer::layer(), b = CALayer::layer(), c = CALayer::layer(), d = CALayer::layer();
    parent->addSublayer(a);
    parent->insertSublayer(b, 0);
    parent->insertSublayer(c, 99);
    parent->insertSublayerAbove(d, b.get());
    EXPECT_EQ(children(*parent), (std::vector<CALayer*>{b.get(), d.get(), a.get(), c.get()}));
    parent->insertSublayerBelow(c, b.get()); // moves within the same parent
    EXPECT_EQ(children(*parent), (std::vector<CALayer*>{c.get(), b.get(), d.get(), a.get()}));
    EXPECT_EQ(c->superlayer(), parent.get());

    auto other = CALayer::layer();
    other->addSublayer(d); // re-parenting leaves the old parent
    EXPECT_EQ(children(*parent), (std::vector<CALayer*>{c.get(), b.get(), a.get()}));
    a->removeFromSuperlayer();
    EXPECT_EQ(a->superlayer(), nullptr);
    EXPECT_EQ(parent->sublayers().size(), 2u);
}

TEST(CALayer, TreeKeepsSublayersAliveAndParentTeardownDetachesThem) {
    auto parent = CALayer::layer();
    std::weak_ptr<CALayer> watched;
    {
        auto child = CALayer::layer();
        watched = child;
        parent->addSublayer(child);
    }
    EXPECT_FALSE(watched.expired());
    auto survivor = parent->sublayers()[0];
    parent.reset();
    EXPECT_EQ(survivor->superlayer(), nullptr);
}

TEST(CALayer, PointsConvertThroughTheTree) {
    auto root = layerWithFrame(CGRectMake(0, 0, 320, 480));
    auto middle = layerWithFrame(CGRectMake(40, 15, 240, 240));
    auto inner = layerWithFrame(CGRectMake(10, 10, 30, 30));
    middle->setBounds(CGRectMake(5, 0, 240, 240)); // scrolled by 5
    root->addSublayer(middle);
    middle->addSublayer(inner);
    EXPECT_EQ(inner->convertPointToLayer(CGPointMake(1, 2), root.get()), CGPointMake(46, 27));
    EXPECT_EQ(inner->convertPointFromLayer(CGPointMake(46, 27), root.get()), CGPointMake(1, 2));
    EXPECT_EQ(middle->convertPointFromLayer(CGPointMake(1, 2), inner.get()), CGPointMake(11, 12));
}

TEST(CALayer, LayoutRunsTopDownOnlyWhereMarked) {
    CountingDelegate delegate;
    auto root = layerWithFrame(CGRectMake(0, 0, 100, 100));
    auto child = layerWithFrame(CGRectMake(0, 0, 10, 10));
    root->setDelegate(&delegate);
    child->setDelegate(&delegate);
    root->addSublayer(child);
    root->layoutIfNeeded();
    EXPECT_EQ(delegate.laidOut, (std::vector<CALayer*>{root.get(), child.get()}));
    delegate.laidOut.clear();
    root->layoutIfNeeded();
    EXPECT_TRUE(delegate.laidOut.empty()) << "nothing marked";
    child->setBounds(CGRectMake(0, 0, 20, 20)); // a new size marks for layout
    root->layoutIfNeeded();
    EXPECT_EQ(delegate.laidOut, std::vector<CALayer*>{child.get()});
}

TEST(CALayer, DrawnContentIsCachedUntilMarkedAgain) {
    CountingDelegate delegate;
    auto layer = layerWithFrame(CGRectMake(0, 0, 8, 8));
    layer->setDelegate(&delegate);
    CARenderLayerTree(layer.get(), CGSizeMake(8, 8), 1);
    EXPECT_EQ(delegate.draws, 0) << "a layer never marked draws nothing";
    layer->setNeedsDisplay();
    CARenderLayerTree(layer.get(), CGSizeMake(8, 8), 1);
    CGImageRef image = CARenderLayerTree(layer.get(), CGSizeMake(8, 8), 1);
    EXPECT_EQ(delegate.draws, 1);
    EXPECT_EQ(CGImageGetPixel(image, 1, 1), (CGPixel{255, 0, 0, 255}));
    layer->setNeedsDisplay();
    CARenderLayerTree(layer.get(), CGSizeMake(8, 8), 1);
    EXPECT_EQ(delegate.draws, 2);
    CARenderLayerTree(layer.get(), CGSizeMake(8, 8), 2);
    EXPECT_EQ(delegate.draws, 3) << "a new scale draws again, crisp";
}

TEST(CALayer, DisplayIfNeededDrawsOnlyWhenMarked) {
    CountingDelegate delegate;
    auto layer = layerWithFrame(CGRectMake(0, 0, 8, 8));
    layer->setDelegate(&delegate);
    layer->displayIfNeeded();
    EXPECT_EQ(delegate.draws, 0);
    layer->setNeedsDisplay();
    layer->displayIfNeeded();
    layer->displayIfNeeded();
    EXPECT_EQ(delegate.draws, 1);
    EXPECT_FALSE(layer->needsDisplay());
}

TEST(CALayer, InsertBelowOrAboveASiblingPlacesOrMovesTheLayer) {
    enum class Side { below, above };
    struct Case {
        const char* name;
        char layer;   // a, b, c: already sublayers; x: new; 0: none
        char sibling; // 0: none; m: not a sublayer
        Side side;
        const char* expected;
    };
    const Case cases[] = {
        {"new above the last", 'x', 'c', Side::above, "abcx"},
        {"new below the first", 'x', 'a', Side::below, "xabc"},
        {"new above the middle", 'x', 'b', Side::above, "abxc"},
        {"sibling not a sublayer: appended", 'x', 'm', Side::below, "abcx"},
        {"no sibling: appended", 'x', 0, Side::above, "abcx"},
        {"moved up past its sibling", 'a', 'c', Side::above, "bca"},
        {"moved down below its sibling", 'c', 'a', Side::below, "cab"},
        {"moved to where it is", 'b', 'c', Side::below, "abc"},
        {"beside itself: unchanged", 'b', 'b', Side::above, "abc"},
        {"no layer: unchanged", 0, 'b', Side::below, "abc"},
    };
    for (const auto& c : cases) {
        auto parent = CALayer::layer();
        std::map<char, CALayerRef> layers;
        for (char name : std::string("abcxm")) {
            layers[name] = CALayer::layer();
        }
        for (char name : std::string("abc")) {
            parent->addSublayer(layers[name]);
        }
        CALayerRef layer = c.layer ? layers[c.layer] : nullptr;
        const CALayer* sibling = c.sibling ? layers[c.sibling].get() : nullptr;
        if (c.side == Side::below) {
            parent->insertSublayerBelow(layer, sibling);
        } else {
            parent->insertSublayerAbove(layer, sibling);
        }
        std::string order;
        for (const auto& sublayer : parent->sublayers()) {
            for (const auto& [name, candidate] : layers) {
                order += candidate == sublayer ? std::string(1, name) : "";
            }
            EXPECT_EQ(sublayer->superlayer(), parent.get()) << c.name;
        }
        EXPECT_EQ(order, c.expected) << c.name;
    }
}
