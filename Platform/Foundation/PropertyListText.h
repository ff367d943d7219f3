// Text as property lists carry it: UTF-16 turned into UTF-8, the byte-order marks of an
// XML document, and the test of what XML 1.0 can carry. One place for the Unicode
// rules that the readers and the writer must share.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace PropertyListText {

enum class ByteOrder { BigEndian, LittleEndian };
enum class Unpaired { Keep, Refuse };

// UTF-16 as UTF-8. An unpaired surrogate is kept in its three-byte form (so that a
// binary list's text reads as it is, and no writer takes it) or refuses the whole text;
// an odd byte at the end is refused either way.
std::optional<std::string> utf8FromUtf16(std::string_view bytes, ByteOrder order,
                                         Unpaired unpaired);

// An XML document as the UTF-8 text readers parse: a UTF-8 byte-order mark dropped, a
// UTF-16 document with its mark (either order) decoded into `storage`. Nothing, and a
// reason, for UTF-16 that is not well formed.
std::optional<std::string_view> xmlDocument(std::string_view data, std::string& storage,
                                            std::string& reason);

// Whether XML 1.0 carries `text` exactly: well-formed UTF-8 of characters XML allows
// (no surrogate, no U+FFFE or U+FFFF), and no control character but tab and line feed
// (a carriage return reads back as a line feed).
bool xmlCarries(std::string_view text);

} // namespace PropertyListText
