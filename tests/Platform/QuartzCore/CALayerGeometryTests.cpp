// The renderer's geometry: where a layer's coordinates start, the rounded outline
// of its corners, and where its contents image goes.
#include <QuartzCore/CALayerGeometry.h>

#include "LayerTreeTest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

namespace {

constexpr CGFloat kNaN = std::numeric_limits<CGFloat>::quiet_NaN();
constexpr CGFloat kInf = std::numeric_limits<CGFloat>::infinity();

using LayerPlacement = LayerTreeTest;

CGPoint bezierMiddle(CGPoint p0, const CGPathElement& curve) {
    const auto& p = curve.points;
    return {(p0.x + 3 * p[0].x + 3 * p[1].x + p[2].x) / 8,
            (p0.y + 3 * p[0].y + 3 * p[1].y + p[2].y) / 8};
}

} // namespace

TEST_F(LayerPlacement, PlacementIsTheBoundsOriginInTheSuperlayer) {
    struct Case {
        const char* name;
        CGRect bounds;
        CGPoint position, anchor;
        std::optional<CGPoint> offset;
    };
    const Case cases[] = {
        {"centre anchor", {{0, 0}, {30, 40}}, {25, 40}, {0.5f, 0.5f}, CGPoint{10, 20}},
        {"top-left anchor", {{0, 0}, {30, 40}}, {25, 40}, {0, 0}, CGPoint{25, 40}},
        {"scrolled bounds", {{5, -2}, {30, 40}}, {25, 40}, {0.5f, 0.5f}, CGPoint{5, 22}},
        {"negative width, standardised",
         {{0, 0}, {-30, 40}},
         {25, 40},
         {0.5f, 0.5f},
         CGPoint{40, 20}},
        {"position NaN", {{0, 0}, {30, 40}}, {kNaN, 40}, {0.5f, 0.5f}, std::nullopt},
        {"anchor infinite", {{0, 0}, {30, 40}}, {25, 40}, {0.5f, kInf}, std::nullopt},
        {"bounds width infinite", {{0, 0}, {kInf, 40}}, {25, 40}, {0, 0}, std::nullopt},
        {"bounds origin NaN", {{kNaN, 0}, {30, 40}}, {25, 40}, {0, 0}, std::nullopt},
        {"offset past the float range", {{-3e38f, 0}, {30, 40}}, {3e38f, 0}, {0, 0}, std::nullopt},
    };
    for (const auto& c : cases) {
        auto layer = CALayer::layer();
        layer->setBounds(c.bounds);
        layer->setPosition(c.position);
        layer->setAnchorPoint(c.anchor);
        std::optional<CALayerPlacement> placement = CALayerPresentationPlacement(*layer);
        ASSERT_EQ(placement.has_value(), c.offset.has_value()) << c.name;
        if (placement) {
            EXPECT_EQ(placement->offset, *c.offset) << c.name;
            EXPECT_EQ(placement->bounds, CGRectStandardize(c.bounds)) << c.name;
        }
    }
}

TEST(CALayerRoundedRectPath, CornersAreQuarterCirclesOfTheRadiusClampedToHalfTheSide) {
    struct Case {
        const char* name;
        CGFloat radius;
        CGFloat expected; // 0: a plain rectangle
    };
    const Case cases[] = {
        {"radius 5", 5, 5},
        {"radius 1.5", 1.5f, 1.5f},
        {"past half the height", 100, 15},
        {"infinite", kInf, 15},
        {"zero", 0, 0},
        {"negative", -3, 0},
        {"NaN", kNaN, 0},
    };
    const CGRect rect = CGRectMake(10, 20, 40, 30);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CGPathRef path = CALayerRoundedRectPath(rect, c.radius);
        const auto& e = path->elements();
        if (c.expected == 0) {
            ASSERT_EQ(e.size(), 5u);
            EXPECT_EQ(e[0].points[0], CGPointMake(10, 20));
            EXPECT_EQ(e[2].points[0], CGPointMake(50, 50));
            continue;
        }
        CGFloat r = c.expected;
        // Move, then per corner a quarter curve and a line along the next edge.
        ASSERT_EQ(e.size(), 9u);
        EXPECT_EQ(e[0].points[0], CGPointMake(50 - r, 20)) << "top edge ends r before the corner";
        const CGPoint centres[] = {
            {50 - r, 20 + r}, {50 - r, 50 - r}, {10 + r, 50 - r}, {10 + r, 20 + r}};
        CGPoint previous = e[0].points[0];
        for (int corner = 0; corner < 4; ++corner) {
            const CGPathElement& curve = e[1 + 2 * corner];
            ASSERT_EQ(curve.type, kCGPathElementAddCurveToPoint);
            CGPoint middle = bezierMiddle(previous, curve);
            CGPoint centre = centres[corner];
            EXPECT_NEAR(std::hypot(middle.x - centre.x, middle.y - centre.y), r, 1e-3) << corner;
            EXPECT_NEAR(std::hypot(curve.points[2].x - centre.x, curve.points[2].y - centre.y), r,
                        1e-4)
                << corner;
            previous = e[2 + 2 * corner].type == kCGPathElementAddLineToPoint
                           ? e[2 + 2 * corner].points[0]
                           : curve.points[2];
        }
        EXPECT_EQ(e.back().type, kCGPathElementCloseSubpath);
    }
}

TEST(CALayerContentsRect, GravityPlacesTheImageInTheBounds) {
    const CGRect bounds = CGRectMake(5, 7, 100, 40);
    const CGSize image = CGSizeMake(20, 10);
    struct Case {
        CAContentsGravity gravity;
        CGRect expected;
    };
    const Case cases[] = {
        {CAContentsGravity::resize, bounds},
        {CAContentsGravity::resizeAspect, {{15, 7}, {80, 40}}},
        {CAContentsGravity::resizeAspectFill, {{5, 2}, {100, 50}}},
        {CAContentsGravity::center, {{45, 22}, {20, 10}}},
        {CAContentsGravity::top, {{45, 7}, {20, 10}}},
        {CAContentsGravity::bottom, {{45, 37}, {20, 10}}},
        {CAContentsGravity::left, {{5, 22}, {20, 10}}},
        {CAContentsGravity::right, {{85, 22}, {20, 10}}},
        {CAContentsGravity::topLeft, {{5, 7}, {20, 10}}},
        {CAContentsGravity::topRight, {{85, 7}, {20, 10}}},
        {CAContentsGravity::bottomLeft, {{5, 37}, {20, 10}}},
        {CAContentsGravity::bottomRight, {{85, 37}, {20, 10}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CALayerContentsRect(c.gravity, bounds, image), c.expected)
            << static_cast<int>(c.gravity);
    }
}
