// Alerts: a title, a message and buttons in a box centred over the dimmed screen.
// An alert is modal: while it is up, touches elsewhere do nothing. Alerts shown
// while one is up wait in a queue and come up in order. The platform keeps a shown
// alert alive until it is dismissed. Each `show` writes
// "alert: <title>: <message>" to standard error.
//
// Button indexes: the cancel button (when there is one) is 0, the other buttons
// follow in order. A press tells the delegate `alertViewClickedButtonAtIndex`,
// then dismisses the alert.
#pragma once

#include <UIKit/UIView.h>

#include <memory>
#include <string>
#include <vector>

class UIAlertView;
class UIButton;
class UILabel;
using UIAlertViewRef = std::shared_ptr<UIAlertView>;

// Delegate methods join their selector's keywords; each has a default that does
// nothing, as an optional protocol method would.
class UIAlertViewDelegate {
  public:
    virtual ~UIAlertViewDelegate() = default;
    virtual void alertViewClickedButtonAtIndex(UIAlertView* alertView, NSInteger buttonIndex) {
        (void)alertView;
        (void)buttonIndex;
    }
    virtual void willPresentAlertView(UIAlertView* alertView) { (void)alertView; }
    virtual void didPresentAlertView(UIAlertView* alertView) { (void)alertView; }
    virtual void alertViewWillDismissWithButtonIndex(UIAlertView* alertView,
                                                     NSInteger buttonIndex) {
        (void)alertView;
        (void)buttonIndex;
    }
    virtual void alertViewDidDismissWithButtonIndex(UIAlertView* alertView, NSInteger buttonIndex) {
        (void)alertView;
        (void)buttonIndex;
    }
};

class UIAlertView : public UIView {
  public:
    static constexpr CGFloat width = 270;
    static constexpr CGFloat buttonHeight = 44;

    // `delegate` is not retained; it is told only what it implements as a
    // UIAlertViewDelegate (any other object is told nothing).
    UIAlertView(std::string title, std::string message, id delegate, std::string cancelButtonTitle,
                std::vector<std::string> otherButtonTitles);
    static UIAlertViewRef initWithTitle(std::string title, std::string message, id delegate,
                                        std::string cancelButtonTitle,
                                        std::vector<std::string> otherButtonTitles = {}) {
        return std::make_shared<UIAlertView>(std::move(title), std::move(message), delegate,
                                             std::move(cancelButtonTitle),
                                             std::move(otherButtonTitles));
    }

    const std::string& title() const { return title_; }
    const std::string& message() const { return message_; }
    id delegate() const { return delegate_; }
    void setDelegate(id delegate) { delegate_ = delegate; }

    NSInteger addButtonWithTitle(std::string title);
    NSInteger numberOfButtons() const { return static_cast<NSInteger>(buttonTitles_.size()); }
    std::string buttonTitleAtIndex(NSInteger index) const;
    // -1 when there is none.
    NSInteger indexOfButtonWithTitle(const std::string& title) const;
    NSInteger cancelButtonIndex() const { return cancelButtonIndex_; }
    NSInteger firstOtherButtonIndex() const;
    // The button drawn bold, which the keyboard's Return presses until focus moves:
    // the cancel button; -1 when there is none.
    NSInteger preferredButtonIndex() const { return cancelButtonIndex_; }
    UIButton* buttonAtIndex(NSInteger index) const;
    // -1 when `button` is none of this alert's.
    NSInteger indexOfButton(const UIView* button) const;

    // Shows the alert now, or queues it behind the one that is up. Showing an alert
    // that is already up or queued does nothing more. Needs the alert to be owned
    // by a shared_ptr (initWithTitle makes it so).
    void show();
    bool isVisible() const;
    // What a tap on the button does: the delegate hears of the press, then the
    // alert goes away and the next queued one comes up.
    void pressButtonAtIndex(NSInteger index);
    // Takes the alert down (or out of the queue) without telling of a press.
    void dismissWithClickedButtonIndex(NSInteger index, bool animated);

    // The alert that is up, and those waiting, in order.
    static UIAlertView* visibleAlert();
    static std::vector<UIAlertView*> queuedAlerts();

    CGSize sizeThatFits(CGSize size) const override;
    void layoutSubviews() override;

    // A dialog labelled by its title, holding its message and then its buttons as
    // they are drawn.
    bool isAccessibilityElement() const override;
    std::string accessibilityLabel() const override;
    std::vector<UIView*> accessibilityElements() const override;

  private:
    UIAlertViewDelegate* alertDelegate() const;
    // Puts the alert up, telling the delegate before and after.
    void comeUp();
    // The look, the labels and the buttons, made once, when first needed.
    void buildContent() const;
    void rebuildButtons();
    std::vector<NSInteger> buttonOrder() const;
    CGFloat textHeight() const;

    std::string title_;
    std::string message_;
    id delegate_;
    std::vector<std::string> buttonTitles_;
    NSInteger cancelButtonIndex_ = -1;
    std::shared_ptr<UILabel> titleLabel_; // none until the content is built
    std::shared_ptr<UILabel> messageLabel_;
    std::vector<std::shared_ptr<UIButton>> buttons_;
    std::vector<UIViewRef> separators_;
};
