#include <Foundation/NSScanner.h>

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

// The code point that starts at `text[i]` and its length in bytes; an ill-formed
// sequence reads as one byte that is no character we skip.
char32_t decodeAt(std::string_view text, std::size_t i, std::size_t& length) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    length = 1;
    if (lead < 0x80) {
        return lead;
    }
    std::size_t count = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (count == 0 || i + count > text.size()) {
        return 0xFFFD;
    }
    char32_t code = lead & (0x7F >> count);
    for (std::size_t k = 1; k < count; ++k) {
        unsigned char next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) {
            return 0xFFFD;
        }
        code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms would let a byte sequence pass for a space.
    constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[count] || code > 0x10FFFF) {
        return 0xFFFD;
    }
    length = count;
    return code;
}

// The platform's whitespaceAndNewlineCharacterSet.
bool isWhiteSpaceOrNewline(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = asciiLower(c);
    return (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
}

} // namespace

NSScannerRef NSScanner::scannerWithString(const NSStringRef& string) {
    return std::make_shared<NSScanner>(string ? string->utf8() : std::string());
}

NSScannerRef NSScanner::scannerWithString(std::string_view string) {
    return std::make_shared<NSScanner>(std::string(string));
}

std::size_t NSScanner::skipped(std::size_t from) const {
    std::size_t i = from;
    while (i < text_.size()) {
        std::size_t length = 0;
        if (!isWhiteSpaceOrNewline(decodeAt(text_, i, length))) {
            break;
        }
        i += length;
    }
    return i;
}

bool NSScanner::scanString(std::string_view string, NSStringRef* into) {
    std::size_t start = skipped(position_);
    std::string_view candidate = rest(start).substr(0, string.size());
    if (string.empty() || candidate.size() != string.size()) {
        return false;
    }
    for (std::size_t i = 0; i < string.size(); ++i) {
        bool same = caseSensitive_ ? candidate[i] == string[i]
                                   : asciiLower(candidate[i]) == asciiLower(string[i]);
        if (!same) {
            return false;
        }
    }
    position_ = start + string.size();
    if (into != nullptr) {
        *into = NSString::string(std::string(candidate));
    }
    return true;
}

bool NSScanner::scanDouble(double* value) {
    std::size_t start = skipped(position_);
    double number = 0;
    std::size_t used = ns_parseDecimal(rest(start), number);
    if (used == 0) {
        return false;
    }
    position_ = start + used;
    if (value != nullptr) {
        *value = number;
    }
    return true;
}

bool NSScanner::scanFloat(float* value) {
    double number = 0;
    if (!scanDouble(&number)) {
        return false;
    }
    if (value != nullptr) {
        *value = static_cast<float>(number);
    }
    return true;
}

bool NSScanner::scanHexInt(unsigned* value) {
    std::size_t i = skipped(position_);
    std::string_view text = rest(i);
    std::size_t k = 0;
    // "0x" counts as a prefix only when a digit follows; otherwise the "0" is the number.
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') &&
        hexDigitValue(text[2]) >= 0) {
        k = 2;
    }
    std::size_t firstDigit = k;
    std::uint64_t number = 0;
    for (; k < text.size() && hexDigitValue(text[k]) >= 0; ++k) {
        number = (number << 4) | static_cast<unsigned>(hexDigitValue(text[k]));
        number = std::min<std::uint64_t>(number, std::numeric_limits<unsigned>::max() + 1ULL);
    }
    if (k == firstDigit) {
        return false;
    }
    position_ = i + k;
    if (value != nullptr) {
        *value = static_cast<unsigned>(
            std::min<std::uint64_t>(number, std::numeric_limits<unsigned>::max()));
    }
    return true;
}

bool NSScanner::isAtEnd() const {
    return skipped(position_) == text_.size();
}

NSUInteger NSScanner::scanLocation() const {
    NSUInteger units = 0;
    for (std::size_t i = 0; i < position_;) {
        std::size_t length = 0;
        units += decodeAt(text_, i, length) > 0xFFFF ? 2 : 1;
        i += length;
    }
    return units;
}

void NSScanner::setScanLocation(NSUInteger location) {
    std::size_t i = 0;
    NSUInteger units = 0;
    while (i < text_.size() && units < location) {
        std::size_t length = 0;
        char32_t code = decodeAt(text_, i, length);
        units += code > 0xFFFF ? 2 : 1;
        i += length;
    }
    position_ = i;
}
