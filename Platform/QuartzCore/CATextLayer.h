// A layer that shows text in DejaVu Sans, from the top of its bounds, aligned in
// its width, wrapped at word boundaries when `wrapped` is set.
#pragma once

#include <CoreGraphics/CGContext.h>
#include <QuartzCore/CALayer.h>

class CATextLayer;
class CGTextLayout;
using CATextLayerRef = std::shared_ptr<CATextLayer>;

class CATextLayer : public CALayer {
  public:
    CATextLayer();
    ~CATextLayer() override;
    static CATextLayerRef layer() { return std::make_shared<CATextLayer>(); }

    const std::string& string() const { return string_; }
    void setString(std::string text);
    CGFloat fontSize() const { return fontSize_; }
    void setFontSize(CGFloat size);
    bool isBold() const { return bold_; }
    void setBold(bool bold);
    // Opaque white by default.
    CGColorRef foregroundColor() const { return foregroundColor_; }
    void setForegroundColor(CGColorRef color);
    CGColorRef presentationForegroundColor() const;
    CGTextAlignment alignment() const { return alignment_; }
    void setAlignment(CGTextAlignment alignment);
    bool isWrapped() const { return wrapped_; }
    void setWrapped(bool wrapped);

    // The size that `text` takes; `maxWidth` 0 lays it out on one line.
    static CGSize sizeOfText(const std::string& text, CGFloat fontSize, bool bold,
                             CGFloat maxWidth = 0);

    // The layout for the current text and bounds width, made once and kept.
    const CGTextLayout& textLayout() const;

  private:
    void invalidateLayout();

    std::string string_;
    CGFloat fontSize_ = 36;
    bool bold_ = false;
    CGColorRef foregroundColor_;
    CGTextAlignment alignment_ = CGTextAlignment::left;
    bool wrapped_ = false;
    mutable std::shared_ptr<const CGTextLayout> layout_;
    mutable CGFloat layoutWidth_ = -1;
};
