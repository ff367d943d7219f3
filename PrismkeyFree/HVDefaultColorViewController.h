// The settings screen: the colour picker under a navigation bar with the title
// "Prismkey", an on/off toggle on the left and "Save" on the right. The toggle
// switches the keyboard tint in the preferences file at once; "Save" stores the
// picked colour there and asks the user to type so that the keyboard redraws.
#pragma once

#include <UIKit/UIAlertView.h>
#include <UIKit/UIBarButtonItem.h>
#include <UIKit/UIColor.h>
#include <UIKit/UIViewController.h>

#include <memory>
#include <string>

class HVColorPicker;
class HVDefaultColorViewController;

// Told of every colour the user picks.
class HVDefaultColorControllerDelegate {
  public:
    virtual ~HVDefaultColorControllerDelegate() = default;
    virtual void defaultColorControllerDidChangeColor(HVDefaultColorViewController* controller,
                                                      const UIColorRef& color) = 0;
};

class HVDefaultColorViewController : public UIViewController, public UIAlertViewDelegate {
  public:
    HVDefaultColorViewController();

    const UIColorRef& selectedColor() const { return selectedColor_; }
    void setSelectedColor(UIColorRef color) { selectedColor_ = std::move(color); }
    // Not retained.
    HVDefaultColorControllerDelegate* delegate() const { return delegate_; }
    void setDelegate(HVDefaultColorControllerDelegate* delegate) { delegate_ = delegate; }

    void loadView() override;
    void swithButton();
    void rightButtonPressed(id sender);
    void saveSetting();
    void showTips();
    void pickerChanged(HVColorPicker* picker);
    // Reads the preferences file again and shows its on/off state (another window of
    // the device may have changed it). Nothing before the view is built.
    void refreshFromPreferences();

    CGSize contentSizeForViewInPopover() const override { return {320, 416}; }
    bool shouldAutorotateToInterfaceOrientation(UIInterfaceOrientation) override { return true; }

    // Copy (Ctrl+C) puts the picked colour's hex form, "#0000FF", on the pasteboard.
    bool canPerformAction(const std::string& action, id sender) const override;
    void copy(id sender) override;

    // For tests and the bar: the two buttons once the view is built.
    UIBarButtonItem* saveButton() const { return saveButton_.get(); }
    UIBarButtonItem* toggleButton() const { return toggleButton_.get(); }
    HVColorPicker* picker() const { return picker_; }

  private:
    CGRect containerFrame() const;
    void showOnState(bool on);
    void showFailure(const std::string& message);

    UIColorRef selectedColor_;
    HVDefaultColorControllerDelegate* delegate_ = nullptr;
    UIBarButtonItemRef saveButton_;
    UIBarButtonItemRef toggleButton_;
    HVColorPicker* picker_ = nullptr; // held by the view tree
};
