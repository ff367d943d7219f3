#include <Host/HostQuotedInput.h>

namespace {

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 character at the start of `text`, or 0 when
// the bytes there are not one.
std::size_t characterLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = lead < 0x80                    ? 1
                         : lead >= 0xC2 && lead <= 0xDF ? 2
                         : lead >= 0xE0 && lead <= 0xEF ? 3
                         : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                        : 0;
    if (length == 0 || length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (!isContinuation(static_cast<unsigned char>(text[i]))) {
            return 0;
        }
    }
    return length;
}

bool isControl(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F;
}

} // namespace

std::string HostInputExcerpt(std::string_view text) {
    std::string excerpt;
    std::size_t characters = 0;
    while (!text.empty() && characters < HostQuotedInputLimit) {
        std::size_t length = characterLength(text);
        if (length == 0 || (length == 1 && isControl(static_cast<unsigned char>(text[0])))) {
            excerpt += '?';
            length = 1;
        } else {
            excerpt.append(text.substr(0, length));
        }
        text.remove_prefix(length);
        ++characters;
    }
    if (!text.empty()) {
        excerpt += "...";
    }
    return excerpt;
}

std::string HostQuotedInput(std::string_view text) {
    return '"' + HostInputExcerpt(text) + '"';
}
