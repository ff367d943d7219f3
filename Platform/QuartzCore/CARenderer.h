// Draws a layer tree into pixels: the root's frame origin at the image's top-left,
// `sizeInPoints` x `scale` pixels, presentation values at the clock's time. Lays out
// and displays what needs it first. Content that does not change (a layer's drawn
// content until setNeedsDisplay, decoded images, pattern surfaces, text layouts) is
// cached between frames.
#pragma once

#include <CoreGraphics/CGImage.h>
#include <QuartzCore/CALayer.h>

CGImageRef CARenderLayerTree(CALayer* root, CGSize sizeInPoints, CGFloat scale);
bool CARendererHasRunningAnimations(CALayer* root);
