// Frames that redraw only what changed: after any sequence of changes (moves, resizes,
// colours, opacity, hiding, text, paths, contents, drawing, layers removed and added
// elsewhere, animations on the clock) the frame equals the whole tree drawn afresh,
// pixel for pixel; and the damage stays near what changed.
#include <CoreGraphics/CGContext.h>
#include <QuartzCore/CAGradientLayer.h>
#include <QuartzCore/CARenderDamage.h>
#include <QuartzCore/CARenderer.h>
#include <QuartzCore/CAShapeLayer.h>
#include <QuartzCore/CATextLayer.h>

#include "../CoreGraphics/DrawingTestSupport.h"
#include "LayerTreeTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <random>

using namespace drawingtest;

namespace {

// A delegate that fills its layer's bounds with a colour it is given.
struct Painter : CALayerDelegate {
    CGColorRef colour = rgba(0, 0.5f, 1);
    void drawLayerInContext(CALayer* layer, CGContext* context) override {
        CGContextSetFillColorWithColor(context, colour);
        CGRect b = layer->bounds();
        CGContextFillRect(context, CGRectMake(b.origin.x + 2, b.origin.y + 2, b.size.width / 2,
                                              b.size.height / 2));
    }
};

bool sameImages(const CGImageRef& a, const CGImageRef& b) {
    return a && b && a->width() == b->width() && a->height() == b->height() &&
           std::memcmp(a->bytes(), b->bytes(), a->bytesPerRow() * a->height()) == 0;
}

class RenderDamage : public LayerTreeTest {
  protected:
    static constexpr CGSize screen{120, 90};

    // A tree of every kind of layer, two levels deep.
    void build() {
        root = CALayer::layer();
        root->setFrame(CGRectMake(0, 0, screen.width, screen.height));
        root->setBackgroundColor(rgba(1, 1, 1));
        auto group = CALayer::layer();
        group->setFrame(CGRectMake(10, 10, 60, 50));
        group->setBackgroundColor(rgba(0.9f, 0.9f, 0.2f));
        group->setCornerRadius(8);
        group->setMasksToBounds(true);
        auto text = CATextLayer::layer();
        text->setFrame(CGRectMake(5, 5, 40, 20));
        text->setString("Save");
        text->setFontSize(13);
        text->setAlignment(CGTextAlignment::center);
        text->setForegroundColor(rgba(0, 0, 0));
        auto shape = CAShapeLayer::layer();
        shape->setFrame(CGRectMake(70, 40, 40, 40));
        auto path = CGPathCreateMutable();
        CGPathAddRect(path, nullptr, CGRectMake(5, 5, 20, 15));
        shape->setPath(path);
        shape->setFillColor(rgba(1, 0, 0));
        shape->setStrokeColor(rgba(0, 0, 0));
        shape->setLineWidth(3);
        auto gradient = CAGradientLayer::layer();
        gradient->setFrame(CGRectMake(80, 5, 30, 30));
        gradient->setColors({rgba(1, 0, 0), rgba(0, 0, 1)});
        auto drawn = CALayer::layer();
        drawn->setFrame(CGRectMake(20, 60, 30, 24));
        drawn->setDelegate(&painter);
        drawn->setNeedsDisplay();
        drawn->setBorderWidth(2);
        drawn->setBorderColor(rgba(0.2f, 0.6f, 0.2f));
        auto picture = CALayer::layer();
        picture->setFrame(CGRectMake(55, 62, 16, 16));
        picture->setContents(CGImageCreateWithPixels(
            2, 2, 1, {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 128}, {0, 0, 0, 0}}));
        group->addSublayer(text);
        root->addSublayer(group);
        root->addSublayer(shape);
        root->addSublayer(gradient);
        root->addSublayer(drawn);
        root->addSublayer(picture);
        layers = {group, text, shape, gradient, drawn, picture};
    }

    CGFloat unit() { return std::uniform_real_distribution<float>(0, 1)(random); }
    CGFloat coordinate(CGFloat most) { return std::floor(unit() * most * 4) / 4 - 5; }

    // One change to one layer, chosen at random.
    void change() {
        CALayerRef layer = layers[random() % layers.size()];
        switch (random() % 10) {
        case 0:
            layer->setPosition(CGPointMake(coordinate(screen.width), coordinate(screen.height)));
            break;
        case 1:
            layer->setBounds(CGRectMake(0, 0, 4 + coordinate(60), 4 + coordinate(50)));
            break;
        case 2:
            layer->setBackgroundColor(random() % 3 == 0 ? nullptr
                                                        : rgba(unit(), unit(), unit(), unit()));
            break;
        case 3:
            layer->setOpacity(std::array<float, 3>{0, 0.5f, 1}[random() % 3]);
            break;
        case 4:
            layer->setHidden(!layer->isHidden());
            break;
        case 5:
            layer->setCornerRadius(coordinate(12) + 5);
            layer->setBorderWidth(random() % 2 ? 0 : 3);
            layer->setBorderColor(rgba(unit(), 0, unit()));
            break;
        case 6: { // leaves its place and lands elsewhere, or goes
            layer->removeFromSuperlayer();
            CALayer* parent = random() % 2 ? root.get() : layers[0].get();
            if (parent != layer.get() && random() % 4 != 0) {
                parent->insertSublayer(layer, static_cast<unsigned>(random() % 4));
            }
            break;
        }
        case 7:
            if (auto* text = dynamic_cast<CATextLayer*>(layer.get())) {
                text->setString(random() % 2 ? "Save successful" : "W");
            } else if (auto* shape = dynamic_cast<CAShapeLayer*>(layer.get())) {
                shape->setLineWidth(coordinate(8) + 5);
            } else {
                painter.colour = rgba(unit(), unit(), 0);
                layers[4]->setNeedsDisplay();
            }
            break;
        case 8: // animates from here, on the clock
            CATransaction::setDisableActions(false);
            layer->setPosition(CGPointMake(coordinate(screen.width), coordinate(screen.height)));
            layer->setOpacity(0.3f + unit() / 2);
            CATransaction::setDisableActions(true);
            break;
        default:
            CAMediaTimeAdvance(unit() * 0.1);
            break;
        }
    }

    CALayerRef root;
    std::vector<CALayerRef> layers;
    Painter painter;
    std::mt19937 random;
};

TEST_F(RenderDamage, FramesThatRedrawTheirChangesEqualTheWholeTreeDrawnAfresh) {
    for (unsigned seed : {1u, 2u, 3u, 4u}) {
        for (CGFloat scale : {1.0f, 2.0f, 1.5f}) {
            random.seed(seed);
            build();
            // Now and then the last frame is still held: it never changes after.
            CGImageRef held;
            std::vector<std::uint8_t> heldBytes;
            for (int step = 0; step < 250; ++step) {
                change();
                if (step % 3 == 0) {
                    change();
                }
                CGImageRef frame = CARenderLayerTree(root.get(), screen, scale);
                CGImageRef whole = CARenderLayerTreeWhole(root.get(), screen, scale);
                ASSERT_TRUE(sameImages(frame, whole))
                    << "seed " << seed << ", scale " << scale << ", step " << step;
                if (held) {
                    ASSERT_TRUE(std::equal(heldBytes.begin(), heldBytes.end(), held->bytes()))
                        << "a held frame changed: seed " << seed << ", step " << step;
                }
                held = step % 7 == 0 ? frame : nullptr;
                if (held) {
                    heldBytes.assign(held->bytes(),
                                     held->bytes() + held->bytesPerRow() * held->height());
                }
            }
        }
    }
}

TEST_F(RenderDamage, DamageStaysNearWhatChanged) {
    build();
    const CGSize pixels{screen.width * 2, screen.height * 2};
    CARenderLayerTree(root.get(), screen, 2);
    EXPECT_TRUE(CARenderCollectDamage(*root, 2, pixels).empty()) << "nothing changed";
    CALayerRef picture = layers[5];

    picture->setPosition(CGPointMake(picture->position().x + 10, picture->position().y));
    CARenderDamage moved = CARenderCollectDamage(*root, 2, pixels);
    ASSERT_FALSE(moved.whole);
    ASSERT_FALSE(moved.rects.empty());
    double area = 0;
    for (CGRect r : moved.rects) {
        area += static_cast<double>(r.size.width) * r.size.height;
    }
    // Where it was and where it is: 16 x 16 points twice, at 2 pixels a point, with a
    // pixel all round.
    EXPECT_LE(area, 2 * 34.0 * 34.0);
    EXPECT_TRUE(moved.touches(CGRectMake(2 * 56, 2 * 70, 1, 1))) << "where it was";
    EXPECT_TRUE(moved.touches(CGRectMake(2 * 76, 2 * 70, 1, 1))) << "where it is";
    EXPECT_FALSE(moved.touches(CGRectMake(2 * 15, 2 * 15, 4, 4))) << "the group, untouched";

    picture->removeFromSuperlayer();
    CARenderDamage removed = CARenderCollectDamage(*root, 2, pixels);
    EXPECT_TRUE(removed.touches(CGRectMake(2 * 76, 2 * 70, 1, 1))) << "what it uncovered";
    EXPECT_TRUE(CARenderCollectDamage(*root, 2, pixels).empty()) << "and only once";
}

TEST_F(RenderDamage, AFrameWithNothingChangedIsTheFrameBefore) {
    build();
    CGImageRef first = CARenderLayerTree(root.get(), screen, 1);
    EXPECT_EQ(CARenderLayerTree(root.get(), screen, 1), first);
    EXPECT_NE(CARenderLayerTree(root.get(), screen, 2), first) << "another size, drawn whole";
}

} // namespace
