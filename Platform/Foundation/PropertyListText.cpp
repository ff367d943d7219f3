#include "PropertyListText.h"

#include <Foundation/NSString.h>

#include <cstdint>

namespace PropertyListText {

namespace {

void appendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool isHighSurrogate(char32_t c) {
    return c >= 0xD800 && c < 0xDC00;
}
bool isLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c < 0xE000;
}

// The code point of the well-formed UTF-8 character at `i`, advancing `i`; nothing for
// bytes that are not one (overlong forms and surrogates included).
std::optional<char32_t> nextCodePoint(std::string_view text, std::size_t& i) {
    const std::size_t length = ns_utf8CharacterLength(text.substr(i));
    if (length == 0) {
        return std::nullopt;
    }
    const auto lead = static_cast<unsigned char>(text[i]);
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        c = c << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    i += length;
    return c;
}

} // namespace

std::optional<std::string> utf8FromUtf16(std::string_view bytes, ByteOrder order,
                                         Unpaired unpaired) {
    if (bytes.size() % 2 != 0) {
        return std::nullopt;
    }
    const int high = order == ByteOrder::BigEndian ? 0 : 1;
    auto unit = [&](std::size_t i) {
        return static_cast<char32_t>(static_cast<std::uint8_t>(bytes[2 * i + high]) << 8 |
                                     static_cast<std::uint8_t>(bytes[2 * i + 1 - high]));
    };
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    const std::size_t count = bytes.size() / 2;
    for (std::size_t i = 0; i < count; ++i) {
        char32_t c = unit(i);
        if (isHighSurrogate(c) && i + 1 < count && isLowSurrogate(unit(i + 1))) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(++i) - 0xDC00);
        } else if ((isHighSurrogate(c) || isLowSurrogate(c)) && unpaired == Unpaired::Refuse) {
            return std::nullopt;
        }
        appendUtf8(c, out);
    }
    return out;
}

std::optional<std::string_view> xmlDocument(std::string_view data, std::string& storage,
                                            std::string& reason) {
    if (data.substr(0, 3) == "\xEF\xBB\xBF") {
        return data.substr(3);
    }
    const bool big = data.substr(0, 2) == "\xFE\xFF", little = data.substr(0, 2) == "\xFF\xFE";
    if (!big && !little) {
        return data;
    }
    std::optional<std::string> text = utf8FromUtf16(
        data.substr(2), big ? ByteOrder::BigEndian : ByteOrder::LittleEndian, Unpaired::Refuse);
    if (!text) {
        reason = "an XML document in UTF-16 that is not well formed";
        return std::nullopt;
    }
    storage = std::move(*text);
    return std::string_view(storage);
}

bool xmlCarries(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        std::optional<char32_t> c = nextCodePoint(text, i);
        if (!c || (*c < 0x20 && *c != '\t' && *c != '\n') || *c == 0xFFFE || *c == 0xFFFF) {
            return false;
        }
    }
    return true;
}

} // namespace PropertyListText
