// Layers: the composited tree that the renderer draws. A layer owns its sublayers;
// `superlayer` and `delegate` are not retained.
//
// Property changes go through the animation machinery: a change asks the delegate
// (for a view's layer, the view) and then CATransaction for an action. Layers that
// back views change at once outside view animation blocks; free-standing layers
// animate implicitly (0.25 s) unless actions are disabled. `hidden` and `contents`
// switch at once: a boolean has no values in between. A layer that has never been
// rendered has nothing on screen to animate from: implicit animations begun before
// its first frame are dropped, so a new layer appears with its set values.
#pragma once

#include <CoreGraphics/CGColor.h>
#include <CoreGraphics/CGGeometry.h>
#include <Foundation/NSObject.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

class CALayer;

class CGContext;
class CGImage;
using CALayerRef = std::shared_ptr<CALayer>;

// What a property change does: nothing animated (`none`), or an animation from the
// old presentation value over `duration` seconds.
struct CAAction {
    double duration = 0;
    static CAAction none() { return {}; }
    static CAAction animated(double seconds) { return {seconds}; }
    bool animates() const { return duration > 0; }
};

class CALayerDelegate {
  public:
    virtual ~CALayerDelegate() = default;
    // Draws the layer's content; called when the layer needs display.
    virtual void drawLayerInContext(CALayer* layer, CGContext* context) {
        (void)layer;
        (void)context;
    }
    // Lays out sublayers; called on a layout pass when the layer needs layout.
    virtual void layoutSublayersOfLayer(CALayer* layer) { (void)layer; }
    // The action for a change of `key`; nothing means "ask CATransaction" (implicit).
    virtual std::optional<CAAction> actionForLayer(CALayer* layer, const std::string& key) {
        (void)layer;
        (void)key;
        return std::nullopt;
    }
};

// How `contents` is placed in the bounds (y downwards: top is the minimum y).
enum class CAContentsGravity {
    resize,
    resizeAspect,
    resizeAspectFill,
    center,
    top,
    bottom,
    left,
    right,
    topLeft,
    topRight,
    bottomLeft,
    bottomRight,
};

// A value that an animation interpolates.
using CAAnimatableValue = std::variant<CGFloat, CGPoint, CGRect, CGColorRef>;

class CALayer : public NSObject {
  public:
    CALayer();
    ~CALayer() override;
    static CALayerRef layer() { return std::make_shared<CALayer>(); }

    // Geometry. frame is derived from bounds, position and anchorPoint.
    CGRect bounds() const { return bounds_; }
    void setBounds(CGRect bounds);
    CGPoint position() const { return position_; }
    void setPosition(CGPoint position);
    CGPoint anchorPoint() const { return anchorPoint_; }
    void setAnchorPoint(CGPoint anchorPoint);
    CGRect frame() const;
    void setFrame(CGRect frame);

    // Appearance.
    CGFloat cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(CGFloat radius);
    CGFloat borderWidth() const { return borderWidth_; }
    void setBorderWidth(CGFloat width);
    CGColorRef borderColor() const { return borderColor_; }
    void setBorderColor(CGColorRef color);
    CGColorRef backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(CGColorRef color);
    float opacity() const { return opacity_; }
    void setOpacity(float opacity);
    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden);
    bool masksToBounds() const { return masksToBounds_; }
    void setMasksToBounds(bool masks);
    // An image placed in the bounds by `contentsGravity` (stretched by default).
    std::shared_ptr<const CGImage> contents() const { return contents_; }
    void setContents(std::shared_ptr<const CGImage> image);
    CAContentsGravity contentsGravity() const { return contentsGravity_; }
    void setContentsGravity(CAContentsGravity gravity) {
        if (gravity != contentsGravity_) {
            noteChange();
            contentsGravity_ = gravity;
        }
    }
    // The scale displayIfNeeded draws at. The renderer draws a layer's content at
    // the frame's scale, so that scale 2 output is crisp whatever this says.
    CGFloat contentsScale() const { return contentsScale_; }
    void setContentsScale(CGFloat scale);
    // When set, a change of the bounds' size marks the layer as needing display.
    bool needsDisplayOnBoundsChange() const { return needsDisplayOnBoundsChange_; }
    void setNeedsDisplayOnBoundsChange(bool needs) { needsDisplayOnBoundsChange_ = needs; }

    // The tree.
    CALayer* superlayer() const { return superlayer_; }
    const std::vector<CALayerRef>& sublayers() const { return sublayers_; }
    void addSublayer(CALayerRef layer);
    // An index past the end appends.
    void insertSublayer(CALayerRef layer, unsigned index);
    void insertSublayerBelow(CALayerRef layer, const CALayer* sibling);
    void insertSublayerAbove(CALayerRef layer, const CALayer* sibling);
    void removeFromSuperlayer();
    CALayerDelegate* delegate() const { return delegate_; }
    void setDelegate(CALayerDelegate* delegate) { delegate_ = delegate; }

    // Content drawn by the delegate is cached until the layer is marked again.
    void setNeedsDisplay();
    bool needsDisplay() const { return needsDisplay_; }
    // Draws the content now if the layer is marked, at the contents scale.
    void displayIfNeeded();
    void setNeedsLayout();
    bool needsLayout() const { return needsLayout_; }
    void layoutIfNeeded();          // this layer and its sublayers, top-down
    virtual void layoutSublayers(); // asks the delegate

    // The values on screen now: model values, or interpolated ones while an
    // animation of that property runs on the clock.
    CGRect presentationBounds() const;
    CGPoint presentationPosition() const;
    float presentationOpacity() const;
    CGFloat presentationCornerRadius() const;
    CGFloat presentationBorderWidth() const;
    CGColorRef presentationBackgroundColor() const;
    CGColorRef presentationBorderColor() const;
    bool hasRunningAnimations() const;
    // The keys of the animations still running at the clock's time.
    std::vector<std::string> animationKeys() const;
    void removeAllAnimations();

    // Point conversion between layers of one tree (model values). A null layer
    // means the root of this layer's tree.
    CGPoint convertPointToLayer(CGPoint point, const CALayer* layer) const;
    CGPoint convertPointFromLayer(CGPoint point, const CALayer* layer) const;

    // Content for the renderer: by default the delegate's drawing.
    virtual void drawInContext(CGContext* context);

    // Implementation detail shared with the renderer: cached content and animations.
    struct Private;
    Private& privateState() const { return *private_; }
    friend void CALayerDisplay(CALayer& layer, CGFloat scale);

  protected:
    // A change of what this layer (and so its sublayers) shows: counted, and the
    // layer's pixels are redrawn in the next frame.
    void noteChange();
    // Runs the action machinery for a change of `key` whose value on screen was
    // `from`; call after storing the new model value.
    void didChange(const std::string& key, const CAAnimatableValue& from);
    // The value of `key` on screen now, given its model value.
    CAAnimatableValue presentationValue(const std::string& key,
                                        const CAAnimatableValue& model) const;

    // Stores `value` in `field` and runs the action machinery when it differs.
    template <class T> void changeAnimatable(const char* key, T& field, T value);

  private:
    enum class Side { below, above };
    void insertSublayerBeside(CALayerRef layer, const CALayer* sibling, Side side);

    CGRect bounds_{};
    CGPoint position_{};
    CGPoint anchorPoint_{0.5f, 0.5f};
    CGFloat cornerRadius_ = 0;
    CGFloat borderWidth_ = 0;
    CGColorRef borderColor_;
    CGColorRef backgroundColor_;
    float opacity_ = 1;
    bool hidden_ = false;
    bool masksToBounds_ = false;
    std::shared_ptr<const CGImage> contents_;
    CAContentsGravity contentsGravity_ = CAContentsGravity::resize;
    CGFloat contentsScale_ = 1;
    bool needsDisplayOnBoundsChange_ = false;
    CALayer* superlayer_ = nullptr;
    std::vector<CALayerRef> sublayers_;
    CALayerDelegate* delegate_ = nullptr;
    bool needsDisplay_ = false;
    bool needsLayout_ = false;
    std::unique_ptr<Private> private_;
};
