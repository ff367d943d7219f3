#pragma once

#include <Foundation/NSObject.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

class NSString;
class NSArray;
using NSStringRef = std::shared_ptr<NSString>;

namespace ns_format {
template <class T> struct is_object_ref : std::false_type {};
template <class T> struct is_object_ref<std::shared_ptr<T>> : std::is_base_of<NSObject, T> {};

// One argument of a printf-style format, as C varargs would pass it.
struct Arg {
    enum class Kind { Signed, Unsigned, Double, CString, Object, Pointer } kind;
    long long i = 0;
    unsigned long long u = 0;
    double d = 0;
    const char* s = nullptr;
    const NSObject* object = nullptr;
    const void* pointer = nullptr;
};

template <class T> Arg make(const T& value) {
    Arg a{};
    if constexpr (std::is_same_v<T, bool>) {
        a.kind = Arg::Kind::Signed;
        a.i = value ? 1 : 0;
    } else if constexpr (std::is_integral_v<T> && std::is_signed_v<T>) {
        a.kind = Arg::Kind::Signed;
        a.i = value;
    } else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>) {
        a.kind = Arg::Kind::Unsigned;
        a.u = static_cast<unsigned long long>(value);
    } else if constexpr (std::is_floating_point_v<T>) {
        a.kind = Arg::Kind::Double; // floats are widened, as through varargs
        a.d = static_cast<double>(value);
    } else if constexpr (std::is_convertible_v<T, const char*>) {
        a.kind = Arg::Kind::CString;
        a.s = value;
    } else if constexpr (std::is_same_v<T, std::string>) {
        a.kind = Arg::Kind::CString;
        a.s = value.c_str();
    } else if constexpr (std::is_convertible_v<T, const NSObject*>) {
        a.kind = Arg::Kind::Object;
        a.object = value;
    } else if constexpr (is_object_ref<T>::value) {
        a.kind = Arg::Kind::Object;
        a.object = value.get();
    } else {
        static_assert(std::is_pointer_v<T>, "unsupported format argument");
        a.kind = Arg::Kind::Pointer;
        a.pointer = value;
    }
    return a;
}

// printf conversions (flags, width, precision, length modifiers) plus "%@", which
// prints an object's description ("(null)" for none). Never locale-dependent.
std::string format(const char* format, const Arg* args, std::size_t count);
} // namespace ns_format

class NSString : public NSObject {
  public:
    NSString() = default;
    explicit NSString(std::string utf8) : utf8_(std::move(utf8)) {}

    static NSStringRef stringWithUTF8String(const char* text) {
        return std::make_shared<NSString>(text ? text : "");
    }
    static NSStringRef string(std::string utf8) {
        return std::make_shared<NSString>(std::move(utf8));
    }

    template <class... Args>
    static NSStringRef stringWithFormat(const char* format, const Args&... args) {
        const ns_format::Arg list[] = {ns_format::make(args)..., ns_format::Arg{}};
        return string(ns_format::format(format, list, sizeof...(Args)));
    }

    const std::string& utf8() const { return utf8_; }
    const char* UTF8String() const { return utf8_.c_str(); }
    // Length in UTF-16 code units, as the platform counts it.
    NSUInteger length() const;
    bool isEqualToString(const NSString& other) const { return utf8_ == other.utf8_; }
    bool isEqualToString(std::string_view other) const { return utf8_ == other; }
    // Leading white space skipped; text that does not begin with a decimal number
    // reads as 0. Never locale-dependent.
    float floatValue() const;
    double doubleValue() const;
    std::shared_ptr<NSArray> componentsSeparatedByString(std::string_view separator) const;

    std::string description() const override { return utf8_; }
    bool isEqual(const NSObject* other) const override;
    std::size_t hash() const override { return std::hash<std::string>{}(utf8_); }

  private:
    std::string utf8_;
};

// Parses a leading decimal floating-point number from `text` (no white space
// skipping): optional sign, digits, optional fraction, optional exponent. Returns the
// number of characters used, 0 when there is no number. Shared by NSString and
// NSScanner so both read numbers alike.
std::size_t ns_parseDecimal(std::string_view text, double& value);

// The length in bytes of the well-formed UTF-8 character at the start of `text` (no
// overlong form, no surrogate, nothing above U+10FFFF), or 0 when there is none. The
// one test of UTF-8 for whatever judges or repairs text.
std::size_t ns_utf8CharacterLength(std::string_view text);

// `text` in double quotes, for a log line or a message that names it: a quote or a
// backslash behind a backslash, a newline, tab or return as \n, \t, \r, and every other
// control character (C0, DEL, C1) or byte that is not UTF-8 as \xNN, byte by byte. A
// name so quoted can neither end the line nor pass for the words around it, and two
// names that differ show differently.
std::string ns_quotedText(std::string_view text);
// The same without the quotes around it.
std::string ns_escapedText(std::string_view text);

// At most this many characters of an input are quoted in a message (an escaped byte
// counts as wide as its escape): a 10 MB value echoed back would bury the error it
// explains.
constexpr std::size_t ns_excerptLimit = 80;
// The first `ns_excerptLimit` characters of `text`, escaped as ns_escapedText escapes
// them and never splitting a character, followed by "..." when it was cut.
std::string ns_escapedExcerpt(std::string_view text);
// The excerpt in double quotes: "tapp".
std::string ns_quotedExcerpt(std::string_view text);
