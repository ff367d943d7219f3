#include <QuartzCore/CARenderDamage.h>

#include <CoreGraphics/CGTextLayoutCairo.h>
#include <QuartzCore/CAGradientLayer.h>
#include <QuartzCore/CALayerGeometry.h>
#include <QuartzCore/CALayerPrivate.h>
#include <QuartzCore/CAShapeLayer.h>
#include <QuartzCore/CATextLayer.h>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

constexpr CGRect nothing{};

// What removals since the last walk uncovered, in the pixels of the frame they were
// seen in, as one box. Plain data: layers leave their trees during the program's exit
// too, after objects of this library with destructors may be gone.
CGRect removedPixels = nothing;

bool isNothing(CGRect r) {
    return r.size.width <= 0 || r.size.height <= 0;
}

CGRect intersect(CGRect a, CGRect b) {
    CGFloat x0 = std::max(a.origin.x, b.origin.x), y0 = std::max(a.origin.y, b.origin.y);
    CGFloat x1 = std::min(a.origin.x + a.size.width, b.origin.x + b.size.width);
    CGFloat y1 = std::min(a.origin.y + a.size.height, b.origin.y + b.size.height);
    return x1 > x0 && y1 > y0 ? CGRectMake(x0, y0, x1 - x0, y1 - y0) : nothing;
}

CGRect unite(CGRect a, CGRect b) {
    if (isNothing(a)) {
        return b;
    }
    if (isNothing(b)) {
        return a;
    }
    return CGRectUnion(a, b);
}

// A shape's ink: its path, widened by the stroke and by miter joins (Cairo's limit
// of 10 reaches five line widths out).
CGRect shapeExtent(const CAShapeLayer& shape) {
    if (!shape.path() || shape.path()->isEmpty()) {
        return nothing;
    }
    CGFloat grow = 5 * std::max<CGFloat>(shape.presentationLineWidth(), 0) + 1;
    CGRect box = CGPathGetBoundingBox(shape.path());
    return {{box.origin.x - grow, box.origin.y - grow},
            {box.size.width + 2 * grow, box.size.height + 2 * grow}};
}

// Text is drawn from the top of the bounds, aligned in their width: a line wider than
// the bounds spills out on either side, and ink may pass its logical box a little.
CGRect textExtent(const CATextLayer& text, CGRect bounds) {
    if (text.string().empty()) {
        return nothing;
    }
    CGSize size = text.textLayout().size();
    CGFloat spill = std::max<CGFloat>(size.width - bounds.size.width, 0);
    CGFloat ink = text.fontSize() / 4 + 1;
    return {{bounds.origin.x - spill - ink, bounds.origin.y - ink},
            {bounds.size.width + 2 * (spill + ink),
             std::max(size.height, bounds.size.height) + 2 * ink}};
}

// Everything the layer itself may draw, in its own coordinates.
CGRect ownExtent(CALayer& layer, CGRect bounds) {
    CGRect area = bounds;
    const CALayer::Private& state = layer.privateState();
    if (const auto& contents = layer.contents()) {
        area = unite(
            area, CALayerContentsRect(layer.contentsGravity(), bounds, contents->sizeInPoints()));
    }
    if (state.content) {
        CGSize drawn = state.content->sizeInPoints();
        area = unite(area, {bounds.origin, drawn});
    }
    if (auto* shape = dynamic_cast<const CAShapeLayer*>(&layer)) {
        area = unite(area, shapeExtent(*shape));
    } else if (dynamic_cast<const CAGradientLayer*>(&layer)) {
        area = CGRectInset(area, -1, -1); // its raster is rounded up to whole pixels
    } else if (auto* text = dynamic_cast<const CATextLayer*>(&layer)) {
        area = unite(area, textExtent(*text, bounds));
    }
    return area;
}

class DamageWalk {
  public:
    DamageWalk(CGFloat scale, CGSize framePixels) : scale_(scale), frame_{{0, 0}, framePixels} {}

    // The pixels the subtree covers now. `covered`: an ancestor's damage already spans
    // this subtree, before and now.
    CGRect visit(CALayer& layer, CGPoint parentOrigin, bool covered) {
        CALayer::Private& state = layer.privateState();
        bool animating = layer.hasRunningAnimations();
        bool changed = state.damaged || animating || state.animatedWhenShown;
        state.damaged = false;
        state.animatedWhenShown = animating;
        CGRect now = nothing;
        std::optional<CALayerPlacement> placement;
        if (!layer.isHidden() && layer.presentationOpacity() > 0 &&
            (placement = CALayerPresentationPlacement(layer))) {
            CGPoint origin{parentOrigin.x + placement->offset.x,
                           parentOrigin.y + placement->offset.y};
            now = pixels(ownExtent(layer, placement->bounds), origin);
            for (const auto& sublayer : layer.sublayers()) {
                now = unite(now, visit(*sublayer, origin, covered || changed));
            }
        }
        if (changed && !covered) {
            add(state.shown);
            add(now);
        }
        state.shown = now;
        return now;
    }

    void add(CGRect pixels) {
        if (!isNothing(pixels)) {
            damage_.rects.push_back(pixels);
        }
    }

    CARenderDamage finish() &&;

  private:
    // `area` of a layer whose origin is at `origin` (points), as whole pixels inside the
    // frame, a pixel wider all round for antialiasing; the whole frame when it cannot be
    // placed in numbers.
    CGRect pixels(CGRect area, CGPoint origin) const {
        double x0 = (static_cast<double>(area.origin.x) + origin.x) * scale_;
        double y0 = (static_cast<double>(area.origin.y) + origin.y) * scale_;
        double x1 = x0 + static_cast<double>(area.size.width) * scale_;
        double y1 = y0 + static_cast<double>(area.size.height) * scale_;
        if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) {
            return frame_;
        }
        double w = frame_.size.width, h = frame_.size.height;
        x0 = std::clamp(std::floor(x0) - 1, 0.0, w);
        y0 = std::clamp(std::floor(y0) - 1, 0.0, h);
        x1 = std::clamp(std::ceil(x1) + 1, 0.0, w);
        y1 = std::clamp(std::ceil(y1) + 1, 0.0, h);
        return CGRectMake(static_cast<CGFloat>(x0), static_cast<CGFloat>(y0),
                          static_cast<CGFloat>(x1 - x0), static_cast<CGFloat>(y1 - y0));
    }

    CGFloat scale_;
    CGRect frame_;
    CARenderDamage damage_;
};

double area(CGRect r) {
    return static_cast<double>(r.size.width) * r.size.height;
}

// Few rectangles, each drawn through on its own: past a handful they become their
// bounding box, and past most of the frame, the frame.
CARenderDamage DamageWalk::finish() && {
    constexpr std::size_t mostRectangles = 8;
    constexpr double mostOfTheFrame = 0.6;
    std::vector<CGRect>& rects = damage_.rects;
    add(intersect(removedPixels, frame_));
    removedPixels = nothing;
    if (rects.size() > mostRectangles) {
        CGRect box = nothing;
        for (CGRect r : rects) {
            box = unite(box, r);
        }
        rects = {box};
    }
    double total = 0;
    for (CGRect r : rects) {
        total += area(r);
    }
    if (total > mostOfTheFrame * area(frame_)) {
        damage_ = {{}, true};
    }
    return std::move(damage_);
}

} // namespace

bool CARenderDamage::touches(CGRect pixels) const {
    return whole || std::any_of(rects.begin(), rects.end(),
                                [&](CGRect r) { return !isNothing(intersect(r, pixels)); });
}

CARenderDamage CARenderCollectDamage(CALayer& root, CGFloat scale, CGSize framePixels) {
    DamageWalk walk(scale, framePixels);
    CGRect frame = root.frame();
    CGPoint origin =
        CGPointIsFinite(frame.origin) ? CGPoint{-frame.origin.x, -frame.origin.y} : CGPointZero;
    walk.visit(root, origin, false);
    return std::move(walk).finish();
}

void CARenderNoteRemoval(const CALayer& layer) {
    removedPixels = unite(removedPixels, layer.privateState().shown);
}
