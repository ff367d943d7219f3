#include <UIKit/UIFocusEngine.h>

#include <QuartzCore/CAShapeLayer.h>
#include <QuartzCore/CATransaction.h>
#include <UIKit/UIAccessibility.h>
#include <UIKit/UIAlertView.h>
#include <UIKit/UIButton.h>
#include <UIKit/UIColor.h>
#include <UIKit/UIScreen.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>

namespace {

constexpr UIAccessibilityTraits kControlTraits =
    UIAccessibilityTraitButton | UIAccessibilityTraitLink | UIAccessibilityTraitAdjustable |
    UIAccessibilityTraitKeyboardKey;
// The ring stands this far outside the element, so that it covers none of it.
constexpr CGFloat kRingOutset = 4;
constexpr CGFloat kRingRadius = 8;
constexpr CGFloat kRingEdgeWidth = 5;
constexpr CGFloat kRingCoreWidth = 2;

bool isFocusable(const UIAccessibilityNode& node) {
    return (node.traits & kControlTraits) != 0 &&
           (node.traits & UIAccessibilityTraitNotEnabled) == 0 && node.frame.size.width > 0 &&
           node.frame.size.height > 0;
}

// The elements focus may move among, in reading order: inside the alert that is
// up, else everywhere but in dialogs.
std::vector<const UIAccessibilityNode*> focusScope(const UIAccessibilityNode& tree) {
    std::vector<const UIAccessibilityNode*> scope;
    UIAlertView* alert = UIAlertView::visibleAlert();
    for (const UIAccessibilityNode& node : tree.children) {
        bool dialog = node.role == UIAccessibilityRole::dialog;
        if (alert != nullptr && dialog && node.view == alert) {
            UIAccessibilityAppendInOrder(node.children, scope);
        } else if (alert == nullptr && !dialog) {
            scope.push_back(&node);
            UIAccessibilityAppendInOrder(node.children, scope);
        }
    }
    return scope;
}

CGPoint centreOf(CGRect frame) {
    return {frame.origin.x + frame.size.width / 2, frame.origin.y + frame.size.height / 2};
}

// Tab order: the next control after `current` (or the first one), wrapping.
UIView* step(const std::vector<const UIAccessibilityNode*>& scope, UIView* current, bool forward) {
    auto count = static_cast<std::ptrdiff_t>(scope.size());
    auto at = std::find_if(scope.begin(), scope.end(),
                           [&](const UIAccessibilityNode* node) { return node->view == current; });
    std::ptrdiff_t start = at == scope.end() ? (forward ? -1 : count) : at - scope.begin();
    for (std::ptrdiff_t offset = 1; offset <= count; ++offset) {
        std::ptrdiff_t index = ((start + (forward ? offset : -offset)) % count + count) % count;
        if (isFocusable(*scope[static_cast<std::size_t>(index)])) {
            return scope[static_cast<std::size_t>(index)]->view;
        }
    }
    return nullptr;
}

// Arrow keys: the nearest control of the same focus group whose centre lies that
// way, a step across the heading counting twice a step along it.
UIView* nearest(const std::vector<const UIAccessibilityNode*>& scope, UIView* current,
                UIFocusHeading heading) {
    if (current == nullptr || current->focusGroupIdentifier().empty()) {
        return nullptr;
    }
    CGPoint from = centreOf(current->accessibilityFrame());
    UIView* best = nullptr;
    CGFloat bestScore = 0;
    for (const UIAccessibilityNode* node : scope) {
        if (node->view == current || !isFocusable(*node) ||
            node->view->focusGroupIdentifier() != current->focusGroupIdentifier()) {
            continue;
        }
        CGPoint to = centreOf(node->frame);
        CGFloat dx = to.x - from.x, dy = to.y - from.y;
        bool horizontal = heading == UIFocusHeading::left || heading == UIFocusHeading::right;
        CGFloat along = horizontal ? dx : dy;
        CGFloat across = std::fabs(horizontal ? dy : dx);
        if (heading == UIFocusHeading::left || heading == UIFocusHeading::up) {
            along = -along;
        }
        if (along < 0.5f) {
            continue;
        }
        CGFloat score = along + 2 * across;
        if (best == nullptr || score < bestScore) {
            best = node->view;
            bestScore = score;
        }
    }
    return best;
}

bool isOnScreen(const UIAccessibilityNode& tree, UIView* view) {
    std::vector<const UIAccessibilityNode*> all;
    UIAccessibilityAppendInOrder(tree.children, all);
    return std::any_of(all.begin(), all.end(),
                       [&](const UIAccessibilityNode* node) { return node->view == view; });
}

UIView* preferredButton(UIAlertView* alert) {
    NSInteger index = alert->preferredButtonIndex();
    if (index < 0) {
        std::vector<UIView*> elements = alert->accessibilityElements();
        auto button = std::find_if(elements.begin(), elements.end(),
                                   [&](UIView* view) { return alert->indexOfButton(view) >= 0; });
        return button == elements.end() ? nullptr : *button;
    }
    return alert->buttonAtIndex(index);
}

// Kept on the screen, so that an element at (or past) its edge shows all its ring.
CGRect keptOnScreen(CGRect r) {
    CGFloat margin = kRingEdgeWidth / 2 + 0.5f;
    CGRect screen = CGRectInset(UIScreen::mainScreen()->bounds(), margin, margin);
    CGFloat left = std::max(CGRectGetMinX(r), CGRectGetMinX(screen));
    CGFloat top = std::max(CGRectGetMinY(r), CGRectGetMinY(screen));
    CGFloat right = std::min(CGRectGetMaxX(r), CGRectGetMaxX(screen));
    CGFloat bottom = std::min(CGRectGetMaxY(r), CGRectGetMaxY(screen));
    return right > left && bottom > top ? CGRectMake(left, top, right - left, bottom - top) : r;
}

CGPathRef ringPath(UIView* view) {
    if (CGPathRef outline = view->accessibilityPath()) {
        return outline;
    }
    CGRect r = keptOnScreen(CGRectInset(view->accessibilityFrame(), -kRingOutset, -kRingOutset));
    CGFloat radius = std::min({kRingRadius, r.size.width / 2, r.size.height / 2});
    CGFloat left = r.origin.x, top = r.origin.y;
    CGFloat right = left + r.size.width, bottom = top + r.size.height;
    CGMutablePathRef path = CGPathCreateMutable();
    path->moveTo({left + radius, top});
    path->addArcToPoint({right, top}, {right, bottom}, radius);
    path->addArcToPoint({right, bottom}, {left, bottom}, radius);
    path->addArcToPoint({left, bottom}, {left, top}, radius);
    path->addArcToPoint({left, top}, {right, top}, radius);
    path->close();
    return path;
}

} // namespace

void UIFocusEngine::WeakView::set(UIView* newView) {
    view = newView;
    reference = newView ? newView->weak_from_this() : std::weak_ptr<NSObject>();
}

UIFocusEngine& UIFocusEngine::shared() {
    // Made after the screen, so torn down before it (the ring is on its layer).
    UIScreen::mainScreen();
    static UIFocusEngine engine;
    return engine;
}

UIView* UIFocusEngine::focusedView() {
    if (UIAlertView* alert = UIAlertView::visibleAlert()) {
        if (alert_.get() != alert) {
            alert_.set(alert);
            alertFocused_.set(preferredButton(alert));
        }
        return alertFocused_.get();
    }
    UIView* view = focused_.get();
    if (view == nullptr || !isOnScreen(UIAccessibilityElementTree({}), view)) {
        return nullptr;
    }
    return view;
}

bool UIFocusEngine::moveFocus(UIFocusHeading heading) {
    UIView* current = focusedView();
    UIAccessibilityNode tree = UIAccessibilityElementTree({});
    std::vector<const UIAccessibilityNode*> scope = focusScope(tree);
    UIView* target = nullptr;
    if (heading == UIFocusHeading::next || heading == UIFocusHeading::previous) {
        target = step(scope, current, heading == UIFocusHeading::next);
    } else {
        target = nearest(scope, current, heading);
    }
    if (target == nullptr) {
        return false;
    }
    setFocus(target);
    ringShown_ = true;
    postFocusIfChanged();
    return true;
}

std::optional<CGPoint> UIFocusEngine::activationPoint() {
    UIView* view = focusedView();
    if (view == nullptr) {
        return std::nullopt;
    }
    return centreOf(view->accessibilityFrame());
}

void UIFocusEngine::setFocus(UIView* view) {
    if (UIAlertView* alert = UIAlertView::visibleAlert()) {
        alert_.set(alert);
        alertFocused_.set(view);
    } else {
        focused_.set(view);
    }
}

void UIFocusEngine::postFocusIfChanged() {
    UIView* view = focusedView();
    if (view == announced_.get()) {
        return;
    }
    announced_.set(view);
    UIAccessibilityPostNotification(UIAccessibilityNotification::focusChanged, view);
}

void UIFocusEngine::screenDidChange() {
    UIAccessibilityPostNotification(UIAccessibilityNotification::screenChanged,
                                    UIAlertView::visibleAlert());
    postFocusIfChanged();
}

void UIFocusEngine::makeRing() {
    ring_ = CALayer::layer();
    ringEdge_ = CAShapeLayer::layer();
    ringCore_ = CAShapeLayer::layer();
    // A dark edge round a white core: seen on light bars, dark fills and bright colours.
    for (const auto& [shape, colour, width] :
         {std::tuple{ringEdge_, UIColor::colorWithRed(0.02f, 0.1f, 0.3f, 1), kRingEdgeWidth},
          std::tuple{ringCore_, UIColor::whiteColor(), kRingCoreWidth}}) {
        shape->setFillColor(nullptr);
        shape->setStrokeColor(colour->CGColor());
        shape->setLineWidth(width);
        ring_->addSublayer(shape);
    }
}

void UIFocusEngine::updateFocusRing() {
    UIView* view = ringShown_ ? focusedView() : nullptr;
    if (view == nullptr && (!ring_ || ring_->isHidden())) {
        return;
    }
    CALayer* screen = UIScreen::mainScreen()->layer();
    // Windows restack under it as they come and go: it goes back on top.
    bool onTop = ring_ && ring_->superlayer() == screen && screen->sublayers().back() == ring_;
    RingPlacement placement{view, view ? view->accessibilityFrame() : CGRect{}, screen->bounds()};
    // Nothing moved: setting the layers again would have every frame drawn anew.
    if (view != nullptr && onTop && !ring_->isHidden() && placed_ == placement) {
        return;
    }
    CATransaction::begin();
    CATransaction::setDisableActions(true);
    if (view == nullptr) {
        ring_->setHidden(true);
    } else {
        if (!ring_) {
            makeRing();
        }
        if (!onTop) {
            ring_->removeFromSuperlayer();
            screen->addSublayer(ring_);
        }
        CGRect bounds = placement.screen;
        CGPathRef path = ringPath(view);
        for (CALayer* layer : {ring_.get(), static_cast<CALayer*>(ringEdge_.get()),
                               static_cast<CALayer*>(ringCore_.get())}) {
            layer->setFrame(CGRectMake(0, 0, bounds.size.width, bounds.size.height));
        }
        ringEdge_->setPath(path);
        ringCore_->setPath(path);
        ring_->setHidden(false);
    }
    placed_ = placement;
    CATransaction::commit();
}

void UIFocusEngine::reset() {
    focused_ = {};
    alert_ = {};
    alertFocused_ = {};
    announced_ = {};
    ringShown_ = false;
    updateFocusRing();
}
