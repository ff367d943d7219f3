#include <CoreGraphics/CGColor.h>

#include <algorithm>

CGColorRef CGColorCreate(const CGColorSpaceRef& space, const CGFloat* components) {
    if (!space || components == nullptr) {
        return nullptr;
    }
    std::size_t count = space->numberOfComponents() + 1;
    return std::make_shared<const CGColor>(space,
                                           std::vector<CGFloat>(components, components + count));
}

CGColorRef CGColorCreateWithPattern(const CGImageRef& image, CGFloat alpha) {
    return std::make_shared<const CGColor>(CGColorSpaceCreatePattern(), std::vector<CGFloat>{alpha},
                                           image);
}

CGColorRef CGColorCreateCopyWithAlpha(const CGColorRef& color, CGFloat alpha) {
    if (!color) {
        return nullptr;
    }
    std::vector<CGFloat> components = color->components();
    if (components.empty()) {
        components.push_back(alpha);
    } else {
        components.back() = alpha;
    }
    return std::make_shared<const CGColor>(color->colorSpace(), std::move(components),
                                           color->pattern());
}

CGColorSpaceRef CGColorGetColorSpace(const CGColorRef& color) {
    return color ? color->colorSpace() : nullptr;
}

const CGFloat* CGColorGetComponents(const CGColorRef& color) {
    return color ? color->components().data() : nullptr;
}

std::size_t CGColorGetNumberOfComponents(const CGColorRef& color) {
    return color ? color->components().size() : 0;
}

CGFloat CGColorGetAlpha(const CGColorRef& color) {
    return color ? color->alpha() : 0;
}

CGImageRef CGColorGetPattern(const CGColorRef& color) {
    return color ? color->pattern() : nullptr;
}

bool CGColorEqualToColor(const CGColorRef& a, const CGColorRef& b) {
    if (a == b) {
        return true;
    }
    if (!a || !b) {
        return false;
    }
    return CGColorSpaceGetModel(a->colorSpace()) == CGColorSpaceGetModel(b->colorSpace()) &&
           a->components() == b->components() && a->pattern() == b->pattern();
}

CGRGBA CGColorGetDrawingRGBA(const CGColorRef& color) {
    if (!color) {
        return {};
    }
    auto clamp = [](double v) { return v != v ? 0.0 : std::clamp(v, 0.0, 1.0); };
    const auto& c = color->components();
    CGRGBA out;
    out.a = clamp(color->alpha());
    switch (CGColorSpaceGetModel(color->colorSpace())) {
    case kCGColorSpaceModelMonochrome:
        out.r = out.g = out.b = clamp(c[0]);
        break;
    case kCGColorSpaceModelRGB:
        out.r = clamp(c[0]);
        out.g = clamp(c[1]);
        out.b = clamp(c[2]);
        break;
    case kCGColorSpaceModelCMYK: {
        double k = clamp(c[3]);
        out.r = (1 - clamp(c[0])) * (1 - k);
        out.g = (1 - clamp(c[1])) * (1 - k);
        out.b = (1 - clamp(c[2])) * (1 - k);
        break;
    }
    default:
        break;
    }
    return out;
}
