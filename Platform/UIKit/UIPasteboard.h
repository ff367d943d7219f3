// The pasteboard: text that copy puts and paste takes. The general pasteboard is
// the desktop's clipboard where a backend joins it to one (the window does);
// without one it keeps the text itself.
#pragma once

#include <Foundation/NSObject.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class UIPasteboard;
using UIPasteboardRef = std::shared_ptr<UIPasteboard>;

// What joins the general pasteboard to the desktop's clipboard.
struct UIPasteboardBackend {
    std::function<void(const std::string& text)> write;
    // None when the clipboard holds no text.
    std::function<std::optional<std::string>()> read;
};

class UIPasteboard : public NSObject {
  public:
    static const UIPasteboardRef& generalPasteboard();

    void setString(std::string text);
    // The text last copied (by anyone, with a backend); none when there is none.
    std::optional<std::string> string() const;

    // Replaces the backend; an empty one (both functions unset) detaches it.
    void setBackend(UIPasteboardBackend backend) { backend_ = std::move(backend); }

  private:
    std::optional<std::string> text_;
    UIPasteboardBackend backend_;
};
