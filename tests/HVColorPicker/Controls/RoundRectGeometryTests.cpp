#include "HVColorCompareGeometry.h"
#include "HVColorPickerSwatchGeometry.h"
#include "HVRoundRectGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// The corners are quarter arcs inside the corner squares, so the box round every
// point of the path (control points included) is the rectangle its edges reach.
void expectEdges(const CGPathRef& path, CGFloat left, CGFloat top, CGFloat right, CGFloat bottom) {
    EXPECT_EQ(CGPathGetBoundingBox(path), CGRectMake(left, top, right - left, bottom - top));
}

CGPathElementType lastElement(const CGPathRef& path) {
    return path->elements().back().type;
}

TEST(RoundRectGeometry, SwatchPathsFor36PointSwatchLieOnePointInside) {
    struct Case {
        const char* name;
        CGRect rect;
        CGFloat radius;
        CGFloat low, high;
    } cases[] = {
        {"checkerboard P1", CGRectInset(CGRectMake(0, 0, 36, 36), 1, 1), 5, 2, 34},
        {"colour P2", CGRectMake(0, 0, 36, 36), 7, 1, 35},
        {"border P3", CGRectInset(CGRectMake(0, 0, 36, 36), 0.5f, 0.5f), 6, 1.5f, 34.5f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CGPathRef path = HVNewRoundRectPath(c.rect, c.radius);
        expectEdges(path, c.low, c.low, c.high, c.high);
        EXPECT_EQ(lastElement(path), kCGPathElementCloseSubpath);
    }
}

TEST(RoundRectGeometry, CompareHalvesFor44PointViewMeetInTheMiddle) {
    // The view's halves: left (0, 0, 23, 44) and right (21, 0, 23, 44), radius 7.
    CGPathRef left = HVNewLeftRoundRectPath(CGRectMake(0, 0, 23, 44), 7);
    CGPathRef right = HVNewRightRoundRectPath(CGRectMake(21, 0, 23, 44), 7);
    expectEdges(left, 1, 1, 22, 43);
    expectEdges(right, 22, 1, 43, 43);
    EXPECT_NE(lastElement(left), kCGPathElementCloseSubpath);
    EXPECT_NE(lastElement(right), kCGPathElementCloseSubpath);
    // The border (bounds inset by 1, radius 6) and the checkerboard (inset by 2,
    // radius 5).
    expectEdges(HVNewRoundRectPath(CGRectInset(CGRectMake(0, 0, 44, 44), 1, 1), 6), 2, 2, 42, 42);
    expectEdges(HVNewRoundRectPath(CGRectInset(CGRectMake(0, 0, 44, 44), 2, 2), 5), 3, 3, 41, 41);
}

// Each curve of a path with the point it starts from, and its middle point.
struct Arc {
    CGPoint from, to, middle;
};

std::vector<Arc> arcsOf(const CGPathRef& path) {
    std::vector<Arc> arcs;
    CGPoint current{};
    for (const CGPathElement& e : path->elements()) {
        if (e.type == kCGPathElementAddCurveToPoint) {
            const auto& [c1, c2, end] = e.points;
            // The cubic's point at t = 1/2.
            CGPoint middle{(current.x + 3 * c1.x + 3 * c2.x + end.x) / 8,
                           (current.y + 3 * c1.y + 3 * c2.y + end.y) / 8};
            arcs.push_back({current, end, middle});
        }
        if (e.type != kCGPathElementCloseSubpath) {
            current = e.type == kCGPathElementAddCurveToPoint ? e.points[2] : e.points[0];
        }
    }
    return arcs;
}

// The bounding boxes above cannot tell one corner radius from another: each
// corner's arc must start and end `radius` from its corner and bulge by it.
TEST(RoundRectGeometry, CornersAreArcsOfTheGivenRadius) {
    struct Corner {
        CGPoint corner, from, to;
    };
    struct Case {
        const char* name;
        CGMutablePathRef (*build)(CGRect, CGFloat);
        CGRect rect;
        CGFloat radius;
        std::vector<Corner> corners;
    } cases[] = {
        {"swatch colour, radius 7",
         HVNewRoundRectPath,
         CGRectMake(0, 0, 36, 36),
         7,
         {{{1, 1}, {1, 8}, {8, 1}},
          {{35, 1}, {28, 1}, {35, 8}},
          {{35, 35}, {35, 28}, {28, 35}},
          {{1, 35}, {8, 35}, {1, 28}}}},
        {"wide, radius 3",
         HVNewRoundRectPath,
         CGRectMake(0, 0, 50, 40),
         3,
         {{{1, 1}, {1, 4}, {4, 1}},
          {{49, 1}, {46, 1}, {49, 4}},
          {{49, 39}, {49, 36}, {46, 39}},
          {{1, 39}, {4, 39}, {1, 36}}}},
        {"old half, radius 7",
         HVNewLeftRoundRectPath,
         CGRectMake(0, 0, 23, 44),
         7,
         {{{1, 1}, {8, 1}, {1, 8}}, {{1, 43}, {1, 36}, {8, 43}}}},
        {"new half, radius 7",
         HVNewRightRoundRectPath,
         CGRectMake(21, 0, 23, 44),
         7,
         {{{43, 1}, {36, 1}, {43, 8}}, {{43, 43}, {43, 36}, {36, 43}}}},
        {"radius 0: square corners", HVNewRoundRectPath, CGRectMake(0, 0, 36, 36), 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Arc> arcs = arcsOf(c.build(c.rect, c.radius));
        ASSERT_EQ(arcs.size(), c.corners.size());
        for (std::size_t i = 0; i < arcs.size(); ++i) {
            SCOPED_TRACE(i);
            const Corner& k = c.corners[i];
            EXPECT_NEAR(arcs[i].from.x, k.from.x, 1e-4);
            EXPECT_NEAR(arcs[i].from.y, k.from.y, 1e-4);
            EXPECT_NEAR(arcs[i].to.x, k.to.x, 1e-4);
            EXPECT_NEAR(arcs[i].to.y, k.to.y, 1e-4);
            // A quarter circle round the point diagonal to its corner.
            CGPoint centre{k.from.x + k.to.x - k.corner.x, k.from.y + k.to.y - k.corner.y};
            EXPECT_NEAR(std::hypot(arcs[i].middle.x - centre.x, arcs[i].middle.y - centre.y),
                        c.radius, 1e-3);
        }
    }
}

TEST(RoundRectGeometry, HighlightShapesFollowTheirViews) {
    CGPathRef compare = HVNewColorCompareHighlightPath(CGRectMake(0, 0, 44, 44));
    EXPECT_TRUE(CGPathEqualToPath(compare, HVNewLeftRoundRectPath(CGRectMake(0, 0, 23, 44), 7)));

    HVSwatchSublayerPlacement swatch =
        HVSwatchSublayerPlacementForBounds(CGRectMake(0, 0, 36, 36), 6);
    EXPECT_TRUE(
        CGPathEqualToPath(swatch.highlightPath, HVNewRoundRectPath(CGRectMake(0, 0, 36, 36), 6)));
    // The 22-point checkmark centred at (22, 22) covers 11 to 33.
    EXPECT_EQ(swatch.checkmarkPosition, CGPointMake(22, 22));
    EXPECT_EQ(HVSwatchSublayerPlacementForBounds(CGRectMake(5, 7, 50, 40), 6).checkmarkPosition,
              CGPointMake(41, 33));
}

} // namespace
