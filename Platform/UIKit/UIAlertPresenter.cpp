#include <UIKit/UIAlertPresenter.h>

#include <UIKit/UIFocusEngine.h>
#include <UIKit/UIScreen.h>

UIAlertPresenter& UIAlertPresenter::shared() {
    // Made after the screen, so torn down before it.
    UIScreen::mainScreen();
    static UIAlertPresenter alerts;
    return alerts;
}

void UIAlertPresenter::present(const UIAlertViewRef& alert) {
    visible = alert;
    if (!overlay) {
        overlay = std::make_shared<UIAlertOverlayWindow>();
    }
    overlay->setFrame(UIScreen::mainScreen()->bounds());
    overlay->addSubview(alert);
    overlay->setHidden(false);
    overlay->layoutIfNeeded();
    UIFocusEngine::shared().screenDidChange();
}
