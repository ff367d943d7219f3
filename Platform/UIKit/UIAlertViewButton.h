// A button of an alert: the tint-coloured title, on light grey while the finger is on it.
#pragma once

#include <UIKit/UIButton.h>

class UIAlertViewButton : public UIButton {
  public:
    UIAlertViewButton();

  protected:
    void stateDidChange() override;
};
