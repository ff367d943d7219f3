// Paths: move, line, cubic curve and close elements. Arcs are stored as cubic
// Béziers of at most a quarter turn each, so every consumer sees four kinds of
// element. Ownership is the shared_ptr: there is no CGPathRelease.
#pragma once

#include <CoreGraphics/CGAffineTransform.h>
#include <CoreGraphics/CGGeometry.h>

#include <array>
#include <memory>
#include <optional>
#include <span>
#include <vector>

enum CGPathElementType : int {
    kCGPathElementMoveToPoint = 0,
    kCGPathElementAddLineToPoint = 1,
    kCGPathElementAddQuadCurveToPoint = 2, // never produced; kept for the platform's numbering
    kCGPathElementAddCurveToPoint = 3,
    kCGPathElementCloseSubpath = 4,
};

// Points used: move and line 1, curve 3 (two control points, then the end), close 0.
struct CGPathElement {
    CGPathElementType type = kCGPathElementMoveToPoint;
    std::array<CGPoint, 3> points{};
    friend bool operator==(const CGPathElement&, const CGPathElement&) = default;
};

class CGPath {
  public:
    const std::vector<CGPathElement>& elements() const { return elements_; }
    bool isEmpty() const { return elements_.empty(); }
    // The end of the last element; after a close, the start of that subpath.
    std::optional<CGPoint> currentPoint() const { return current_; }

    void moveTo(CGPoint p);
    void lineTo(CGPoint p);
    void curveTo(CGPoint c1, CGPoint c2, CGPoint end);
    void close();
    // Circle arc around `centre`; angles in radians from +x towards +y. `clockwise`
    // is the platform's flag: true sweeps with decreasing angle. Adds a line to
    // the arc's start when a subpath is open, else a move.
    void addArc(CGPoint centre, CGFloat radius, CGFloat startAngle, CGFloat endAngle,
                bool clockwise);
    // The platform's tangent arc: a line from the current point towards `corner`,
    // then the arc of `radius` tangent to (current, corner) and (corner, target).
    // A zero radius, or collinear points, give a straight line to the corner.
    void addArcToPoint(CGPoint corner, CGPoint target, CGFloat radius);
    // Each element's move, line, curve or close, its points mapped through `m`
    // (none: as they are).
    void addElements(std::span<const CGPathElement> elements, const CGAffineTransform* m = nullptr);
    // Whether every point is a finite number: what a drawing context accepts.
    bool isFinite() const;

  private:
    std::vector<CGPathElement> elements_;
    std::optional<CGPoint> current_;
    std::optional<CGPoint> subpathStart_;
};

using CGMutablePathRef = std::shared_ptr<CGPath>;
using CGPathRef = std::shared_ptr<const CGPath>;

CGMutablePathRef CGPathCreateMutable();
CGPathRef CGPathCreateCopy(const CGPathRef& path);
CGMutablePathRef CGPathCreateMutableCopy(const CGPathRef& path);
CGPathRef CGPathCreateWithRect(CGRect rect, const CGAffineTransform* transform);
CGPathRef CGPathCreateWithEllipseInRect(CGRect rect, const CGAffineTransform* transform);

void CGPathMoveToPoint(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat x,
                       CGFloat y);
void CGPathAddLineToPoint(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat x,
                          CGFloat y);
void CGPathAddCurveToPoint(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat cp1x,
                           CGFloat cp1y, CGFloat cp2x, CGFloat cp2y, CGFloat x, CGFloat y);
// Without a current point nothing is added, as on the platform.
void CGPathAddArcToPoint(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat x1,
                         CGFloat y1, CGFloat x2, CGFloat y2, CGFloat radius);
void CGPathAddArc(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat x, CGFloat y,
                  CGFloat radius, CGFloat startAngle, CGFloat endAngle, bool clockwise);
// Move to the origin corner, lines round the rectangle, close.
void CGPathAddRect(const CGMutablePathRef& path, const CGAffineTransform* m, CGRect rect);
// Starts at (maxX, midY) and runs with increasing angle.
void CGPathAddEllipseInRect(const CGMutablePathRef& path, const CGAffineTransform* m, CGRect rect);
void CGPathAddPath(const CGMutablePathRef& path, const CGAffineTransform* m,
                   const CGPathRef& other);
void CGPathCloseSubpath(const CGMutablePathRef& path);

bool CGPathIsEmpty(const CGPathRef& path);
// CGPointZero when the path has no current point.
CGPoint CGPathGetCurrentPoint(const CGPathRef& path);
// Includes control points, as the platform's does; CGRectZero for an empty path.
CGRect CGPathGetBoundingBox(const CGPathRef& path);
bool CGPathEqualToPath(const CGPathRef& a, const CGPathRef& b);
