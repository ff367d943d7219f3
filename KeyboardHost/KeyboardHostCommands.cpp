#include "KeyboardHostCommands.h"

#include "KeyboardHostKeys.h"

#include <Host/Session/HostQuotedInput.h>

#include <cstdio>

namespace KeyboardHostCommands {

namespace {

bool isKeyCharacter(char character) {
    return (character >= 'a' && character <= 'z') || character == ' ';
}

// The whole UTF-8 sequence that starts at `index` (one byte for ASCII and for a
// byte that starts no valid sequence) and its code point, or -1 when it is invalid.
std::pair<std::string, long> sequenceAt(const std::string& text, std::size_t index) {
    auto lead = static_cast<unsigned char>(text[index]);
    std::size_t length = lead < 0x80            ? 1
                         : (lead >> 5U) == 0x6  ? 2
                         : (lead >> 4U) == 0xE  ? 3
                         : (lead >> 3U) == 0x1E ? 4
                                                : 0;
    if (length == 0 || index + length > text.size()) {
        return {text.substr(index, 1), -1};
    }
    long code = length == 1 ? lead : lead & (0x7FU >> length);
    for (std::size_t i = 1; i < length; ++i) {
        auto next = static_cast<unsigned char>(text[index + i]);
        if ((next & 0xC0U) != 0x80U) {
            return {text.substr(index, 1), -1};
        }
        code = (code << 6U) | (next & 0x3FU);
    }
    return {text.substr(index, length), code};
}

void requireKeyboard(const ScriptCommand& command, UIPeripheralHostView* hostView) {
    if (hostView == nullptr) {
        throw ScriptError(command.line, command.name + ": the keyboard is not showing");
    }
}

// `key TEXT`: taps the key of each character, as a finger would (on the letters
// keyplane, in lower case, readied as the computer's keyboard readies it).
void tapKeys(const ScriptCommand& command, HostSession& session, UIPeripheralHostView* hostView) {
    requireKeyboard(command, hostView);
    for (std::size_t i = 0; i < command.text.size(); ++i) {
        if (!isKeyCharacter(command.text[i])) {
            throw ScriptError(command.line, "no key for " + characterName(command.text, i) +
                                                " (the keyboard has a-z and space)");
        }
    }
    for (char character : command.text) {
        session.pressKey(*HostKey::typing(character));
    }
}

// `type TEXT`: the whole text is checked before anything is typed, so that a bad
// line types nothing.
void typeText(const ScriptCommand& command, HostSession& session, UIPeripheralHostView* hostView) {
    requireKeyboard(command, hostView);
    for (std::size_t i = 0; i < command.text.size(); ++i) {
        char character = command.text[i];
        if (!HostKey::typing(character) || !KeyboardHostKeys::canType(*hostView, character)) {
            throw ScriptError(command.line, "the keyboard has no key for " +
                                                characterName(command.text, i) + " in " +
                                                HostQuotedInput(command.text));
        }
    }
    for (char character : command.text) {
        session.pressKey(*HostKey::typing(character));
    }
}

} // namespace

std::string characterName(const std::string& text, std::size_t index) {
    auto [sequence, code] = sequenceAt(text, index);
    if (code >= 0x20 && code < 0x7F) {
        return HostQuotedInput(sequence);
    }
    char number[24]; // " (U+" and up to sixteen hex digits of a long, for any value
    if (code < 0) {
        std::snprintf(number, sizeof number, "byte 0x%02X",
                      static_cast<unsigned>(static_cast<unsigned char>(text[index])));
        return number;
    }
    std::snprintf(number, sizeof number, " (U+%04lX)", code);
    return (code < 0x20 || code == 0x7F ? std::string("a control character")
                                        : HostQuotedInput(sequence)) +
           number;
}

std::vector<HostScriptCommand> commands(const std::function<UIPeripheralHostView*()>& hostView) {
    using A = ScriptArgument;
    return {
        {{"key", {A::text}, "key TEXT", {}, "tap the key of each character (a-z, space)"},
         [hostView](const ScriptCommand& command, HostSession& session) {
             tapKeys(command, session, hostView());
         }},
        {{"type",
          {A::text},
          "type TEXT",
          {},
          "type the text on the computer's keyboard, character by character"},
         [hostView](const ScriptCommand& command, HostSession& session) {
             typeText(command, session, hostView());
         }},
    };
}

} // namespace KeyboardHostCommands
