// Views: a rectangle of the screen that draws, lays out its subviews and takes
// touches. Each view owns a layer and is that layer's delegate; the view tree
// mirrors the layer tree. A superview owns its subviews; `superview` is not
// retained.
#pragma once

#include <CoreGraphics/CGGeometry.h>
#include <CoreGraphics/CGPath.h>
#include <QuartzCore/CALayer.h>
#include <UIKit/UIAccessibility.h>
#include <UIKit/UIColor.h>
#include <UIKit/UIResponder.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class UIView;
class UIViewController;
class UIWindow;
using UIViewRef = std::shared_ptr<UIView>;

using UIViewAutoresizing = NSUInteger;
enum : UIViewAutoresizing {
    UIViewAutoresizingNone = 0,
    UIViewAutoresizingFlexibleLeftMargin = 1 << 0,
    UIViewAutoresizingFlexibleWidth = 1 << 1,
    UIViewAutoresizingFlexibleRightMargin = 1 << 2,
    UIViewAutoresizingFlexibleTopMargin = 1 << 3,
    UIViewAutoresizingFlexibleHeight = 1 << 4,
    UIViewAutoresizingFlexibleBottomMargin = 1 << 5,
};

enum UIViewContentMode : NSInteger {
    UIViewContentModeScaleToFill = 0,
    UIViewContentModeScaleAspectFit = 1,
    UIViewContentModeScaleAspectFill = 2,
    UIViewContentModeRedraw = 3,
    UIViewContentModeCenter = 4,
    UIViewContentModeTop = 5,
    UIViewContentModeBottom = 6,
    UIViewContentModeLeft = 7,
    UIViewContentModeRight = 8,
    UIViewContentModeTopLeft = 9,
    UIViewContentModeTopRight = 10,
    UIViewContentModeBottomLeft = 11,
    UIViewContentModeBottomRight = 12,
};

class UIView : public UIResponder, public CALayerDelegate {
  public:
    explicit UIView(CGRect frame = CGRectZero);
    ~UIView() override;

    // Geometry, in points. The frame is in the superview's coordinates; changing
    // the bounds' size resizes the subviews by their autoresizing masks.
    CGRect frame() const;
    virtual void setFrame(CGRect frame);
    CGRect bounds() const { return layer_->bounds(); }
    virtual void setBounds(CGRect bounds);
    CGPoint center() const { return layer_->position(); }
    virtual void setCenter(CGPoint center);

    // The tree.
    UIView* superview() const { return superview_; }
    const std::vector<UIViewRef>& subviews() const { return subviews_; }
    void addSubview(UIViewRef view);
    void insertSubview(UIViewRef view, std::size_t index);
    void insertSubviewBelow(UIViewRef view, const UIView* sibling);
    void insertSubviewAbove(UIViewRef view, const UIView* sibling);
    void bringSubviewToFront(const UIView* view);
    void sendSubviewToBack(const UIView* view);
    void removeFromSuperview();
    bool isDescendantOfView(const UIView* view) const;
    // The window at the root of this view's tree, if there is one.
    UIWindow* window() const;
    virtual void didAddSubview(UIView* subview) { (void)subview; }
    virtual void willRemoveSubview(UIView* subview) { (void)subview; }
    virtual void didMoveToSuperview() {}
    virtual void didMoveToWindow() {}

    // Appearance.
    const UIColorRef& backgroundColor() const { return backgroundColor_; }
    virtual void setBackgroundColor(UIColorRef color);
    bool isOpaque() const { return opaque_; }
    void setOpaque(bool opaque) { opaque_ = opaque; }
    bool clipsToBounds() const { return layer_->masksToBounds(); }
    void setClipsToBounds(bool clips) { layer_->setMasksToBounds(clips); }
    CGFloat alpha() const { return layer_->opacity(); }
    void setAlpha(CGFloat alpha) { layer_->setOpacity(alpha); }
    bool isHidden() const { return layer_->isHidden(); }
    virtual void setHidden(bool hidden) { layer_->setHidden(hidden); }
    UIViewContentMode contentMode() const { return contentMode_; }
    virtual void setContentMode(UIViewContentMode mode);
    CGFloat contentScaleFactor() const { return layer_->contentsScale(); }
    void setContentScaleFactor(CGFloat scale);
    NSInteger tag() const { return tag_; }
    void setTag(NSInteger tag) { tag_ = tag; }
    CALayer* layer() const { return layer_.get(); }
    const CALayerRef& layerRef() const { return layer_; }

    // Touches.
    bool isUserInteractionEnabled() const { return userInteractionEnabled_; }
    void setUserInteractionEnabled(bool enabled) { userInteractionEnabled_ = enabled; }
    // The deepest visible, interactive view under `point` (in this view's
    // coordinates), front to back; nullptr when the point is outside.
    virtual UIView* hitTest(CGPoint point, UIEvent* event);
    virtual bool pointInside(CGPoint point, UIEvent* event) const;
    UIResponder* nextResponder() const override;

    // Coordinates between views of one window; nullptr means the window.
    CGPoint convertPointToView(CGPoint point, const UIView* view) const;
    CGPoint convertPointFromView(CGPoint point, const UIView* view) const;
    CGRect convertRectToView(CGRect rect, const UIView* view) const;
    CGRect convertRectFromView(CGRect rect, const UIView* view) const;

    // Resizing and layout.
    UIViewAutoresizing autoresizingMask() const { return autoresizingMask_; }
    void setAutoresizingMask(UIViewAutoresizing mask) { autoresizingMask_ = mask; }
    bool autoresizesSubviews() const { return autoresizesSubviews_; }
    void setAutoresizesSubviews(bool autoresizes) { autoresizesSubviews_ = autoresizes; }
    void setNeedsLayout() { layer_->setNeedsLayout(); }
    void layoutIfNeeded() { layer_->layoutIfNeeded(); }
    virtual void layoutSubviews() {}
    virtual CGSize sizeThatFits(CGSize size) const { return size.width > 0 ? bounds().size : size; }
    void sizeToFit();

    // Drawing: `drawRect` draws the view's content into the current graphics
    // context, in the view's coordinates. The content is kept until marked again.
    void setNeedsDisplay();
    void setNeedsDisplayInRect(CGRect rect);
    virtual void drawRect(CGRect rect);

    // Animation blocks: property changes of views between `beginAnimations` and
    // `commitAnimations` animate from their values on screen, over the block's
    // duration (0.2 s unless set); outside blocks views change at once. Blocks nest;
    // an inner block starts with the duration of the one around it.
    static void beginAnimations(const std::string& animationID = {}, void* context = nullptr);
    static void commitAnimations();
    static void setAnimationDuration(double seconds);
    static void setAnimationsEnabled(bool enabled);
    static bool areAnimationsEnabled();
    static constexpr double defaultAnimationDuration = 0.2;

    // The layer delegate. Sublayers that a view makes itself may also name the
    // view as their delegate to follow the view's animation rules.
    void drawLayerInContext(CALayer* layer, CGContext* context) override;
    void layoutSublayersOfLayer(CALayer* layer) override;
    std::optional<CAAction> actionForLayer(CALayer* layer, const std::string& key) override;

    // The controller whose view this is (set by UIViewController), not retained.
    UIViewController* viewController() const { return viewController_; }
    void setViewController(UIViewController* controller) { viewController_ = controller; }

    std::string description() const override;

    // Accessibility, with the platform's defaults: a plain view is no element and
    // says nothing; subclasses answer for what they show, and a value set here wins
    // over what a subclass would answer.
    virtual bool isAccessibilityElement() const;
    void setIsAccessibilityElement(bool element) { accessibility_.element = element; }
    virtual std::string accessibilityLabel() const;
    void setAccessibilityLabel(std::string label) { accessibility_.label = std::move(label); }
    virtual std::string accessibilityValue() const;
    void setAccessibilityValue(std::string value) { accessibility_.value = std::move(value); }
    virtual std::string accessibilityHint() const;
    void setAccessibilityHint(std::string hint) { accessibility_.hint = std::move(hint); }
    virtual UIAccessibilityTraits accessibilityTraits() const;
    void setAccessibilityTraits(UIAccessibilityTraits traits) { accessibility_.traits = traits; }
    // In screen points.
    virtual CGRect accessibilityFrame() const;
    // The element's outline in screen points, for an element that is not a
    // rectangle (the focus ring follows it); nullptr: the frame.
    virtual CGPathRef accessibilityPath() const { return nullptr; }
    // Does what the element is for, as a tool asks; false when the element has
    // nothing of its own to do (the caller then taps at the frame's centre).
    virtual bool accessibilityActivate() { return false; }
    // Text that the user edits (a text field): a tool reads and shows it as such.
    virtual bool isAccessibilityTextEntry() const { return false; }
    // The views whose elements this one contains, in reading order: the subviews
    // unless a container orders them otherwise.
    virtual std::vector<UIView*> accessibilityElements() const;
    // Elements of one focus group (the swatches of a palette, an alert's buttons):
    // the arrow keys move among them. Empty: no group.
    const std::string& focusGroupIdentifier() const { return focusGroupIdentifier_; }
    void setFocusGroupIdentifier(std::string identifier) {
        focusGroupIdentifier_ = std::move(identifier);
    }

  protected:
    // What was set on this view, for subclasses that answer otherwise by default.
    struct AccessibilitySettings {
        std::optional<bool> element;
        std::optional<std::string> label;
        std::optional<std::string> value;
        std::optional<std::string> hint;
        std::optional<UIAccessibilityTraits> traits;
    };
    const AccessibilitySettings& accessibilitySettings() const { return accessibility_; }

    // For subclasses that back themselves with another kind of layer.
    UIView(CGRect frame, CALayerRef layer);
    // Called when the bounds' size changed, before layout is requested.
    virtual void boundsSizeDidChange(CGSize oldSize);

  private:
    void attach(UIViewRef view, std::size_t index);
    void resizeSubviews(CGSize oldSize);
    void notifyMovedToWindow();
    std::size_t indexOfSubview(const UIView* view) const;

    CALayerRef layer_;
    UIView* superview_ = nullptr;
    std::vector<UIViewRef> subviews_;
    UIViewController* viewController_ = nullptr;
    UIColorRef backgroundColor_;
    bool opaque_ = true;
    bool userInteractionEnabled_ = true;
    bool autoresizesSubviews_ = true;
    UIViewAutoresizing autoresizingMask_ = UIViewAutoresizingNone;
    UIViewContentMode contentMode_ = UIViewContentModeScaleToFill;
    NSInteger tag_ = 0;
    // The frame as last set, returned as is while the layer still holds the centre
    // and bounds derived from it: deriving it back from the centre would lose the
    // last bit of coordinates such as 25.333334.
    struct ExactFrame {
        CGRect frame;
        CGPoint center;
        CGRect bounds;
    };
    std::optional<ExactFrame> exactFrame_;
    // False once the base `drawRect` ran: the view draws nothing of its own.
    bool drawsContent_ = true;
    AccessibilitySettings accessibility_;
    std::string focusGroupIdentifier_;
};

// Proportional share of a change in the superview's size for one axis of an
// autoresizing mask: the new (origin, length) for the old ones.
struct UIAutoresizedSpan {
    CGFloat origin;
    CGFloat length;
};
UIAutoresizedSpan UIAutoresizeSpan(CGFloat origin, CGFloat length, CGFloat oldSuperLength,
                                   CGFloat newSuperLength, bool flexibleStart, bool flexibleLength,
                                   bool flexibleEnd);
