#include <Foundation/NSArray.h>
#include <Foundation/NSString.h>

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

NSUInteger NSString::length() const {
    NSUInteger units = 0;
    for (std::size_t i = 0; i < utf8_.size();) {
        unsigned char lead = static_cast<unsigned char>(utf8_[i]);
        std::size_t bytes = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        units += bytes == 4 ? 2 : 1; // beyond the basic plane: a surrogate pair
        i += bytes;
    }
    return units;
}

std::size_t ns_parseDecimal(std::string_view text, double& value) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::size_t mantissaStart = i;
    std::size_t digits = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            ++j;
        }
        std::size_t exponentDigits = j;
        while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) {
            ++j;
        }
        if (j > exponentDigits) {
            i = j; // an "e" without digits is not part of the number
        }
    }
    double magnitude = 0;
    auto result = std::from_chars(text.data() + mantissaStart, text.data() + i, magnitude,
                                  std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone on overflow and underflow; strtod's answer
        // is infinity or zero. Tell them apart by the exponent's sign.
        std::string_view number = text.substr(mantissaStart, i - mantissaStart);
        std::size_t e = number.find_first_of("eE");
        bool tiny = e != std::string_view::npos && e + 1 < number.size() && number[e + 1] == '-';
        magnitude = tiny ? 0.0 : HUGE_VAL;
    }
    value = negative ? -magnitude : magnitude;
    return i;
}

double NSString::doubleValue() const {
    std::size_t i = 0;
    while (i < utf8_.size() && std::isspace(static_cast<unsigned char>(utf8_[i]))) {
        ++i;
    }
    double value = 0;
    if (ns_parseDecimal(std::string_view(utf8_).substr(i), value) == 0) {
        return 0;
    }
    return value;
}

float NSString::floatValue() const {
    return static_cast<float>(doubleValue());
}

std::shared_ptr<NSArray> NSString::componentsSeparatedByString(std::string_view separator) const {
    auto parts = std::make_shared<NSMutableArray>();
    if (separator.empty()) {
        parts->addObject(string(utf8_));
        return parts;
    }
    std::size_t start = 0;
    for (;;) {
        std::size_t found = utf8_.find(separator, start);
        if (found == std::string::npos) {
            parts->addObject(string(utf8_.substr(start)));
            return parts;
        }
        parts->addObject(string(utf8_.substr(start, found - start)));
        start = found + separator.size();
    }
}

bool NSString::isEqual(const NSObject* other) const {
    auto string = dynamic_cast<const NSString*>(other);
    return string != nullptr && string->utf8_ == utf8_;
}

namespace ns_format {

std::string format(const char* format, const Arg* args, std::size_t count) {
    std::string out;
    std::size_t next = 0;
    auto take = [&]() -> const Arg* { return next < count ? &args[next++] : nullptr; };
    for (const char* p = format; *p != '\0'; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        const char* start = p++;
        if (*p == '%') {
            out += '%';
            continue;
        }
        while (*p != '\0' && std::strchr("-+ #0123456789.*", *p) != nullptr) {
            ++p;
        }
        while (*p != '\0' && std::strchr("hlqLjzt", *p) != nullptr) {
            ++p;
        }
        if (*p == '\0') {
            out.append(start);
            break;
        }
        char conversion = *p;
        const Arg* arg = take();
        if (conversion == '@') {
            out += (arg && arg->kind == Arg::Kind::Object && arg->object)
                       ? arg->object->description()
                       : std::string("(null)");
            continue;
        }
        // Rebuild the conversion without length modifiers, then give printf the widened type.
        std::string spec;
        for (const char* q = start; q < p; ++q) {
            if (std::strchr("hlqLjzt", *q) == nullptr) {
                spec += *q;
            }
        }
        char buffer[512];
        int written = 0;
        if (arg == nullptr) {
            continue;
        }
        switch (conversion) {
        case 'd':
        case 'i':
            spec += "lld";
            written = std::snprintf(
                buffer, sizeof buffer, spec.c_str(),
                arg->kind == Arg::Kind::Unsigned ? static_cast<long long>(arg->u) : arg->i);
            break;
        case 'u':
        case 'x':
        case 'X':
        case 'o':
        case 'c':
            spec += conversion == 'c' ? "c" : std::string("ll") + conversion;
            if (conversion == 'c') {
                written = std::snprintf(buffer, sizeof buffer, spec.c_str(),
                                        static_cast<int>(arg->i | arg->u));
            } else {
                written = std::snprintf(buffer, sizeof buffer, spec.c_str(),
                                        arg->kind == Arg::Kind::Signed
                                            ? static_cast<unsigned long long>(arg->i)
                                            : arg->u);
            }
            break;
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
        case 'a':
        case 'A':
            spec += conversion;
            written = std::snprintf(buffer, sizeof buffer, spec.c_str(), arg->d);
            break;
        case 's':
            spec += 's';
            written =
                std::snprintf(buffer, sizeof buffer, spec.c_str(), arg->s ? arg->s : "(null)");
            break;
        case 'p':
            spec += 'p';
            written = std::snprintf(buffer, sizeof buffer, spec.c_str(), arg->pointer);
            break;
        default:
            out.append(start, p + 1);
            continue;
        }
        if (written > 0) {
            out.append(buffer,
                       std::min<std::size_t>(static_cast<std::size_t>(written), sizeof buffer - 1));
        }
    }
    return out;
}

} // namespace ns_format
