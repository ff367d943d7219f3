#include <Host/Accessibility/HostAccessibilityModel.h>

#include <Foundation/NSString.h>

#include <algorithm>

namespace {

using Kind = HostAccessibilityChange::Kind;

HostAccessibilityChange change(Kind kind, HostAccessibleElement* element,
                               HostAccessibleElement* parent = nullptr, int index = 0) {
    HostAccessibilityChange made;
    made.kind = kind;
    made.element = element;
    made.parent = parent;
    made.index = index;
    return made;
}

bool sameFrame(const CGRect& a, const CGRect& b) {
    return a.origin.x == b.origin.x && a.origin.y == b.origin.y && a.size.width == b.size.width &&
           a.size.height == b.size.height;
}

// The node as the bus may carry it: no children, and its texts valid UTF-8 (D-Bus
// refuses anything else, and libdbus aborts the process on it).
UIAccessibilityNode publishable(const UIAccessibilityNode& node) {
    UIAccessibilityNode copy = node; // whatever else a node comes to carry
    copy.children.clear();
    for (std::string* text : {&copy.label, &copy.value, &copy.hint}) {
        *text = HostRepairedUTF8(*text);
    }
    return copy;
}

} // namespace

std::string HostRepairedUTF8(std::string_view text) {
    std::string repaired;
    repaired.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = ns_utf8CharacterLength(text.substr(at));
        if (length == 0) {
            repaired += "\xEF\xBF\xBD"; // U+FFFD for each byte that starts no character
            ++at;
        } else {
            repaired.append(text.substr(at, length));
            at += length;
        }
    }
    return repaired;
}

bool HostAccessibleElement::isFocusable() const {
    switch (node.role) {
    case UIAccessibilityRole::pushButton:
    case UIAccessibilityRole::toggleButton:
    case UIAccessibilityRole::radioButton:
    case UIAccessibilityRole::link:
    case UIAccessibilityRole::entry:
    case UIAccessibilityRole::slider:
        return isEnabled();
    default:
        return false;
    }
}

bool HostAccessibleElement::isChecked() const {
    return isSelected() && (node.role == UIAccessibilityRole::toggleButton ||
                            node.role == UIAccessibilityRole::radioButton);
}

std::string HostAccessibleElement::description() const {
    bool text = node.role == UIAccessibilityRole::entry;
    if (node.value.empty() || text) {
        return node.hint;
    }
    // A screen reader says a radio button's choosing only after Space; a description
    // that changes with it is said after Return too.
    bool chosen = node.role == UIAccessibilityRole::radioButton && isChecked();
    return chosen ? node.value + ", selected" : node.value;
}

bool HostAccessibleElement::announcesNameChanges() const {
    return focused || (node.traits & UIAccessibilityTraitKeyboardKey) == 0;
}

int HostAccessibleElement::indexInParent() const {
    if (!parent) {
        return 0;
    }
    auto at = std::find(parent->children.begin(), parent->children.end(), this);
    return at == parent->children.end() ? -1 : static_cast<int>(at - parent->children.begin());
}

HostAccessibleElement* HostAccessibilityModel::focused() const {
    for (const auto& [key, element] : elements_) {
        if (element->focused) {
            return element.get();
        }
    }
    return nullptr;
}

HostAccessibleElement* HostAccessibilityModel::find(const UIView* view) const {
    for (const auto& [key, element] : elements_) {
        if (key.first == view) {
            return element.get();
        }
    }
    return nullptr;
}

void HostAccessibilityModel::compare(HostAccessibleElement& element,
                                     const UIAccessibilityNode& node, bool focused,
                                     std::vector<HostAccessibilityChange>& changes) {
    const UIAccessibilityNode& old = element.node;
    auto changed = [&](Kind kind) { changes.push_back(change(kind, &element)); };
    if (old.label != node.label) {
        changed(Kind::label);
    }
    if (old.hint != node.hint) {
        changed(Kind::hint);
    }
    if (old.value != node.value) {
        changes.push_back(change(Kind::value, &element));
        changes.back().previousValue = old.value;
    }
    if (((old.traits ^ node.traits) & UIAccessibilityTraitNotEnabled) != 0) {
        changed(Kind::enabled);
    }
    if (((old.traits ^ node.traits) & UIAccessibilityTraitSelected) != 0) {
        changed(Kind::selected);
    }
    if (!sameFrame(old.frame, node.frame)) {
        changed(Kind::frame);
    }
    if (element.focused != focused) {
        changed(Kind::focused);
    }
}

HostAccessibleElement*
HostAccessibilityModel::place(const UIAccessibilityNode& node, HostAccessibleElement* parent,
                              UIView* focus, std::map<Key, HostAccessibleElement*>& seen,
                              std::vector<HostAccessibilityChange>& changes) {
    Key key{node.view, node.role};
    if (seen.count(key) != 0) {
        return nullptr; // one element per view and role, the first in reading order
    }
    bool focused = node.view != nullptr && node.view == focus;
    UIAccessibilityNode bare = publishable(node);
    std::unique_ptr<HostAccessibleElement>& slot = elements_[key];
    if (!slot) {
        slot = std::make_unique<HostAccessibleElement>();
        slot->focused = focused;
        slot->parent = parent;
        changes.push_back(change(Kind::added, slot.get(), parent));
        if (focused) {
            changes.push_back(change(Kind::focused, slot.get()));
        }
    } else {
        compare(*slot, bare, focused, changes);
        if (slot->parent != parent) {
            auto [oldParent, oldIndex] = before_[slot.get()];
            changes.push_back(change(Kind::removed, slot.get(), oldParent, oldIndex));
            changes.push_back(change(Kind::added, slot.get(), parent));
        }
        slot->parent = parent;
        slot->focused = focused;
    }
    HostAccessibleElement* element = slot.get();
    seen[key] = element;
    element->node = std::move(bare);
    std::vector<HostAccessibleElement*> children;
    for (const UIAccessibilityNode& child : node.children) {
        if (HostAccessibleElement* placed = place(child, element, focus, seen, changes)) {
            children.push_back(placed);
        }
    }
    element->children = std::move(children);
    return element;
}

std::vector<HostAccessibilityChange> HostAccessibilityModel::sync(const UIAccessibilityNode& tree,
                                                                  UIView* focus) {
    removed_.clear();
    std::vector<HostAccessibilityChange> changes;
    // Where each element was, for the removals this sync finds.
    before_.clear();
    for (const auto& [key, element] : elements_) {
        before_[element.get()] = {element->parent, element->indexInParent()};
    }
    std::map<Key, HostAccessibleElement*> seen;
    root_ = place(tree, nullptr, focus, seen, changes);
    for (auto at = elements_.begin(); at != elements_.end();) {
        if (seen.count(at->first) != 0) {
            ++at;
            continue;
        }
        auto [parent, index] = before_[at->second.get()];
        changes.push_back(change(Kind::removed, at->second.get(), parent, index));
        removed_.push_back(std::move(at->second));
        at = elements_.erase(at);
    }
    for (HostAccessibilityChange& change : changes) {
        if (change.kind == Kind::added) {
            change.index = change.element->indexInParent();
        }
    }
    return changes;
}
