// The element tree as the desktop bridge last published it. Each sync with a fresh
// `UIAccessibilityElementTree` keeps an element (and the toolkit object that shows it)
// for as long as the same view keeps the same role, and says what changed, so that
// assistive tools hear only the differences. Views are compared, never dereferenced;
// texts are kept as the bus can carry them (valid UTF-8).
#pragma once

#include <UIKit/UIAccessibility.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// `text` with each byte that starts no UTF-8 character replaced by U+FFFD.
std::string HostRepairedUTF8(std::string_view text);

struct HostAccessibleElement {
    UIAccessibilityNode node; // without its children
    HostAccessibleElement* parent = nullptr;
    std::vector<HostAccessibleElement*> children;
    bool focused = false;
    void* peer = nullptr; // the toolkit's object for this element, owned by the bridge

    bool isEnabled() const { return (node.traits & UIAccessibilityTraitNotEnabled) == 0; }
    bool isSelected() const { return (node.traits & UIAccessibilityTraitSelected) != 0; }
    // Keyboard focus can reach it: an enabled control.
    bool isFocusable() const;
    // A toggle or radio button that is on.
    bool isChecked() const;
    // What a tool reads after the name and role: the value (a colour's spoken form)
    // where the element has one that is not typed text, and for a radio button
    // whether it is chosen; else the hint.
    std::string description() const;
    // Whether a change of the name is worth telling: not for a keyboard key without the
    // focus, whose names shift and the keyplane switch change by the dozen (a tool
    // reads the name afresh when it asks).
    bool announcesNameChanges() const;
    int indexInParent() const;
};

struct HostAccessibilityChange {
    enum class Kind {
        added,   // element joined parent at index
        removed, // element left parent (index was its place)
        label,   // accessible name
        hint,    // description
        value,   // value or text
        enabled, // enabled and sensitive
        selected,
        focused, // element.focused says which way
        frame,
    };
    Kind kind = Kind::added;
    HostAccessibleElement* element = nullptr;
    HostAccessibleElement* parent = nullptr;
    int index = 0;
    std::string previousValue; // for value: what it was
};

class HostAccessibilityModel {
  public:
    // Brings the model to `tree`, the element `focus` holding focus. Removed
    // elements stay alive until the next sync so that the changes can name them.
    std::vector<HostAccessibilityChange> sync(const UIAccessibilityNode& tree, UIView* focus);
    HostAccessibleElement* root() const { return root_; }
    // The element that holds the focus, or nullptr.
    HostAccessibleElement* focused() const;
    // The element showing `view` now, or nullptr.
    HostAccessibleElement* find(const UIView* view) const;
    // Elements that the last sync removed.
    const std::vector<std::unique_ptr<HostAccessibleElement>>& removed() const { return removed_; }

  private:
    using Key = std::pair<const UIView*, UIAccessibilityRole>;
    HostAccessibleElement* place(const UIAccessibilityNode& node, HostAccessibleElement* parent,
                                 UIView* focus, std::map<Key, HostAccessibleElement*>& seen,
                                 std::vector<HostAccessibilityChange>& changes);
    void compare(HostAccessibleElement& element, const UIAccessibilityNode& node, bool focused,
                 std::vector<HostAccessibilityChange>& changes);

    std::map<Key, std::unique_ptr<HostAccessibleElement>> elements_;
    std::vector<std::unique_ptr<HostAccessibleElement>> removed_;
    // Each element's parent and index before the sync under way.
    std::map<const HostAccessibleElement*, std::pair<HostAccessibleElement*, int>> before_;
    HostAccessibleElement* root_ = nullptr;
};
