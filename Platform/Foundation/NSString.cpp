#include <Foundation/NSArray.h>
#include <Foundation/NSString.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>

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

std::size_t ns_utf8CharacterLength(std::string_view text) {
    if (text.empty()) {
        return 0;
    }
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = lead < 0x80                    ? 1
                               : lead >= 0xC2 && lead <= 0xDF ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    if (length > text.size()) {
        return 0;
    }
    // The second byte's range narrows for the leads that could begin an overlong form,
    // a surrogate or a code point above U+10FFFF.
    const unsigned low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    const unsigned high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) {
            return 0;
        }
    }
    return length;
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

namespace {

constexpr const char* flagCharacters = "-+ #0";
constexpr const char* lengthModifiers = "hlqLjzt";

// One conversion of a format: "%[flags][width][.precision][length]conversion", with
// `*` widths and precisions already replaced by the arguments they take.
struct Conversion {
    std::string flags;
    std::optional<int> width;
    std::optional<int> precision;
    char conversion = '\0';
};

// The arguments in order, as varargs would hand them out.
class Arguments {
  public:
    Arguments(const Arg* args, std::size_t count) : args_(args), count_(count) {}
    const Arg* take() { return next_ < count_ ? &args_[next_++] : nullptr; }
    // An argument taken as an int, for a `*` width or precision.
    int takeInt() {
        const Arg* arg = take();
        if (arg == nullptr) {
            return 0;
        }
        long long value =
            arg->kind == Arg::Kind::Unsigned ? static_cast<long long>(arg->u) : arg->i;
        return static_cast<int>(std::clamp<long long>(value, INT_MIN + 1, INT_MAX));
    }

  private:
    const Arg* args_;
    std::size_t count_;
    std::size_t next_ = 0;
};

// Digits or a `*` at `p`; nothing when there are neither.
std::optional<int> parseCount(const char*& p, Arguments& arguments) {
    if (*p == '*') {
        ++p;
        return arguments.takeInt();
    }
    if (*p < '0' || *p > '9') {
        return std::nullopt;
    }
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = std::min<long long>(value * 10 + (*p - '0'), INT_MAX);
    }
    return static_cast<int>(value);
}

// Reads the conversion after a '%' and advances `p` to its conversion character (or
// the terminating NUL of a format cut short).
Conversion parseConversion(const char*& p, Arguments& arguments) {
    Conversion conversion;
    while (*p != '\0' && std::strchr(flagCharacters, *p) != nullptr) {
        conversion.flags += *p++;
    }
    conversion.width = parseCount(p, arguments);
    if (conversion.width && *conversion.width < 0) {
        // A negative `*` width is the '-' flag with its magnitude.
        conversion.flags += '-';
        conversion.width = -*conversion.width;
    }
    if (*p == '.') {
        ++p;
        conversion.precision = parseCount(p, arguments).value_or(0);
        if (*conversion.precision < 0) {
            conversion.precision.reset(); // a negative precision is taken as none
        }
    }
    // The arguments arrive widened, so length modifiers have nothing to say.
    while (*p != '\0' && std::strchr(lengthModifiers, *p) != nullptr) {
        ++p;
    }
    conversion.conversion = *p;
    return conversion;
}

// The conversion as printf takes it, with `length` ("ll" or none) before the
// conversion character.
std::string printfConversion(const Conversion& conversion, const char* length) {
    std::string text = "%" + conversion.flags;
    if (conversion.width) {
        text += std::to_string(*conversion.width);
    }
    if (conversion.precision) {
        text += "." + std::to_string(*conversion.precision);
    }
    return text + length + conversion.conversion;
}

// printf into a string of whatever length the conversion needs.
template <class Value>
void appendPrintf(std::string& out, const std::string& printfFormat, Value value) {
    int length = std::snprintf(nullptr, 0, printfFormat.c_str(), value);
    if (length <= 0) {
        return;
    }
    std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(length) + 1);
    std::snprintf(out.data() + start, static_cast<std::size_t>(length) + 1, printfFormat.c_str(),
                  value);
    out.resize(start + static_cast<std::size_t>(length));
}

long long signedValue(const Arg& arg) {
    return arg.kind == Arg::Kind::Unsigned ? static_cast<long long>(arg.u) : arg.i;
}

unsigned long long unsignedValue(const Arg& arg) {
    return arg.kind == Arg::Kind::Signed ? static_cast<unsigned long long>(arg.i) : arg.u;
}

// Appends one converted argument; false for a conversion character printf does not know.
bool appendConversion(std::string& out, const Conversion& conversion, const Arg& arg) {
    switch (conversion.conversion) {
    case 'd':
    case 'i':
        appendPrintf(out, printfConversion(conversion, "ll"), signedValue(arg));
        return true;
    case 'u':
    case 'x':
    case 'X':
    case 'o':
        appendPrintf(out, printfConversion(conversion, "ll"), unsignedValue(arg));
        return true;
    case 'c':
        appendPrintf(out, printfConversion(conversion, ""), static_cast<int>(arg.i | arg.u));
        return true;
    case 'f':
    case 'F':
    case 'e':
    case 'E':
    case 'g':
    case 'G':
    case 'a':
    case 'A':
        appendPrintf(out, printfConversion(conversion, ""), arg.d);
        return true;
    case 's':
        appendPrintf(out, printfConversion(conversion, ""), arg.s ? arg.s : "(null)");
        return true;
    case 'p':
        appendPrintf(out, printfConversion(conversion, ""), arg.pointer);
        return true;
    default:
        return false;
    }
}

std::string objectDescription(const Arg* arg) {
    return arg && arg->kind == Arg::Kind::Object && arg->object ? arg->object->description()
                                                                : std::string("(null)");
}

} // namespace

std::string format(const char* format, const Arg* args, std::size_t count) {
    std::string out;
    Arguments arguments(args, count);
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
        Conversion conversion = parseConversion(p, arguments);
        if (*p == '\0') {
            out.append(start); // a format cut short is copied as it stands
            break;
        }
        const Arg* arg = arguments.take();
        if (conversion.conversion == '@') {
            out += objectDescription(arg);
        } else if (arg != nullptr && !appendConversion(out, conversion, *arg)) {
            out.append(start, p + 1);
        }
    }
    return out;
}

} // namespace ns_format
