// A lean reader for the common shape of small XML property lists: the usual
// declaration and document type, one <plist> element, and dictionaries, arrays, strings of plain
// ASCII text, booleans and decimal integers. Anything else (entities, comments, other
// types, non-ASCII text, duplicate keys) is left to the general reader, so that the
// two never disagree on a list this one accepts. Lists beyond PropertyListBudget's size,
// objects or nesting are refused here as they are there.
#pragma once

#include <Foundation/NSObject.h>

#include <optional>
#include <string_view>

class PropertyListQuickReader {
  public:
    // The list, or nothing when `xml` is outside the shape this reader handles
    // (including every malformed document).
    static std::optional<NSObjectRef> read(std::string_view xml);

  private:
    explicit PropertyListQuickReader(std::string_view xml) : rest_(xml) {}

    bool skipPrologue();
    NSObjectRef value(int depth, bool topLevel);
    NSObjectRef dictionary(int depth, bool topLevel);
    NSObjectRef array(int depth);
    NSObjectRef integer();
    bool text(std::string_view closingTag, std::string_view& result);
    bool accept(std::string_view token);
    void skipSpace();

    std::string_view rest_;
    std::size_t objects_ = 0; // keys and values, as the budget counts them
};
