// What the keyboard's keys edit, as the platform's key-input protocol has it: the
// text view that holds the caret.
#pragma once

#include <string>

class UIKeyInput {
  public:
    virtual ~UIKeyInput() = default;
    virtual bool hasText() const = 0;
    // A character key's character, or "\n" from the return key.
    virtual void insertText(const std::string& text) = 0;
    // The delete key: the character before the caret goes.
    virtual void deleteBackward() = 0;
};
