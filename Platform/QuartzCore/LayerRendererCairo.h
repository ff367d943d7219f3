// Draws a layer and its sublayers onto a Cairo context whose CTM maps the
// superlayer's coordinates (points) to pixels: background, content, sublayers,
// border, composited at the layer's opacity.
//
// What cannot be drawn is skipped: a layer that cannot be placed (NaN or infinite
// geometry) with its sublayers, a drawing step whose values are not finite. When
// a layer's drawing still puts the context into an error state, which would blank
// everything after it, drawing stops there and `fault()` names that layer.
#pragma once

#include <CoreGraphics/CGHandlesCairo.h>
#include <CoreGraphics/CGImage.h>
#include <QuartzCore/CALayer.h>

#include <vector>

class CAShapeLayer;
struct CARenderDamage;
class CATextLayer;

class LayerRenderer {
  public:
    // The layers in `leftOut` are not drawn, nor their sublayers. With `damage`, a layer
    // whose pixels in this frame (as the damage walk recorded them) miss it is passed
    // by with its sublayers: the context's clip would keep all of it off anyway.
    LayerRenderer(cairo_t* cairo, CGFloat scale, const std::vector<const CALayer*>& leftOut,
                  const CARenderDamage* damage = nullptr)
        : cairo_(cairo), scale_(scale), leftOut_(leftOut), damage_(damage) {}
    void render(CALayer& layer);
    const CALayer* fault() const { return fault_; }

  private:
    // An opaque image replaces what is under it; others blend over it.
    enum class ImageCover { blend, replace };

    bool isDrawn(const CALayer& layer) const;
    bool noteFault(const CALayer& layer);
    CGRect extent(const CALayer& layer, CGRect bounds) const;
    void beginOpacityGroup(const CALayer& layer, CGRect bounds);
    void endOpacityGroup(float opacity);
    // Paints the representation of `original` nearest to the device's pixels a point.
    void paintImage(const CGImage& original, CGRect rect, ImageCover cover = ImageCover::blend);
    bool paintImageOnPixelGrid(const CGImage& image, CGRect rect, ImageCover cover);
    void renderBackground(const CALayer& layer, CGRect bounds, CGFloat radius);
    bool renderInsideBounds(CALayer& layer, CGRect bounds, CGFloat radius);
    void clipToBounds(CGRect bounds, CGFloat radius);
    void renderOwnContent(CALayer& layer, CGRect bounds, CGFloat radius);
    void renderDrawnContent(CALayer& layer, CGRect bounds);
    void renderShape(const CAShapeLayer& shape);
    void renderText(const CATextLayer& text, CGRect bounds);
    void renderBorder(const CALayer& layer, CGRect bounds, CGFloat radius);

    cairo_t* cairo_;
    CGFloat scale_;
    const std::vector<const CALayer*>& leftOut_;
    const CARenderDamage* damage_;
    const CALayer* fault_ = nullptr;
};
