#include <Foundation/NSNumber.h>

#include <charconv>

std::string NSNumber::description() const {
    if (kind_ == Kind::UnsignedInteger) {
        return std::to_string(static_cast<std::uint64_t>(integer_));
    }
    if (kind_ != Kind::Real) {
        return std::to_string(integer_);
    }
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, real_);
    return std::string(buffer, result.ptr);
}

bool NSNumber::isEqual(const NSObject* other) const {
    auto number = dynamic_cast<const NSNumber*>(other);
    if (number == nullptr || !exact_ || !number->exact_) {
        return false;
    }
    if (kind_ != Kind::Real && number->kind_ != Kind::Real) {
        return integer_ == number->integer_ &&
               (kind_ == Kind::UnsignedInteger) == (number->kind_ == Kind::UnsignedInteger);
    }
    return real_ == number->real_;
}
