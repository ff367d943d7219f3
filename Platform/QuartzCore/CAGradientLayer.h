// A layer that shows an axial gradient over its bounds (inside its rounded
// corners), evenly spaced stops. Points are in the unit square of the bounds.
#pragma once

#include <QuartzCore/CALayer.h>

class CAGradientLayer;
using CAGradientLayerRef = std::shared_ptr<CAGradientLayer>;

class CAGradientLayer : public CALayer {
  public:
    static CAGradientLayerRef layer() { return std::make_shared<CAGradientLayer>(); }

    // A change of colours shows at once (no cross-fade).
    const std::vector<CGColorRef>& colors() const { return colors_; }
    void setColors(std::vector<CGColorRef> colors);
    // Stop positions 0..1, one per colour; empty spaces the colours evenly.
    const std::vector<CGFloat>& locations() const { return locations_; }
    void setLocations(std::vector<CGFloat> locations);
    CGPoint startPoint() const { return startPoint_; }
    void setStartPoint(CGPoint point);
    CGPoint endPoint() const { return endPoint_; }
    void setEndPoint(CGPoint point);

    CGPoint presentationStartPoint() const;
    CGPoint presentationEndPoint() const;

  private:
    std::vector<CGColorRef> colors_;
    std::vector<CGFloat> locations_;
    CGPoint startPoint_{0.5f, 0};
    CGPoint endPoint_{0.5f, 1};
};
