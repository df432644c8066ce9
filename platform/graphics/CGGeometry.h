#pragma once

#include <algorithm>
#include <cmath>

using CGFloat = double;

struct CGPoint {
    CGFloat x = 0;
    CGFloat y = 0;
    bool operator==(const CGPoint&) const = default;
};

struct CGSize {
    CGFloat width = 0;
    CGFloat height = 0;
    bool operator==(const CGSize&) const = default;
};

struct CGRect {
    CGPoint origin;
    CGSize size;
    bool operator==(const CGRect&) const = default;
};

struct CGAffineTransform {
    CGFloat a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
    bool operator==(const CGAffineTransform&) const = default;
};

constexpr CGPoint CGPointZero{};
constexpr CGSize CGSizeZero{};
constexpr CGRect CGRectZero{};
constexpr CGAffineTransform CGAffineTransformIdentity{};

constexpr CGPoint CGPointMake(CGFloat x, CGFloat y) {
    return {x, y};
}
constexpr CGSize CGSizeMake(CGFloat width, CGFloat height) {
    return {width, height};
}
constexpr CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat width, CGFloat height) {
    return {{x, y}, {width, height}};
}

// The platform's rectangle functions work on the standardised rectangle
// (non-negative width and height).
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
    return r.origin.x + r.size.width / 2;
}
inline CGFloat CGRectGetMidY(CGRect r) {
    r = CGRectStandardize(r);
    return r.origin.y + r.size.height / 2;
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

// Minimum edges inside, maximum edges outside.
inline bool CGRectContainsPoint(CGRect r, CGPoint p) {
    r = CGRectStandardize(r);
    return p.x >= r.origin.x && p.x < r.origin.x + r.size.width && p.y >= r.origin.y &&
           p.y < r.origin.y + r.size.height;
}

inline CGRect CGRectIntersection(CGRect a, CGRect b) {
    a = CGRectStandardize(a);
    b = CGRectStandardize(b);
    CGFloat x1 = std::max(a.origin.x, b.origin.x);
    CGFloat y1 = std::max(a.origin.y, b.origin.y);
    CGFloat x2 = std::min(a.origin.x + a.size.width, b.origin.x + b.size.width);
    CGFloat y2 = std::min(a.origin.y + a.size.height, b.origin.y + b.size.height);
    if (x2 < x1 || y2 < y1)
        return CGRectZero;
    return {{x1, y1}, {x2 - x1, y2 - y1}};
}

inline CGRect CGRectOffset(CGRect r, CGFloat dx, CGFloat dy) {
    r.origin.x += dx;
    r.origin.y += dy;
    return r;
}

inline CGRect CGRectInset(CGRect r, CGFloat dx, CGFloat dy) {
    r = CGRectStandardize(r);
    return {{r.origin.x + dx, r.origin.y + dy}, {r.size.width - 2 * dx, r.size.height - 2 * dy}};
}
