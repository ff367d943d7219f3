#pragma once

#include <Foundation/NSObject.h>

#include <cstdint>

class NSNumber : public NSObject {
  public:
    enum class Kind { Boolean, Integer, Real };

    NSNumber(Kind kind, std::int64_t integer, double real) : kind_(kind), integer_(integer), real_(real) {}

    static std::shared_ptr<NSNumber> numberWithBool(bool value) {
        return std::make_shared<NSNumber>(Kind::Boolean, value ? 1 : 0, value ? 1.0 : 0.0);
    }
    static std::shared_ptr<NSNumber> numberWithLongLong(std::int64_t value) {
        return std::make_shared<NSNumber>(Kind::Integer, value, static_cast<double>(value));
    }
    static std::shared_ptr<NSNumber> numberWithInteger(NSInteger value) { return numberWithLongLong(value); }
    static std::shared_ptr<NSNumber> numberWithFloat(float value) { return numberWithDouble(value); }
    static std::shared_ptr<NSNumber> numberWithDouble(double value) {
        return std::make_shared<NSNumber>(Kind::Real, static_cast<std::int64_t>(value), value);
    }

    Kind kind() const { return kind_; }
    bool boolValue() const { return kind_ == Kind::Real ? real_ != 0 : integer_ != 0; }
    std::int64_t longLongValue() const { return kind_ == Kind::Real ? static_cast<std::int64_t>(real_) : integer_; }
    NSInteger integerValue() const { return static_cast<NSInteger>(longLongValue()); }
    double doubleValue() const { return real_; }
    float floatValue() const { return static_cast<float>(real_); }

    std::string description() const override;
    bool isEqual(const NSObject* other) const override;

  private:
    Kind kind_;
    std::int64_t integer_;
    double real_;
};
