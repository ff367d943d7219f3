// Draws a layer tree into pixels: the root's frame origin at the image's top-left,
// `sizeInPoints` x `scale` pixels, presentation values at the clock's time. Lays out
// and displays what needs it first. Content that does not change (a layer's drawn
// content until setNeedsDisplay, decoded images, pattern surfaces, text layouts) is
// cached between frames; and so is the last frame: the next one of the same tree at
// the same size draws again only the pixels that changed (CARenderDamage.h), the
// same image when none did.
#pragma once

#include <CoreGraphics/CGImage.h>
#include <QuartzCore/CALayer.h>

CGImageRef CARenderLayerTree(CALayer* root, CGSize sizeInPoints, CGFloat scale);
// The whole tree drawn afresh, leaving the kept frame and the layers' record of it as
// they were: what a frame that redraws only its changes must equal.
CGImageRef CARenderLayerTreeWhole(CALayer* root, CGSize sizeInPoints, CGFloat scale);
bool CARendererHasRunningAnimations(CALayer* root);
