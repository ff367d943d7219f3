#include <CoreGraphics/CGHandlesCairo.h>
#include <QuartzCore/CALayerPrivate.h>
#include <QuartzCore/CARenderer.h>
#include <QuartzCore/LayerRendererCairo.h>

#include <algorithm>
#include <cmath>

namespace {

void displayTree(CALayer& layer, CGFloat scale) {
    if (layer.isHidden()) {
        return;
    }
    if (layer.needsDisplay()) {
        CALayerDisplay(layer, scale);
    }
    std::vector<CALayerRef> sublayers = layer.sublayers();
    for (const auto& sublayer : sublayers) {
        displayTree(*sublayer, scale);
    }
}

CGImage::SurfacePtr createSurface(int width, int height) {
    return CGImage::SurfacePtr(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
}

// Draws the tree onto `surface`; the layer whose drawing left the context in an
// error state, if one did.
const CALayer* drawTree(cairo_surface_t* surface, CALayer& root, CGFloat scale,
                        const std::vector<const CALayer*>& leftOut) {
    CairoPtr cairo(cairo_create(surface));
    cairo_scale(cairo.get(), scale, scale);
    CGRect frame = root.frame();
    if (CGPointIsFinite(frame.origin)) {
        cairo_translate(cairo.get(), -frame.origin.x, -frame.origin.y);
    }
    LayerRenderer renderer(cairo.get(), scale, leftOut);
    renderer.render(root);
    return renderer.fault();
}

// A Cairo context in an error state draws nothing more, which would blank the rest
// of the frame: the frame is drawn again, on a fresh surface, without the layer
// that caused it. Each pass leaves one more layer out, so this ends.
CGImage::SurfacePtr drawFrame(CALayer& root, int width, int height, CGFloat scale) {
    std::vector<const CALayer*> leftOut;
    for (;;) {
        CGImage::SurfacePtr surface = createSurface(width, height);
        const CALayer* fault = drawTree(surface.get(), root, scale, leftOut);
        if (!fault || std::find(leftOut.begin(), leftOut.end(), fault) != leftOut.end()) {
            return surface;
        }
        leftOut.push_back(fault);
    }
}

} // namespace

CGImageRef CARenderLayerTree(CALayer* root, CGSize sizeInPoints, CGFloat scale) {
    if (!(scale > 0) || !std::isfinite(scale)) {
        scale = 1;
    }
    double width = std::ceil(static_cast<double>(sizeInPoints.width) * scale);
    double height = std::ceil(static_cast<double>(sizeInPoints.height) * scale);
    if (!(width >= 1 && height >= 1 && width <= 16384 && height <= 16384)) {
        return nullptr;
    }
    if (!root) {
        return std::make_shared<const CGImage>(
            createSurface(static_cast<int>(width), static_cast<int>(height)), scale);
    }
    root->layoutIfNeeded();
    // Drawing before compositing lets a delegate's drawing change layers safely.
    displayTree(*root, scale);
    CALayerMarkPresented(*root);
    return std::make_shared<const CGImage>(
        drawFrame(*root, static_cast<int>(width), static_cast<int>(height), scale), scale);
}

bool CARendererHasRunningAnimations(CALayer* root) {
    if (!root) {
        return false;
    }
    if (root->hasRunningAnimations()) {
        return true;
    }
    return std::any_of(
        root->sublayers().begin(), root->sublayers().end(),
        [](const CALayerRef& sublayer) { return CARendererHasRunningAnimations(sublayer.get()); });
}
