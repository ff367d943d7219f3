// The alert that is up and those waiting behind it, in order, for the whole
// process, with the overlay window that shows the one that is up.
#pragma once

#include <UIKit/UIAlertOverlayWindow.h>
#include <UIKit/UIAlertView.h>

#include <deque>
#include <memory>

struct UIAlertPresenter {
    UIAlertViewRef visible;
    std::deque<UIAlertViewRef> waiting;
    std::shared_ptr<UIAlertOverlayWindow> overlay;

    static UIAlertPresenter& shared();
    // Puts `alert` up in the overlay, making the overlay when there is none yet.
    void present(const UIAlertViewRef& alert);
};
