// Paths on a Cairo context: the one conversion from CGPath, and a guard that keeps
// the context's current path across operations that build paths of their own.
#pragma once

#include <CoreGraphics/CGHandlesCairo.h>
#include <CoreGraphics/CGPath.h>

// Appends `path` to the context's current path. A path with a NaN or infinite point
// is refused whole (false, nothing appended): Cairo would draw it as arbitrary
// geometry.
bool CGPathAppendToCairo(cairo_t* cairo, const CGPath& path);

// Sets the current path aside for its lifetime and puts it back afterwards.
class CGCairoPathKeeper {
  public:
    explicit CGCairoPathKeeper(cairo_t* cairo);
    ~CGCairoPathKeeper();
    CGCairoPathKeeper(const CGCairoPathKeeper&) = delete;
    CGCairoPathKeeper& operator=(const CGCairoPathKeeper&) = delete;

  private:
    cairo_t* cairo_;
    cairo_path_t* path_;
};
