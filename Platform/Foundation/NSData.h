#pragma once

#include <Foundation/NSObject.h>

#include <cstdint>
#include <vector>

// Property-list data, kept so that keys of other kinds survive a read-modify-write of
// a preferences file.
class NSData : public NSObject {
  public:
    explicit NSData(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    NSUInteger length() const { return bytes_.size(); }
    std::string description() const override;
    bool isEqual(const NSObject* other) const override;

  private:
    std::vector<std::uint8_t> bytes_;
};
