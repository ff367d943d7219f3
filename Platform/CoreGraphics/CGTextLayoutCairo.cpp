#include <CoreGraphics/CGTextLayoutCairo.h>

#include <cmath>

namespace {

// One Pango context for every layout: metrics unhinted, so that a text measures the
// same at every scale it is later drawn at.
PangoContext* sharedContext() {
    static PangoContextPtr context = [] {
        PangoContextPtr made(pango_font_map_create_context(pango_cairo_font_map_get_default()));
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        pango_cairo_context_set_font_options(made.get(), options);
        cairo_font_options_destroy(options);
        return made;
    }();
    return context.get();
}

PangoAlignment pangoAlignment(CGTextAlignment alignment) {
    switch (alignment) {
    case CGTextAlignment::center:
        return PANGO_ALIGN_CENTER;
    case CGTextAlignment::right:
        return PANGO_ALIGN_RIGHT;
    case CGTextAlignment::left:
        break;
    }
    return PANGO_ALIGN_LEFT;
}

bool usable(CGFloat value) {
    return std::isfinite(value) && value > 0 && value < 10000;
}

} // namespace

CGTextLayout::CGTextLayout(const std::string& text, const CGTextStyle& style)
    : layout_(pango_layout_new(sharedContext())), style_(style) {
    PangoFontDescriptionPtr font(pango_font_description_new());
    pango_font_description_set_family(font.get(), "DejaVu Sans");
    pango_font_description_set_weight(font.get(),
                                      style.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    CGFloat fontSize = usable(style.fontSize) ? style.fontSize : 17;
    pango_font_description_set_absolute_size(font.get(), fontSize * PANGO_SCALE);
    pango_layout_set_font_description(layout_.get(), font.get());
    // Pango wants valid UTF-8; invalid bytes would be dropped with a warning.
    if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) {
        pango_layout_set_text(layout_.get(), text.data(), static_cast<int>(text.size()));
    }
    if (usable(style.wrapWidth)) {
        pango_layout_set_width(layout_.get(), static_cast<int>(style.wrapWidth * PANGO_SCALE));
        pango_layout_set_wrap(layout_.get(), PANGO_WRAP_WORD_CHAR);
        pango_layout_set_alignment(layout_.get(), pangoAlignment(style.alignment));
    }
    PangoRectangle logical;
    pango_layout_get_extents(layout_.get(), nullptr, &logical);
    size_ = {static_cast<CGFloat>(logical.width) / PANGO_SCALE,
             static_cast<CGFloat>(logical.height) / PANGO_SCALE};
}

void CGTextLayout::draw(cairo_t* cairo, CGRect rect) const {
    double x = rect.origin.x;
    if (!usable(style_.wrapWidth)) {
        double spare = static_cast<double>(rect.size.width) - size_.width;
        if (style_.alignment == CGTextAlignment::center) {
            x += spare / 2;
        } else if (style_.alignment == CGTextAlignment::right) {
            x += spare;
        }
    }
    cairo_save(cairo);
    cairo_move_to(cairo, x, rect.origin.y);
    pango_cairo_show_layout(cairo, layout_.get());
    cairo_restore(cairo);
}

CGSize CGTextMeasure(const std::string& text, const CGTextStyle& style) {
    return CGTextLayout(text, style).size();
}

// Pango reads Fontconfig's configuration on a thread of its own, begun when the font
// map is made: making it here lets that run beside the caller.
void CGTextPrepareFonts() {
    sharedContext();
}
