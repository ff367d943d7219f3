// The view that hosts the keyboard: its backdrop and its keys. Its layout and its
// backdrop are asked for through the object runtime, so that a plug-in that
// replaces `layoutSubviews` or `inputBackdropView` runs in place of the view's own
// implementation, which it can still call. The view's own work is in the `system...`
// members. Each layout pass asks the text field's input traits for the keyboard
// appearance again.
#pragma once

#include "UIKBBackdropView.h"
#include "UIKBKeyView.h"

#include <UIKit/UIView.h>

#include <functional>
#include <memory>
#include <vector>

class UITextInputTraits;

class UIPeripheralHostView : public UIView {
  public:
    static constexpr CGFloat keyboardHeight = 216;

    static Class registerRuntimeClass();

    explicit UIPeripheralHostView(CGRect frame = CGRectMake(0, 0, 320, keyboardHeight));

    // Every layout pass of the view goes through the runtime (`layoutSubviews`).
    void layoutSubviews() override;
    // The host view's own layout: counts the pass, asks for the appearance, shows the
    // backdrop unless the view has a background colour, and lays out the keys.
    void systemLayoutSubviews();

    // Sends `inputBackdropView`.
    UIKBBackdropView* inputBackdropView();
    UIKBBackdropView* systemInputBackdropView() const { return backdrop_.get(); }

    // The traits asked for the appearance at each layout (not retained).
    void setTextInputTraits(UITextInputTraits* traits) { traits_ = traits; }
    // What a tapped key types.
    void setKeyHandler(std::function<void(char)> handler) { keyHandler_ = std::move(handler); }
    // The key that types `character`, if the keyboard has one.
    UIKBKeyView* keyForCharacter(char character) const;
    const std::vector<UIKBKeyViewRef>& keys() const { return keys_; }

    // How many times the view's own layout has run, and the appearance it last used.
    int layoutPasses() const { return layoutPasses_; }
    bool isDark() const { return dark_; }

  private:
    void addKeys();
    void layOutKeys();
    void keyTapped(UIKBKeyView* key);

    std::shared_ptr<UIKBBackdropView> backdrop_;
    std::vector<UIKBKeyViewRef> keys_;
    UITextInputTraits* traits_ = nullptr;
    std::function<void(char)> keyHandler_;
    int layoutPasses_ = 0;
    bool dark_ = false;
};
