// A layer that fills and strokes a path in its own coordinates, above its
// background and below its sublayers.
#pragma once

#include <CoreGraphics/CGPath.h>
#include <QuartzCore/CALayer.h>

class CAShapeLayer;
using CAShapeLayerRef = std::shared_ptr<CAShapeLayer>;

class CAShapeLayer : public CALayer {
  public:
    CAShapeLayer();
    static CAShapeLayerRef layer() { return std::make_shared<CAShapeLayer>(); }

    // The layer keeps its own copy; a path change shows at once.
    CGPathRef path() const { return path_; }
    void setPath(const CGPathRef& path);
    // Opaque black by default; null fills nothing.
    CGColorRef fillColor() const { return fillColor_; }
    void setFillColor(CGColorRef color);
    // None by default.
    CGColorRef strokeColor() const { return strokeColor_; }
    void setStrokeColor(CGColorRef color);
    CGFloat lineWidth() const { return lineWidth_; }
    void setLineWidth(CGFloat width);
    bool fillsEvenOdd() const { return evenOdd_; }
    void setFillsEvenOdd(bool evenOdd) {
        noteChange();
        evenOdd_ = evenOdd;
    }

    CGColorRef presentationFillColor() const;
    CGColorRef presentationStrokeColor() const;
    CGFloat presentationLineWidth() const;

  private:
    CGPathRef path_;
    CGColorRef fillColor_;
    CGColorRef strokeColor_;
    CGFloat lineWidth_ = 1;
    bool evenOdd_ = false;
};
