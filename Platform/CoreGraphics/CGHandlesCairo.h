// Smart pointers for Cairo and Pango handles: each deleter calls the library's own
// destroy or unref.
#pragma once

#include <cairo.h>
#include <pango/pangocairo.h>

#include <memory>

struct CairoDeleter {
    void operator()(cairo_t* p) const { cairo_destroy(p); }
    void operator()(cairo_surface_t* p) const { cairo_surface_destroy(p); }
    void operator()(cairo_pattern_t* p) const { cairo_pattern_destroy(p); }
    void operator()(cairo_path_t* p) const { cairo_path_destroy(p); }
};
using CairoPtr = std::unique_ptr<cairo_t, CairoDeleter>;
using CairoSurfacePtr = std::unique_ptr<cairo_surface_t, CairoDeleter>;
using CairoPatternPtr = std::unique_ptr<cairo_pattern_t, CairoDeleter>;

struct GObjectDeleter {
    void operator()(void* p) const { g_object_unref(p); }
};
struct PangoFontDescriptionDeleter {
    void operator()(PangoFontDescription* p) const { pango_font_description_free(p); }
};
using PangoLayoutPtr = std::unique_ptr<PangoLayout, GObjectDeleter>;
using PangoContextPtr = std::unique_ptr<PangoContext, GObjectDeleter>;
using PangoFontDescriptionPtr = std::unique_ptr<PangoFontDescription, PangoFontDescriptionDeleter>;
