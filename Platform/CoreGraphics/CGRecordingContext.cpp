#include <CoreGraphics/CGRecordingContext.h>

#include <sstream>

using Kind = CGDrawingRecord::Kind;

bool operator==(const CGDrawingRecord& a, const CGDrawingRecord& b) {
    return a.kind == b.kind && a.elements == b.elements && CGColorEqualToColor(a.color, b.color) &&
           a.value == b.value && a.size == b.size && a.rect == b.rect &&
           a.blendMode == b.blendMode && a.drawingMode == b.drawingMode && a.lineCap == b.lineCap &&
           a.lineJoin == b.lineJoin && a.evenOdd == b.evenOdd && a.image == b.image &&
           a.text == b.text && a.bold == b.bold && a.alignment == b.alignment;
}

namespace {

const char* kindName(Kind kind) {
    switch (kind) {
    case Kind::saveGState:
        return "saveGState";
    case Kind::restoreGState:
        return "restoreGState";
    case Kind::beginPath:
        return "beginPath";
    case Kind::addPath:
        return "addPath";
    case Kind::drawPath:
        return "drawPath";
    case Kind::clipToPath:
        return "clipToPath";
    case Kind::fillRect:
        return "fillRect";
    case Kind::strokeRect:
        return "strokeRect";
    case Kind::clearRect:
        return "clearRect";
    case Kind::clipToRect:
        return "clipToRect";
    case Kind::setFillColor:
        return "setFillColor";
    case Kind::setStrokeColor:
        return "setStrokeColor";
    case Kind::setLineWidth:
        return "setLineWidth";
    case Kind::setLineCap:
        return "setLineCap";
    case Kind::setLineJoin:
        return "setLineJoin";
    case Kind::setBlendMode:
        return "setBlendMode";
    case Kind::setAlpha:
        return "setAlpha";
    case Kind::setShadow:
        return "setShadow";
    case Kind::translateCTM:
        return "translateCTM";
    case Kind::scaleCTM:
        return "scaleCTM";
    case Kind::drawImage:
        return "drawImage";
    case Kind::drawText:
        return "drawText";
    }
    return "?";
}

void describeColor(std::ostream& out, const CGColorRef& color) {
    if (!color) {
        out << " color=null";
        return;
    }
    out << " color=" << CGColorSpaceGetModel(color->colorSpace()) << "(";
    for (CGFloat c : color->components()) {
        out << ' ' << c;
    }
    out << " )";
}

} // namespace

std::string CGDrawingRecordDescription(const CGDrawingRecord& r) {
    std::ostringstream out;
    out << kindName(r.kind);
    switch (r.kind) {
    case Kind::addPath:
        for (const auto& e : r.elements) {
            static const char* names[] = {"M", "L", "Q", "C", "Z"};
            out << ' ' << names[e.type];
            int count = e.type == kCGPathElementAddCurveToPoint ? 3
                        : e.type == kCGPathElementCloseSubpath  ? 0
                                                                : 1;
            for (int i = 0; i < count; ++i) {
                out << ' ' << e.points[i].x << ',' << e.points[i].y;
            }
        }
        break;
    case Kind::drawPath:
        out << " mode=" << r.drawingMode;
        break;
    case Kind::clipToPath:
        out << " evenOdd=" << r.evenOdd;
        break;
    case Kind::setFillColor:
    case Kind::setStrokeColor:
        describeColor(out, r.color);
        break;
    case Kind::setLineWidth:
    case Kind::setAlpha:
        out << ' ' << r.value;
        break;
    case Kind::setLineCap:
        out << ' ' << r.lineCap;
        break;
    case Kind::setLineJoin:
        out << ' ' << r.lineJoin;
        break;
    case Kind::setBlendMode:
        out << ' ' << r.blendMode;
        break;
    case Kind::setShadow:
        out << " offset=" << r.size.width << ',' << r.size.height << " blur=" << r.value;
        describeColor(out, r.color);
        break;
    case Kind::translateCTM:
    case Kind::scaleCTM:
        out << ' ' << r.size.width << ',' << r.size.height;
        break;
    case Kind::drawText:
        out << " \"" << r.text << "\" size=" << r.value << " bold=" << r.bold;
        [[fallthrough]];
    case Kind::fillRect:
    case Kind::strokeRect:
    case Kind::clearRect:
    case Kind::clipToRect:
    case Kind::drawImage:
        out << " rect=" << r.rect.origin.x << ',' << r.rect.origin.y << ',' << r.rect.size.width
            << ',' << r.rect.size.height;
        break;
    default:
        break;
    }
    return out.str();
}

CGDrawingRecord& CGRecordingContext::append(Kind kind) {
    records_.emplace_back();
    records_.back().kind = kind;
    return records_.back();
}

void CGRecordingContext::saveGState() {
    append(Kind::saveGState);
}
void CGRecordingContext::restoreGState() {
    append(Kind::restoreGState);
}
void CGRecordingContext::beginPath() {
    append(Kind::beginPath);
}
void CGRecordingContext::addPath(const CGPath& path) {
    append(Kind::addPath).elements = path.elements();
}
void CGRecordingContext::drawPath(CGPathDrawingMode mode) {
    append(Kind::drawPath).drawingMode = mode;
}
void CGRecordingContext::clipToPath(bool evenOdd) {
    append(Kind::clipToPath).evenOdd = evenOdd;
}
void CGRecordingContext::fillRect(CGRect rect) {
    append(Kind::fillRect).rect = rect;
}
void CGRecordingContext::strokeRect(CGRect rect) {
    append(Kind::strokeRect).rect = rect;
}
void CGRecordingContext::clearRect(CGRect rect) {
    append(Kind::clearRect).rect = rect;
}
void CGRecordingContext::clipToRect(CGRect rect) {
    append(Kind::clipToRect).rect = rect;
}
void CGRecordingContext::setFillColor(CGColorRef color) {
    append(Kind::setFillColor).color = std::move(color);
}
void CGRecordingContext::setStrokeColor(CGColorRef color) {
    append(Kind::setStrokeColor).color = std::move(color);
}
void CGRecordingContext::setLineWidth(CGFloat width) {
    append(Kind::setLineWidth).value = width;
}
void CGRecordingContext::setLineCap(CGLineCap cap) {
    append(Kind::setLineCap).lineCap = cap;
}
void CGRecordingContext::setLineJoin(CGLineJoin join) {
    append(Kind::setLineJoin).lineJoin = join;
}
void CGRecordingContext::setBlendMode(CGBlendMode mode) {
    append(Kind::setBlendMode).blendMode = mode;
}
void CGRecordingContext::setAlpha(CGFloat alpha) {
    append(Kind::setAlpha).value = alpha;
}

void CGRecordingContext::setShadow(CGSize offset, CGFloat blur, CGColorRef color) {
    auto& r = append(Kind::setShadow);
    r.size = offset;
    r.value = blur;
    r.color = std::move(color);
}

void CGRecordingContext::translateCTM(CGFloat tx, CGFloat ty) {
    append(Kind::translateCTM).size = {tx, ty};
}
void CGRecordingContext::scaleCTM(CGFloat sx, CGFloat sy) {
    append(Kind::scaleCTM).size = {sx, sy};
}

void CGRecordingContext::drawImage(CGRect rect, const CGImageRef& image) {
    auto& r = append(Kind::drawImage);
    r.rect = rect;
    r.image = image;
}

void CGRecordingContext::drawText(const std::string& text, CGRect rect, CGFloat fontSize, bool bold,
                                  CGTextAlignment alignment) {
    auto& r = append(Kind::drawText);
    r.text = text;
    r.rect = rect;
    r.value = fontSize;
    r.bold = bold;
    r.alignment = alignment;
}

void CGRecordingContext::replay(CGContext& target) const {
    for (const auto& r : records_) {
        switch (r.kind) {
        case Kind::saveGState:
            target.saveGState();
            break;
        case Kind::restoreGState:
            target.restoreGState();
            break;
        case Kind::beginPath:
            target.beginPath();
            break;
        case Kind::addPath: {
            CGPath path;
            for (const auto& e : r.elements) {
                switch (e.type) {
                case kCGPathElementMoveToPoint:
                    path.moveTo(e.points[0]);
                    break;
                case kCGPathElementAddLineToPoint:
                    path.lineTo(e.points[0]);
                    break;
                case kCGPathElementAddCurveToPoint:
                    path.curveTo(e.points[0], e.points[1], e.points[2]);
                    break;
                case kCGPathElementCloseSubpath:
                    path.close();
                    break;
                default:
                    break;
                }
            }
            target.addPath(path);
            break;
        }
        case Kind::drawPath:
            target.drawPath(r.drawingMode);
            break;
        case Kind::clipToPath:
            target.clipToPath(r.evenOdd);
            break;
        case Kind::fillRect:
            target.fillRect(r.rect);
            break;
        case Kind::strokeRect:
            target.strokeRect(r.rect);
            break;
        case Kind::clearRect:
            target.clearRect(r.rect);
            break;
        case Kind::clipToRect:
            target.clipToRect(r.rect);
            break;
        case Kind::setFillColor:
            target.setFillColor(r.color);
            break;
        case Kind::setStrokeColor:
            target.setStrokeColor(r.color);
            break;
        case Kind::setLineWidth:
            target.setLineWidth(r.value);
            break;
        case Kind::setLineCap:
            target.setLineCap(r.lineCap);
            break;
        case Kind::setLineJoin:
            target.setLineJoin(r.lineJoin);
            break;
        case Kind::setBlendMode:
            target.setBlendMode(r.blendMode);
            break;
        case Kind::setAlpha:
            target.setAlpha(r.value);
            break;
        case Kind::setShadow:
            target.setShadow(r.size, r.value, r.color);
            break;
        case Kind::translateCTM:
            target.translateCTM(r.size.width, r.size.height);
            break;
        case Kind::scaleCTM:
            target.scaleCTM(r.size.width, r.size.height);
            break;
        case Kind::drawImage:
            target.drawImage(r.rect, r.image);
            break;
        case Kind::drawText:
            target.drawText(r.text, r.rect, r.value, r.bold, r.alignment);
            break;
        }
    }
}
