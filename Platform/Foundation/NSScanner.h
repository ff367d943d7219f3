// Reads tokens from a string, skipping white space and newlines before each one.
#pragma once

#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

class NSScanner;
using NSScannerRef = std::shared_ptr<NSScanner>;

class NSScanner : public NSObject {
  public:
    explicit NSScanner(std::string text) : text_(std::move(text)) {}

    // A scanner over nothing when `string` is null.
    static NSScannerRef scannerWithString(const NSStringRef& string);
    static NSScannerRef scannerWithString(std::string_view string);

    // Every scan first skips white space and newlines (Unicode's sets, as the
    // platform's default). A scan that fails leaves the location where it was.

    // `string` at the location; case-insensitively unless caseSensitive is set.
    // `into` may be null.
    bool scanString(std::string_view string, NSStringRef* into);
    // Optional sign, digits, optional fraction, optional exponent; nothing else
    // ("inf", "nan" and hexadecimal floats are not numbers here). Too large a
    // number reads as an infinity, as strtod gives it.
    bool scanFloat(float* value);
    bool scanDouble(double* value);
    // Optional "0x" or "0X", then hexadecimal digits of either case. More than eight
    // significant digits read as 0xFFFFFFFF; all of them are consumed.
    bool scanHexInt(unsigned* value);
    // True when nothing but white space and newlines remains.
    bool isAtEnd() const;

    // Location in UTF-16 code units, as the platform counts.
    NSUInteger scanLocation() const;
    void setScanLocation(NSUInteger location);
    bool caseSensitive() const { return caseSensitive_; }
    void setCaseSensitive(bool caseSensitive) { caseSensitive_ = caseSensitive; }
    NSStringRef string() const { return NSString::string(text_); }

  private:
    // Byte offset of the first character that is not skipped, from `from`.
    std::size_t skipped(std::size_t from) const;
    std::string_view rest(std::size_t from) const { return std::string_view(text_).substr(from); }

    std::string text_;
    std::size_t position_ = 0; // bytes into text_
    bool caseSensitive_ = false;
};
