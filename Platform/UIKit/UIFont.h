// Fonts: the system font (DejaVu Sans here) at a size, regular or bold.
#pragma once

#include <CoreGraphics/CGGeometry.h>
#include <Foundation/NSObject.h>

#include <memory>
#include <string>

class UIFont;
using UIFontRef = std::shared_ptr<UIFont>;

class UIFont : public NSObject {
  public:
    UIFont(CGFloat pointSize, bool bold) : pointSize_(pointSize), bold_(bold) {}

    static UIFontRef systemFontOfSize(CGFloat size) {
        return std::make_shared<UIFont>(size, false);
    }
    static UIFontRef boldSystemFontOfSize(CGFloat size) {
        return std::make_shared<UIFont>(size, true);
    }

    CGFloat pointSize() const { return pointSize_; }
    bool isBold() const { return bold_; }
    // The size of `text` in this font; `maxWidth` 0 keeps it on one line.
    CGSize sizeOfText(const std::string& text, CGFloat maxWidth = 0) const;

  private:
    CGFloat pointSize_;
    bool bold_;
};
