#include <UIKit/UIFont.h>

#include <QuartzCore/CATextLayer.h>

CGSize UIFont::sizeOfText(const std::string& text, CGFloat maxWidth) const {
    return CATextLayer::sizeOfText(text, pointSize_, bold_, maxWidth);
}
