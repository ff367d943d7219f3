#pragma once

#include <Foundation/NSObject.h>

// The null marker that collections hold where they cannot hold nothing.
class NSNull : public NSObject {
  public:
    static const std::shared_ptr<NSNull>& null();
    std::string description() const override { return "<null>"; }
    bool isEqual(const NSObject* other) const override {
        return dynamic_cast<const NSNull*>(other) != nullptr;
    }
};
