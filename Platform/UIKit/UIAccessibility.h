// The platform's accessibility surface: traits, notifications, and the element
// tree that assistive tools read (the desktop bridge and the `state` script
// command both read `UIAccessibilityElementTree`).
#pragma once

#include <CoreGraphics/CGGeometry.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class UIView;

using UIAccessibilityTraits = std::uint64_t;
// The platform's bit values.
inline constexpr UIAccessibilityTraits UIAccessibilityTraitNone = 0;
inline constexpr UIAccessibilityTraits UIAccessibilityTraitButton = 1ULL << 0U;
inline constexpr UIAccessibilityTraits UIAccessibilityTraitLink = 1ULL << 1U;
inline constexpr UIAccessibilityTraits UIAccessibilityTraitImage = 1ULL << 2U;
inline constexpr UIAccessibilityTraits UIAccessibilityTraitSelected = 1ULL << 3U;
inline constexpr UIAccessibilityTraits UIAccessibilityTraitStaticText = 1ULL << 6U;
inline constexpr UIAccessibilityTraits UIAccessibilityTraitNotEnabled = 1ULL << 8U;
inline constexpr UIAccessibilityTraits UIAccessibilityTraitAdjustable = 1ULL << 12U;
inline constexpr UIAccessibilityTraits UIAccessibilityTraitHeader = 1ULL << 16U;
inline constexpr UIAccessibilityTraits UIAccessibilityTraitKeyboardKey = 1ULL << 5U;
// A button that stays pressed while on (the selected trait says it is). Its bit is
// the stand-in's own.
inline constexpr UIAccessibilityTraits UIAccessibilityTraitToggleButton = 1ULL << 53U;
// The stand-in's own, for the desktop's radio button: a button of a set of which
// one is chosen (the selected trait says which). The platform has no trait for it.
inline constexpr UIAccessibilityTraits UIAccessibilityTraitRadioButton = 1ULL << 54U;

// The trait names, in bit order, as `state` prints them ("button", "selected"...).
std::vector<std::string> UIAccessibilityTraitNames(UIAccessibilityTraits traits);

// What changed, for assistive tools. The argument is the element concerned (the one
// focused, the one whose value changed), or nullptr.
enum class UIAccessibilityNotification {
    screenChanged, // a new screen or alert came up or went
    layoutChanged, // elements moved, appeared or went
    focusChanged,  // the keyboard focus moved to the argument
    valueChanged,  // the argument's value changed
    announcement,
};
void UIAccessibilityPostNotification(UIAccessibilityNotification notification, UIView* element);
// One observer (the desktop bridge); an empty function removes it.
using UIAccessibilityObserver = std::function<void(UIAccessibilityNotification, UIView*)>;
void UIAccessibilitySetObserver(UIAccessibilityObserver observer);
// The element that holds the focus now, or nullptr: the one the keyboard moved
// focus to; while there is none, the first responder (the text field being typed
// into) when it is an element on screen.
UIView* UIAccessibilityFocusedElement();

// What an element is to assistive tools, derived from its view and traits.
enum class UIAccessibilityRole {
    frame,
    dialog,
    pushButton,
    toggleButton,
    radioButton,
    link,
    label,
    entry,
    slider
};

// One element as assistive tools see it, with the elements it contains (a dialog's
// title, message and buttons; the application's windows' elements).
struct UIAccessibilityNode {
    UIView* view = nullptr; // nullptr for the application itself
    UIAccessibilityRole role = UIAccessibilityRole::frame;
    std::string label;
    std::string value;
    std::string hint;
    UIAccessibilityTraits traits = UIAccessibilityTraitNone;
    CGRect frame{}; // screen points
    std::vector<UIAccessibilityNode> children;
};

// The application's elements now: the frame, then each visible window's elements in
// reading order (top to bottom, then left to right, as the views' tree orders them);
// an alert that is up is a dialog holding its own elements.
UIAccessibilityNode UIAccessibilityElementTree(const std::string& applicationName);
// Appends `nodes` and all they hold to `into`, each before its children.
void UIAccessibilityAppendInOrder(const std::vector<UIAccessibilityNode>& nodes,
                                  std::vector<const UIAccessibilityNode*>& into);
