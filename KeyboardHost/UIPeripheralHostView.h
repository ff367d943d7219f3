// The view that hosts the keyboard: its backdrop and its keys, on two keyplanes
// (letters; digits and punctuation), with shift for the next letter's capital. Each
// tapped key does its work (types into the key input, shifts, switches the
// keyplane) and makes the view lay itself out again, as on the device. Its layout and its
// backdrop are asked for through the object runtime, so that a plug-in that
// replaces `layoutSubviews` or `inputBackdropView` runs in place of the view's own
// implementation, which it can still call. The view's own work is in the `system...`
// members. Each layout pass asks the text field's input traits for the keyboard
// appearance again.
#pragma once

#include "UIKBBackdropView.h"
#include "UIKBKeyView.h"
#include "UIKBKeyboardGeometry.h"
#include "UIKeyInput.h"

#include <UIKit/UIView.h>

#include <memory>
#include <optional>
#include <vector>

class UITextInputTraits;

class UIPeripheralHostView : public UIView {
  public:
    static constexpr CGFloat keyboardHeight = 216;

    static Class registerRuntimeClass();

    explicit UIPeripheralHostView(CGRect frame = CGRectMake(0, 0, 320, keyboardHeight));

    // Every layout pass of the view goes through the runtime (`layoutSubviews`), after
    // the view is reset to the system's own look: no background colour, the backdrop
    // shown.
    void layoutSubviews() override;
    // The host view's own layout: counts the pass, asks for the appearance, shows the
    // backdrop unless the view has a background colour, and lays out the keys.
    void systemLayoutSubviews();

    // Sends `inputBackdropView`.
    UIKBBackdropView* inputBackdropView();
    UIKBBackdropView* systemInputBackdropView() const { return backdrop_.get(); }

    // The traits asked for the appearance at each layout (not retained).
    void setTextInputTraits(UITextInputTraits* traits) { traits_ = traits; }
    // What the keys type into (not retained).
    void setKeyInput(UIKeyInput* input) { keyInput_ = input; }
    // The key whose own character is `character` (a letter in lower case), on either
    // keyplane, if the keyboard has one.
    UIKBKeyView* keyForCharacter(char character) const;
    // The first key of `kind` (shift, delete, the keyplane switch, return).
    UIKBKeyView* keyOfKind(UIKBKeyKind kind) const;
    // The key to tap next to type `character` (any case) as a user would: the key
    // itself when it shows with the right case, else shift or the keyplane switch;
    // none when the keyboard has no key for it.
    UIKBKeyView* keyToTapFor(char character) const;
    const std::vector<UIKBKeyViewRef>& keys() const { return keys_; }

    UIKBKeyplane keyplane() const { return keyplane_; }
    bool isShifted() const { return shifted_; }

    // How many times the view's own layout has run, and the appearance it last used.
    int layoutPasses() const { return layoutPasses_; }
    bool isDark() const { return dark_; }

  private:
    void addKeys();
    void layOutKeys();
    void keyTapped(UIKBKeyView* key);
    std::optional<std::size_t> indexOfKeyForCharacter(char character) const;
    void typeWithKey(const UIKBKeyView& key);

    std::shared_ptr<UIKBBackdropView> backdrop_;
    std::vector<UIKBKeyViewRef> keys_;
    std::vector<UIKBKeySpec> specs_; // one a key, in the same order
    UITextInputTraits* traits_ = nullptr;
    UIKeyInput* keyInput_ = nullptr;
    UIKBKeyplane keyplane_ = UIKBKeyplane::letters;
    bool shifted_ = false;
    int layoutPasses_ = 0;
    bool dark_ = false;
};
