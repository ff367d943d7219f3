#include "PropertyListXmlIntegers.h"

#include <Foundation/NSNumber.h>

#include <cerrno>
#include <cstdlib>

namespace {

struct JudgedInteger {
    NSObjectRef value; // null for text with markup or references, not judged here
    bool asLibplistReadsIt = true;
};

// The integer of `text` as libplist reads it (white space skipped, an optional sign,
// then the C library's unsigned conversion in any base it takes), except that decimal
// digits after a leading zero are decimal, as every other reader of the format takes
// them, and not octal.
JudgedInteger integerFromText(std::string_view text) {
    if (text.find_first_of("<&") != std::string_view::npos) {
        return {nullptr, false};
    }
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    std::string digits(text.substr(first == std::string_view::npos ? text.size() : first));
    const bool negative = !digits.empty() && digits[0] == '-';
    const std::size_t start = !digits.empty() && (digits[0] == '-' || digits[0] == '+') ? 1 : 0;
    const bool octal = digits.size() > start + 1 && digits[start] == '0' &&
                       digits[start + 1] >= '0' && digits[start + 1] <= '9';
    errno = 0;
    const unsigned long long magnitude =
        std::strtoull(digits.c_str() + start, nullptr, octal ? 10 : 0);
    const bool overflow = errno == ERANGE;
    if (!negative) {
        return {overflow ? NSNumber::integerBeyondRange(false)
                         : NSNumber::numberWithUnsignedLongLong(magnitude),
                !overflow && !octal};
    }
    if (overflow || magnitude > (std::uint64_t{1} << 63)) {
        return {NSNumber::integerBeyondRange(true), false};
    }
    return {NSNumber::numberWithLongLong(static_cast<std::int64_t>(0 - magnitude)), !octal};
}

} // namespace

std::optional<PropertyListXmlIntegers>
PropertyListXmlIntegers::judge(std::string_view xml,
                               const std::vector<PropertyListBudget::Span>& integers) {
    PropertyListXmlIntegers judged;
    bool libplistReadsAll = true;
    for (const PropertyListBudget::Span& span : integers) {
        JudgedInteger judgedInteger = integerFromText(xml.substr(span.start, span.size));
        libplistReadsAll = libplistReadsAll && judgedInteger.asLibplistReadsIt;
        judged.values_.push_back(judgedInteger.value ? judgedInteger.value
                                                     : NSNumber::integerBeyondRange(false));
    }
    if (libplistReadsAll) {
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
