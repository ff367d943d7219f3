#include <QuartzCore/CALayer.h>
#include <QuartzCore/CALayerPrivate.h>
#include <QuartzCore/CAMediaTiming.h>
#include <QuartzCore/CARenderDamage.h>
#include <QuartzCore/CATransaction.h>

#include <algorithm>

CALayer::CALayer() : private_(std::make_unique<Private>()) {}

CALayer::~CALayer() {
    for (const auto& sublayer : sublayers_) {
        sublayer->superlayer_ = nullptr;
    }
}

void CALayer::noteChange() {
    private_->damaged = true;
}

template <class T> void CALayer::changeAnimatable(const char* key, T& field, T value) {
    if constexpr (std::is_same_v<T, CGColorRef>) {
        if (CGColorEqualToColor(field, value)) {
            field = std::move(value);
            return;
        }
    } else if (field == value) {
        return;
    }
    noteChange();
    CAAnimatableValue from = presentationValue(key, CAAnimatableValue(field));
    field = std::move(value);
    didChange(key, from);
}

template void CALayer::changeAnimatable<CGFloat>(const char*, CGFloat&, CGFloat);
template void CALayer::changeAnimatable<CGPoint>(const char*, CGPoint&, CGPoint);
template void CALayer::changeAnimatable<CGRect>(const char*, CGRect&, CGRect);
template void CALayer::changeAnimatable<CGColorRef>(const char*, CGColorRef&, CGColorRef);

void CALayer::setBounds(CGRect bounds) {
    bool resized = bounds.size != bounds_.size;
    changeAnimatable("bounds", bounds_, bounds);
    if (resized) {
        setNeedsLayout();
        if (needsDisplayOnBoundsChange_) {
            setNeedsDisplay();
        }
    }
}

void CALayer::setPosition(CGPoint position) {
    changeAnimatable("position", position_, position);
}

void CALayer::setAnchorPoint(CGPoint anchorPoint) {
    if (anchorPoint == anchorPoint_) {
        return;
    }
    noteChange();
    anchorPoint_ = anchorPoint;
}

CGRect CALayer::frame() const {
    return CGRectMake(position_.x - anchorPoint_.x * bounds_.size.width,
                      position_.y - anchorPoint_.y * bounds_.size.height, bounds_.size.width,
                      bounds_.size.height);
}

void CALayer::setFrame(CGRect frame) {
    frame = CGRectStandardize(frame);
    setBounds(CGRectMake(bounds_.origin.x, bounds_.origin.y, frame.size.width, frame.size.height));
    setPosition(CGPointMake(frame.origin.x + anchorPoint_.x * frame.size.width,
                            frame.origin.y + anchorPoint_.y * frame.size.height));
}

void CALayer::setCornerRadius(CGFloat radius) {
    changeAnimatable("cornerRadius", cornerRadius_, radius);
}
void CALayer::setBorderWidth(CGFloat width) {
    changeAnimatable("borderWidth", borderWidth_, width);
}
void CALayer::setBorderColor(CGColorRef color) {
    changeAnimatable("borderColor", borderColor_, std::move(color));
}
void CALayer::setBackgroundColor(CGColorRef color) {
    changeAnimatable("backgroundColor", backgroundColor_, std::move(color));
}

void CALayer::setOpacity(float opacity) {
    changeAnimatable("opacity", opacity_, std::clamp(opacity, 0.0f, 1.0f));
}

void CALayer::setHidden(bool hidden) {
    if (hidden == hidden_) {
        return;
    }
    noteChange();
    hidden_ = hidden;
}
void CALayer::setMasksToBounds(bool masks) {
    if (masks == masksToBounds_) {
        return;
    }
    noteChange();
    masksToBounds_ = masks;
}
void CALayer::setContents(std::shared_ptr<const CGImage> image) {
    if (image == contents_) {
        return;
    }
    noteChange();
    contents_ = std::move(image);
}

void CALayer::setContentsScale(CGFloat scale) {
    if (scale > 0 && scale != contentsScale_) {
        noteChange();
        contentsScale_ = scale;
        if (private_->drawsContent) {
            setNeedsDisplay();
        }
    }
}

void CALayer::addSublayer(CALayerRef layer) {
    insertSublayer(std::move(layer), ~0u);
}

void CALayer::insertSublayer(CALayerRef layer, unsigned index) {
    if (!layer || layer.get() == this) {
        return;
    }
    layer->removeFromSuperlayer();
    std::size_t at = std::min<std::size_t>(index, sublayers_.size());
    layer->private_->damaged = true; // shows where it lands
    layer->superlayer_ = this;
    sublayers_.insert(sublayers_.begin() + static_cast<std::ptrdiff_t>(at), std::move(layer));
    setNeedsLayout();
}

void CALayer::insertSublayerBelow(CALayerRef layer, const CALayer* sibling) {
    insertSublayerBeside(std::move(layer), sibling, Side::below);
}

void CALayer::insertSublayerAbove(CALayerRef layer, const CALayer* sibling) {
    insertSublayerBeside(std::move(layer), sibling, Side::above);
}

void CALayer::insertSublayerBeside(CALayerRef layer, const CALayer* sibling, Side side) {
    auto findSibling = [&] {
        return std::find_if(sublayers_.begin(), sublayers_.end(),
                            [&](const CALayerRef& l) { return l.get() == sibling; });
    };
    if (findSibling() == sublayers_.end() || !layer) {
        addSublayer(std::move(layer));
        return;
    }
    if (layer.get() == sibling) {
        return;
    }
    // Leaving this layer first may move the sibling down by one.
    layer->removeFromSuperlayer();
    auto index = findSibling() - sublayers_.begin() + (side == Side::above ? 1 : 0);
    insertSublayer(std::move(layer), static_cast<unsigned>(index));
}

void CALayer::removeFromSuperlayer() {
    CALayer* parent = superlayer_;
    if (!parent) {
        return;
    }
    CARenderNoteRemoval(*this); // what it covered is drawn again without it
    // Keep this layer alive while it leaves the tree that owns it.
    auto it = std::find_if(parent->sublayers_.begin(), parent->sublayers_.end(),
                           [this](const CALayerRef& l) { return l.get() == this; });
    if (it != parent->sublayers_.end()) {
        CALayerRef keep = *it;
        parent->sublayers_.erase(it);
        superlayer_ = nullptr;
        parent->setNeedsLayout();
    }
}

void CALayer::setNeedsDisplay() {
    noteChange();
    needsDisplay_ = true;
    private_->drawsContent = true;
}

void CALayer::displayIfNeeded() {
    if (needsDisplay_) {
        CALayerDisplay(*this, contentsScale_);
    }
}

void CALayer::setNeedsLayout() {
    needsLayout_ = true;
}

void CALayer::layoutIfNeeded() {
    if (needsLayout_) {
        needsLayout_ = false;
        layoutSublayers();
    }
    // Layout may add or remove sublayers: walk a snapshot.
    std::vector<CALayerRef> snapshot = sublayers_;
    for (const auto& sublayer : snapshot) {
        sublayer->layoutIfNeeded();
    }
}

void CALayer::layoutSublayers() {
    if (delegate_) {
        delegate_->layoutSublayersOfLayer(this);
    }
}

void CALayer::drawInContext(CGContext* context) {
    if (delegate_) {
        delegate_->drawLayerInContext(this, context);
    }
}

void CALayerMarkPresented(CALayer& layer) {
    CALayer::Private& state = layer.privateState();
    if (!state.presented) {
        state.presented = true;
        std::erase_if(state.animations, [](const CAPropertyAnimation& a) { return a.implicit; });
    }
    for (const auto& sublayer : layer.sublayers()) {
        CALayerMarkPresented(*sublayer);
    }
}

namespace {

// The point in the coordinates of the tree's root, and that root.
CGPoint toRoot(const CALayer* layer, CGPoint point, const CALayer*& root) {
    root = layer;
    while (root->superlayer()) {
        CGRect f = root->frame();
        point.x += f.origin.x - root->bounds().origin.x;
        point.y += f.origin.y - root->bounds().origin.y;
        root = root->superlayer();
    }
    return point;
}

} // namespace

CGPoint CALayer::convertPointToLayer(CGPoint point, const CALayer* layer) const {
    const CALayer* root = nullptr;
    CGPoint inRoot = toRoot(this, point, root);
    if (!layer) {
        return inRoot;
    }
    const CALayer* targetRoot = nullptr;
    CGPoint targetOrigin = toRoot(layer, CGPointZero, targetRoot);
    return {inRoot.x - targetOrigin.x, inRoot.y - targetOrigin.y};
}

CGPoint CALayer::convertPointFromLayer(CGPoint point, const CALayer* layer) const {
    const CALayer* root = nullptr;
    CGPoint inRoot = layer ? toRoot(layer, point, root) : point;
    CGPoint myOrigin = toRoot(this, CGPointZero, root);
    return {inRoot.x - myOrigin.x, inRoot.y - myOrigin.y};
}
