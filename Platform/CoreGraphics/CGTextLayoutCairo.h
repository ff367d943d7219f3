// A laid-out text ready to draw on a Cairo context: the layout is made once and
// drawn at any scale. Layouts of the same text in the same font and wrapping share
// one shaping (the recent ones are kept): a label is measured, laid out and drawn
// from one.
#pragma once

#include <CoreGraphics/CGHandlesCairo.h>
#include <CoreGraphics/CGText.h>

#include <memory>

class CGTextLayout {
  public:
    CGTextLayout(const std::string& text, const CGTextStyle& style);
    CGSize size() const;
    // Draws with the top of the first line at `rect`'s top, aligned within its
    // width, in the Cairo context's current source.
    void draw(cairo_t* cairo, CGRect rect) const;

    struct Shaped;

  private:
    std::shared_ptr<const Shaped> shaped_;
    CGTextStyle style_;
};
