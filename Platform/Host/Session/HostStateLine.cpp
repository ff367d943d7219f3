#include <Host/Session/HostStateLine.h>

#include <Host/Accessibility/HostAccessibilityModel.h>
#include <UIKit/UIAccessibility.h>
#include <UIKit/UIAlertView.h>

#include <charconv>
#include <cstdio>
#include <vector>

namespace {

std::string number(CGFloat value) {
    char text[32];
    auto result = std::to_chars(text, text + sizeof text, value);
    return {text, result.ptr};
}

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
           ",\"traits\":[" + traits + "],\"frame\":[" + number(f.origin.x) + "," +
           number(f.origin.y) + "," + number(f.size.width) + "," + number(f.size.height) + "]}";
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

std::string HostJSONString(const std::string& text) {
    std::string quoted = "\"";
    for (char character : HostRepairedUTF8(text)) {
        auto byte = static_cast<unsigned char>(character);
        if (byte == '"' || byte == '\\') {
            quoted += '\\';
            quoted += character;
        } else if (byte == '\n') {
            quoted += "\\n";
        } else if (byte == '\t') {
            quoted += "\\t";
        } else if (byte == '\r') {
            quoted += "\\r";
        } else if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            quoted += escaped;
        } else {
            quoted += character;
        }
    }
    return quoted + "\"";
}

std::string HostAccessibilityStateJSON() {
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
