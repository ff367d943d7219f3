#include <UIKit/UIPasteboard.h>

const UIPasteboardRef& UIPasteboard::generalPasteboard() {
    static const UIPasteboardRef pasteboard = std::make_shared<UIPasteboard>();
    return pasteboard;
}

void UIPasteboard::setString(std::string text) {
    if (backend_.write) {
        backend_.write(text);
    }
    text_ = std::move(text);
}

std::optional<std::string> UIPasteboard::string() const {
    return backend_.read ? backend_.read() : text_;
}
