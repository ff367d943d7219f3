#include <Host/Session/HostQuotedInput.h>

#include <Foundation/NSString.h>

std::string HostInputExcerpt(std::string_view text) {
    return ns_escapedExcerpt(text);
}

std::string HostQuotedInput(std::string_view text) {
    return ns_quotedExcerpt(text);
}
