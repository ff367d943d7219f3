#include "UIKBBackdropView.h"

namespace {

UIColorRef backdropColor(bool dark) {
    return dark ? UIColor::colorWithRed(0.08f, 0.08f, 0.09f, 1)
                : UIColor::colorWithRed(0.82f, 0.84f, 0.86f, 1);
}

} // namespace

UIKBBackdropView::UIKBBackdropView(CGRect frame) : UIView(frame) {
    setUserInteractionEnabled(false);
    setBackgroundColor(backdropColor(false));
}

void UIKBBackdropView::setDark(bool dark) {
    if (dark == dark_) {
        return;
    }
    dark_ = dark;
    setBackgroundColor(backdropColor(dark));
}
