#include <Foundation/NSString.h>

#include <algorithm>

namespace {

void appendEscaped(std::string& out, unsigned char byte) {
    static constexpr char hex[] = "0123456789abcdef";
    switch (byte) {
    case '\n':
        out += "\\n";
        return;
    case '\t':
        out += "\\t";
        return;
    case '\r':
        out += "\\r";
        return;
    default:
        out += "\\x";
        out += hex[byte >> 4];
        out += hex[byte & 0xF];
    }
}

// U+0080 to U+009F, two bytes each: terminals act on some of them (U+009B starts a
// control sequence, as ESC [ does).
bool isC1Control(std::string_view character) {
    return character.size() == 2 && static_cast<unsigned char>(character[0]) == 0xC2 &&
           static_cast<unsigned char>(character[1]) < 0xA0;
}

} // namespace

std::string ns_quotedText(std::string_view text) {
    return '"' + ns_escapedText(text) + '"';
}

std::string ns_escapedText(std::string_view text) {
    std::string out;
    while (!text.empty()) {
        std::size_t length = ns_utf8CharacterLength(text);
        const auto lead = static_cast<unsigned char>(text[0]);
        const bool plain = length == 1 ? lead >= 0x20 && lead != 0x7F
                                       : length > 1 && !isC1Control(text.substr(0, length));
        if (!plain) {
            for (std::size_t i = 0; i < std::max<std::size_t>(length, 1); ++i) {
                appendEscaped(out, static_cast<unsigned char>(text[i]));
            }
        } else {
            if (lead == '"' || lead == '\\') {
                out += '\\';
            }
            out.append(text.substr(0, length));
        }
        text.remove_prefix(std::max<std::size_t>(length, 1));
    }
    return out;
}

std::string ns_escapedExcerpt(std::string_view text) {
    std::string excerpt;
    std::size_t columns = 0; // an escape takes its length, a character one
    while (!text.empty()) {
        std::size_t length = std::max<std::size_t>(ns_utf8CharacterLength(text), 1);
        std::string shown = ns_escapedText(text.substr(0, length));
        std::size_t width = shown.size() == length ? 1 : shown.size();
        if (columns + width > ns_excerptLimit) {
            break;
        }
        excerpt += shown;
        columns += width;
        text.remove_prefix(length);
    }
    return excerpt + (text.empty() ? "" : "...");
}

std::string ns_quotedExcerpt(std::string_view text) {
    return '"' + ns_escapedExcerpt(text) + '"';
}
