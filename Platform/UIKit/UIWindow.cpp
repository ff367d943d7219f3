#include <UIKit/UIWindow.h>

#include <UIKit/UIApplication.h>
#include <UIKit/UIEvent.h>
#include <UIKit/UIScreen.h>
#include <UIKit/UITouch.h>
#include <UIKit/UIViewController.h>

UIWindow::UIWindow(CGRect frame) : UIView(frame) {
    UIView::setHidden(true);
}

UIWindow::~UIWindow() {
    if (screen_ != nullptr) {
        screen_->detachWindow(this);
    }
}

void UIWindow::setRootViewController(std::shared_ptr<UIViewController> controller) {
    if (controller == rootViewController_) {
        return;
    }
    if (rootViewController_ && rootViewController_->isViewLoaded()) {
        rootViewController_->view()->removeFromSuperview();
    }
    rootViewController_ = std::move(controller);
    if (visible_) {
        installRootView();
    }
}

void UIWindow::installRootView() {
    if (!rootViewController_) {
        return;
    }
    UIViewController* controller = rootViewController_.get();
    UIView* view = controller->view();
    if (view->superview() == this) {
        return;
    }
    view->setFrame(rootViewFrame());
    controller->viewWillAppear(false);
    addSubview(controller->viewRef());
    layoutIfNeeded();
    controller->viewDidAppear(false);
}

CGRect UIWindow::rootViewFrame() const {
    CGRect frame = UIScreen::mainScreen()->applicationFrame();
    return convertRectFromView(frame, nullptr);
}

void UIWindow::makeKeyAndVisible() {
    setHidden(false);
    makeKeyWindow();
}

void UIWindow::makeKeyWindow() {
    UIApplication::sharedApplication()->setKeyWindow(this);
}

bool UIWindow::isKeyWindow() const {
    return UIApplication::sharedApplication()->keyWindow() == this;
}

void UIWindow::setHidden(bool hidden) {
    UIView::setHidden(hidden);
    if (hidden == !visible_) {
        return;
    }
    visible_ = !hidden;
    if (visible_) {
        UIScreen::mainScreen()->attachWindow(this);
        installRootView();
    } else {
        UIScreen::mainScreen()->detachWindow(this);
    }
}

void UIWindow::setWindowLevel(UIWindowLevel level) {
    windowLevel_ = level;
    UIScreen::mainScreen()->windowLevelDidChange(this);
}

void UIWindow::sendEvent(UIEvent* event) {
    for (UITouch* touch : event->allTouches()) {
        UIView* view = touch->view();
        if (view == nullptr) {
            continue;
        }
        UITouchSet touches{touch};
        switch (touch->phase()) {
        case UITouchPhaseBegan:
            view->touchesBegan(touches, event);
            break;
        case UITouchPhaseMoved:
        case UITouchPhaseStationary:
            view->touchesMoved(touches, event);
            break;
        case UITouchPhaseEnded:
            view->touchesEnded(touches, event);
            break;
        case UITouchPhaseCancelled:
            view->touchesCancelled(touches, event);
            break;
        }
    }
}

UIResponder* UIWindow::nextResponder() const {
    return UIApplication::sharedApplication().get();
}

void UIWindow::screenBoundsDidChange() {
    setFrame(UIScreen::mainScreen()->bounds());
    if (rootViewController_ && rootViewController_->isViewLoaded() &&
        rootViewController_->view()->superview() == this) {
        rootViewController_->view()->setFrame(rootViewFrame());
    }
    layoutIfNeeded();
}
