// A keyed archive's object identifier (a binary property list's UID), as read. The
// XML form has no such value: written there it would come back as a dictionary
// {"CF$UID": n}, another value, so writers refuse it.
#pragma once

#include <Foundation/NSObject.h>

#include <cstdint>
#include <string>

class PropertyListUID : public NSObject {
  public:
    explicit PropertyListUID(std::uint64_t value) : value_(value) {}

    std::uint64_t value() const { return value_; }

    std::string description() const override { return "UID(" + std::to_string(value_) + ")"; }
    bool isEqual(const NSObject* other) const override {
        auto uid = dynamic_cast<const PropertyListUID*>(other);
        return uid != nullptr && uid->value_ == value_;
    }
    std::size_t hash() const override { return static_cast<std::size_t>(value_); }

  private:
    std::uint64_t value_;
};
