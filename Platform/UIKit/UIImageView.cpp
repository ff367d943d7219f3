#include <UIKit/UIImageView.h>

namespace {

CAContentsGravity gravityForMode(UIViewContentMode mode) {
    switch (mode) {
    case UIViewContentModeScaleToFill:
    case UIViewContentModeRedraw:
        return CAContentsGravity::resize;
    case UIViewContentModeScaleAspectFit:
        return CAContentsGravity::resizeAspect;
    case UIViewContentModeScaleAspectFill:
        return CAContentsGravity::resizeAspectFill;
    case UIViewContentModeCenter:
        return CAContentsGravity::center;
    case UIViewContentModeTop:
        return CAContentsGravity::top;
    case UIViewContentModeBottom:
        return CAContentsGravity::bottom;
    case UIViewContentModeLeft:
        return CAContentsGravity::left;
    case UIViewContentModeRight:
        return CAContentsGravity::right;
    case UIViewContentModeTopLeft:
        return CAContentsGravity::topLeft;
    case UIViewContentModeTopRight:
        return CAContentsGravity::topRight;
    case UIViewContentModeBottomLeft:
        return CAContentsGravity::bottomLeft;
    case UIViewContentModeBottomRight:
        return CAContentsGravity::bottomRight;
    }
    return CAContentsGravity::resize;
}

} // namespace

UIImageView::UIImageView(CGRect frame) : UIView(frame) {
    setUserInteractionEnabled(false);
    setOpaque(false);
}

UIImageView::UIImageView(UIImageRef image) : UIImageView(CGRectZero) {
    if (image) {
        setFrame(CGRect{CGPointZero, image->size()});
    }
    setImage(std::move(image));
}

void UIImageView::setImage(UIImageRef image) {
    image_ = std::move(image);
    updateContents();
}

void UIImageView::setContentMode(UIViewContentMode mode) {
    UIView::setContentMode(mode);
    updateContents();
}

void UIImageView::updateContents() {
    CALayer* own = layer();
    own->setContentsGravity(gravityForMode(contentMode()));
    // Unscaled modes show the image at its size in points, whatever its scale.
    own->setContents(image_ ? image_->CGImage() : nullptr);
}

CGSize UIImageView::sizeThatFits(CGSize size) const {
    return image_ ? image_->size() : size;
}
