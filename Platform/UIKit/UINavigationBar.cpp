#include <UIKit/UINavigationBar.h>

#include <UIKit/UIButton.h>

#include <algorithm>

namespace {

UIColorRef defaultBarColor() {
    static const UIColorRef color = UIColor::colorWithWhite(0.97f, 1);
    return color;
}

} // namespace

UINavigationBar::UINavigationBar(CGRect frame)
    : UIView(frame), tintColor_(UIButton::defaultTintColor()),
      titleLabel_(std::make_shared<UILabel>()), hairline_(std::make_shared<UIView>()) {
    setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    titleLabel_->setFont(UIFont::boldSystemFontOfSize(titleFontSize));
    titleLabel_->setTextAlignment(NSTextAlignmentCenter);
    titleLabel_->setAccessibilityTraits(UIAccessibilityTraitStaticText |
                                        UIAccessibilityTraitHeader);
    addSubview(titleLabel_);
    hairline_->setBackgroundColor(UIColor::colorWithWhite(0.7f, 1));
    hairline_->setUserInteractionEnabled(false);
    addSubview(hairline_);
    updateBackground();
}

UINavigationBar::~UINavigationBar() {
    // Items outlive the bar; they must not call back into it.
    for (const auto& item : items_) {
        item->setChangeHandler(nullptr);
        for (const auto& button : {item->leftBarButtonItem(), item->rightBarButtonItem()}) {
            if (button) {
                button->setChangeHandler(nullptr);
            }
        }
    }
}

void UINavigationBar::setTranslucent(bool translucent) {
    translucent_ = translucent;
    updateBackground();
}

void UINavigationBar::setBarTintColor(UIColorRef color) {
    barTintColor_ = std::move(color);
    updateBackground();
}

void UINavigationBar::setTintColor(UIColorRef color) {
    tintColor_ = color ? std::move(color) : UIButton::defaultTintColor();
    for (const auto& button : {leftButton_, rightButton_}) {
        if (button) {
            button->setTintColor(tintColor_);
        }
    }
}

void UINavigationBar::updateBackground() {
    UIColorRef color = barTintColor_ ? barTintColor_ : defaultBarColor();
    if (translucent_) {
        color = color->colorWithAlphaComponent(CGColorGetAlpha(color->CGColor()) * 0.85f);
    }
    setBackgroundColor(color);
}

UINavigationItem* UINavigationBar::backItem() const {
    return items_.size() < 2 ? nullptr : items_[items_.size() - 2].get();
}

void UINavigationBar::pushNavigationItem(std::shared_ptr<UINavigationItem> item, bool animated) {
    (void)animated;
    if (!item) {
        return;
    }
    if (!items_.empty()) {
        items_.back()->setChangeHandler(nullptr);
    }
    items_.push_back(std::move(item));
    showTopItem();
}

void UINavigationBar::popNavigationItem(bool animated) {
    (void)animated;
    if (items_.empty()) {
        return;
    }
    items_.back()->setChangeHandler(nullptr);
    items_.pop_back();
    showTopItem();
}

void UINavigationBar::showTopItem() {
    backButtonItem_.reset();
    if (UINavigationItem* item = topItem()) {
        item->setChangeHandler([this] { refresh(); });
        if (UINavigationItem* back = backItem()) {
            backButtonItem_ = std::make_shared<UIBarButtonItem>(
                "< " + (back->title().empty() ? std::string("Back") : back->title()),
                UIBarButtonItemStylePlain, nullptr, "popNavigationItem", [this](id) {
                    if (backAction_) {
                        backAction_();
                    }
                });
        }
    }
    refresh();
}

std::shared_ptr<UINavigationButton>
UINavigationBar::buttonFor(const UIBarButtonItemRef& item,
                           std::shared_ptr<UINavigationButton> current) {
    if (current && (!item || current->item() != item.get())) {
        // The item may outlive this bar: it must no longer call back into it.
        current->item()->setChangeHandler(nullptr);
        current->removeFromSuperview();
        current.reset();
    }
    if (item && !current) {
        current = std::make_shared<UINavigationButton>(item, tintColor_);
        addSubview(current);
    }
    if (item) {
        item->setChangeHandler([this] { refresh(); });
        current->update();
    }
    return current;
}

void UINavigationBar::refresh() {
    UINavigationItem* item = topItem();
    titleLabel_->setText(item ? item->title() : std::string());
    UIBarButtonItemRef left = item ? item->leftBarButtonItem() : nullptr;
    if (!left) {
        left = backButtonItem_;
    }
    leftButton_ = buttonFor(left, leftButton_);
    rightButton_ = buttonFor(item ? item->rightBarButtonItem() : nullptr, rightButton_);
    setNeedsLayout();
}

std::vector<UIView*> UINavigationBar::accessibilityElements() const {
    std::vector<UIView*> elements;
    for (UIView* view :
         {static_cast<UIView*>(leftButton_.get()), static_cast<UIView*>(titleLabel_.get()),
          static_cast<UIView*>(rightButton_.get())}) {
        if (view != nullptr) {
            elements.push_back(view);
        }
    }
    return elements;
}

void UINavigationBar::layoutSubviews() {
    CGRect b = bounds();
    CGFloat leftEnd = edgeMargin;
    CGFloat rightStart = b.size.width - edgeMargin;
    if (leftButton_) {
        CGSize size = leftButton_->sizeThatFits(b.size);
        leftButton_->setFrame(CGRectMake(edgeMargin, 0, size.width, b.size.height));
        leftEnd = edgeMargin + size.width;
    }
    if (rightButton_) {
        CGSize size = rightButton_->sizeThatFits(b.size);
        rightStart = b.size.width - edgeMargin - size.width;
        rightButton_->setFrame(CGRectMake(rightStart, 0, size.width, b.size.height));
    }
    // Centred in the bar, pushed aside only where a button would cover it.
    CGFloat titleWidth =
        std::min(titleLabel_->sizeThatFits(CGSizeZero).width, rightStart - leftEnd);
    CGFloat x = (b.size.width - titleWidth) / 2;
    x = std::clamp(x, leftEnd, std::max(leftEnd, rightStart - titleWidth));
    titleLabel_->setFrame(CGRectMake(x, 0, std::max(titleWidth, CGFloat(0)), b.size.height));
    CGFloat line = 1 / std::max(contentScaleFactor(), CGFloat(1));
    hairline_->setFrame(CGRectMake(0, b.size.height - line, b.size.width, line));
}
