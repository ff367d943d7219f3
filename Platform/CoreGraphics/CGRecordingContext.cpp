#include <CoreGraphics/CGRecordingContext.h>

#include <iterator>
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

using Record = CGDrawingRecord;

void describeNothing(std::ostream&, const Record&) {}

void describeElements(std::ostream& out, const Record& r) {
    static const char* names[] = {"M", "L", "Q", "C", "Z"};
    for (const auto& e : r.elements) {
        out << ' ' << names[e.type];
        int count = e.type == kCGPathElementAddCurveToPoint ? 3
                    : e.type == kCGPathElementCloseSubpath  ? 0
                                                            : 1;
        for (int i = 0; i < count; ++i) {
            out << ' ' << e.points[i].x << ',' << e.points[i].y;
        }
    }
}

void describeMode(std::ostream& out, const Record& r) {
    out << " mode=" << r.drawingMode;
}
void describeEvenOdd(std::ostream& out, const Record& r) {
    out << " evenOdd=" << r.evenOdd;
}
void describeValue(std::ostream& out, const Record& r) {
    out << ' ' << r.value;
}
void describeLineCap(std::ostream& out, const Record& r) {
    out << ' ' << r.lineCap;
}
void describeLineJoin(std::ostream& out, const Record& r) {
    out << ' ' << r.lineJoin;
}
void describeBlendMode(std::ostream& out, const Record& r) {
    out << ' ' << r.blendMode;
}
void describeSize(std::ostream& out, const Record& r) {
    out << ' ' << r.size.width << ',' << r.size.height;
}
void describeRect(std::ostream& out, const Record& r) {
    out << " rect=" << r.rect.origin.x << ',' << r.rect.origin.y << ',' << r.rect.size.width << ','
        << r.rect.size.height;
}

void describeColor(std::ostream& out, const Record& r) {
    if (!r.color) {
        out << " color=null";
        return;
    }
    out << " color=" << CGColorSpaceGetModel(r.color->colorSpace()) << "(";
    for (CGFloat c : r.color->components()) {
        out << ' ' << c;
    }
    out << " )";
}

void describeShadow(std::ostream& out, const Record& r) {
    out << " offset=" << r.size.width << ',' << r.size.height << " blur=" << r.value;
    describeColor(out, r);
}

void describeText(std::ostream& out, const Record& r) {
    out << " \"" << r.text << "\" size=" << r.value << " bold=" << r.bold;
    describeRect(out, r);
}

void playAddPath(const Record& r, CGContext& c) {
    CGPath path;
    path.addElements(r.elements);
    c.addPath(path);
}

// For each kind, in the enumeration's order: its name, how it plays onto a
// context, and what its description shows after the name.
struct KindTraits {
    Kind kind;
    const char* name;
    void (*play)(const Record&, CGContext&);
    void (*describe)(std::ostream&, const Record&);
};

constexpr KindTraits kKinds[] = {
    {Kind::saveGState, "saveGState", [](const Record&, CGContext& c) { c.saveGState(); },
     describeNothing},
    {Kind::restoreGState, "restoreGState", [](const Record&, CGContext& c) { c.restoreGState(); },
     describeNothing},
    {Kind::beginPath, "beginPath", [](const Record&, CGContext& c) { c.beginPath(); },
     describeNothing},
    {Kind::addPath, "addPath", playAddPath, describeElements},
    {Kind::drawPath, "drawPath", [](const Record& r, CGContext& c) { c.drawPath(r.drawingMode); },
     describeMode},
    {Kind::clipToPath, "clipToPath", [](const Record& r, CGContext& c) { c.clipToPath(r.evenOdd); },
     describeEvenOdd},
    {Kind::fillRect, "fillRect", [](const Record& r, CGContext& c) { c.fillRect(r.rect); },
     describeRect},
    {Kind::strokeRect, "strokeRect", [](const Record& r, CGContext& c) { c.strokeRect(r.rect); },
     describeRect},
    {Kind::clearRect, "clearRect", [](const Record& r, CGContext& c) { c.clearRect(r.rect); },
     describeRect},
    {Kind::clipToRect, "clipToRect", [](const Record& r, CGContext& c) { c.clipToRect(r.rect); },
     describeRect},
    {Kind::setFillColor, "setFillColor",
     [](const Record& r, CGContext& c) { c.setFillColor(r.color); }, describeColor},
    {Kind::setStrokeColor, "setStrokeColor",
     [](const Record& r, CGContext& c) { c.setStrokeColor(r.color); }, describeColor},
    {Kind::setLineWidth, "setLineWidth",
     [](const Record& r, CGContext& c) { c.setLineWidth(r.value); }, describeValue},
    {Kind::setLineCap, "setLineCap", [](const Record& r, CGContext& c) { c.setLineCap(r.lineCap); },
     describeLineCap},
    {Kind::setLineJoin, "setLineJoin",
     [](const Record& r, CGContext& c) { c.setLineJoin(r.lineJoin); }, describeLineJoin},
    {Kind::setBlendMode, "setBlendMode",
     [](const Record& r, CGContext& c) { c.setBlendMode(r.blendMode); }, describeBlendMode},
    {Kind::setAlpha, "setAlpha", [](const Record& r, CGContext& c) { c.setAlpha(r.value); },
     describeValue},
    {Kind::setShadow, "setShadow",
     [](const Record& r, CGContext& c) { c.setShadow(r.size, r.value, r.color); }, describeShadow},
    {Kind::translateCTM, "translateCTM",
     [](const Record& r, CGContext& c) { c.translateCTM(r.size.width, r.size.height); },
     describeSize},
    {Kind::scaleCTM, "scaleCTM",
     [](const Record& r, CGContext& c) { c.scaleCTM(r.size.width, r.size.height); }, describeSize},
    {Kind::drawImage, "drawImage",
     [](const Record& r, CGContext& c) { c.drawImage(r.rect, r.image); }, describeRect},
    {Kind::drawText, "drawText",
     [](const Record& r, CGContext& c) {
         c.drawText(r.text, r.rect, r.value, r.bold, r.alignment);
     },
     describeText},
};

constexpr bool rowsFollowTheKinds() {
    for (std::size_t i = 0; i < std::size(kKinds); ++i) {
        if (static_cast<std::size_t>(kKinds[i].kind) != i) {
            return false;
        }
    }
    return std::size(kKinds) == static_cast<std::size_t>(Kind::drawText) + 1;
}
static_assert(rowsFollowTheKinds(), "one row a kind, in the enumeration's order");

const KindTraits& traitsOf(Kind kind) {
    return kKinds[static_cast<std::size_t>(kind)];
}

} // namespace

std::string CGDrawingRecordDescription(const CGDrawingRecord& r) {
    std::ostringstream out;
    const KindTraits& traits = traitsOf(r.kind);
    out << traits.name;
    traits.describe(out, r);
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
        traitsOf(r.kind).play(r, target);
    }
}
