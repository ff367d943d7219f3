// Draws a layer tree into pixels: the root's frame origin at the image's top-left,
// `sizeInPoints` x `scale` pixels, presentation values at the clock's time. Lays out
// and displays what needs it first. Content that does not change (a layer's drawn
// content until setNeedsDisplay, decoded images, pattern surfaces, text layouts) is
// cached between frames; and so is the last frame: the next one of the same tree at
// the same size is that frame's pixels with only what changed drawn again
// (CARenderDamage.h), on a copy (an image once returned never changes), or the same
// image when nothing changed.
#pragma once

#include <CoreGraphics/CGImage.h>
#include <QuartzCore/CALayer.h>
#include <QuartzCore/CARenderDamage.h>

#include <cstdint>

// A frame, numbered, and what changed since the frame numbered `base`: a host that
// shows that frame needs to show only `damage` of this one (nothing, when the number
// is the same). Base 0 (the first frame, a new size or scale): the whole frame is new.
// A host that lets go of a frame once it is shown spares the next frame a copy.
struct CARenderedFrame {
    CGImageRef image;
    CARenderDamage damage;
    std::uint64_t number = 0;
    std::uint64_t base = 0;
};

CARenderedFrame CARenderLayerTreeChanges(CALayer* root, CGSize sizeInPoints, CGFloat scale);
CGImageRef CARenderLayerTree(CALayer* root, CGSize sizeInPoints, CGFloat scale);
// The whole tree drawn afresh, leaving the kept frame and the layers' record of it as
// they were: what a frame that redraws only its changes must equal.
CGImageRef CARenderLayerTreeWhole(CALayer* root, CGSize sizeInPoints, CGFloat scale);
bool CARendererHasRunningAnimations(CALayer* root);
