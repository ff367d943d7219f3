// The budget a property list is read within, checked on its bytes before any reader
// builds or expands anything: the objects a reader would build (a shared reference in
// a binary list counted every time it is used), how deep containers nest, and the
// bytes of text and data, and in XML the references to decode. A list over any limit is refused as
// unreadable, so that whatever a file holds, reading it takes bounded time and memory.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct PropertyListBudget {
    // The limits are far above what the app writes (about ten objects, two keys, two
    // deep, no references) and keep one read of any list well under a millisecond of
    // CPU with the libplist installed, whose XML reader takes up to a microsecond an
    // element on a busy machine (long reals, keys).

    // The whole list, in bytes as a reader parses it (an XML list in UTF-16 counted as
    // the UTF-8 it is read as): a file larger than this is not even read.
    static constexpr std::size_t maximumBytes = std::size_t{64} * 1024;
    // Keys count as objects.
    static constexpr std::size_t maximumObjects = 512;
    // Keys of one dictionary: libplist's XML reader looks each one up among the keys
    // before it, so a dictionary costs the square of its size.
    static constexpr std::size_t maximumDictionaryKeys = 64;
    // Containers within containers, the top one being the first. Every reader recurses
    // once a level; 128 levels are a few tens of KiB of stack.
    static constexpr int maximumDepth = 128;
    // Text and data, in bytes as the reader builds them, counted at every use: twice
    // the largest file a reader takes, so that only sharing can reach it.
    static constexpr std::size_t maximumPayloadBytes = std::size_t{128} * 1024;
    // Character and entity references ("&amp;", "&#233;") in an XML list: libplist
    // moves the rest of the text for each one it decodes.
    static constexpr std::size_t maximumReferences = 64;

    // The refusals, worded from the limits above so that the two stay as one.
    static std::string tooLarge() {
        return "larger than " + std::to_string(maximumBytes / 1024) + " KiB";
    }
    static std::string tooManyObjects() {
        return "more than " + std::to_string(maximumObjects) + " objects";
    }
    static std::string tooManyKeys() {
        return "a dictionary of more than " + std::to_string(maximumDictionaryKeys) + " keys";
    }
    static std::string nestedTooDeep() {
        return "containers nested deeper than " + std::to_string(maximumDepth);
    }
    static std::string tooMuchPayload() {
        return "more than " + std::to_string(maximumPayloadBytes / 1024) + " KiB of text and data";
    }
    static std::string tooManyReferences() {
        return "more than " + std::to_string(maximumReferences) + " character or entity references";
    }

    // The reason `data` is refused, or nothing when it is within budget: its size,
    // then the checks below for its form. Readers and the writer both ask this.
    static std::optional<std::string> check(std::string_view data);
    // The same for an XML list, also giving where the text of each <integer> element
    // lies (an empty element as an empty span at its tag), in document order.
    struct Span {
        std::size_t start = 0, size = 0;
    };
    static std::optional<std::string> checkXml(std::string_view data, std::vector<Span>& integers);
    // A binary list ("bplist00"): the trailer and offset table are checked and every
    // object reachable from the top is visited, each use of a shared one anew. A cycle
    // runs into the depth limit.
    static std::optional<std::string> checkBinary(std::string_view data);
    // An XML list: the elements are counted and their nesting followed, without
    // building anything. A document type with declarations of its own is refused.
    // Text counts towards the payload as it stands.
    static std::optional<std::string> checkXml(std::string_view data);
};
