// Points, sizes and rectangles in points, with the platform's helpers. CGFloat is
// float: the application's precision, and the one that rounding depends on.
#pragma once

#include <objc/runtime.h>

#include <algorithm>
#include <cmath>

using CGFloat = float;

struct CGPoint {
    CGFloat x = 0;
    CGFloat y = 0;
    friend bool operator==(const CGPoint&, const CGPoint&) = default;
};

struct CGSize {
    CGFloat width = 0;
    CGFloat height = 0;
    friend bool operator==(const CGSize&, const CGSize&) = default;
};

struct CGRect {
    CGPoint origin;
    CGSize size;
    friend bool operator==(const CGRect&, const CGRect&) = default;
};

template <> struct objc_encoding<CGPoint> { static constexpr const char* value = "{CGPoint=ff}"; };
template <> struct objc_encoding<CGSize> { static constexpr const char* value = "{CGSize=ff}"; };
template <> struct objc_encoding<CGRect> {
    static constexpr const char* value = "{CGRect={CGPoint=ff}{CGSize=ff}}";
};

inline constexpr CGPoint CGPointZero{};
inline constexpr CGSize CGSizeZero{};
inline constexpr CGRect CGRectZero{};

inline CGPoint CGPointMake(CGFloat x, CGFloat y) {
    return {x, y};
}
inline CGSize CGSizeMake(CGFloat width, CGFloat height) {
    return {width, height};
}
inline CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat width, CGFloat height) {
    return {{x, y}, {width, height}};
}

// Drawing code refuses what fails these: Cairo turns a NaN or infinite coordinate
// into arbitrary geometry, and a non-finite transform puts its context into an
// error state that blanks everything drawn after it.
inline bool CGPointIsFinite(CGPoint p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}
inline bool CGSizeIsFinite(CGSize s) {
    return std::isfinite(s.width) && std::isfinite(s.height);
}
inline bool CGRectIsFinite(CGRect r) {
    return CGPointIsFinite(r.origin) && CGSizeIsFinite(r.size);
}

// A rectangle with a negative size is the same area as its standardised form; the
// readers below work on that, as the platform's do.
inline CGRect CGRectStandardize(CGRect r) {
    if (r.size.width < 0) {
        r.origin.x += r.size.width;
        r.size.width = -r.size.width;
    }
    if (r.size.height < 0) {
        r.origin.y += r.size.height;
        r.size.height = -r.size.height;
    }
    return r;
}

inline CGFloat CGRectGetMinX(CGRect r) {
    return CGRectStandardize(r).origin.x;
}
inline CGFloat CGRectGetMinY(CGRect r) {
    return CGRectStandardize(r).origin.y;
}
inline CGFloat CGRectGetMaxX(CGRect r) {
    r = CGRectStandardize(r);
    return r.origin.x + r.size.width;
}
inline CGFloat CGRectGetMaxY(CGRect r) {
    r = CGRectStandardize(r);
    return r.origin.y + r.size.height;
}
inline CGFloat CGRectGetMidX(CGRect r) {
    r = CGRectStandardize(r);
    return r.origin.x + r.size.width * 0.5f;
}
inline CGFloat CGRectGetMidY(CGRect r) {
    r = CGRectStandardize(r);
    return r.origin.y + r.size.height * 0.5f;
}
inline CGFloat CGRectGetWidth(CGRect r) {
    return std::fabs(r.size.width);
}
inline CGFloat CGRectGetHeight(CGRect r) {
    return std::fabs(r.size.height);
}

inline bool CGRectIsEmpty(CGRect r) {
    return r.size.width == 0 || r.size.height == 0;
}
inline bool CGRectEqualToRect(CGRect a, CGRect b) {
    return a == b;
}

// Shrinks by dx on the left and right and dy at the top and bottom, keeping the centre.
inline CGRect CGRectInset(CGRect r, CGFloat dx, CGFloat dy) {
    r = CGRectStandardize(r);
    r.origin.x += dx;
    r.origin.y += dy;
    r.size.width -= 2 * dx;
    r.size.height -= 2 * dy;
    if (r.size.width < 0 || r.size.height < 0) {
        return {{INFINITY, INFINITY}, {0, 0}}; // the platform's null rectangle
    }
    return r;
}

inline CGRect CGRectOffset(CGRect r, CGFloat dx, CGFloat dy) {
    r.origin.x += dx;
    r.origin.y += dy;
    return r;
}

// The minimum edges are inside and the maximum edges outside, so rectangles that
// share an edge never both contain a point on it.
inline bool CGRectContainsPoint(CGRect r, CGPoint p) {
    r = CGRectStandardize(r);
    return p.x >= r.origin.x && p.x < r.origin.x + r.size.width && p.y >= r.origin.y &&
           p.y < r.origin.y + r.size.height;
}

inline CGRect CGRectUnion(CGRect a, CGRect b) {
    if (CGRectIsEmpty(a)) {
        return b;
    }
    if (CGRectIsEmpty(b)) {
        return a;
    }
    CGFloat minX = std::min(CGRectGetMinX(a), CGRectGetMinX(b));
    CGFloat minY = std::min(CGRectGetMinY(a), CGRectGetMinY(b));
    CGFloat maxX = std::max(CGRectGetMaxX(a), CGRectGetMaxX(b));
    CGFloat maxY = std::max(CGRectGetMaxY(a), CGRectGetMaxY(b));
    return CGRectMake(minX, minY, maxX - minX, maxY - minY);
}
