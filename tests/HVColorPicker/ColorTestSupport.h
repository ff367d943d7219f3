// Colours of every model, and an assertion handler that records instead of raising.
#pragma once

#include "UIColor-Utilities.h"

#include <Foundation/NSAssertionHandler.h>
#include <UIKit/UIColor.h>

#include <string>
#include <vector>

namespace colortest {

inline UIColorRef rgb(CGFloat r, CGFloat g, CGFloat b, CGFloat a = 1) {
    return UIColor::colorWithRed(r, g, b, a);
}
inline UIColorRef grey(CGFloat white, CGFloat a = 1) {
    return UIColor::colorWithWhite(white, a);
}
inline UIColorRef cmyk(CGFloat c, CGFloat m, CGFloat y, CGFloat k, CGFloat a = 1) {
    const CGFloat components[] = {c, m, y, k, a};
    return UIColor::colorWithCGColor(CGColorCreate(CGColorSpaceCreateDeviceCMYK(), components));
}
inline UIColorRef pattern() {
    return UIColor::colorWithCGColor(CGColorCreateWithPattern(nullptr, 1));
}
// A colour of any model value, also ones outside the platform's enumeration.
inline UIColorRef ofModel(int model) {
    const CGFloat components[] = {0.25f, 0.5f, 0.75f, 1, 1};
    auto space = CGColorSpaceCreateWithModel(static_cast<CGColorSpaceModel>(model));
    return UIColor::colorWithCGColor(CGColorCreate(space, components));
}

inline std::vector<CGFloat> componentsOf(const UIColorRef& color) {
    return color->CGColor()->components();
}
inline int modelOf(const UIColorRef& color) {
    return CGColorSpaceGetModel(CGColorGetColorSpace(color->CGColor()));
}

struct Failure {
    std::string selector;
    const objc_object* object;
    std::string file;
    NSInteger line;
    std::string description;
};

// Records each failure and returns, so that the operation goes on.
class RecordingHandler : public NSAssertionHandler {
  public:
    void handleFailureInMethod(SEL selector, id object, const std::string& fileName, NSInteger line,
                               const std::string& description) override {
        failures.push_back({sel_getName(selector), object, fileName, line, description});
    }
    std::vector<Failure> failures;
};

// Puts a recording handler in place for this thread while it lives.
class RecordingHandlerScope {
  public:
    RecordingHandlerScope() : handler_(std::make_shared<RecordingHandler>()) {
        NSAssertionHandler::setCurrentHandler(handler_);
    }
    ~RecordingHandlerScope() { NSAssertionHandler::setCurrentHandler(nullptr); }
    RecordingHandlerScope(const RecordingHandlerScope&) = delete;
    RecordingHandlerScope& operator=(const RecordingHandlerScope&) = delete;
    const std::vector<Failure>& failures() const { return handler_->failures; }

  private:
    std::shared_ptr<RecordingHandler> handler_;
};

} // namespace colortest
