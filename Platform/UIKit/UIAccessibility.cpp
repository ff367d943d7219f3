#include <UIKit/UIAccessibility.h>

#include <UIKit/UIAlertView.h>
#include <UIKit/UIApplication.h>
#include <UIKit/UIFocusEngine.h>
#include <UIKit/UIView.h>
#include <UIKit/UIWindow.h>

#include <utility>

namespace {

UIAccessibilityObserver& observer() {
    static UIAccessibilityObserver instance;
    return instance;
}

UIAccessibilityRole roleOf(const UIView& view, UIAccessibilityTraits traits) {
    if (dynamic_cast<const UIAlertView*>(&view) != nullptr) {
        return UIAccessibilityRole::dialog;
    }
    if (view.isAccessibilityTextEntry()) {
        return UIAccessibilityRole::entry;
    }
    if ((traits & UIAccessibilityTraitLink) != 0) {
        return UIAccessibilityRole::link;
    }
    if ((traits & UIAccessibilityTraitAdjustable) != 0) {
        return UIAccessibilityRole::slider;
    }
    if ((traits & UIAccessibilityTraitToggleButton) != 0) {
        return UIAccessibilityRole::toggleButton;
    }
    if ((traits & UIAccessibilityTraitRadioButton) != 0) {
        return UIAccessibilityRole::radioButton;
    }
    if ((traits & (UIAccessibilityTraitButton | UIAccessibilityTraitKeyboardKey)) != 0) {
        return UIAccessibilityRole::pushButton;
    }
    return UIAccessibilityRole::label;
}

UIAccessibilityNode nodeOf(UIView& view) {
    UIAccessibilityNode node;
    node.view = &view;
    node.traits = view.accessibilityTraits();
    node.role = roleOf(view, node.traits);
    node.label = view.accessibilityLabel();
    node.value = view.accessibilityValue();
    node.hint = view.accessibilityHint();
    node.frame = view.accessibilityFrame();
    return node;
}

// Elements below `view`, in the tree's order; an element hides what is inside it
// unless it is a container (a dialog) that shows its own elements too.
void collectElements(UIView& view, std::vector<UIAccessibilityNode>& into) {
    if (view.isHidden() || view.alpha() <= 0) {
        return;
    }
    if (view.isAccessibilityElement()) {
        into.push_back(nodeOf(view));
        if (into.back().role != UIAccessibilityRole::dialog) {
            return;
        }
        for (UIView* inside : view.accessibilityElements()) {
            collectElements(*inside, into.back().children);
        }
        return;
    }
    for (UIView* inside : view.accessibilityElements()) {
        collectElements(*inside, into);
    }
}

// In a window, and neither it nor anything above it hidden or transparent.
bool isOnScreen(const UIView& view) {
    const UIView* at = &view;
    for (; at != nullptr; at = at->superview()) {
        if (at->isHidden() || at->alpha() <= 0) {
            return false;
        }
        if (dynamic_cast<const UIWindow*>(at) != nullptr) {
            return true;
        }
    }
    return false;
}

} // namespace

std::vector<std::string> UIAccessibilityTraitNames(UIAccessibilityTraits traits) {
    static const std::pair<UIAccessibilityTraits, const char*> names[] = {
        {UIAccessibilityTraitButton, "button"},
        {UIAccessibilityTraitLink, "link"},
        {UIAccessibilityTraitImage, "image"},
        {UIAccessibilityTraitSelected, "selected"},
        {UIAccessibilityTraitKeyboardKey, "keyboardKey"},
        {UIAccessibilityTraitStaticText, "staticText"},
        {UIAccessibilityTraitNotEnabled, "notEnabled"},
        {UIAccessibilityTraitAdjustable, "adjustable"},
        {UIAccessibilityTraitHeader, "header"},
        {UIAccessibilityTraitToggleButton, "toggleButton"},
        {UIAccessibilityTraitRadioButton, "radioButton"},
    };
    std::vector<std::string> result;
    for (const auto& [trait, name] : names) {
        if ((traits & trait) != 0) {
            result.emplace_back(name);
        }
    }
    return result;
}

void UIAccessibilityPostNotification(UIAccessibilityNotification notification, UIView* element) {
    if (observer()) {
        observer()(notification, element);
    }
}

void UIAccessibilitySetObserver(UIAccessibilityObserver newObserver) {
    observer() = std::move(newObserver);
}

// The focus engine's answer, not the last notification's argument: that view may
// be gone since.
UIView* UIAccessibilityFocusedElement() {
    if (UIView* focused = UIFocusEngine::shared().focusedView()) {
        return focused;
    }
    auto* responder = dynamic_cast<UIView*>(UIResponder::currentFirstResponder());
    if (responder == nullptr || !responder->isAccessibilityElement() || !isOnScreen(*responder)) {
        return nullptr;
    }
    return responder;
}

void UIAccessibilityAppendInOrder(const std::vector<UIAccessibilityNode>& nodes,
                                  std::vector<const UIAccessibilityNode*>& into) {
    for (const UIAccessibilityNode& node : nodes) {
        into.push_back(&node);
        UIAccessibilityAppendInOrder(node.children, into);
    }
}

UIAccessibilityNode UIAccessibilityElementTree(const std::string& applicationName) {
    // Frames as the next frame will show them.
    UIApplication::sharedApplication()->layoutWindows();
    UIAccessibilityNode root;
    root.label = applicationName;
    for (UIWindow* window : UIApplication::sharedApplication()->windows()) {
        collectElements(*window, root.children);
    }
    return root;
}
