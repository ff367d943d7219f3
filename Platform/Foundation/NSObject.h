// The root of Foundation's objects. A retained reference is a std::shared_ptr; a
// reference that is not retained is a plain pointer.
#pragma once

#include <objc/runtime.h>

#include <cstddef>
#include <memory>
#include <string>

using NSInteger = long;
using NSUInteger = unsigned long;

class NSObject : public objc_object, public std::enable_shared_from_this<NSObject> {
  public:
    NSObject() = default;
    NSObject(const NSObject&) = delete;
    NSObject& operator=(const NSObject&) = delete;
    ~NSObject() override = default;

    // The text that formatting the object with "%@" gives.
    virtual std::string description() const;
    virtual bool isEqual(const NSObject* other) const { return other == this; }
    virtual std::size_t hash() const { return reinterpret_cast<std::size_t>(this); }
};

using NSObjectRef = std::shared_ptr<NSObject>;

// The platform's `isKindOfClass:` for our C++ classes.
template <class T> std::shared_ptr<T> ns_cast(const NSObjectRef& object) {
    return std::dynamic_pointer_cast<T>(object);
}
