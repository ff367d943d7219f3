#include <CoreGraphics/CGGeometry.h>

#include <gtest/gtest.h>

TEST(CGGeometry, ContainsPointIncludesMinimumEdgesExcludesMaximumEdges) {
    const CGRect r = CGRectMake(10, 20, 30, 40);
    struct Case {
        CGPoint p;
        bool inside;
    } cases[] = {
        {{10, 20}, true},     {{39.99f, 59.99f}, true}, {{40, 30}, false}, {{20, 60}, false},
        {{9.99f, 30}, false}, {{20, 19.99f}, false},    {{25, 40}, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CGRectContainsPoint(r, c.p), c.inside) << c.p.x << "," << c.p.y;
    }
    // A negative size is the same area.
    EXPECT_TRUE(CGRectContainsPoint(CGRectMake(40, 60, -30, -40), CGPointMake(10, 20)));
    EXPECT_FALSE(CGRectContainsPoint(CGRectMake(40, 60, -30, -40), CGPointMake(40, 60)));
}

TEST(CGGeometry, InsetKeepsTheCentre) {
    CGRect r = CGRectInset(CGRectMake(0, 0, 36, 36), 0.5f, 0.5f);
    EXPECT_EQ(r, CGRectMake(0.5f, 0.5f, 35, 35));
    EXPECT_EQ(CGRectGetMidX(r), 18);
    EXPECT_EQ(CGRectGetMaxY(r), 35.5f);
}
