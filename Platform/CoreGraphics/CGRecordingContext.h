// A context that keeps every operation, in order, as a record that tests compare
// exactly. Nothing is drawn.
#pragma once

#include <CoreGraphics/CGContext.h>

#include <string>
#include <vector>

struct CGDrawingRecord {
    enum class Kind {
        saveGState,
        restoreGState,
        beginPath,
        addPath,      // elements
        drawPath,     // drawingMode
        clipToPath,   // evenOdd
        fillRect,     // rect
        strokeRect,   // rect
        clearRect,    // rect
        clipToRect,   // rect
        setFillColor, // color
        setStrokeColor,
        setLineWidth, // value
        setLineCap,   // lineCap
        setLineJoin,  // lineJoin
        setBlendMode, // blendMode
        setAlpha,     // value
        setShadow,    // size (offset), value (blur), color
        translateCTM, // size (tx, ty)
        scaleCTM,     // size (sx, sy)
        drawImage,    // rect, image
        drawText,     // text, rect, value (font size), bold, alignment
    };

    Kind kind = Kind::saveGState;
    std::vector<CGPathElement> elements;
    CGColorRef color;
    CGFloat value = 0;
    CGSize size{};
    CGRect rect{};
    CGBlendMode blendMode = kCGBlendModeNormal;
    CGPathDrawingMode drawingMode = kCGPathFill;
    CGLineCap lineCap = kCGLineCapButt;
    CGLineJoin lineJoin = kCGLineJoinMiter;
    bool evenOdd = false;
    CGImageRef image;
    std::string text;
    bool bold = false;
    CGTextAlignment alignment = CGTextAlignment::left;

    // Colours compare by value (CGColorEqualToColor), images by identity.
    friend bool operator==(const CGDrawingRecord& a, const CGDrawingRecord& b);
};

// A readable one-line form, for test failure messages.
std::string CGDrawingRecordDescription(const CGDrawingRecord& record);

class CGRecordingContext : public CGContext {
  public:
    const std::vector<CGDrawingRecord>& records() const { return records_; }
    void clear() { records_.clear(); }
    // Plays the records onto another context, in order.
    void replay(CGContext& target) const;

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
    CGDrawingRecord& append(CGDrawingRecord::Kind kind);
    std::vector<CGDrawingRecord> records_;
};
