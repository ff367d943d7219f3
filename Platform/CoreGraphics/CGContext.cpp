#include <CoreGraphics/CGContext.h>

// The platform's functions ignore a null context; so do these.

void CGContextSaveGState(CGContextRef c) {
    if (c) {
        c->saveGState();
    }
}
void CGContextRestoreGState(CGContextRef c) {
    if (c) {
        c->restoreGState();
    }
}
void CGContextBeginPath(CGContextRef c) {
    if (c) {
        c->beginPath();
    }
}
void CGContextAddPath(CGContextRef c, const CGPathRef& path) {
    if (c && path) {
        c->addPath(*path);
    }
}
void CGContextAddRect(CGContextRef c, CGRect rect) {
    CGContextAddPath(c, CGPathCreateWithRect(rect, nullptr));
}
void CGContextAddEllipseInRect(CGContextRef c, CGRect rect) {
    CGContextAddPath(c, CGPathCreateWithEllipseInRect(rect, nullptr));
}
void CGContextFillPath(CGContextRef c) {
    CGContextDrawPath(c, kCGPathFill);
}
void CGContextEOFillPath(CGContextRef c) {
    CGContextDrawPath(c, kCGPathEOFill);
}
void CGContextStrokePath(CGContextRef c) {
    CGContextDrawPath(c, kCGPathStroke);
}
void CGContextDrawPath(CGContextRef c, CGPathDrawingMode mode) {
    if (c) {
        c->drawPath(mode);
    }
}
void CGContextClip(CGContextRef c) {
    if (c) {
        c->clipToPath(false);
    }
}
void CGContextEOClip(CGContextRef c) {
    if (c) {
        c->clipToPath(true);
    }
}
void CGContextFillRect(CGContextRef c, CGRect rect) {
    if (c) {
        c->fillRect(rect);
    }
}
void CGContextStrokeRect(CGContextRef c, CGRect rect) {
    if (c) {
        c->strokeRect(rect);
    }
}
void CGContextClearRect(CGContextRef c, CGRect rect) {
    if (c) {
        c->clearRect(rect);
    }
}
void CGContextFillEllipseInRect(CGContextRef c, CGRect rect) {
    CGContextBeginPath(c);
    CGContextAddEllipseInRect(c, rect);
    CGContextFillPath(c);
}
void CGContextStrokeEllipseInRect(CGContextRef c, CGRect rect) {
    CGContextBeginPath(c);
    CGContextAddEllipseInRect(c, rect);
    CGContextStrokePath(c);
}
void CGContextClipToRect(CGContextRef c, CGRect rect) {
    if (c) {
        c->clipToRect(rect);
    }
}
void CGContextSetFillColorWithColor(CGContextRef c, const CGColorRef& color) {
    if (c) {
        c->setFillColor(color);
    }
}
void CGContextSetStrokeColorWithColor(CGContextRef c, const CGColorRef& color) {
    if (c) {
        c->setStrokeColor(color);
    }
}
void CGContextSetRGBFillColor(CGContextRef c, CGFloat r, CGFloat g, CGFloat b, CGFloat a) {
    const CGFloat components[] = {r, g, b, a};
    CGContextSetFillColorWithColor(c, CGColorCreate(CGColorSpaceCreateDeviceRGB(), components));
}
void CGContextSetRGBStrokeColor(CGContextRef c, CGFloat r, CGFloat g, CGFloat b, CGFloat a) {
    const CGFloat components[] = {r, g, b, a};
    CGContextSetStrokeColorWithColor(c, CGColorCreate(CGColorSpaceCreateDeviceRGB(), components));
}
void CGContextSetLineWidth(CGContextRef c, CGFloat width) {
    if (c) {
        c->setLineWidth(width);
    }
}
void CGContextSetLineCap(CGContextRef c, CGLineCap cap) {
    if (c) {
        c->setLineCap(cap);
    }
}
void CGContextSetLineJoin(CGContextRef c, CGLineJoin join) {
    if (c) {
        c->setLineJoin(join);
    }
}
void CGContextSetBlendMode(CGContextRef c, CGBlendMode mode) {
    if (c) {
        c->setBlendMode(mode);
    }
}
void CGContextSetAlpha(CGContextRef c, CGFloat alpha) {
    if (c) {
        c->setAlpha(alpha);
    }
}
void CGContextSetShadowWithColor(CGContextRef c, CGSize offset, CGFloat blur,
                                 const CGColorRef& color) {
    if (c) {
        c->setShadow(offset, blur, color);
    }
}
void CGContextSetShadow(CGContextRef c, CGSize offset, CGFloat blur) {
    const CGFloat components[] = {0, 1.0f / 3};
    CGContextSetShadowWithColor(c, offset, blur,
                                CGColorCreate(CGColorSpaceCreateDeviceGray(), components));
}
void CGContextTranslateCTM(CGContextRef c, CGFloat tx, CGFloat ty) {
    if (c) {
        c->translateCTM(tx, ty);
    }
}
void CGContextScaleCTM(CGContextRef c, CGFloat sx, CGFloat sy) {
    if (c) {
        c->scaleCTM(sx, sy);
    }
}
void CGContextDrawImage(CGContextRef c, CGRect rect, const CGImageRef& image) {
    if (c && image) {
        c->drawImage(rect, image);
    }
}
