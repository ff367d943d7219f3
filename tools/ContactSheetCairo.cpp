// The contact sheet drawn with Cairo, its text laid out with Pango.
#include "ContactSheet.h"

#include <CoreGraphics/CGHandlesCairo.h>

#include <cmath>

namespace contactsheet {

namespace {

CairoSurfacePtr readPNG(const std::filesystem::path& path, std::string& error) {
    CairoSurfacePtr image(cairo_image_surface_create_from_png(path.c_str()));
    if (cairo_surface_status(image.get()) != CAIRO_STATUS_SUCCESS) {
        error = "cannot read the image " + path.string() + ": " +
                cairo_status_to_string(cairo_surface_status(image.get()));
        return nullptr;
    }
    return image;
}

CGSize sizeOf(cairo_surface_t* image) {
    return {static_cast<CGFloat>(cairo_image_surface_get_width(image)),
            static_cast<CGFloat>(cairo_image_surface_get_height(image))};
}

// `text` centred across `box` from its top, wrapped at word boundaries.
void drawText(cairo_t* cr, const std::string& text, CGRect box, double pointSize, bool bold) {
    PangoLayoutPtr layout(pango_cairo_create_layout(cr));
    PangoFontDescriptionPtr font(pango_font_description_new());
    pango_font_description_set_family(font.get(), "DejaVu Sans");
    pango_font_description_set_weight(font.get(), bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_absolute_size(font.get(), pointSize * PANGO_SCALE);
    pango_layout_set_font_description(layout.get(), font.get());
    pango_layout_set_width(layout.get(), static_cast<int>(box.size.width * PANGO_SCALE));
    pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
    pango_layout_set_alignment(layout.get(), PANGO_ALIGN_CENTER);
    pango_layout_set_text(layout.get(), text.data(), static_cast<int>(text.size()));
    cairo_set_source_rgb(cr, 0.15, 0.15, 0.17);
    cairo_move_to(cr, box.origin.x, box.origin.y);
    pango_cairo_show_layout(cr, layout.get());
}

// The image scaled into `place`, framed by a hairline.
void drawImage(cairo_t* cr, cairo_surface_t* image, CGRect place) {
    CGSize size = sizeOf(image);
    cairo_save(cr);
    cairo_translate(cr, place.origin.x, place.origin.y);
    cairo_scale(cr, place.size.width / size.width, place.size.height / size.height);
    cairo_set_source_surface(cr, image, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_set_source_rgb(cr, 0.7, 0.7, 0.72);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, place.origin.x - 0.5, place.origin.y - 0.5, place.size.width + 1,
                    place.size.height + 1);
    cairo_stroke(cr);
}

} // namespace

bool writeContactSheet(const std::string& heading, const std::vector<Entry>& entries,
                       const std::filesystem::path& output, std::string& error) {
    std::vector<CairoSurfacePtr> images;
    std::vector<CGSize> sizes;
    for (const Entry& entry : entries) {
        images.push_back(readPNG(entry.image, error));
        if (!images.back()) {
            return false;
        }
        sizes.push_back(sizeOf(images.back().get()));
    }
    Layout layout = layOut(sizes);
    CairoSurfacePtr sheet(cairo_image_surface_create(
        CAIRO_FORMAT_RGB24, static_cast<int>(std::ceil(layout.size.width)),
        static_cast<int>(std::ceil(layout.size.height))));
    CairoPtr cr(cairo_create(sheet.get()));
    cairo_set_source_rgb(cr.get(), 0.96, 0.96, 0.97);
    cairo_paint(cr.get());
    drawText(cr.get(), heading, layout.heading, 22, true);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        drawImage(cr.get(), images[i].get(), layout.images[i]);
        CGRect title = layout.titles[i];
        drawText(
            cr.get(), entries[i].title,
            CGRectMake(title.origin.x, title.origin.y + 8, title.size.width, title.size.height - 8),
            14, false);
    }
    cairo_surface_flush(sheet.get());
    cairo_status_t status = cairo_surface_write_to_png(sheet.get(), output.c_str());
    if (status != CAIRO_STATUS_SUCCESS) {
        error = "cannot write " + output.string() + ": " + cairo_status_to_string(status);
        return false;
    }
    return true;
}

} // namespace contactsheet
