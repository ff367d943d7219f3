#include <Host/Program/HostQuotedInput.h>

#include <Foundation/NSString.h>

namespace {

bool isControl(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F;
}

} // namespace

std::string HostInputExcerpt(std::string_view text) {
    std::string excerpt;
    std::size_t characters = 0;
    while (!text.empty() && characters < HostQuotedInputLimit) {
        std::size_t length = ns_utf8CharacterLength(text);
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
