// Autoresizing: how a change in a view's size moves and stretches its subviews.
#include <UIKit/UIView.h>

#include <algorithm>

UIAutoresizedSpan UIAutoresizeSpan(CGFloat origin, CGFloat length, CGFloat oldSuperLength,
                                   CGFloat newSuperLength, bool flexibleStart, bool flexibleLength,
                                   bool flexibleEnd) {
    CGFloat delta = newSuperLength - oldSuperLength;
    CGFloat end = oldSuperLength - origin - length;
    CGFloat parts[3] = {origin, length, end};
    bool flexible[3] = {flexibleStart, flexibleLength, flexibleEnd};
    CGFloat flexibleTotal = 0;
    int flexibleCount = 0;
    for (int i = 0; i < 3; ++i) {
        if (flexible[i]) {
            flexibleTotal += std::max(parts[i], CGFloat(0));
            ++flexibleCount;
        }
    }
    if (flexibleCount == 0 || delta == 0) {
        return {origin, length};
    }
    // The change is shared in proportion to the flexible parts' sizes, or evenly
    // when they are all empty.
    auto share = [&](int i) -> CGFloat {
        if (!flexible[i]) {
            return 0;
        }
        if (flexibleTotal > 0) {
            return delta * (std::max(parts[i], CGFloat(0)) / flexibleTotal);
        }
        return delta / static_cast<CGFloat>(flexibleCount);
    };
    return {origin + share(0), length + share(1)};
}

void UIView::resizeSubviews(CGSize oldSize) {
    CGSize newSize = bounds().size;
    for (const UIViewRef& subview : subviews_) {
        UIViewAutoresizing mask = subview->autoresizingMask_;
        if (mask == UIViewAutoresizingNone) {
            continue;
        }
        CGRect f = subview->frame();
        UIAutoresizedSpan x = UIAutoresizeSpan(
            f.origin.x, f.size.width, oldSize.width, newSize.width,
            mask & UIViewAutoresizingFlexibleLeftMargin, mask & UIViewAutoresizingFlexibleWidth,
            mask & UIViewAutoresizingFlexibleRightMargin);
        UIAutoresizedSpan y = UIAutoresizeSpan(
            f.origin.y, f.size.height, oldSize.height, newSize.height,
            mask & UIViewAutoresizingFlexibleTopMargin, mask & UIViewAutoresizingFlexibleHeight,
            mask & UIViewAutoresizingFlexibleBottomMargin);
        CGRect resized = CGRectMake(x.origin, y.origin, x.length, y.length);
        if (resized != f) {
            subview->setFrame(resized);
        }
    }
}
