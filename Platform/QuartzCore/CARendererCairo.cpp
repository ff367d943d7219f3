#include <CoreGraphics/CGHandlesCairo.h>
#include <QuartzCore/CALayerPrivate.h>
#include <QuartzCore/CAMediaTiming.h>
#include <QuartzCore/CARenderDamage.h>
#include <QuartzCore/CARenderer.h>
#include <QuartzCore/LayerRendererCairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>

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
// error state, if one did. With `damage`, layers that do not reach it are passed by.
const CALayer* drawTree(cairo_surface_t* surface, CALayer& root, CGFloat scale,
                        const std::vector<const CALayer*>& leftOut,
                        const CARenderDamage* damage = nullptr) {
    CairoPtr cairo(cairo_create(surface));
    cairo_scale(cairo.get(), scale, scale);
    CGRect frame = root.frame();
    if (CGPointIsFinite(frame.origin)) {
        cairo_translate(cairo.get(), -frame.origin.x, -frame.origin.y);
    }
    LayerRenderer renderer(cairo.get(), scale, leftOut, damage);
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

// The last frame drawn, kept so that the next one of the same tree at the same size
// redraws only what changed. Frames past this many pixels are not kept (a window
// stretched across a huge display would hold hundreds of megabytes for it).
constexpr double largestKeptFrame = 4096.0 * 4096.0;

struct KeptFrame {
    std::weak_ptr<NSObject> root;
    int width = 0, height = 0;
    CGFloat scale = 0;
    CGImageRef image;
    std::uint64_t number = 0;    // of the frame `image` is
    CGImage::SurfacePtr scratch; // where damage is drawn (redrawDamage)
};

KeptFrame& keptFrame() {
    static KeptFrame kept;
    return kept;
}

bool isKeptFrameOf(const CALayer& root, int width, int height, CGFloat scale) {
    const KeptFrame& kept = keptFrame();
    std::shared_ptr<NSObject> keptRoot = kept.root.lock();
    return kept.image && keptRoot.get() == &root && kept.width == width && kept.height == height &&
           kept.scale == scale;
}

// The pixels of `rect` (whole pixels inside both surfaces, which have one size).
void copyRect(cairo_surface_t* from, cairo_surface_t* to, CGRect rect) {
    auto x = static_cast<std::ptrdiff_t>(rect.origin.x);
    auto y = static_cast<std::ptrdiff_t>(rect.origin.y);
    auto rows = static_cast<std::ptrdiff_t>(rect.size.height);
    auto bytes = static_cast<std::size_t>(rect.size.width) * 4;
    cairo_surface_flush(from);
    cairo_surface_flush(to);
    const unsigned char* source = cairo_image_surface_get_data(from);
    unsigned char* target = cairo_image_surface_get_data(to);
    std::ptrdiff_t fromStride = cairo_image_surface_get_stride(from);
    std::ptrdiff_t toStride = cairo_image_surface_get_stride(to);
    for (std::ptrdiff_t row = y; row < y + rows; ++row) {
        std::memcpy(target + row * toStride + x * 4, source + row * fromStride + x * 4, bytes);
    }
    cairo_surface_mark_dirty(to);
}

// Copy on write: the kept frame is drawn on in place only while the renderer alone
// holds it (a host that has shown a frame lets go of it); an image that anyone else
// holds never changes, so it is copied and the copy drawn on.
CGImageRef writable(CGImageRef& kept, CGFloat scale) {
    if (kept.use_count() == 1) {
        return std::move(kept);
    }
    CGImage::SurfacePtr copy =
        createSurface(static_cast<int>(kept->width()), static_cast<int>(kept->height()));
    copyRect(kept->cairoSurface(), copy.get(),
             CGRectMake(0, 0, static_cast<CGFloat>(kept->width()),
                        static_cast<CGFloat>(kept->height())));
    return std::make_shared<const CGImage>(std::move(copy), scale);
}

// The kept frame with `damage` drawn again (CARenderer.h). None after a fault.
//
// The tree is drawn on a scratch frame of the same size, unclipped, passing by the
// layers that do not reach the damage, and only the damaged pixels are copied over:
// Cairo rasterises edges and filters images through a clip, or at another origin,
// a little differently (a level or two), and these pixels must be those of a whole
// frame. What the scratch holds outside the damage is never read.
CGImageRef redrawDamage(CALayer& root, CGFloat scale, const CARenderDamage& damage) {
    KeptFrame& kept = keptFrame();
    if (!kept.scratch) {
        kept.scratch = createSurface(kept.width, kept.height);
    }
    CairoPtr clear(cairo_create(kept.scratch.get()));
    cairo_set_operator(clear.get(), CAIRO_OPERATOR_CLEAR);
    for (CGRect r : damage.rects) {
        cairo_rectangle(clear.get(), r.origin.x, r.origin.y, r.size.width, r.size.height);
    }
    cairo_fill(clear.get());
    clear.reset();
    if (drawTree(kept.scratch.get(), root, scale, {}, &damage)) {
        return nullptr;
    }
    CGImageRef image = writable(kept.image, scale);
    for (CGRect rect : damage.rects) {
        copyRect(kept.scratch.get(), image->cairoSurface(), rect);
    }
    return image;
}

} // namespace

namespace {

// The frame's size in pixels; false when it cannot be drawn.
bool framePixels(CGSize sizeInPoints, CGFloat& scale, int& width, int& height) {
    if (!(scale > 0) || !std::isfinite(scale)) {
        scale = 1;
    }
    double w = std::ceil(static_cast<double>(sizeInPoints.width) * scale);
    double h = std::ceil(static_cast<double>(sizeInPoints.height) * scale);
    if (!(w >= 1 && h >= 1 && w <= 16384 && h <= 16384)) {
        return false;
    }
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

// Layout and the delegates' drawing, before anything is composited (a delegate's
// drawing may change layers).
void prepareTree(CALayer& root, CGFloat scale) {
    root.layoutIfNeeded();
    displayTree(root, scale);
    CALayerMarkPresented(root);
}

} // namespace

CARenderedFrame CARenderLayerTreeChanges(CALayer* root, CGSize sizeInPoints, CGFloat scale) {
    static std::uint64_t frames = 0;
    CARenderedFrame frame;
    frame.damage.whole = true;
    int width = 0, height = 0;
    if (!framePixels(sizeInPoints, scale, width, height)) {
        return frame;
    }
    frame.number = ++frames;
    if (!root) {
        frame.image = std::make_shared<const CGImage>(createSurface(width, height), scale);
        return frame;
    }
    CAMediaTimeFrameHold frameTime;
    prepareTree(*root, scale);
    CARenderDamage damage = CARenderCollectDamage(
        *root, scale, {static_cast<CGFloat>(width), static_cast<CGFloat>(height)});
    KeptFrame& kept = keptFrame();
    bool continues = isKeptFrameOf(*root, width, height, scale);
    if (continues && !damage.whole && damage.empty()) {
        --frames; // the same frame again
        return {kept.image, damage, kept.number, kept.number};
    }
    if (continues && !damage.whole) {
        frame.base = kept.number;
        frame.image = redrawDamage(*root, scale, damage);
        frame.damage = damage;
    }
    if (!frame.image) {
        frame.base = 0;
        frame.damage = {{}, true};
        frame.image =
            std::make_shared<const CGImage>(drawFrame(*root, width, height, scale), scale);
    }
    if (!continues) {
        kept = {};
    }
    if (static_cast<double>(width) * height <= largestKeptFrame) {
        kept.root = root->weak_from_this();
        kept.width = width;
        kept.height = height;
        kept.scale = scale;
        kept.image = frame.image;
        kept.number = frame.number;
    }
    return frame;
}

CGImageRef CARenderLayerTree(CALayer* root, CGSize sizeInPoints, CGFloat scale) {
    return CARenderLayerTreeChanges(root, sizeInPoints, scale).image;
}

CGImageRef CARenderLayerTreeWhole(CALayer* root, CGSize sizeInPoints, CGFloat scale) {
    int width = 0, height = 0;
    if (!root || !framePixels(sizeInPoints, scale, width, height)) {
        return nullptr;
    }
    CAMediaTimeFrameHold frameTime;
    prepareTree(*root, scale);
    return std::make_shared<const CGImage>(drawFrame(*root, width, height, scale), scale);
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
