// The parts of a layer that the layer, its subclasses and the renderer share.
#pragma once

#include <CoreGraphics/CGImage.h>
#include <QuartzCore/CALayer.h>

#include <string>
#include <vector>

struct CAPropertyAnimation {
    std::string key;
    CAAnimatableValue from;
    double beginTime = 0;
    double duration = 0;
    bool implicit = false; // decided by the transaction, not the delegate
};

struct CALayer::Private {
    std::vector<CAPropertyAnimation> animations;
    // Set when the renderer first meets the layer. Implicit animations begun before
    // then are dropped: a layer first appears with its model values, as a layer
    // that was never on screen has no old value to animate from.
    bool presented = false;
    // The delegate's drawing, rasterised at `contentScale`, kept until the layer is
    // marked again. Null when the drawing put nothing on the surface.
    CGImageRef content;
    CGFloat contentScale = 0;
    // Set once the layer has been marked for display: only such layers draw content.
    bool drawsContent = false;
    // Content the renderer computes from the layer's own properties (a gradient),
    // kept while the values it was made from (`rasterKey`) stay the same.
    CGImageRef raster;
    std::vector<double> rasterKey;
    // For redrawing only what changed between frames (CARenderDamage.h): whether the
    // layer changed since the last frame, the pixels that it and its sublayers covered
    // in that frame (empty: none), and whether it was animating then.
    bool damaged = true;
    CGRect shown{};
    bool animatedWhenShown = false;
};

// Marks `layer` and its whole subtree as on screen, dropping implicit animations
// of layers that were not yet.
void CALayerMarkPresented(CALayer& layer);
// Draws `layer`'s content at `scale` pixels per point into its cache.
void CALayerDisplay(CALayer& layer, CGFloat scale);
// Interpolates linearly; a colour and a null colour meet at transparent black,
// pattern colours switch at the start.
CAAnimatableValue CAInterpolate(const CAAnimatableValue& from, const CAAnimatableValue& to,
                                double progress);
bool CAAnimatableEqual(const CAAnimatableValue& a, const CAAnimatableValue& b);
