#include <Host/Session/HostJSON.h>

#include <Host/Accessibility/HostAccessibilityModel.h>

#include <charconv>
#include <cmath>
#include <cstdio>

std::string HostJSONString(const std::string& text) {
    std::string quoted = "\"";
    for (char character : HostRepairedUTF8(text)) {
        auto byte = static_cast<unsigned char>(character);
        if (byte == '"' || byte == '\\') {
            quoted += '\\';
            quoted += character;
        } else if (byte == '\n') {
            quoted += "\\n";
        } else if (byte == '\t') {
            quoted += "\\t";
        } else if (byte == '\r') {
            quoted += "\\r";
        } else if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            quoted += escaped;
        } else {
            quoted += character;
        }
    }
    return quoted + "\"";
}

std::string HostJSONNumber(float value) {
    if (!std::isfinite(value)) {
        return "null";
    }
    char text[32];
    auto result = std::to_chars(text, text + sizeof text, value);
    return {text, result.ptr};
}
