#include <CoreGraphics/CGPathCairo.h>

bool CGPathAppendToCairo(cairo_t* cairo, const CGPath& path) {
    if (!path.isFinite()) {
        return false;
    }
    for (const auto& e : path.elements()) {
        switch (e.type) {
        case kCGPathElementMoveToPoint:
            cairo_move_to(cairo, e.points[0].x, e.points[0].y);
            break;
        case kCGPathElementAddLineToPoint:
            cairo_line_to(cairo, e.points[0].x, e.points[0].y);
            break;
        case kCGPathElementAddCurveToPoint:
            cairo_curve_to(cairo, e.points[0].x, e.points[0].y, e.points[1].x, e.points[1].y,
                           e.points[2].x, e.points[2].y);
            break;
        case kCGPathElementCloseSubpath:
            cairo_close_path(cairo);
            break;
        default:
            break;
        }
    }
    return true;
}

CGCairoPathKeeper::CGCairoPathKeeper(cairo_t* cairo)
    : cairo_(cairo), path_(cairo_copy_path(cairo)) {
    cairo_new_path(cairo);
}

CGCairoPathKeeper::~CGCairoPathKeeper() {
    cairo_new_path(cairo_);
    if (path_->status == CAIRO_STATUS_SUCCESS) {
        cairo_append_path(cairo_, path_);
    }
    cairo_path_destroy(path_);
}
