#include <UIKit/UIAlertOverlayWindow.h>

#include <UIKit/UIScreen.h>

#include <cmath>

UIAlertOverlayWindow::UIAlertOverlayWindow() : UIWindow(UIScreen::mainScreen()->bounds()) {
    setWindowLevel(UIWindowLevelAlert);
    setBackgroundColor(UIColor::colorWithWhite(0, 0.4f));
}

void UIAlertOverlayWindow::layoutSubviews() {
    CGRect b = bounds();
    for (const UIViewRef& alert : subviews()) {
        CGSize size = alert->sizeThatFits(b.size);
        alert->setFrame(CGRectMake(std::round((b.size.width - size.width) / 2),
                                   std::round((b.size.height - size.height) / 2), size.width,
                                   size.height));
    }
}

void UIAlertOverlayWindow::screenBoundsDidChange() {
    setFrame(UIScreen::mainScreen()->bounds());
    layoutIfNeeded();
}
