// Colours: a colour space, a component array (alpha last) and, for pattern
// colours, the image that tiles.
#pragma once

#include <CoreGraphics/CGColorSpace.h>
#include <CoreGraphics/CGGeometry.h>

#include <memory>
#include <string>
#include <vector>

class CGImage;
using CGImageRef = std::shared_ptr<const CGImage>;

class CGColor {
  public:
    CGColor(CGColorSpaceRef space, std::vector<CGFloat> components, CGImageRef pattern = nullptr)
        : space_(std::move(space)), components_(std::move(components)),
          pattern_(std::move(pattern)) {}

    const CGColorSpaceRef& colorSpace() const { return space_; }
    const std::vector<CGFloat>& components() const { return components_; }
    CGFloat alpha() const { return components_.empty() ? 1 : components_.back(); }
    const CGImageRef& pattern() const { return pattern_; }

  private:
    CGColorSpaceRef space_;
    std::vector<CGFloat> components_; // the model's components, then alpha
    CGImageRef pattern_;
};
using CGColorRef = std::shared_ptr<const CGColor>;

// `components` holds the space's components followed by alpha.
CGColorRef CGColorCreate(const CGColorSpaceRef& space, const CGFloat* components);
CGColorRef CGColorCreateWithPattern(const CGImageRef& image, CGFloat alpha);
CGColorRef CGColorCreateCopyWithAlpha(const CGColorRef& color, CGFloat alpha);
CGColorSpaceRef CGColorGetColorSpace(const CGColorRef& color);
const CGFloat* CGColorGetComponents(const CGColorRef& color);
std::size_t CGColorGetNumberOfComponents(const CGColorRef& color);
CGFloat CGColorGetAlpha(const CGColorRef& color);
CGImageRef CGColorGetPattern(const CGColorRef& color);
bool CGColorEqualToColor(const CGColorRef& a, const CGColorRef& b);

// Straight RGBA in 0..1 for drawing: monochrome widened to grey, CMYK converted
// naively, components clamped (colours keep out-of-range values; drawing clamps).
// Pattern and unknown colours give their alpha over black.
struct CGRGBA {
    double r = 0, g = 0, b = 0, a = 0;
};
CGRGBA CGColorGetDrawingRGBA(const CGColorRef& color);
