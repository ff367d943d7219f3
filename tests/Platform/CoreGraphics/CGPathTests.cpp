#include <CoreGraphics/CGPath.h>

#include "DrawingTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

using drawingtest::roundRect;

namespace {

constexpr float kTolerance = 1e-4f;
// 4/3 tan(pi/8): the control-point distance of a quarter-circle Bézier of radius 1.
constexpr double kQuarterK = 0.55228474983079;

void expectPoint(CGPoint actual, CGPoint expected, const char* what) {
    EXPECT_NEAR(actual.x, expected.x, kTolerance) << what;
    EXPECT_NEAR(actual.y, expected.y, kTolerance) << what;
}

CGPoint bezierAt(CGPoint p0, const CGPathElement& curve, double t) {
    double u = 1 - t;
    auto axis = [&](double a, double b, double c, double d) {
        return u * u * u * a + 3 * u * u * t * b + 3 * u * t * t * c + t * t * t * d;
    };
    return {
        static_cast<CGFloat>(axis(p0.x, curve.points[0].x, curve.points[1].x, curve.points[2].x)),
        static_cast<CGFloat>(axis(p0.y, curve.points[0].y, curve.points[1].y, curve.points[2].y))};
}

struct TangentCase {
    const char* name;
    CGPoint start, corner, target;
    CGFloat radius;
    CGPoint firstTangent, secondTangent, centre;
};

} // namespace

TEST(CGPathArcToPoint, LineToFirstTangentThenArcEndingOnSecondLine) {
    const double s3 = std::sqrt(3.0);
    const TangentCase cases[] = {
        // Right angle: tangent points r from the corner on each line.
        {"right angle", {0, 0}, {10, 0}, {10, 10}, 3, {7, 0}, {10, 3}, {7, 3}},
        // Turning the other way round the corner.
        {"right angle, left turn", {0, 10}, {10, 10}, {10, 0}, 4, {6, 10}, {10, 6}, {6, 6}},
        // 60 degree corner: tangent distance r / tan(30deg) = r * sqrt(3).
        {"sixty degrees",
         {0, 0},
         {10, 0},
         {5, static_cast<CGFloat>(5 * s3)},
         2,
         {static_cast<CGFloat>(10 - 2 * s3), 0},
         {static_cast<CGFloat>(10 - s3), 3},
         {static_cast<CGFloat>(10 - 2 * s3), 2}},
        // 120 degree corner: tangent distance r / tan(60deg) = r / sqrt(3).
        {"one hundred twenty degrees",
         {0, 0},
         {10, 0},
         {15, static_cast<CGFloat>(5 * s3)},
         static_cast<CGFloat>(s3),
         {9, 0},
         {10.5f, static_cast<CGFloat>(s3 / 2)},
         {9, static_cast<CGFloat>(s3)}},
    };
    for (const auto& c : cases) {
        auto path = CGPathCreateMutable();
        CGPathMoveToPoint(path, nullptr, c.start.x, c.start.y);
        CGPathAddArcToPoint(path, nullptr, c.corner.x, c.corner.y, c.target.x, c.target.y,
                            c.radius);
        const auto& e = path->elements();
        ASSERT_GE(e.size(), 3u) << c.name;
        EXPECT_EQ(e[1].type, kCGPathElementAddLineToPoint) << c.name;
        expectPoint(e[1].points[0], c.firstTangent, c.name);
        CGPoint previous = e[1].points[0];
        for (std::size_t i = 2; i < e.size(); ++i) {
            ASSERT_EQ(e[i].type, kCGPathElementAddCurveToPoint) << c.name;
            for (double t : {0.25, 0.5, 0.75}) {
                CGPoint on = bezierAt(previous, e[i], t);
                // A cubic strays at most 0.03% of the radius from a quarter circle.
                EXPECT_NEAR(std::hypot(on.x - c.centre.x, on.y - c.centre.y), c.radius,
                            3e-4 * c.radius)
                    << c.name;
            }
            previous = e[i].points[2];
        }
        expectPoint(previous, c.secondTangent, c.name);
        expectPoint(CGPathGetCurrentPoint(path), c.secondTangent, c.name);
    }
}

TEST(CGPathArcToPoint, DegenerateCasesGiveAStraightLineToTheCorner) {
    struct Case {
        const char* name;
        CGPoint start, corner, target;
        CGFloat radius;
    } cases[] = {
        {"zero radius", {0, 0}, {10, 0}, {10, 10}, 0},
        {"negative radius", {0, 0}, {10, 0}, {10, 10}, -2},
        {"target straight ahead", {0, 0}, {10, 0}, {20, 0}, 3},
        {"target back towards the start", {0, 0}, {10, 0}, {5, 0}, 3},
        {"start on the corner", {10, 0}, {10, 0}, {10, 10}, 3},
        {"target on the corner", {0, 0}, {10, 0}, {10, 0}, 3},
    };
    for (const auto& c : cases) {
        auto path = CGPathCreateMutable();
        CGPathMoveToPoint(path, nullptr, c.start.x, c.start.y);
        CGPathAddArcToPoint(path, nullptr, c.corner.x, c.corner.y, c.target.x, c.target.y,
                            c.radius);
        ASSERT_EQ(path->elements().size(), 2u) << c.name;
        EXPECT_EQ(path->elements()[1], (CGPathElement{kCGPathElementAddLineToPoint, {c.corner}}))
            << c.name;
    }
}

TEST(CGPathArcToPoint, WithoutCurrentPointAddsNothing) {
    auto path = CGPathCreateMutable();
    CGPathAddArcToPoint(path, nullptr, 10, 0, 10, 10, 3);
    EXPECT_TRUE(CGPathIsEmpty(path));
}

TEST(CGPathRoundRect, SwatchAndCompareRectanglesLieOnePointInside) {
    struct Case {
        CGRect rect;
        CGFloat radius;
        CGRect box; // the path's extent: edges one point in
    } cases[] = {
        {CGRectMake(0, 0, 36, 36), 7, CGRectMake(1, 1, 34, 34)},             // swatch fill
        {CGRectMake(1, 1, 34, 34), 5, CGRectMake(2, 2, 32, 32)},             // swatch checkerboard
        {CGRectMake(0.5f, 0.5f, 35, 35), 6, CGRectMake(1.5f, 1.5f, 33, 33)}, // swatch border
        {CGRectMake(1, 1, 42, 42), 6, CGRectMake(2, 2, 40, 40)},             // compare view border
        {CGRectMake(2, 2, 40, 40), 5, CGRectMake(3, 3, 38, 38)}, // compare view checkerboard
    };
    for (const auto& c : cases) {
        auto path = roundRect(c.rect, c.radius);
        CGRect box = CGPathGetBoundingBox(path);
        EXPECT_NEAR(box.origin.x, c.box.origin.x, kTolerance);
        EXPECT_NEAR(box.origin.y, c.box.origin.y, kTolerance);
        EXPECT_NEAR(box.size.width, c.box.size.width, kTolerance);
        EXPECT_NEAR(box.size.height, c.box.size.height, kTolerance);
    }
}

TEST(CGPathRoundRect, ThirtySixPointSwatchElementsWorkedByHand) {
    // R = (0, 0, 36, 36), r = 7: edges at 1 and 35, corner centres at 8 and 28.
    auto path = roundRect(CGRectMake(0, 0, 36, 36), 7);
    const auto& e = path->elements();
    ASSERT_EQ(e.size(), 10u);
    const CGFloat k = static_cast<CGFloat>(7 * kQuarterK);
    const CGPathElement expected[] = {
        {kCGPathElementMoveToPoint, {{{1, 18}}}},
        {kCGPathElementAddLineToPoint, {{{1, 8}}}},
        {kCGPathElementAddCurveToPoint, {{{1, 8 - k}, {8 - k, 1}, {8, 1}}}},
        {kCGPathElementAddLineToPoint, {{{28, 1}}}},
        {kCGPathElementAddCurveToPoint, {{{28 + k, 1}, {35, 8 - k}, {35, 8}}}},
        {kCGPathElementAddLineToPoint, {{{35, 28}}}},
        {kCGPathElementAddCurveToPoint, {{{35, 28 + k}, {28 + k, 35}, {28, 35}}}},
        {kCGPathElementAddLineToPoint, {{{8, 35}}}},
        {kCGPathElementAddCurveToPoint, {{{8 - k, 35}, {1, 28 + k}, {1, 28}}}},
        {kCGPathElementCloseSubpath, {}},
    };
    for (std::size_t i = 0; i < e.size(); ++i) {
        EXPECT_EQ(e[i].type, expected[i].type) << "element " << i;
        int count = e[i].type == kCGPathElementAddCurveToPoint ? 3
                    : e[i].type == kCGPathElementCloseSubpath  ? 0
                                                               : 1;
        for (int p = 0; p < count; ++p) {
            expectPoint(e[i].points[p], expected[i].points[p], "element point");
        }
    }
    expectPoint(CGPathGetCurrentPoint(path), {1, 18}, "closed back at the start");
}

TEST(CGPathArc, DirectionFollowsThePlatformFlag) {
    constexpr CGFloat half = std::numbers::pi_v<CGFloat> / 2;
    auto increasing = CGPathCreateMutable();
    CGPathAddArc(increasing, nullptr, 0, 0, 10, 0, half, false);
    auto decreasing = CGPathCreateMutable();
    CGPathAddArc(decreasing, nullptr, 0, 0, 10, 0, half, true);
    // Increasing angle from +x to +y: a quarter turn, one curve; the other way
    // round: three quarters, three curves. Both end at (0, 10).
    EXPECT_EQ(increasing->elements().size(), 2u);
    EXPECT_EQ(decreasing->elements().size(), 4u);
    expectPoint(CGPathGetCurrentPoint(increasing), {0, 10}, "increasing end");
    expectPoint(CGPathGetCurrentPoint(decreasing), {0, 10}, "decreasing end");
    CGRect box = CGPathGetBoundingBox(decreasing);
    EXPECT_LT(box.origin.y, -9.9f); // passed through -y
}

TEST(CGPathArc, OpenSubpathGetsALineToTheArcStart) {
    auto path = CGPathCreateMutable();
    CGPathMoveToPoint(path, nullptr, 0, 0);
    CGPathAddArc(path, nullptr, 20, 0, 5, std::numbers::pi_v<CGFloat>, 0, false);
    EXPECT_EQ(path->elements()[1].type, kCGPathElementAddLineToPoint);
    expectPoint(path->elements()[1].points[0], {15, 0}, "arc start");
}

TEST(CGPath, CloseReturnsToSubpathStartAndCopiesAreIndependent) {
    auto path = CGPathCreateMutable();
    CGPathAddRect(path, nullptr, CGRectMake(2, 3, 10, 20));
    EXPECT_EQ(CGPathGetCurrentPoint(path), CGPointMake(2, 3));
    CGRect box = CGPathGetBoundingBox(path);
    EXPECT_EQ(box, CGRectMake(2, 3, 10, 20));

    CGPathRef copy = CGPathCreateCopy(path);
    CGPathAddLineToPoint(path, nullptr, 50, 50);
    EXPECT_EQ(copy->elements().size(), 5u);
    EXPECT_FALSE(CGPathEqualToPath(copy, path));
}

TEST(CGPath, NonFiniteInputIsRefused) {
    auto path = CGPathCreateMutable();
    CGPathMoveToPoint(path, nullptr, 0, 0);
    CGPathAddArcToPoint(path, nullptr, NAN, 0, 10, 10, 3);
    CGPathAddArc(path, nullptr, 0, 0, INFINITY, 0, 1, false);
    EXPECT_EQ(path->elements().size(), 1u);
}

TEST(CGPath, EllipseInRectTouchesEveryEdge) {
    auto path = CGPathCreateMutable();
    CGPathAddEllipseInRect(path, nullptr, CGRectMake(10, 20, 30, 10));
    const auto& e = path->elements();
    ASSERT_EQ(e.size(), 6u);
    expectPoint(e[0].points[0], {40, 25}, "start at (maxX, midY)");
    expectPoint(e[1].points[2], {25, 30}, "a quarter on: bottom");
    expectPoint(e[2].points[2], {10, 25}, "left");
    expectPoint(e[3].points[2], {25, 20}, "top");
}

TEST(CGPath, TransformAppliesToArcToPoint) {
    CGAffineTransform shift = CGAffineTransformMakeTranslation(100, 50);
    auto path = CGPathCreateMutable();
    CGPathMoveToPoint(path, &shift, 0, 0);
    CGPathAddArcToPoint(path, &shift, 10, 0, 10, 10, 3);
    expectPoint(path->elements()[1].points[0], {107, 50}, "first tangent");
    expectPoint(CGPathGetCurrentPoint(path), {110, 53}, "second tangent");
}

TEST(CGPath, AddPathMapsEachKindOfElementThroughTheTransform) {
    auto source = CGPathCreateMutable();
    CGPathMoveToPoint(source, nullptr, 1, 2);
    CGPathAddLineToPoint(source, nullptr, 3, 4);
    CGPathAddCurveToPoint(source, nullptr, 5, 6, 7, 8, 9, 10);
    CGPathCloseSubpath(source);
    const CGAffineTransform m{2, 0, 0, 3, 10, 20}; // x -> 2x + 10, y -> 3y + 20
    auto path = CGPathCreateMutable();
    CGPathAddPath(path, &m, source);
    const std::vector<CGPathElement> expected = {
        {kCGPathElementMoveToPoint, {CGPoint{12, 26}}},
        {kCGPathElementAddLineToPoint, {CGPoint{16, 32}}},
        {kCGPathElementAddCurveToPoint, {CGPoint{20, 38}, CGPoint{24, 44}, CGPoint{28, 50}}},
        {kCGPathElementCloseSubpath, {}},
    };
    EXPECT_EQ(path->elements(), expected);
    EXPECT_EQ(CGPathGetCurrentPoint(path), CGPointMake(12, 26)) << "closed: back at the start";
    CGPathAddPath(path, nullptr, source);
    EXPECT_EQ(path->elements().back(), source->elements().back()) << "no transform: as they are";
}

TEST(CGPath, AddingAPathToItselfRepeatsItOnce) {
    auto path = CGPathCreateMutable();
    CGPathAddRect(path, nullptr, CGRectMake(1, 2, 3, 4));
    std::vector<CGPathElement> once = path->elements();
    CGPathAddPath(path, nullptr, path);
    ASSERT_EQ(path->elements().size(), 2 * once.size());
    EXPECT_TRUE(std::equal(once.begin(), once.end(), path->elements().begin() + 5));
}

TEST(CGPath, IsFiniteOnlyWhenEveryPointIs) {
    struct Case {
        const char* name;
        CGPoint line, control1, control2, end;
        bool finite;
    };
    const Case cases[] = {
        {"all finite", {1, 1}, {2, 2}, {3, 3}, {4, 4}, true},
        {"line NaN", {NAN, 1}, {2, 2}, {3, 3}, {4, 4}, false},
        {"first control infinite", {1, 1}, {2, INFINITY}, {3, 3}, {4, 4}, false},
        {"second control minus infinity", {1, 1}, {2, 2}, {-INFINITY, 3}, {4, 4}, false},
        {"curve end NaN", {1, 1}, {2, 2}, {3, 3}, {4, NAN}, false},
    };
    for (const auto& c : cases) {
        CGPath path;
        path.moveTo({0, 0});
        path.lineTo(c.line);
        path.curveTo(c.control1, c.control2, c.end);
        path.close();
        EXPECT_EQ(path.isFinite(), c.finite) << c.name;
    }
}
