#include <Host/Session/HostStateLine.h>

#include <Host/Session/HostJSON.h>

#include <UIKit/UIAccessibility.h>
#include <UIKit/UIAlertView.h>

#include <vector>

namespace {

std::string labelOrNull(UIView* view) {
    return view ? HostJSONString(view->accessibilityLabel()) : "null";
}

std::string elementJSON(const UIAccessibilityNode& node) {
    std::string traits;
    for (const std::string& name : UIAccessibilityTraitNames(node.traits)) {
        traits += (traits.empty() ? "" : ",") + HostJSONString(name);
    }
    const CGRect& f = node.frame;
    return "{\"label\":" + HostJSONString(node.label) + ",\"value\":" + HostJSONString(node.value) +
           ",\"traits\":[" + traits + "],\"frame\":[" + HostJSONNumber(f.origin.x) + "," +
           HostJSONNumber(f.origin.y) + "," + HostJSONNumber(f.size.width) + "," +
           HostJSONNumber(f.size.height) + "]}";
}

// The alert's buttons as its dialog holds them, in reading order.
std::string alertJSON(const std::vector<const UIAccessibilityNode*>& elements) {
    UIAlertView* alert = UIAlertView::visibleAlert();
    if (alert == nullptr) {
        return "null";
    }
    std::string buttons;
    for (const UIAccessibilityNode* node : elements) {
        if (node->view != nullptr && alert->indexOfButton(node->view) >= 0) {
            buttons += (buttons.empty() ? "" : ",") + HostJSONString(node->label);
        }
    }
    return "{\"title\":" + HostJSONString(alert->title()) +
           ",\"message\":" + HostJSONString(alert->message()) + ",\"buttons\":[" + buttons + "]}";
}

} // namespace

std::string HostStateLine() {
    UIAccessibilityNode tree = UIAccessibilityElementTree({});
    std::vector<const UIAccessibilityNode*> elements;
    UIAccessibilityAppendInOrder(tree.children, elements);
    std::string text = "null";
    std::string list;
    for (const UIAccessibilityNode* node : elements) {
        if (node->role == UIAccessibilityRole::entry && text == "null") {
            text = HostJSONString(node->value);
        }
        list += (list.empty() ? "" : ",") + elementJSON(*node);
    }
    return "{\"focus\":" + labelOrNull(UIAccessibilityFocusedElement()) +
           ",\"alert\":" + alertJSON(elements) + ",\"text\":" + text + ",\"elements\":[" + list +
           "]}";
}
