#include <CoreGraphics/CGShadowCairo.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace {

// Three box blurs approximate a Gaussian of standard deviation `sigma` (in pixels).
void blurAlpha(cairo_surface_t* surface, double sigma) {
    int radius = static_cast<int>(std::lround(sigma * 0.85));
    if (radius < 1) {
        return;
    }
    cairo_surface_flush(surface);
    int width = cairo_image_surface_get_width(surface),
        height = cairo_image_surface_get_height(surface);
    int stride = cairo_image_surface_get_stride(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    std::vector<unsigned char> line(static_cast<std::size_t>(std::max(width, height)));
    auto pass = [&](unsigned char* start, int count, int step) {
        for (int i = 0; i < count; ++i) {
            line[static_cast<std::size_t>(i)] = start[static_cast<std::ptrdiff_t>(i) * step];
        }
        int sum = 0, window = 2 * radius + 1;
        for (int i = -radius; i <= radius; ++i) {
            sum += i >= 0 && i < count ? line[static_cast<std::size_t>(i)] : 0;
        }
        for (int i = 0; i < count; ++i) {
            start[static_cast<std::ptrdiff_t>(i) * step] = static_cast<unsigned char>(sum / window);
            int leaving = i - radius, entering = i + radius + 1;
            sum -= leaving >= 0 ? line[static_cast<std::size_t>(leaving)] : 0;
            sum += entering < count ? line[static_cast<std::size_t>(entering)] : 0;
        }
    };
    for (int repeat = 0; repeat < 3; ++repeat) {
        for (int y = 0; y < height; ++y) {
            pass(data + static_cast<std::ptrdiff_t>(y) * stride, width, 1);
        }
        for (int x = 0; x < width; ++x) {
            pass(data + x, height, stride);
        }
    }
    cairo_surface_mark_dirty(surface);
}

} // namespace

std::optional<CGShadowMask> CGShadowMaskCreate(cairo_t* cairo, bool stroke, double coverage,
                                               double blurPixels) {
    double x1, y1, x2, y2;
    if (stroke) {
        cairo_stroke_extents(cairo, &x1, &y1, &x2, &y2);
    } else {
        cairo_fill_extents(cairo, &x1, &y1, &x2, &y2);
    }
    if (x1 >= x2 || y1 >= y2) {
        return std::nullopt;
    }
    double xs[] = {x1, x2, x1, x2}, ys[] = {y1, y1, y2, y2};
    double left = INFINITY, top = INFINITY, right = -INFINITY, bottom = -INFINITY;
    for (int i = 0; i < 4; ++i) {
        cairo_user_to_device(cairo, &xs[i], &ys[i]);
        left = std::min(left, xs[i]), right = std::max(right, xs[i]);
        top = std::min(top, ys[i]), bottom = std::max(bottom, ys[i]);
    }
    int pad = static_cast<int>(std::ceil(blurPixels * 1.5)) + 1;
    CGShadowMask mask;
    mask.x = static_cast<int>(std::floor(left)) - pad;
    mask.y = static_cast<int>(std::floor(top)) - pad;
    int width = static_cast<int>(std::ceil(right)) + pad - mask.x;
    int height = static_cast<int>(std::ceil(bottom)) + pad - mask.y;
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) {
        return std::nullopt;
    }
    mask.surface.reset(cairo_image_surface_create(CAIRO_FORMAT_A8, width, height));
    CairoPtr maskCairo(cairo_create(mask.surface.get()));
    cairo_matrix_t matrix;
    cairo_get_matrix(cairo, &matrix);
    matrix.x0 -= mask.x;
    matrix.y0 -= mask.y;
    cairo_set_matrix(maskCairo.get(), &matrix);
    cairo_path_t* path = cairo_copy_path(cairo);
    cairo_append_path(maskCairo.get(), path);
    cairo_path_destroy(path);
    cairo_set_source_rgba(maskCairo.get(), 0, 0, 0, coverage);
    cairo_set_fill_rule(maskCairo.get(), cairo_get_fill_rule(cairo));
    cairo_set_line_width(maskCairo.get(), cairo_get_line_width(cairo));
    cairo_set_line_cap(maskCairo.get(), cairo_get_line_cap(cairo));
    cairo_set_line_join(maskCairo.get(), cairo_get_line_join(cairo));
    if (stroke) {
        cairo_stroke(maskCairo.get());
    } else {
        cairo_fill(maskCairo.get());
    }
    maskCairo.reset();
    blurAlpha(mask.surface.get(), blurPixels / 2);
    return mask;
}
