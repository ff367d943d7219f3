// The status bar: a black 20-point strip along the top of the screen with a clock.
// It takes no touches. The screen shows it above the application's windows once
// the first of them is shown.
#pragma once

#include <UIKit/UILabel.h>
#include <UIKit/UIWindow.h>

#include <string>

class UIStatusBarWindow : public UIWindow {
  public:
    explicit UIStatusBarWindow(const std::string& clockText);

    void setClockText(const std::string& text) { clock_->setText(text); }
    const std::string& clockText() const { return clock_->text(); }

    void screenBoundsDidChange() override;
    void layoutSubviews() override;

  private:
    UILabelRef clock_;
};
