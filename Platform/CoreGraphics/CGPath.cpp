#include <CoreGraphics/CGPath.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

CGPoint pointAt(double x, double y) {
    return {static_cast<CGFloat>(x), static_cast<CGFloat>(y)};
}

CGPoint apply(const CGAffineTransform* m, CGPoint p) {
    return m ? CGPointApplyAffineTransform(p, *m) : p;
}

// The arc as cubic Béziers of at most a quarter turn: k = 4/3 tan(sweep/4) keeps each
// segment's midpoint on the circle.
void appendArcCurves(CGPath& path, CGPoint centre, double radius, double start, double sweep) {
    int segments =
        std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / (std::numbers::pi / 2) - 1e-6)));
    double step = sweep / segments;
    double k = 4.0 / 3.0 * std::tan(step / 4);
    for (int i = 0; i < segments; ++i) {
        double a0 = start + step * i;
        double a1 = a0 + step;
        double x0 = centre.x + radius * std::cos(a0), y0 = centre.y + radius * std::sin(a0);
        double x3 = centre.x + radius * std::cos(a1), y3 = centre.y + radius * std::sin(a1);
        CGPoint c1 = pointAt(x0 - k * radius * std::sin(a0), y0 + k * radius * std::cos(a0));
        CGPoint c2 = pointAt(x3 + k * radius * std::sin(a1), y3 - k * radius * std::cos(a1));
        path.curveTo(c1, c2, pointAt(x3, y3));
    }
}

} // namespace

void CGPath::moveTo(CGPoint p) {
    elements_.push_back({kCGPathElementMoveToPoint, {p}});
    current_ = p;
    subpathStart_ = p;
}

void CGPath::lineTo(CGPoint p) {
    if (!current_) {
        moveTo(p);
        return;
    }
    elements_.push_back({kCGPathElementAddLineToPoint, {p}});
    current_ = p;
}

void CGPath::curveTo(CGPoint c1, CGPoint c2, CGPoint end) {
    if (!current_) {
        moveTo(c1);
    }
    elements_.push_back({kCGPathElementAddCurveToPoint, {c1, c2, end}});
    current_ = end;
}

void CGPath::close() {
    if (!current_ || elements_.back().type == kCGPathElementCloseSubpath) {
        return;
    }
    elements_.push_back({kCGPathElementCloseSubpath, {}});
    current_ = subpathStart_;
}

void CGPath::addArc(CGPoint centre, CGFloat radius, CGFloat startAngle, CGFloat endAngle,
                    bool clockwise) {
    // Cairo and our flattening misbehave on NaN or infinite input: refuse it.
    if (!CGPointIsFinite(centre) || !std::isfinite(radius) || !std::isfinite(startAngle) ||
        !std::isfinite(endAngle)) {
        return;
    }
    double r = std::fabs(radius);
    double delta = static_cast<double>(endAngle) - startAngle;
    if (!clockwise) {
        delta = delta >= kTwoPi ? kTwoPi : std::fmod(delta, kTwoPi);
        if (delta < 0) {
            delta += kTwoPi;
        }
    } else {
        delta = delta <= -kTwoPi ? -kTwoPi : std::fmod(delta, kTwoPi);
        if (delta > 0) {
            delta -= kTwoPi;
        }
    }
    CGPoint first =
        pointAt(centre.x + r * std::cos(startAngle), centre.y + r * std::sin(startAngle));
    if (current_) {
        lineTo(first);
    } else {
        moveTo(first);
    }
    if (delta != 0 && r > 0) {
        appendArcCurves(*this, centre, r, startAngle, delta);
    }
}

void CGPath::addArcToPoint(CGPoint corner, CGPoint target, CGFloat radius) {
    if (!current_ || !CGPointIsFinite(corner) || !CGPointIsFinite(target) ||
        !std::isfinite(radius)) {
        return;
    }
    CGPoint p0 = *current_;
    double ax = static_cast<double>(p0.x) - corner.x, ay = static_cast<double>(p0.y) - corner.y;
    double bx = static_cast<double>(target.x) - corner.x,
           by = static_cast<double>(target.y) - corner.y;
    double lengthA = std::hypot(ax, ay), lengthB = std::hypot(bx, by);
    double cross = ax * by - ay * bx;
    if (radius <= 0 || lengthA == 0 || lengthB == 0 || cross == 0) {
        lineTo(corner);
        return;
    }
    ax /= lengthA, ay /= lengthA, bx /= lengthB, by /= lengthB;
    // theta is the angle at the corner between the two lines; the tangent points lie
    // r / tan(theta/2) from the corner along each line.
    double cosTheta = std::clamp(ax * bx + ay * by, -1.0, 1.0);
    double halfTheta = std::acos(cosTheta) / 2;
    double tangentDistance = radius / std::tan(halfTheta);
    double t1x = corner.x + ax * tangentDistance, t1y = corner.y + ay * tangentDistance;
    double t2x = corner.x + bx * tangentDistance, t2y = corner.y + by * tangentDistance;
    double bisectorX = ax + bx, bisectorY = ay + by;
    double bisectorLength = std::hypot(bisectorX, bisectorY);
    double centreDistance = radius / std::sin(halfTheta);
    double cx = corner.x + bisectorX / bisectorLength * centreDistance;
    double cy = corner.y + bisectorY / bisectorLength * centreDistance;
    double start = std::atan2(t1y - cy, t1x - cx);
    double end = std::atan2(t2y - cy, t2x - cx);
    double sweep = end - start;
    if (sweep > std::numbers::pi) {
        sweep -= kTwoPi;
    } else if (sweep < -std::numbers::pi) {
        sweep += kTwoPi;
    }
    lineTo(pointAt(t1x, t1y));
    appendArcCurves(*this, pointAt(cx, cy), radius, start, sweep);
}

void CGPath::addElements(std::span<const CGPathElement> elements, const CGAffineTransform* m) {
    for (const auto& e : elements) {
        switch (e.type) {
        case kCGPathElementMoveToPoint:
            moveTo(apply(m, e.points[0]));
            break;
        case kCGPathElementAddLineToPoint:
            lineTo(apply(m, e.points[0]));
            break;
        case kCGPathElementAddCurveToPoint:
            curveTo(apply(m, e.points[0]), apply(m, e.points[1]), apply(m, e.points[2]));
            break;
        case kCGPathElementCloseSubpath:
            close();
            break;
        default:
            break;
        }
    }
}

bool CGPath::isFinite() const {
    return std::all_of(elements_.begin(), elements_.end(), [](const CGPathElement& e) {
        return CGPointIsFinite(e.points[0]) && CGPointIsFinite(e.points[1]) &&
               CGPointIsFinite(e.points[2]);
    });
}

namespace {

CGAffineTransform inverted(const CGAffineTransform& t, bool& ok) {
    double det = static_cast<double>(t.a) * t.d - static_cast<double>(t.b) * t.c;
    ok = det != 0;
    if (!ok) {
        return t;
    }
    double a = t.d / det, b = -t.b / det, c = -t.c / det, d = t.a / det;
    double tx = -(a * t.tx + c * t.ty), ty = -(b * t.tx + d * t.ty);
    return {static_cast<CGFloat>(a), static_cast<CGFloat>(b),  static_cast<CGFloat>(c),
            static_cast<CGFloat>(d), static_cast<CGFloat>(tx), static_cast<CGFloat>(ty)};
}

// Runs `build` on a scratch path in the transform's own space, starting from the
// current point mapped back there, then appends the result transformed.
template <class Build>
void addTransformed(const CGMutablePathRef& path, const CGAffineTransform* m, Build build) {
    if (!m) {
        build(*path);
        return;
    }
    bool invertible = false;
    CGAffineTransform inverse = inverted(*m, invertible);
    if (!invertible) {
        return;
    }
    CGPath scratch;
    if (auto current = path->currentPoint()) {
        scratch.moveTo(CGPointApplyAffineTransform(*current, inverse));
    }
    std::size_t skip = scratch.elements().size();
    build(scratch);
    path->addElements(std::span(scratch.elements()).subspan(skip), m);
}

} // namespace

CGMutablePathRef CGPathCreateMutable() {
    return std::make_shared<CGPath>();
}

CGPathRef CGPathCreateCopy(const CGPathRef& path) {
    return path ? std::make_shared<const CGPath>(*path) : nullptr;
}

CGMutablePathRef CGPathCreateMutableCopy(const CGPathRef& path) {
    return path ? std::make_shared<CGPath>(*path) : nullptr;
}

CGPathRef CGPathCreateWithRect(CGRect rect, const CGAffineTransform* transform) {
    auto path = CGPathCreateMutable();
    CGPathAddRect(path, transform, rect);
    return path;
}

CGPathRef CGPathCreateWithEllipseInRect(CGRect rect, const CGAffineTransform* transform) {
    auto path = CGPathCreateMutable();
    CGPathAddEllipseInRect(path, transform, rect);
    return path;
}

void CGPathMoveToPoint(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat x,
                       CGFloat y) {
    if (path) {
        path->moveTo(apply(m, {x, y}));
    }
}

void CGPathAddLineToPoint(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat x,
                          CGFloat y) {
    if (path) {
        path->lineTo(apply(m, {x, y}));
    }
}

void CGPathAddCurveToPoint(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat cp1x,
                           CGFloat cp1y, CGFloat cp2x, CGFloat cp2y, CGFloat x, CGFloat y) {
    if (path) {
        path->curveTo(apply(m, {cp1x, cp1y}), apply(m, {cp2x, cp2y}), apply(m, {x, y}));
    }
}

void CGPathAddArcToPoint(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat x1,
                         CGFloat y1, CGFloat x2, CGFloat y2, CGFloat radius) {
    if (path) {
        addTransformed(path, m, [&](CGPath& p) { p.addArcToPoint({x1, y1}, {x2, y2}, radius); });
    }
}

void CGPathAddArc(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat x, CGFloat y,
                  CGFloat radius, CGFloat startAngle, CGFloat endAngle, bool clockwise) {
    if (path) {
        addTransformed(path, m, [&](CGPath& p) {
            p.addArc({x, y}, radius, startAngle, endAngle, clockwise);
        });
    }
}

void CGPathAddRect(const CGMutablePathRef& path, const CGAffineTransform* m, CGRect rect) {
    if (!path) {
        return;
    }
    CGFloat x0 = rect.origin.x, y0 = rect.origin.y;
    CGFloat x1 = x0 + rect.size.width, y1 = y0 + rect.size.height;
    path->moveTo(apply(m, {x0, y0}));
    path->lineTo(apply(m, {x1, y0}));
    path->lineTo(apply(m, {x1, y1}));
    path->lineTo(apply(m, {x0, y1}));
    path->close();
}

void CGPathAddEllipseInRect(const CGMutablePathRef& path, const CGAffineTransform* m, CGRect rect) {
    if (!path) {
        return;
    }
    rect = CGRectStandardize(rect);
    CGFloat rx = rect.size.width / 2, ry = rect.size.height / 2;
    CGAffineTransform unit{rx, 0, 0, ry, CGRectGetMidX(rect), CGRectGetMidY(rect)};
    if (m) {
        unit = {unit.a * m->a,
                unit.a * m->b,
                unit.d * m->c,
                unit.d * m->d,
                unit.tx * m->a + unit.ty * m->c + m->tx,
                unit.tx * m->b + unit.ty * m->d + m->ty};
    }
    CGPath circle; // a move and four quarter curves
    circle.addArc({0, 0}, 1, 0, static_cast<CGFloat>(kTwoPi), false);
    path->addElements(circle.elements(), &unit);
    path->close();
}

void CGPathAddPath(const CGMutablePathRef& path, const CGAffineTransform* m,
                   const CGPathRef& other) {
    if (!path || !other) {
        return;
    }
    if (path == other) { // appending would move the elements being read
        std::vector<CGPathElement> copy = other->elements();
        path->addElements(copy, m);
        return;
    }
    path->addElements(other->elements(), m);
}

void CGPathCloseSubpath(const CGMutablePathRef& path) {
    if (path) {
        path->close();
    }
}

bool CGPathIsEmpty(const CGPathRef& path) {
    return !path || path->isEmpty();
}

CGPoint CGPathGetCurrentPoint(const CGPathRef& path) {
    return path && path->currentPoint() ? *path->currentPoint() : CGPointZero;
}

CGRect CGPathGetBoundingBox(const CGPathRef& path) {
    if (!path || path->isEmpty()) {
        return CGRectZero;
    }
    CGFloat minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (const auto& e : path->elements()) {
        int count = e.type == kCGPathElementAddCurveToPoint ? 3
                    : e.type == kCGPathElementCloseSubpath  ? 0
                                                            : 1;
        for (int i = 0; i < count; ++i) {
            minX = std::min(minX, e.points[i].x);
            minY = std::min(minY, e.points[i].y);
            maxX = std::max(maxX, e.points[i].x);
            maxY = std::max(maxY, e.points[i].y);
        }
    }
    return CGRectMake(minX, minY, maxX - minX, maxY - minY);
}

bool CGPathEqualToPath(const CGPathRef& a, const CGPathRef& b) {
    if (a == b) {
        return true;
    }
    return a && b && a->elements() == b->elements();
}
