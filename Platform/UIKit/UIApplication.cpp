#include <UIKit/UIApplication.h>

#include <QuartzCore/CAMediaTiming.h>
#include <UIKit/UIAccessibility.h>
#include <UIKit/UIEvent.h>
#include <UIKit/UIFocusEngine.h>
#include <UIKit/UINavigationController.h>
#include <UIKit/UIScreen.h>
#include <UIKit/UIViewController.h>
#include <UIKit/UIWindow.h>

#include <cstdio>
#include <map>

namespace {

std::map<std::string, UIApplicationDelegateFactory>& delegateClasses() {
    static std::map<std::string, UIApplicationDelegateFactory> classes;
    return classes;
}

void writeEffectLine(const std::string& line) {
    std::string text = line + "\n";
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

CGPoint screenToWindow(const UIWindow* window, CGPoint point) {
    CGRect frame = window->frame();
    return {point.x - frame.origin.x, point.y - frame.origin.y};
}

} // namespace

void UIApplicationRegisterDelegateClass(const std::string& name,
                                        UIApplicationDelegateFactory factory) {
    delegateClasses()[name] = std::move(factory);
}

std::shared_ptr<UIApplicationDelegate> UIApplicationCreateDelegate(const std::string& name) {
    auto it = delegateClasses().find(name);
    return it == delegateClasses().end() ? nullptr : it->second();
}

UIApplication::UIApplication() {
    // The screen outlives the application, whose windows detach from it on teardown.
    UIScreen::mainScreen();
}

const UIApplicationRef& UIApplication::sharedApplication() {
    static const UIApplicationRef application = std::make_shared<UIApplication>();
    return application;
}

bool UIApplication::finishLaunching() {
    if (!delegate_) {
        return true;
    }
    return delegate_->applicationDidFinishLaunchingWithOptions(this, nullptr);
}

void UIApplication::becomeActive() {
    if (delegate_) {
        delegate_->applicationDidBecomeActive(this);
    }
}

UIWindow* UIApplication::keyWindow() const {
    return keyWindow_.expired() ? nullptr : keyWindowPointer_;
}

void UIApplication::setKeyWindow(UIWindow* window) {
    keyWindowPointer_ = window;
    keyWindow_ = window ? window->weak_from_this() : std::weak_ptr<NSObject>();
}

std::vector<UIWindow*> UIApplication::windows() const {
    return UIScreen::mainScreen()->windows();
}

bool UIApplication::openURL(const std::string& url) {
    if (!urlOpener_) {
        writeEffectLine("open-url: " + url);
        return true;
    }
    UIURLOpening opening = urlOpener_(url);
    writeEffectLine("open-url: " + url +
                    (opening.opened ? "" : " (not opened: " + opening.problem + ")"));
    return opening.opened;
}

bool UIApplication::sendTouch(UITouchPhase phase, CGPoint pointInScreen) {
    double now = CACurrentMediaTime();
    if (phase == UITouchPhaseBegan) {
        if (touch_) {
            sendTouch(UITouchPhaseCancelled, pointInScreen);
        }
        const std::vector<UIWindow*>& windows = UIScreen::mainScreen()->windows();
        for (auto it = windows.rbegin(); it != windows.rend() && !touch_; ++it) {
            UIWindow* window = *it;
            CGPoint inWindow = screenToWindow(window, pointInScreen);
            if (UIView* view = window->hitTest(inWindow, nullptr)) {
                touch_ = std::make_shared<UITouch>(window, view, inWindow, now);
            }
        }
        if (!touch_) {
            return false;
        }
    } else {
        if (!touch_) {
            return false;
        }
        touch_->update(phase, screenToWindow(touch_->window(), pointInScreen), now);
    }
    // The touch may end while it is delivered (an action can start a new one).
    UITouchRef touch = touch_;
    if (phase == UITouchPhaseEnded || phase == UITouchPhaseCancelled) {
        touch_.reset();
    }
    UIEvent event({touch.get()}, now);
    touch->window()->sendEvent(&event);
    return true;
}

bool UIApplication::rotateToInterfaceOrientation(UIInterfaceOrientation orientation) {
    UIWindow* window = keyWindow();
    UIViewController* root = window ? window->rootViewController().get() : nullptr;
    if (root != nullptr && !root->shouldAutorotateToInterfaceOrientation(orientation)) {
        return false;
    }
    UIInterfaceOrientation previous = orientation_;
    orientation_ = orientation;
    if (root != nullptr) {
        root->willRotateToInterfaceOrientation(orientation, 0);
    }
    UIScreen::mainScreen()->setLandscape(UIInterfaceOrientationIsLandscape(orientation));
    layoutWindows();
    UIAccessibilityPostNotification(UIAccessibilityNotification::layoutChanged, nullptr);
    if (root != nullptr) {
        root->didRotateFromInterfaceOrientation(previous);
    }
    return true;
}

void UIApplication::setStatusBarClockText(const std::string& text) {
    UIScreen::mainScreen()->setStatusBarClockText(text);
}

std::string UIApplication::statusBarClockText() const {
    return UIScreen::mainScreen()->statusBarClockText();
}

namespace {

UIResponder* performerAlong(UIResponder* responder, const std::string& action, id sender) {
    for (; responder != nullptr; responder = responder->nextResponder()) {
        if (responder->canPerformAction(action, sender)) {
            return responder;
        }
    }
    return nullptr;
}

UIViewController* visibleViewController(UIWindow* window) {
    UIViewController* root = window ? window->rootViewController().get() : nullptr;
    if (auto* navigation = dynamic_cast<UINavigationController*>(root)) {
        return navigation->visibleViewController();
    }
    return root;
}

} // namespace

bool UIApplication::sendAction(const std::string& action, id target, id sender,
                               UIEvent* event) const {
    (void)event;
    UIResponder* performer = nullptr;
    if (target != nullptr) {
        performer = dynamic_cast<UIResponder*>(target);
    } else {
        performer = performerAlong(UIFocusEngine::shared().focusedView(), action, sender);
        if (performer == nullptr) {
            performer = performerAlong(visibleViewController(keyWindow()), action, sender);
        }
    }
    if (performer == nullptr || !performer->canPerformAction(action, sender)) {
        return false;
    }
    if (action == "copy:") {
        performer->copy(sender);
        return true;
    }
    return false;
}

void UIApplication::layoutWindows() {
    for (UIWindow* window : UIScreen::mainScreen()->windows()) {
        window->layoutIfNeeded();
    }
}
