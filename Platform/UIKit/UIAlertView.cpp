#include <UIKit/UIAlertView.h>

#include <UIKit/UIAlertPresenter.h>
#include <UIKit/UIAlertViewButton.h>
#include <UIKit/UIFocusEngine.h>
#include <UIKit/UILabel.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr CGFloat horizontalInset = 16;
constexpr CGFloat topInset = 20;
constexpr CGFloat textGap = 4;
constexpr CGFloat bottomInset = 20;
constexpr CGFloat titleFontSize = 17;
constexpr CGFloat messageFontSize = 13;

} // namespace

UIAlertView::UIAlertView(std::string title, std::string message, id delegate,
                         std::string cancelButtonTitle, std::vector<std::string> otherButtonTitles)
    : UIView(CGRectMake(0, 0, width, 0)), title_(std::move(title)), message_(std::move(message)),
      delegate_(delegate) {
    if (!cancelButtonTitle.empty()) {
        cancelButtonIndex_ = 0;
        buttonTitles_.push_back(std::move(cancelButtonTitle));
    }
    for (std::string& other : otherButtonTitles) {
        buttonTitles_.push_back(std::move(other));
    }
}

// An alert waits in the queue as its texts alone: a program that shows one at every
// change of a control (a drag) queues many a frame, and none of them may cost a
// frame anything until it comes up. Its look, labels and buttons are made when it
// first needs them.
void UIAlertView::buildContent() const {
    if (titleLabel_) {
        return;
    }
    // Called from const readers too; an alert is never made const (initWithTitle).
    auto& self = const_cast<UIAlertView&>(*this);
    self.setBackgroundColor(UIColor::colorWithWhite(0.97f, 1));
    self.setClipsToBounds(true);
    self.layer()->setCornerRadius(12);
    self.titleLabel_ = std::make_shared<UILabel>();
    self.messageLabel_ = std::make_shared<UILabel>();
    for (const auto& [label, text, size, bold] :
         {std::tuple{titleLabel_, title_, titleFontSize, true},
          std::tuple{messageLabel_, message_, messageFontSize, false}}) {
        label->setText(text);
        label->setFont(bold ? UIFont::boldSystemFontOfSize(size) : UIFont::systemFontOfSize(size));
        label->setTextAlignment(NSTextAlignmentCenter);
        label->setNumberOfLines(0);
        self.addSubview(label);
    }
    titleLabel_->setIsAccessibilityElement(false); // the dialog's own label
    self.rebuildButtons();
}

NSInteger UIAlertView::addButtonWithTitle(std::string title) {
    buttonTitles_.push_back(std::move(title));
    if (titleLabel_) {
        rebuildButtons();
    }
    return numberOfButtons() - 1;
}

std::string UIAlertView::buttonTitleAtIndex(NSInteger index) const {
    if (index < 0 || index >= numberOfButtons()) {
        return {};
    }
    return buttonTitles_[static_cast<std::size_t>(index)];
}

NSInteger UIAlertView::indexOfButtonWithTitle(const std::string& title) const {
    auto it = std::find(buttonTitles_.begin(), buttonTitles_.end(), title);
    return it == buttonTitles_.end() ? -1 : static_cast<NSInteger>(it - buttonTitles_.begin());
}

NSInteger UIAlertView::firstOtherButtonIndex() const {
    NSInteger first = cancelButtonIndex_ == 0 ? 1 : 0;
    return first < numberOfButtons() ? first : -1;
}

UIButton* UIAlertView::buttonAtIndex(NSInteger index) const {
    buildContent();
    if (index < 0 || index >= static_cast<NSInteger>(buttons_.size())) {
        return nullptr;
    }
    return buttons_[static_cast<std::size_t>(index)].get();
}

NSInteger UIAlertView::indexOfButton(const UIView* button) const {
    buildContent();
    for (std::size_t index = 0; index < buttons_.size(); ++index) {
        if (buttons_[index].get() == button) {
            return static_cast<NSInteger>(index);
        }
    }
    return -1;
}

bool UIAlertView::isAccessibilityElement() const {
    return accessibilitySettings().element.value_or(true);
}

std::string UIAlertView::accessibilityLabel() const {
    return accessibilitySettings().label.value_or(title_);
}

std::vector<UIView*> UIAlertView::accessibilityElements() const {
    buildContent();
    std::vector<UIView*> elements{titleLabel_.get(), messageLabel_.get()};
    for (NSInteger index : buttonOrder()) {
        elements.push_back(buttons_[static_cast<std::size_t>(index)].get());
    }
    return elements;
}

void UIAlertView::rebuildButtons() {
    for (const auto& button : buttons_) {
        button->removeFromSuperview();
    }
    for (const auto& separator : separators_) {
        separator->removeFromSuperview();
    }
    buttons_.clear();
    separators_.clear();
    for (NSInteger index = 0; index < numberOfButtons(); ++index) {
        auto button = std::make_shared<UIAlertViewButton>();
        button->setTitle(buttonTitles_[static_cast<std::size_t>(index)], UIControlStateNormal);
        button->setFocusGroupIdentifier("UIAlertView");
        if (index == preferredButtonIndex()) {
            button->titleLabel()->setFont(UIFont::boldSystemFontOfSize(17));
        }
        button->addTarget(
            nullptr,
            "pressButtonAtIndex:", [this, index](id, UIEvent*) { pressButtonAtIndex(index); },
            UIControlEventTouchUpInside);
        addSubview(button);
        buttons_.push_back(std::move(button));
        auto separator = std::make_shared<UIView>();
        separator->setBackgroundColor(UIColor::colorWithWhite(0.8f, 1));
        separator->setUserInteractionEnabled(false);
        addSubview(separator);
        separators_.push_back(std::move(separator));
    }
    setNeedsLayout();
}

// Two buttons stand side by side, cancel first; otherwise they stack with the
// cancel button at the bottom.
std::vector<NSInteger> UIAlertView::buttonOrder() const {
    std::vector<NSInteger> order;
    for (NSInteger index = 0; index < numberOfButtons(); ++index) {
        if (index != cancelButtonIndex_) {
            order.push_back(index);
        }
    }
    if (cancelButtonIndex_ >= 0) {
        order.insert(numberOfButtons() == 2 ? order.begin() : order.end(), cancelButtonIndex_);
    }
    return order;
}

CGFloat UIAlertView::textHeight() const {
    buildContent();
    CGFloat textWidth = width - 2 * horizontalInset;
    CGFloat height = topInset + bottomInset;
    if (!title_.empty()) {
        height += std::ceil(titleLabel_->sizeThatFits({textWidth, 0}).height);
    }
    if (!message_.empty()) {
        height += std::ceil(messageLabel_->sizeThatFits({textWidth, 0}).height);
        if (!title_.empty()) {
            height += textGap;
        }
    }
    return height;
}

CGSize UIAlertView::sizeThatFits(CGSize size) const {
    (void)size;
    NSInteger rows = numberOfButtons() == 2 ? 1 : numberOfButtons();
    return {width, textHeight() + static_cast<CGFloat>(rows) * buttonHeight};
}

void UIAlertView::layoutSubviews() {
    buildContent();
    CGFloat textWidth = width - 2 * horizontalInset;
    CGFloat y = topInset;
    CGFloat titleHeight =
        title_.empty() ? 0 : std::ceil(titleLabel_->sizeThatFits({textWidth, 0}).height);
    titleLabel_->setFrame(CGRectMake(horizontalInset, y, textWidth, titleHeight));
    y += titleHeight + (title_.empty() ? 0 : textGap);
    CGFloat messageHeight =
        message_.empty() ? 0 : std::ceil(messageLabel_->sizeThatFits({textWidth, 0}).height);
    messageLabel_->setFrame(CGRectMake(horizontalInset, y, textWidth, messageHeight));

    CGFloat top = textHeight();
    CGFloat line = 1 / std::max(contentScaleFactor(), CGFloat(1));
    std::vector<NSInteger> order = buttonOrder();
    bool sideBySide = order.size() == 2;
    for (std::size_t slot = 0; slot < order.size(); ++slot) {
        auto index = static_cast<std::size_t>(order[slot]);
        CGRect frame = sideBySide ? CGRectMake(width / 2 * static_cast<CGFloat>(slot), top,
                                               width / 2, buttonHeight)
                                  : CGRectMake(0, top + buttonHeight * static_cast<CGFloat>(slot),
                                               width, buttonHeight);
        buttons_[index]->setFrame(frame);
        separators_[index]->setFrame(
            CGRectMake(frame.origin.x, frame.origin.y, frame.size.width, line));
        if (sideBySide && slot == 1) {
            // The line between the two buttons.
            separators_[index]->setFrame(CGRectMake(frame.origin.x, top, line, buttonHeight));
            separators_[order[0]]->setFrame(CGRectMake(0, top, width, line));
        }
    }
}

UIAlertViewDelegate* UIAlertView::alertDelegate() const {
    return dynamic_cast<UIAlertViewDelegate*>(delegate_);
}

// ---- presentation ---------------------------------------------------------------------

void UIAlertView::show() {
    std::string line = "alert: " + title_ + ": " + message_ + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);

    UIAlertPresenter& alerts = UIAlertPresenter::shared();
    if (alerts.visible.get() == this ||
        std::any_of(alerts.waiting.begin(), alerts.waiting.end(),
                    [&](const UIAlertViewRef& a) { return a.get() == this; })) {
        return;
    }
    auto self = std::static_pointer_cast<UIAlertView>(shared_from_this());
    if (alerts.visible) {
        alerts.waiting.push_back(std::move(self));
        return;
    }
    comeUp();
}

void UIAlertView::comeUp() {
    buildContent();
    if (UIAlertViewDelegate* d = alertDelegate()) {
        d->willPresentAlertView(this);
    }
    UIAlertPresenter::shared().present(std::static_pointer_cast<UIAlertView>(shared_from_this()));
    if (UIAlertViewDelegate* d = alertDelegate()) {
        d->didPresentAlertView(this);
    }
}

bool UIAlertView::isVisible() const {
    return UIAlertPresenter::shared().visible.get() == this;
}

void UIAlertView::pressButtonAtIndex(NSInteger index) {
    if (index < 0 || index >= numberOfButtons()) {
        return;
    }
    auto self = std::static_pointer_cast<UIAlertView>(shared_from_this());
    if (UIAlertViewDelegate* d = alertDelegate()) {
        d->alertViewClickedButtonAtIndex(this, index);
    }
    dismissWithClickedButtonIndex(index, true);
}

void UIAlertView::dismissWithClickedButtonIndex(NSInteger index, bool animated) {
    (void)animated;
    UIAlertPresenter& alerts = UIAlertPresenter::shared();
    auto queued = std::find_if(alerts.waiting.begin(), alerts.waiting.end(),
                               [&](const UIAlertViewRef& a) { return a.get() == this; });
    if (queued != alerts.waiting.end()) {
        alerts.waiting.erase(queued);
        return;
    }
    if (alerts.visible.get() != this) {
        return;
    }
    // Kept alive while the delegate hears of it.
    UIAlertViewRef self = alerts.visible;
    if (UIAlertViewDelegate* d = alertDelegate()) {
        d->alertViewWillDismissWithButtonIndex(this, index);
    }
    removeFromSuperview();
    alerts.visible.reset();
    // The next alert comes up before the delegate hears of the dismissal, so that an
    // alert it shows then waits behind those already queued.
    if (!alerts.waiting.empty()) {
        UIAlertViewRef next = alerts.waiting.front();
        alerts.waiting.pop_front();
        next->comeUp();
    } else if (alerts.overlay) {
        alerts.overlay->setHidden(true);
        UIFocusEngine::shared().screenDidChange();
    }
    if (UIAlertViewDelegate* d = alertDelegate()) {
        d->alertViewDidDismissWithButtonIndex(this, index);
    }
}

UIAlertView* UIAlertView::visibleAlert() {
    return UIAlertPresenter::shared().visible.get();
}

std::vector<UIAlertView*> UIAlertView::queuedAlerts() {
    std::vector<UIAlertView*> queued;
    for (const UIAlertViewRef& alert : UIAlertPresenter::shared().waiting) {
        queued.push_back(alert.get());
    }
    return queued;
}
