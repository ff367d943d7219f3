#include <Host/Session/HostQuotedInput.h>

#include <Foundation/NSString.h>

std::string HostInputExcerpt(std::string_view text) {
    std::string excerpt;
    std::size_t columns = 0; // an escape takes its length, a character one
    while (!text.empty()) {
        std::size_t length = std::max<std::size_t>(ns_utf8CharacterLength(text), 1);
        std::string shown = ns_escapedText(text.substr(0, length));
        std::size_t width = shown.size() == length ? 1 : shown.size();
        if (columns + width > HostQuotedInputLimit) {
            break;
        }
        excerpt += shown;
        columns += width;
        text.remove_prefix(length);
    }
    return excerpt + (text.empty() ? "" : "...");
}

std::string HostQuotedInput(std::string_view text) {
    return '"' + HostInputExcerpt(text) + '"';
}
