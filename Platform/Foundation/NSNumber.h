#pragma once

#include <Foundation/NSObject.h>

#include <cstdint>

class NSNumber : public NSObject {
  public:
    // An unsigned integer above the signed range is a kind of its own, so that it is
    // written back as itself and not as the negative number of the same bits.
    enum class Kind { Boolean, Integer, UnsignedInteger, Real };

    NSNumber(Kind kind, std::int64_t integer, double real)
        : kind_(kind), integer_(integer), real_(real) {}

    static std::shared_ptr<NSNumber> numberWithBool(bool value) {
        return std::make_shared<NSNumber>(Kind::Boolean, value ? 1 : 0, value ? 1.0 : 0.0);
    }
    static std::shared_ptr<NSNumber> numberWithLongLong(std::int64_t value) {
        return std::make_shared<NSNumber>(Kind::Integer, value, static_cast<double>(value));
    }
    static std::shared_ptr<NSNumber> numberWithUnsignedLongLong(std::uint64_t value) {
        if (value <= static_cast<std::uint64_t>(INT64_MAX)) {
            return numberWithLongLong(static_cast<std::int64_t>(value));
        }
        return std::make_shared<NSNumber>(Kind::UnsignedInteger, static_cast<std::int64_t>(value),
                                          static_cast<double>(value));
    }
    // An integer a reader found beyond both 64-bit ranges: held at the nearer end of
    // the range and marked, so that it equals nothing and no writer takes it for the
    // value it was.
    static std::shared_ptr<NSNumber> integerBeyondRange(bool negative) {
        auto number =
            negative ? numberWithLongLong(INT64_MIN) : numberWithUnsignedLongLong(UINT64_MAX);
        number->exact_ = false;
        return number;
    }
    static std::shared_ptr<NSNumber> numberWithInteger(NSInteger value) {
        return numberWithLongLong(value);
    }
    static std::shared_ptr<NSNumber> numberWithFloat(float value) {
        return numberWithDouble(value);
    }
    static std::shared_ptr<NSNumber> numberWithDouble(double value) {
        return std::make_shared<NSNumber>(Kind::Real, saturatedInteger(value), value);
    }

    Kind kind() const { return kind_; }
    // False for an integer read from beyond the 64-bit ranges.
    bool isExact() const { return exact_; }
    bool boolValue() const { return kind_ == Kind::Real ? real_ != 0 : integer_ != 0; }
    std::int64_t longLongValue() const {
        return kind_ == Kind::Real ? saturatedInteger(real_) : integer_;
    }
    NSInteger integerValue() const { return static_cast<NSInteger>(longLongValue()); }
    // The bits of an integer as unsigned, as the platform gives them for any integer.
    std::uint64_t unsignedLongLongValue() const {
        return static_cast<std::uint64_t>(longLongValue());
    }
    double doubleValue() const { return real_; }
    float floatValue() const { return static_cast<float>(real_); }

    std::string description() const override;
    bool isEqual(const NSObject* other) const override;

    // The integer part, held to the 64-bit range (NaN gives 0): converting a real
    // beyond the range is undefined in C++.
    static std::int64_t saturatedInteger(double value) {
        if (!(value == value)) {
            return 0;
        }
        if (value >= 9223372036854775807.0) {
            return INT64_MAX;
        }
        if (value <= -9223372036854775808.0) {
            return INT64_MIN;
        }
        return static_cast<std::int64_t>(value);
    }

  private:
    Kind kind_;
    std::int64_t integer_;
    double real_;
    bool exact_ = true;
};
