// A laid-out text ready to draw on a Cairo context: the layout is made once and
// drawn at any scale.
#pragma once

#include <CoreGraphics/CGHandlesCairo.h>
#include <CoreGraphics/CGText.h>

class CGTextLayout {
  public:
    CGTextLayout(const std::string& text, const CGTextStyle& style);
    CGSize size() const { return size_; }
    // Draws with the top of the first line at `rect`'s top, aligned within its
    // width, in the Cairo context's current source.
    void draw(cairo_t* cairo, CGRect rect) const;

  private:
    PangoLayoutPtr layout_;
    CGTextStyle style_;
    CGSize size_{};
};
