// Rendering a 320 x 480 point layer tree of about 40 layers (paths, gradients,
// images, text, a pattern) as the picker's screen has, at scale 1 and 2: a steady
// frame (everything cached), a frame while the knob moves, and a frame in which
// every drawn view was marked for redisplay; against a bare frame as the baseline.
#include <CoreGraphics/CGBitmapContext.h>
#include <CoreGraphics/CGContext.h>
#include <QuartzCore/CAGradientLayer.h>
#include <QuartzCore/CAMediaTiming.h>
#include <QuartzCore/CARenderer.h>
#include <QuartzCore/CAShapeLayer.h>
#include <QuartzCore/CATextLayer.h>
#include <QuartzCore/CATransaction.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

namespace {

CGColorRef rgba(CGFloat r, CGFloat g, CGFloat b, CGFloat a = 1) {
    const CGFloat components[] = {r, g, b, a};
    return CGColorCreate(CGColorSpaceCreateDeviceRGB(), components);
}

CGMutablePathRef roundRect(CGRect r, CGFloat radius) {
    CGFloat left = CGRectGetMinX(r) + 1, top = CGRectGetMinY(r) + 1;
    CGFloat right = CGRectGetMaxX(r) - 1, bottom = CGRectGetMaxY(r) - 1;
    auto path = CGPathCreateMutable();
    CGPathMoveToPoint(path, nullptr, left, CGRectGetMidY(r));
    CGPathAddArcToPoint(path, nullptr, left, top, CGRectGetMidX(r), top, radius);
    CGPathAddArcToPoint(path, nullptr, right, top, right, CGRectGetMidY(r), radius);
    CGPathAddArcToPoint(path, nullptr, right, bottom, CGRectGetMidX(r), bottom, radius);
    CGPathAddArcToPoint(path, nullptr, left, bottom, left, CGRectGetMidY(r), radius);
    CGPathCloseSubpath(path);
    return path;
}

// Images made in memory, so the benchmark runs from any folder.
CGImageRef wheelImage() {
    std::vector<CGPixel> pixels(480 * 480);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 480; ++x) {
            double dx = (x + 0.5) / 2 - 120, dy = 120 - (y + 0.5) / 2;
            double d = std::hypot(dx, dy) / 120;
            auto hue = static_cast<std::uint8_t>((std::atan2(dy, dx) + std::numbers::pi) /
                                                 (2 * std::numbers::pi) * 255);
            pixels[static_cast<std::size_t>(y * 480 + x)] =
                d <= 1 ? CGPixel{hue, static_cast<std::uint8_t>(255 - hue),
                                 static_cast<std::uint8_t>(d * 255), 255}
                       : CGPixel{};
        }
    }
    return CGImageCreateWithPixels(480, 480, 2, pixels);
}

CGImageRef tileImage() {
    std::vector<CGPixel> pixels(32 * 32);
    for (int i = 0; i < 32 * 32; ++i) {
        bool light = ((i % 32) / 16 + (i / 32) / 16) % 2 == 0;
        pixels[static_cast<std::size_t>(i)] =
            light ? CGPixel{255, 255, 255, 255} : CGPixel{204, 204, 204, 255};
    }
    return CGImageCreateWithPixels(32, 32, 2, pixels);
}

class SwatchDrawing : public CALayerDelegate {
  public:
    SwatchDrawing(CGColorRef color, CGColorRef checker)
        : color_(std::move(color)), checker_(std::move(checker)) {}
    void drawLayerInContext(CALayer* layer, CGContext* c) override {
        CGRect b = layer->bounds();
        CGContextAddPath(c, roundRect(CGRectInset(b, 1, 1), 5));
        CGContextSetFillColorWithColor(c, checker_);
        CGContextFillPath(c);
        CGContextAddPath(c, roundRect(b, 7));
        CGContextSetFillColorWithColor(c, color_);
        CGContextFillPath(c);
        CGContextSetLineWidth(c, 1);
        CGContextAddPath(c, roundRect(CGRectInset(b, 0.5f, 0.5f), 6));
        CGContextSetStrokeColorWithColor(c, rgba(0.6f, 0.6f, 0.6f));
        CGContextSetBlendMode(c, kCGBlendModeMultiply);
        CGContextSetShadowWithColor(c, CGSizeMake(0, 1), 0, rgba(1, 1, 1, 0.8f));
        CGContextStrokePath(c);
        CGContextSetBlendMode(c, kCGBlendModeNormal);
    }

  private:
    CGColorRef color_, checker_;
};

struct Scene {
    CALayerRef root;
    CALayerRef knob;
    std::vector<CALayerRef> drawn;
    std::vector<std::unique_ptr<CALayerDelegate>> delegates;
    int layerCount = 0;

    CALayerRef add(const CALayerRef& parent, CALayerRef layer, CGRect frame,
                   CGColorRef background = nullptr) {
        layer->setFrame(frame);
        layer->setBackgroundColor(std::move(background));
        parent->addSublayer(layer);
        ++layerCount;
        return layer;
    }

    CATextLayerRef text(const CALayerRef& parent, CGRect frame, const char* string, CGFloat size,
                        bool bold) {
        auto layer = CATextLayer::layer();
        layer->setString(string);
        layer->setFontSize(size);
        layer->setBold(bold);
        layer->setForegroundColor(rgba(0, 0, 0));
        add(parent, layer, frame);
        return layer;
    }

    Scene() {
        CATransaction::begin();
        CATransaction::setDisableActions(true);
        CGColorRef checker = CGColorCreateWithPattern(tileImage(), 1);
        root = CALayer::layer();
        root->setFrame(CGRectMake(0, 0, 320, 480));
        root->setBackgroundColor(rgba(0.35f, 0.34f, 0.84f));
        layerCount = 1;
        add(root, CALayer::layer(), CGRectMake(0, 0, 320, 20), rgba(0, 0, 0));
        auto bar =
            add(root, CALayer::layer(), CGRectMake(0, 20, 320, 44), rgba(0.97f, 0.97f, 0.97f));
        text(bar, CGRectMake(110, 12, 100, 22), "Prismkey", 17, true);
        text(bar, CGRectMake(270, 12, 45, 22), "Save", 17, false);
        auto toggle = add(bar, CALayer::layer(), CGRectMake(8, 8, 51, 28), rgba(0.3f, 0.85f, 0.4f));
        toggle->setCornerRadius(14);
        add(toggle, CALayer::layer(), CGRectMake(24, 1, 26, 26), rgba(1, 1, 1))
            ->setCornerRadius(13);

        auto picker = add(root, CALayer::layer(), CGRectMake(0, 64, 320, 416));
        auto gradient = CAGradientLayer::layer();
        gradient->setColors({rgba(0.1f, 0.84f, 0.99f), rgba(0.11f, 0.38f, 0.94f)});
        add(picker, gradient, CGRectMake(0, 0, 320, 416));
        auto wheel = add(picker, CALayer::layer(), CGRectMake(40, 15, 240, 240));
        add(wheel, CALayer::layer(), CGRectMake(0, 0, 240, 240))->setContents(wheelImage());
        knob = add(wheel, CAShapeLayer::layer(), CGRectMake(105, 105, 30, 30));
        auto ring = CGPathCreateMutable();
        CGPathAddEllipseInRect(ring, nullptr, CGRectMake(3, 3, 24, 24));
        CGPathAddEllipseInRect(ring, nullptr, CGRectMake(7, 7, 16, 16));
        auto knobShape = std::static_pointer_cast<CAShapeLayer>(knob);
        knobShape->setPath(ring);
        knobShape->setFillsEvenOdd(true);
        knobShape->setFillColor(rgba(1, 1, 1));
        knobShape->setStrokeColor(rgba(0, 0, 0, 0.4f));

        const CGColorRef palette[] = {rgba(1, 0, 0), rgba(1, 1, 0), rgba(0, 1, 0),
                                      rgba(0, 1, 1), rgba(0, 0, 1), rgba(1, 0, 1, 0.5f)};
        for (int i = 0; i < 6; ++i) {
            delegates.push_back(std::make_unique<SwatchDrawing>(palette[i], checker));
            auto swatch = add(picker, CALayer::layer(), CGRectMake(25.33f + 46 * i, 370, 36, 36));
            swatch->setDelegate(delegates.back().get());
            swatch->setNeedsDisplay();
            drawn.push_back(swatch);
            auto touch = add(swatch, CAShapeLayer::layer(), CGRectZero);
            std::static_pointer_cast<CAShapeLayer>(touch)->setPath(
                roundRect(CGRectMake(0, 0, 36, 36), 6));
            touch->setOpacity(i == 2 ? 0.2f : 0);
            auto mark = add(swatch, CAShapeLayer::layer(), CGRectMake(11, 11, 22, 22));
            std::static_pointer_cast<CAShapeLayer>(mark)->setPath(
                CGPathCreateWithEllipseInRect(CGRectMake(1, 1, 20, 20), nullptr));
            mark->setHidden(i != 4);
        }
        delegates.push_back(std::make_unique<SwatchDrawing>(rgba(0, 0, 1, 0.6f), checker));
        auto compare = add(picker, CALayer::layer(), CGRectMake(10, 10, 44, 44));
        compare->setDelegate(delegates.back().get());
        compare->setNeedsDisplay();
        drawn.push_back(compare);
        add(compare, CAShapeLayer::layer(), CGRectZero)->setOpacity(0);

        for (int i = 0; i < 2; ++i) {
            auto track =
                add(picker, CALayer::layer(), CGRectMake(42, 277 + 44 * i, 236, 26), checker);
            track->setCornerRadius(6);
            track->setMasksToBounds(true);
            auto slider = CAGradientLayer::layer();
            slider->setColors({rgba(1, 0, 0), i == 0 ? rgba(0, 0, 0) : rgba(1, 0, 0, 0)});
            slider->setStartPoint(CGPointMake(0, 0.5f));
            slider->setEndPoint(CGPointMake(1, 0.5f));
            add(track, slider, CGRectMake(0, 0, 236, 26));
            slider->setCornerRadius(4);
            slider->setBorderWidth(2);
            slider->setBorderColor(rgba(1, 1, 1));
        }
        auto more = text(picker, CGRectMake(130, 280, 200, 100), "-->More apps by me", 15, false);
        more->setForegroundColor(rgba(0, 1, 0));
        auto group = add(picker, CALayer::layer(), CGRectMake(250, 10, 60, 44), rgba(1, 1, 1));
        group->setOpacity(0.8f);
        text(group, CGRectMake(4, 12, 52, 20), "Alpha", 13, false);
        CATransaction::commit();
    }
};

// The baseline: a frame with one opaque layer, the cost of the surface alone.
void renderBareFrame(benchmark::State& state) {
    CAMediaTimeUseVirtualClock(0);
    auto root = CALayer::layer();
    CATransaction::begin();
    CATransaction::setDisableActions(true);
    root->setFrame(CGRectMake(0, 0, 320, 480));
    root->setBackgroundColor(rgba(1, 1, 1));
    CATransaction::commit();
    CGFloat scale = static_cast<CGFloat>(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(CARenderLayerTree(root.get(), CGSizeMake(320, 480), scale));
    }
}

void renderSteadyFrame(benchmark::State& state) {
    CAMediaTimeUseVirtualClock(0);
    Scene scene;
    CGFloat scale = static_cast<CGFloat>(state.range(0));
    CARenderLayerTree(scene.root.get(), CGSizeMake(320, 480), scale); // warm the caches
    for (auto _ : state) {
        benchmark::DoNotOptimize(CARenderLayerTree(scene.root.get(), CGSizeMake(320, 480), scale));
    }
    state.counters["layers"] = scene.layerCount;
}

void renderWhileKnobMoves(benchmark::State& state) {
    CAMediaTimeUseVirtualClock(0);
    Scene scene;
    CGFloat scale = static_cast<CGFloat>(state.range(0));
    CATransaction::begin();
    CATransaction::setDisableActions(true);
    int step = 0;
    for (auto _ : state) {
        scene.knob->setPosition(CGPointMake(60 + step % 120, 120));
        ++step;
        benchmark::DoNotOptimize(CARenderLayerTree(scene.root.get(), CGSizeMake(320, 480), scale));
    }
    CATransaction::commit();
}

void renderWithEveryViewRedrawn(benchmark::State& state) {
    CAMediaTimeUseVirtualClock(0);
    Scene scene;
    CGFloat scale = static_cast<CGFloat>(state.range(0));
    for (auto _ : state) {
        for (const auto& layer : scene.drawn) {
            layer->setNeedsDisplay();
        }
        benchmark::DoNotOptimize(CARenderLayerTree(scene.root.get(), CGSizeMake(320, 480), scale));
    }
}

} // namespace

BENCHMARK(renderBareFrame)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(renderSteadyFrame)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(renderWhileKnobMoves)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(renderWithEveryViewRedrawn)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
