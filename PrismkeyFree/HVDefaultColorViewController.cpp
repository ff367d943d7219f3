#include "HVDefaultColorViewController.h"

#include "HVColorPicker.h"
#include "TintPreferences.h"
#include "UIColor-Utilities.h"

#include <cstdio>

#include <Foundation/NSLog.h>
#include <UIKit/UIDevice.h>
#include <UIKit/UINavigationBar.h>
#include <UIKit/UINavigationController.h>
#include <UIKit/UINavigationItem.h>
#include <UIKit/UIPasteboard.h>
#include <UIKit/UIScreen.h>

namespace {

constexpr UIViewAutoresizing kFlexibleSize =
    UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight;

const char* const kSavedMessage =
    "Save successful,please use the keyboard and type any words to refresh it:)";

const char* const kFailureTitle = "Not saved";

// Why a write did not happen, in a few words for the user.
const char* failureCause(TintPreferences::WriteFailure failure) {
    switch (failure) {
    case TintPreferences::WriteFailure::CouldNotRead:
        return "the settings file could not be read";
    case TintPreferences::WriteFailure::WouldNotReadBack:
        return "the settings file holds more, or other, than could be written back unchanged";
    default:
        return "the settings file could not be written";
    }
}

// What failed, why, which file, and how to start afresh. Nothing was written, so
// moving the file aside loses nothing the app cannot make again.
std::string failureMessage(const char* what, const TintPreferences::WriteResult& result) {
    return std::string(what) + ": " + failureCause(result.failure) + ". The settings file is " +
           TintPreferences::hostPath() +
           ". To start afresh, move that file aside (rename it) and open Prismkey again.";
}

} // namespace

HVDefaultColorViewController::HVDefaultColorViewController() = default;

CGRect HVDefaultColorViewController::containerFrame() const {
    if (UI_USER_INTERFACE_IDIOM() == UIUserInterfaceIdiomPad) {
        // The screen's own view, whose height this should come from, is the view
        // being built; the popover's content size stands in for it.
        CGSize size = contentSizeForViewInPopover();
        return CGRectMake(0, 0, size.width, size.height);
    }
    return UIScreen::mainScreen()->applicationFrame();
}

void HVDefaultColorViewController::loadView() {
    TintPreferences::ScreenPreferences stored = TintPreferences::loadForScreen();
    if (stored.storedColor) {
        setSelectedColor(stored.storedColor);
    }
    if (!stored.creation.succeeded()) {
        NSLog("%s", stored.creation.reason.c_str());
    }
    setTitle("Prismkey");

    auto container = std::make_shared<UIView>(containerFrame());
    container->setAutoresizingMask(kFlexibleSize);
    container->setBackgroundColor(UIColor::clearColor());
    if (UINavigationController* navigation = navigationController()) {
        navigation->navigationBar()->setTranslucent(false);
        navigation->navigationBar()->setBarTintColor(
            UIColor_Utilities::colorWithHexString("D1EEFC"));
    }
    setView(container);

    auto picker = std::make_shared<HVColorPicker>(container->bounds());
    picker->setAutoresizingMask(kFlexibleSize);
    picker->setSelectedColor(selectedColor_);
    picker->setOldColor(selectedColor_);
    // Registered only now, so the event of receiving the start colour reaches nobody.
    picker->addTarget(this, "pickerChanged:", &HVDefaultColorViewController::pickerChanged,
                      UIControlEventValueChanged);
    container->addSubview(picker);
    picker_ = picker.get();

    saveButton_ = UIBarButtonItem::initWithTitle(
        "Save", UIBarButtonItemStyleDone, this,
        "rightButtonPressed:", &HVDefaultColorViewController::rightButtonPressed);
    toggleButton_ =
        UIBarButtonItem::initWithTitle("TurnOn", UIBarButtonItemStyleDone, this, "swithButton",
                                       &HVDefaultColorViewController::swithButton);
    // Named by the title it shows, as a bar button is, so that what a user sees is
    // what a voice command or a screen reader names; a toggle, pressed while on.
    toggleButton_->setAccessibilityTraits(UIAccessibilityTraitButton |
                                          UIAccessibilityTraitToggleButton);
    navigationItem()->setRightBarButtonItem(saveButton_);
    navigationItem()->setLeftBarButtonItem(toggleButton_);
    saveButton_->setEnabled(false);
    if (stored.openText && stored.openText->isEqualToString("on")) {
        showOnState(true);
    }
}

void HVDefaultColorViewController::showOnState(bool on) {
    toggleButton_->setTitle(on ? "TurnOff" : "TurnOn");
    toggleButton_->setSelected(on);
    saveButton_->setEnabled(on);
}

void HVDefaultColorViewController::refreshFromPreferences() {
    if (toggleButton_) {
        showOnState(TintPreferences::isOpen());
    }
}

void HVDefaultColorViewController::swithButton() {
    TintPreferences::ToggleResult result = TintPreferences::toggleOpen();
    if (!result.write.succeeded()) {
        // The toggle follows the file: nothing changed, so nothing on screen does.
        NSLog("%s", result.write.reason.c_str());
        showFailure(failureMessage("The setting could not be changed", result.write));
        return;
    }
    showOnState(result.state == TintPreferences::TintState::On);
}

void HVDefaultColorViewController::rightButtonPressed(id) {
    saveSetting();
}

void HVDefaultColorViewController::saveSetting() {
    TintPreferences::WriteResult result = TintPreferences::storeColor(selectedColor_);
    if (!result.succeeded()) {
        NSLog("%s", result.reason.c_str());
        showFailure(failureMessage("Your color could not be saved", result));
        return;
    }
    showTips();
}

void HVDefaultColorViewController::showTips() {
    UIAlertView::initWithTitle("Tips", kSavedMessage, this, "get it")->show();
}

// The success alert's "get it" would read as agreement; a failure is acknowledged.
void HVDefaultColorViewController::showFailure(const std::string& message) {
    UIAlertView::initWithTitle(kFailureTitle, message, this, "OK")->show();
}

void HVDefaultColorViewController::pickerChanged(HVColorPicker* picker) {
    if (picker == nullptr) {
        return;
    }
    setSelectedColor(picker->selectedColor());
    NSLog("%@", UIColor_Utilities::stringFromColor(picker->selectedColor()));
    if (delegate_ != nullptr) {
        delegate_->defaultColorControllerDidChangeColor(this, picker->selectedColor());
    }
}

bool HVDefaultColorViewController::canPerformAction(const std::string& action, id sender) const {
    (void)sender;
    return action == "copy:" && UIColor_Utilities::canProvideRGBComponents(selectedColor_);
}

void HVDefaultColorViewController::copy(id sender) {
    if (!canPerformAction("copy:", sender)) {
        return;
    }
    // Six digits whatever the alpha: what a colour field elsewhere takes.
    char hex[8];
    std::snprintf(hex, sizeof hex, "#%06X",
                  static_cast<unsigned>(UIColor_Utilities::rgbHex(selectedColor_)));
    UIPasteboard::generalPasteboard()->setString(hex);
}
