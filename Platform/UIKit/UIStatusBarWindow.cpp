#include <UIKit/UIStatusBarWindow.h>

#include <UIKit/UIScreen.h>

namespace {

CGRect statusBarFrame() {
    return CGRectMake(0, 0, UIScreen::mainScreen()->bounds().size.width, UIScreen::statusBarHeight);
}

} // namespace

UIStatusBarWindow::UIStatusBarWindow(const std::string& clockText)
    : UIWindow(statusBarFrame()), clock_(std::make_shared<UILabel>()) {
    setWindowLevel(UIWindowLevelStatusBar);
    setUserInteractionEnabled(false);
    setBackgroundColor(UIColor::blackColor());
    clock_->setFont(UIFont::boldSystemFontOfSize(12));
    clock_->setTextColor(UIColor::whiteColor());
    clock_->setTextAlignment(NSTextAlignmentCenter);
    clock_->setText(clockText);
    addSubview(clock_);
}

void UIStatusBarWindow::screenBoundsDidChange() {
    setFrame(statusBarFrame());
}

void UIStatusBarWindow::layoutSubviews() {
    clock_->setFrame(bounds());
}
