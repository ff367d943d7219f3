#include "PropertyListXmlIntegers.h"

#include <Foundation/NSNumber.h>

#include <cerrno>
#include <cstdlib>

namespace {

// The integer libplist reads from `text`: white space skipped, an optional sign, then
// the C library's unsigned conversion in any base it takes. Null for text with markup or
// references, which libplist decodes first and this does not judge.
NSObjectRef integerFromText(std::string_view text) {
    if (text.find_first_of("<&") != std::string_view::npos) {
        return nullptr;
    }
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    std::string digits(text.substr(first == std::string_view::npos ? text.size() : first));
    const bool negative = !digits.empty() && digits[0] == '-';
    const std::size_t start = !digits.empty() && (digits[0] == '-' || digits[0] == '+') ? 1 : 0;
    errno = 0;
    const unsigned long long magnitude = std::strtoull(digits.c_str() + start, nullptr, 0);
    const bool overflow = errno == ERANGE;
    if (!negative) {
        return overflow ? NSNumber::integerBeyondRange(false)
                        : NSNumber::numberWithUnsignedLongLong(magnitude);
    }
    if (overflow || magnitude > (std::uint64_t{1} << 63)) {
        return NSNumber::integerBeyondRange(true);
    }
    return NSNumber::numberWithLongLong(static_cast<std::int64_t>(0 - magnitude));
}

bool heldExactly(const NSObjectRef& value) {
    auto number = std::dynamic_pointer_cast<NSNumber>(value);
    return number && number->isExact();
}

} // namespace

std::optional<PropertyListXmlIntegers>
PropertyListXmlIntegers::judge(std::string_view xml,
                               const std::vector<PropertyListBudget::Span>& integers) {
    PropertyListXmlIntegers judged;
    bool allExact = true;
    for (const PropertyListBudget::Span& span : integers) {
        NSObjectRef value = integerFromText(xml.substr(span.start, span.size));
        allExact = allExact && heldExactly(value);
        judged.values_.push_back(value ? value : NSNumber::integerBeyondRange(false));
    }
    if (allExact) {
        return std::nullopt;
    }
    std::size_t copied = 0;
    for (std::size_t i = 0; i < integers.size(); ++i) {
        const PropertyListBudget::Span& span = integers[i];
        judged.numbered_.append(xml.substr(copied, span.start - copied));
        if (span.size == 0 && xml.substr(span.start, 8) == "<integer") {
            // An empty element, <integer/>, becomes one holding its number.
            judged.numbered_ += "<integer>" + std::to_string(i) + "</integer>";
            copied = xml.find('>', span.start) + 1;
        } else {
            judged.numbered_ += std::to_string(i);
            copied = span.start + span.size;
        }
    }
    judged.numbered_.append(xml.substr(copied));
    return judged;
}

NSObjectRef PropertyListXmlIntegers::value(std::uint64_t index) const {
    return index < values_.size() ? values_[index] : nullptr;
}
