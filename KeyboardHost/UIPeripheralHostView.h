// The view that hosts the keyboard. Its layout and its backdrop are asked for through
// the object runtime, so that a plug-in that replaces `layoutSubviews` or
// `inputBackdropView` runs in place of the view's own implementation, which it can
// still call. The view's own work is in the `system...` members.
#pragma once

#include "UIKBBackdropView.h"

#include <Foundation/NSObject.h>
#include <UIKit/UIColor.h>

#include <memory>

class UIPeripheralHostView : public NSObject {
  public:
    static Class registerRuntimeClass();

    UIPeripheralHostView();

    // Sends `layoutSubviews`; a layout pass of the keyboard.
    void layoutSubviews();
    // The host view's own layout: counts the pass and lays out the backdrop.
    void systemLayoutSubviews();

    // Sends `inputBackdropView`.
    UIKBBackdropView* inputBackdropView();
    UIKBBackdropView* systemInputBackdropView() const { return backdrop_.get(); }

    const UIColorRef& backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(UIColorRef color) { backgroundColor_ = std::move(color); }

    // How many times the view's own layout has run.
    int layoutPasses() const { return layoutPasses_; }

  private:
    UIColorRef backgroundColor_;
    std::shared_ptr<UIKBBackdropView> backdrop_ = std::make_shared<UIKBBackdropView>();
    int layoutPasses_ = 0;
};
