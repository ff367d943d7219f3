// The window that dims the screen and holds the alert that is up, centred; it
// follows the screen when it turns.
#pragma once

#include <UIKit/UIWindow.h>

class UIAlertOverlayWindow : public UIWindow {
  public:
    UIAlertOverlayWindow();

    void layoutSubviews() override;
    void screenBoundsDidChange() override;
};
