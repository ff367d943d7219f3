// What changed on screen between two frames of a tree, so that a frame redraws only
// those pixels over the one before. Each layer keeps the pixels that it and its
// sublayers covered in the last frame; a layer that changed (any property that can
// alter what it draws or where), was added, is animating or was animating then,
// damages where its subtree was and where it is now; a layer that left the tree,
// where it was. The extents are generous (antialiasing, stroke joins, text ink): a
// wider damage costs a few pixels, a narrower one would leave stale ones.
#pragma once

#include <CoreGraphics/CGGeometry.h>
#include <QuartzCore/CALayer.h>

#include <vector>

struct CARenderDamage {
    std::vector<CGRect> rects; // whole device pixels, inside the frame
    bool whole = false;        // the whole frame

    bool empty() const { return !whole && rects.empty(); }
    // Whether `pixels` meets the damage.
    bool touches(CGRect pixels) const;
};

// Walks `root`'s tree as the renderer places it (its frame's origin at the image's
// top-left, `scale` pixels a point, presentation values now) in a frame of
// `framePixels`: records in each drawn layer what it covers now, clears the layers'
// change marks and the removals noted since, and returns the pixels that changed. A
// few rectangles at most: many become their bounding box, most of the frame the
// whole frame.
CARenderDamage CARenderCollectDamage(CALayer& root, CGFloat scale, CGSize framePixels);

// A layer leaves its tree: the pixels it covered are damage of the next frame.
void CARenderNoteRemoval(const CALayer& layer);
