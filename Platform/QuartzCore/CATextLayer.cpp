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
    if (text != string_) {
        noteChange();
        string_ = std::move(text);
        invalidateLayout();
    }
}

void CATextLayer::setFontSize(CGFloat size) {
    if (size != fontSize_) {
        noteChange();
        fontSize_ = size;
        invalidateLayout();
    }
}

void CATextLayer::setBold(bool bold) {
    if (bold != bold_) {
        noteChange();
        bold_ = bold;
        invalidateLayout();
    }
}

void CATextLayer::setForegroundColor(CGColorRef color) {
    changeAnimatable("foregroundColor", foregroundColor_, std::move(color));
}

void CATextLayer::setAlignment(CGTextAlignment alignment) {
    if (alignment != alignment_) {
        noteChange();
        alignment_ = alignment;
        invalidateLayout();
    }
}

void CATextLayer::setWrapped(bool wrapped) {
    if (wrapped != wrapped_) {
        noteChange();
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
