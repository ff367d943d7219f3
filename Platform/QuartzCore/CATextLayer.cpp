#include <CoreGraphics/CGTextLayoutCairo.h>
#include <QuartzCore/CATextLayer.h>

namespace {

CGColorRef opaqueWhite() {
    static const CGFloat components[] = {1, 1};
    static const CGColorRef white = CGColorCreate(CGColorSpaceCreateDeviceGray(), components);
    return white;
}

} // namespace

CATextLayer::CATextLayer() : foregroundColor_(opaqueWhite()) {}

CATextLayer::~CATextLayer() = default;

void CATextLayer::invalidateLayout() {
    layout_.reset();
}

void CATextLayer::setString(std::string text) {
    CALayerNoteChange();
    if (text != string_) {
        string_ = std::move(text);
        invalidateLayout();
    }
}

void CATextLayer::setFontSize(CGFloat size) {
    CALayerNoteChange();
    if (size != fontSize_) {
        fontSize_ = size;
        invalidateLayout();
    }
}

void CATextLayer::setBold(bool bold) {
    CALayerNoteChange();
    if (bold != bold_) {
        bold_ = bold;
        invalidateLayout();
    }
}

void CATextLayer::setForegroundColor(CGColorRef color) {
    CALayerNoteChange();
    changeAnimatable("foregroundColor", foregroundColor_, std::move(color));
}

void CATextLayer::setAlignment(CGTextAlignment alignment) {
    CALayerNoteChange();
    if (alignment != alignment_) {
        alignment_ = alignment;
        invalidateLayout();
    }
}

void CATextLayer::setWrapped(bool wrapped) {
    CALayerNoteChange();
    if (wrapped != wrapped_) {
        wrapped_ = wrapped;
        invalidateLayout();
    }
}

CGColorRef CATextLayer::presentationForegroundColor() const {
    return std::get<CGColorRef>(presentationValue("foregroundColor", foregroundColor_));
}

CGSize CATextLayer::sizeOfText(const std::string& text, CGFloat fontSize, bool bold,
                               CGFloat maxWidth) {
    return CGTextMeasure(text, {fontSize, bold, CGTextAlignment::left, maxWidth});
}

const CGTextLayout& CATextLayer::textLayout() const {
    CGFloat width = wrapped_ ? bounds().size.width : 0;
    if (!layout_ || width != layoutWidth_) {
        layout_ = std::make_shared<const CGTextLayout>(
            string_, CGTextStyle{fontSize_, bold_, alignment_, width});
        layoutWidth_ = width;
    }
    return *layout_;
}
