#include "HVColorCompareGeometry.h"
#include "HVColorPickerSwatchGeometry.h"
#include "HVRoundRectGeometry.h"

#include <gtest/gtest.h>

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
