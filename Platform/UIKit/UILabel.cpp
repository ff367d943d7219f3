#include <UIKit/UILabel.h>

#include <QuartzCore/CATransaction.h>

UILabel::UILabel(CGRect frame)
    : UIView(frame), textColor_(UIColor::blackColor()), font_(UIFont::systemFontOfSize(17)),
      textLayer_(CATextLayer::layer()) {
    setUserInteractionEnabled(false);
    setOpaque(false);
    // The text layer follows the view's animation rules rather than the implicit ones.
    textLayer_->setDelegate(this);
    textLayer_->setContentsScale(contentScaleFactor());
    layer()->addSublayer(textLayer_);
    update();
}

bool UILabel::isAccessibilityElement() const {
    return accessibilitySettings().element.value_or(!text_.empty());
}

std::string UILabel::accessibilityLabel() const {
    return accessibilitySettings().label.value_or(text_);
}

UIAccessibilityTraits UILabel::accessibilityTraits() const {
    return accessibilitySettings().traits.value_or(UIAccessibilityTraitStaticText);
}

void UILabel::setText(std::string text) {
    if (text == text_) {
        return;
    }
    text_ = std::move(text);
    update();
}

void UILabel::setTextColor(UIColorRef color) {
    textColor_ = color ? std::move(color) : UIColor::blackColor();
    update();
}

void UILabel::setFont(UIFontRef font) {
    font_ = font ? std::move(font) : UIFont::systemFontOfSize(17);
    update();
}

void UILabel::setTextAlignment(NSTextAlignment alignment) {
    alignment_ = alignment;
    update();
}

void UILabel::setNumberOfLines(NSInteger lines) {
    numberOfLines_ = lines;
    update();
}

CGSize UILabel::sizeThatFits(CGSize size) const {
    CGFloat wrapWidth = numberOfLines_ == 1 ? 0 : size.width;
    return font_->sizeOfText(text_, wrapWidth);
}

void UILabel::update() {
    textLayer_->setString(text_);
    textLayer_->setFontSize(font_->pointSize());
    textLayer_->setBold(font_->isBold());
    textLayer_->setForegroundColor(textColor_->CGColor());
    textLayer_->setAlignment(static_cast<CGTextAlignment>(alignment_));
    textLayer_->setWrapped(numberOfLines_ != 1);
    setNeedsLayout();
}

void UILabel::layoutSubviews() {
    CGRect b = bounds();
    CGSize textSize = sizeThatFits(b.size);
    CGFloat height = std::min(textSize.height, b.size.height);
    textLayer_->setFrame(CGRectMake(0, (b.size.height - height) * 0.5f, b.size.width, height));
}
