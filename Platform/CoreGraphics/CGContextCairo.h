// The drawing context over a Cairo context. The Cairo context's CTM at creation is
// the base space (points); `deviceScale` is the pixels per point behind it, used
// for shadows, whose offset and blur do not follow the CTM.
#pragma once

#include <CoreGraphics/CGContext.h>
#include <CoreGraphics/CGHandlesCairo.h>

#include <vector>

class CGCairoContext : public CGContext {
  public:
    // `cairo` stays owned by the caller and must outlive this context.
    CGCairoContext(cairo_t* cairo, CGFloat deviceScale);
    // Owns `surface` (an image surface) and draws on it with the CTM scaled.
    CGCairoContext(CairoSurfacePtr surface, CGFloat deviceScale);

    cairo_t* cairo() const { return cairo_; }
    cairo_surface_t* ownedSurface() const { return ownedSurface_.get(); }
    CGFloat deviceScale() const { return deviceScale_; }
    // Whether any operation has put paint on the surface.
    bool hasDrawn() const { return hasDrawn_; }
    // Makes the current CTM the base space that pattern tiles start from.
    void markBaseSpace();
    // Hands over the owned surface; the context is unusable afterwards.
    CairoSurfacePtr releaseSurface();

    void saveGState() override;
    void restoreGState() override;
    void beginPath() override;
    void addPath(const CGPath& path) override;
    void drawPath(CGPathDrawingMode mode) override;
    void clipToPath(bool evenOdd) override;
    void fillRect(CGRect rect) override;
    void strokeRect(CGRect rect) override;
    void clearRect(CGRect rect) override;
    void clipToRect(CGRect rect) override;
    void setFillColor(CGColorRef color) override;
    void setStrokeColor(CGColorRef color) override;
    void setLineWidth(CGFloat width) override;
    void setLineCap(CGLineCap cap) override;
    void setLineJoin(CGLineJoin join) override;
    void setBlendMode(CGBlendMode mode) override;
    void setAlpha(CGFloat alpha) override;
    void setShadow(CGSize offset, CGFloat blur, CGColorRef color) override;
    void translateCTM(CGFloat tx, CGFloat ty) override;
    void scaleCTM(CGFloat sx, CGFloat sy) override;
    void drawImage(CGRect rect, const CGImageRef& image) override;
    void drawText(const std::string& text, CGRect rect, CGFloat fontSize, bool bold,
                  CGTextAlignment alignment) override;

  private:
    // The parts of the graphics state that Cairo does not keep.
    struct State {
        CGColorRef fillColor;
        CGColorRef strokeColor;
        CGBlendMode blendMode = kCGBlendModeNormal;
        CGFloat alpha = 1;
        CGSize shadowOffset{};
        CGFloat shadowBlur = 0;
        CGColorRef shadowColor;
    };

    enum class Paint { fill, stroke };
    enum class FillRule { winding, evenOdd };
    // Filling then stroking one path keeps it for the stroke.
    enum class AfterPaint { clearPath, keepPath };
    void paintPath(Paint paint, FillRule rule, AfterPaint after);
    void setFillRule(FillRule rule);
    void paintShadow(Paint paint, const CGColorRef& color);
    // Sets the Cairo source; `alpha` receives what must still be applied by a group
    // (pattern colours), solid colours carry theirs in the source.
    void setSourceForColor(const CGColorRef& color, double& alpha);
    bool hasShadow() const;

    CairoPtr ownedCairo_;
    CairoSurfacePtr ownedSurface_;
    cairo_t* cairo_ = nullptr;
    CGFloat deviceScale_ = 1;
    cairo_matrix_t baseMatrix_{};
    bool hasDrawn_ = false;
    std::vector<State> states_{State{}};
};
