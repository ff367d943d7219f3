#include <UIKit/UIView.h>

#include <UIKit/UIGraphics.h>
#include <UIKit/UIScreen.h>
#include <UIKit/UIViewController.h>
#include <UIKit/UIWindow.h>

#include <algorithm>
#include <cstdio>

namespace {

CGPoint frameOrigin(const CALayer& layer) {
    CGRect b = layer.bounds();
    CGPoint c = layer.position();
    CGPoint a = layer.anchorPoint();
    return {c.x - b.size.width * a.x, c.y - b.size.height * a.y};
}

// A point in `view`'s coordinates in its superview's, and back.
CGPoint toSuperview(const UIView& view, CGPoint p) {
    CGPoint origin = frameOrigin(*view.layer());
    CGRect b = view.bounds();
    return {p.x - b.origin.x + origin.x, p.y - b.origin.y + origin.y};
}

CGPoint fromSuperview(const UIView& view, CGPoint p) {
    CGPoint origin = frameOrigin(*view.layer());
    CGRect b = view.bounds();
    return {p.x - origin.x + b.origin.x, p.y - origin.y + b.origin.y};
}

const UIView* rootOf(const UIView* view) {
    while (view->superview() != nullptr) {
        view = view->superview();
    }
    return view;
}

CGPoint toRoot(const UIView* view, CGPoint p) {
    for (; view->superview() != nullptr; view = view->superview()) {
        p = toSuperview(*view, p);
    }
    return p;
}

CGPoint fromRoot(const UIView* view, CGPoint p) {
    std::vector<const UIView*> chain;
    for (; view->superview() != nullptr; view = view->superview()) {
        chain.push_back(view);
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        p = fromSuperview(**it, p);
    }
    return p;
}

} // namespace

UIView::UIView(CGRect frame) : UIView(frame, CALayer::layer()) {}

UIView::UIView(CGRect frame, CALayerRef layer) : layer_(std::move(layer)) {
    layer_->setDelegate(this);
    layer_->setContentsScale(UIScreen::mainScreen()->scale());
    setFrame(frame);
    // Drawn once when first shown; a view that turns out to draw nothing is not
    // marked again on resizing.
    layer_->setNeedsDisplay();
    layer_->setNeedsLayout();
}

UIView::~UIView() {
    layer_->setDelegate(nullptr);
    for (const UIViewRef& subview : subviews_) {
        subview->superview_ = nullptr;
    }
}

CGRect UIView::frame() const {
    if (exactFrame_ && exactFrame_->center == layer_->position() &&
        exactFrame_->bounds == layer_->bounds()) {
        return exactFrame_->frame;
    }
    CGRect b = layer_->bounds();
    return {frameOrigin(*layer_), b.size};
}

void UIView::setFrame(CGRect frame) {
    CGSize oldSize = layer_->bounds().size;
    CGRect bounds = layer_->bounds();
    bounds.size = frame.size;
    CGPoint anchor = layer_->anchorPoint();
    CGPoint center{frame.origin.x + frame.size.width * anchor.x,
                   frame.origin.y + frame.size.height * anchor.y};
    layer_->setBounds(bounds);
    layer_->setPosition(center);
    exactFrame_ = ExactFrame{frame, center, bounds};
    if (oldSize != frame.size) {
        boundsSizeDidChange(oldSize);
    }
}

void UIView::setBounds(CGRect bounds) {
    CGSize oldSize = layer_->bounds().size;
    layer_->setBounds(bounds);
    if (oldSize != bounds.size) {
        boundsSizeDidChange(oldSize);
    }
}

void UIView::setCenter(CGPoint center) {
    layer_->setPosition(center);
}

void UIView::boundsSizeDidChange(CGSize oldSize) {
    if (autoresizesSubviews_) {
        resizeSubviews(oldSize);
    }
    setNeedsLayout();
    if (drawsContent_) {
        layer_->setNeedsDisplay();
    }
}

// ---- the tree ------------------------------------------------------------------

std::size_t UIView::indexOfSubview(const UIView* view) const {
    auto it = std::find_if(subviews_.begin(), subviews_.end(),
                           [&](const UIViewRef& s) { return s.get() == view; });
    return static_cast<std::size_t>(it - subviews_.begin());
}

void UIView::addSubview(UIViewRef view) {
    insertSubview(std::move(view), subviews_.size() + 1);
}

// By value: the caller's reference may point into a tree that this call changes
// (another view's subviews), and the view must outlive the callbacks below.
void UIView::insertSubview(UIViewRef view, // NOLINT(performance-unnecessary-value-param)
                           std::size_t index) {
    if (!view || view.get() == this) {
        return;
    }
    UIWindow* oldWindow = view->window();
    if (view->superview_ == this) {
        std::size_t current = indexOfSubview(view.get());
        subviews_.erase(subviews_.begin() + static_cast<std::ptrdiff_t>(current));
        view->layer_->removeFromSuperlayer();
        view->superview_ = nullptr;
    } else if (view->superview_ != nullptr) {
        view->removeFromSuperview();
    }
    attach(view, std::min(index, subviews_.size()));
    view->didMoveToSuperview();
    if (view->window() != oldWindow) {
        view->notifyMovedToWindow();
    }
    didAddSubview(view.get());
}

void UIView::attach(UIViewRef view, std::size_t index) {
    // The layer goes just below the layer of the subview it is placed under, so
    // that sublayers a view adds itself keep their places.
    CALayer* own = layer_.get();
    if (index < subviews_.size()) {
        const auto& sublayers = own->sublayers();
        CALayer* above = subviews_[index]->layer();
        auto it = std::find_if(sublayers.begin(), sublayers.end(),
                               [&](const CALayerRef& l) { return l.get() == above; });
        own->insertSublayer(view->layer_, static_cast<unsigned>(it - sublayers.begin()));
    } else {
        own->addSublayer(view->layer_);
    }
    view->superview_ = this;
    subviews_.insert(subviews_.begin() + static_cast<std::ptrdiff_t>(index), std::move(view));
    setNeedsLayout();
}

void UIView::insertSubviewBelow(UIViewRef view, const UIView* sibling) {
    std::size_t index = indexOfSubview(sibling);
    insertSubview(std::move(view), index);
}

void UIView::insertSubviewAbove(UIViewRef view, const UIView* sibling) {
    std::size_t index = indexOfSubview(sibling);
    insertSubview(std::move(view), index < subviews_.size() ? index + 1 : index);
}

void UIView::bringSubviewToFront(const UIView* view) {
    std::size_t index = indexOfSubview(view);
    if (index >= subviews_.size()) {
        return;
    }
    UIViewRef moving = subviews_[index];
    subviews_.erase(subviews_.begin() + static_cast<std::ptrdiff_t>(index));
    subviews_.push_back(moving);
    moving->layer_->removeFromSuperlayer();
    layer_->addSublayer(moving->layer_);
}

void UIView::sendSubviewToBack(const UIView* view) {
    std::size_t index = indexOfSubview(view);
    if (index >= subviews_.size()) {
        return;
    }
    UIViewRef moving = subviews_[index];
    subviews_.erase(subviews_.begin() + static_cast<std::ptrdiff_t>(index));
    moving->layer_->removeFromSuperlayer();
    moving->superview_ = nullptr;
    attach(moving, 0);
}

void UIView::removeFromSuperview() {
    UIView* parent = superview_;
    if (parent == nullptr) {
        return;
    }
    UIWindow* oldWindow = window();
    parent->willRemoveSubview(this);
    std::size_t index = parent->indexOfSubview(this);
    // Kept alive until this function is done with it.
    UIViewRef self = parent->subviews_[index];
    parent->subviews_.erase(parent->subviews_.begin() + static_cast<std::ptrdiff_t>(index));
    layer_->removeFromSuperlayer();
    superview_ = nullptr;
    parent->setNeedsLayout();
    didMoveToSuperview();
    if (oldWindow != nullptr) {
        notifyMovedToWindow();
    }
}

void UIView::notifyMovedToWindow() {
    didMoveToWindow();
    for (const UIViewRef& subview : std::vector<UIViewRef>(subviews_)) {
        subview->notifyMovedToWindow();
    }
}

bool UIView::isDescendantOfView(const UIView* view) const {
    for (const UIView* v = this; v != nullptr; v = v->superview_) {
        if (v == view) {
            return true;
        }
    }
    return false;
}

UIWindow* UIView::window() const {
    return dynamic_cast<UIWindow*>(const_cast<UIView*>(rootOf(this)));
}

// ---- appearance -----------------------------------------------------------------

void UIView::setBackgroundColor(UIColorRef color) {
    backgroundColor_ = std::move(color);
    layer_->setBackgroundColor(backgroundColor_ ? backgroundColor_->CGColor() : CGColorRef());
}

void UIView::setContentMode(UIViewContentMode mode) {
    contentMode_ = mode;
}

void UIView::setContentScaleFactor(CGFloat scale) {
    if (scale == layer_->contentsScale()) {
        return;
    }
    layer_->setContentsScale(scale);
    layer_->setNeedsDisplay();
}

void UIView::sizeToFit() {
    CGRect f = frame();
    f.size = sizeThatFits(f.size);
    setFrame(f);
}

void UIView::setNeedsDisplay() {
    layer_->setNeedsDisplay();
}

void UIView::setNeedsDisplayInRect(CGRect rect) {
    (void)rect; // content is redrawn whole
    layer_->setNeedsDisplay();
}

void UIView::drawRect(CGRect rect) {
    (void)rect;
    drawsContent_ = false;
}

// ---- touches and coordinates -----------------------------------------------------

bool UIView::pointInside(CGPoint point, UIEvent* event) const {
    (void)event;
    return CGRectContainsPoint(bounds(), point);
}

UIView* UIView::hitTest(CGPoint point, UIEvent* event) {
    if (isHidden() || !userInteractionEnabled_ || alpha() < 0.01f || !pointInside(point, event)) {
        return nullptr;
    }
    for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it) {
        UIView* subview = it->get();
        if (UIView* hit = subview->hitTest(fromSuperview(*subview, point), event)) {
            return hit;
        }
    }
    return this;
}

UIResponder* UIView::nextResponder() const {
    if (viewController_ != nullptr) {
        return viewController_;
    }
    return superview_;
}

CGPoint UIView::convertPointToView(CGPoint point, const UIView* view) const {
    CGPoint inRoot = toRoot(this, point);
    return view == nullptr ? inRoot : fromRoot(view, inRoot);
}

CGPoint UIView::convertPointFromView(CGPoint point, const UIView* view) const {
    CGPoint inRoot = view == nullptr ? point : toRoot(view, point);
    return fromRoot(this, inRoot);
}

CGRect UIView::convertRectToView(CGRect rect, const UIView* view) const {
    return {convertPointToView(rect.origin, view), rect.size};
}

CGRect UIView::convertRectFromView(CGRect rect, const UIView* view) const {
    return {convertPointFromView(rect.origin, view), rect.size};
}

// ---- layer delegate ---------------------------------------------------------------

void UIView::drawLayerInContext(CALayer* layer, CGContext* context) {
    if (layer != layer_.get()) {
        return;
    }
    UIGraphicsPushContext(context);
    drawRect(bounds());
    UIGraphicsPopContext();
}

void UIView::layoutSublayersOfLayer(CALayer* layer) {
    if (layer == layer_.get()) {
        layoutSubviews();
    }
}

std::string UIView::description() const {
    CGRect f = frame();
    char text[160];
    std::snprintf(text, sizeof text, "<UIView: %p; frame = (%g %g; %g %g)>",
                  static_cast<const void*>(this), f.origin.x, f.origin.y, f.size.width,
                  f.size.height);
    return text;
}
