#pragma once

#include <Foundation/NSObject.h>

#include <initializer_list>
#include <vector>

class NSArray : public NSObject {
  public:
    NSArray() = default;
    explicit NSArray(std::vector<NSObjectRef> objects) : objects_(std::move(objects)) {}

    static std::shared_ptr<NSArray> arrayWithObjects(std::initializer_list<NSObjectRef> objects) {
        return std::make_shared<NSArray>(std::vector<NSObjectRef>(objects));
    }

    NSUInteger count() const { return objects_.size(); }
    // Out of range is the platform's range exception; here a std::out_of_range.
    const NSObjectRef& objectAtIndex(NSUInteger index) const { return objects_.at(index); }
    const NSObjectRef& objectAtIndexedSubscript(NSUInteger index) const {
        return objects_.at(index);
    }
    const std::vector<NSObjectRef>& objects() const { return objects_; }
    auto begin() const { return objects_.begin(); }
    auto end() const { return objects_.end(); }

    std::string description() const override;
    bool isEqual(const NSObject* other) const override;

  protected:
    std::vector<NSObjectRef> objects_;
};

class NSMutableArray : public NSArray {
  public:
    using NSArray::NSArray;
    static std::shared_ptr<NSMutableArray> array() { return std::make_shared<NSMutableArray>(); }
    void addObject(NSObjectRef object) { objects_.push_back(std::move(object)); }
    void removeAllObjects() { objects_.clear(); }
};
