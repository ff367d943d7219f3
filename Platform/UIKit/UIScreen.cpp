#include <UIKit/UIScreen.h>

#include <UIKit/UIColor.h>
#include <UIKit/UIImage.h>
#include <UIKit/UIStatusBarWindow.h>
#include <UIKit/UIWindow.h>

#include <algorithm>

UIScreen::UIScreen() : layer_(CALayer::layer()) {
    layer_->setBounds(bounds_);
    layer_->setPosition({bounds_.size.width / 2, bounds_.size.height / 2});
    layer_->setBackgroundColor(UIColor::blackColor()->CGColor());
}

UIScreen::~UIScreen() {
    for (UIWindow* window : windows_) {
        window->screen_ = nullptr;
    }
    windows_.clear();
    statusBar_.reset();
}

const UIScreenRef& UIScreen::mainScreen() {
    static const UIScreenRef screen = std::make_shared<UIScreen>();
    return screen;
}

CGRect UIScreen::applicationFrame() const {
    return CGRectMake(0, statusBarHeight, bounds_.size.width,
                      bounds_.size.height - statusBarHeight);
}

void UIScreen::setScale(CGFloat scale) {
    scale_ = scale;
    UIImage::setScreenScale(scale);
}

void UIScreen::setLandscape(bool landscape) {
    if (landscape == isLandscape()) {
        return;
    }
    bounds_ = landscape ? CGRectMake(0, 0, portraitHeight, portraitWidth)
                        : CGRectMake(0, 0, portraitWidth, portraitHeight);
    layer_->setBounds(bounds_);
    layer_->setPosition({bounds_.size.width / 2, bounds_.size.height / 2});
    for (UIWindow* window : std::vector<UIWindow*>(windows_)) {
        window->screenBoundsDidChange();
    }
}

void UIScreen::attachWindow(UIWindow* window) {
    if (std::find(windows_.begin(), windows_.end(), window) != windows_.end()) {
        return;
    }
    windows_.push_back(window);
    window->screen_ = this;
    restack();
    if (!statusBar_ && window->windowLevel() < UIWindowLevelStatusBar) {
        statusBar_ = std::make_shared<UIStatusBarWindow>(clockText_);
        statusBar_->setHidden(false);
    }
}

void UIScreen::setStatusBarClockText(const std::string& text) {
    clockText_ = text;
    if (statusBar_) {
        statusBar_->setClockText(text);
    }
}

void UIScreen::detachWindow(UIWindow* window) {
    auto it = std::find(windows_.begin(), windows_.end(), window);
    if (it == windows_.end()) {
        return;
    }
    windows_.erase(it);
    window->screen_ = nullptr;
    window->layer()->removeFromSuperlayer();
}

void UIScreen::windowLevelDidChange(UIWindow* window) {
    if (std::find(windows_.begin(), windows_.end(), window) != windows_.end()) {
        restack();
    }
}

void UIScreen::restack() {
    // Windows of one level keep the order in which they were shown.
    std::stable_sort(windows_.begin(), windows_.end(), [](const UIWindow* a, const UIWindow* b) {
        return a->windowLevel() < b->windowLevel();
    });
    for (UIWindow* window : windows_) {
        CALayerRef layer = window->layerRef();
        layer->removeFromSuperlayer();
        layer_->addSublayer(layer);
    }
}
