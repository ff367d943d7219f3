// The structure of a binary property list ("bplist00"): a header, the objects, a
// table of their offsets and a trailer. Every offset and length is checked against
// the bytes before it is used; the budget check and the reader both walk it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class BinaryPropertyListLayout {
  public:
    // The high nibble of an object's marker.
    enum Type : std::uint8_t {
        Simple = 0x0, // null 0x00, false 0x08, true 0x09, fill 0x0F
        Integer = 0x1,
        Real = 0x2,
        Date = 0x3,
        Data = 0x4,
        AsciiString = 0x5,
        Utf16String = 0x6,
        Uid = 0x8,
        Array = 0xA,
        Set = 0xC,
        Dictionary = 0xD,
    };

    // The contents of a data, string or container object: how many items (bytes,
    // UTF-16 units or references) and where the first one starts.
    struct Extent {
        std::uint64_t count = 0;
        std::size_t start = 0;
    };

    // The layout of `data`, or nothing with the reason in `reason`.
    static std::optional<BinaryPropertyListLayout> read(std::string_view data, std::string& reason);

    std::uint64_t top() const { return top_; }
    std::size_t referenceSize() const { return referenceSize_; }

    // The offset of object `ref`; nothing when it lies outside the objects.
    std::optional<std::size_t> objectOffset(std::uint64_t ref) const;
    Type type(std::size_t offset) const { return static_cast<Type>(byte(offset) >> 4); }
    std::uint8_t info(std::size_t offset) const { return byte(offset) & 0x0F; }
    // The bytes after a scalar's marker (integer, real, date, identifier, or none for
    // the simple ones); nothing for a marker of no known scalar or one running past
    // the objects.
    std::optional<std::size_t> scalarSize(std::size_t offset) const;
    // The contents of the object at `offset`, each item `itemSize` bytes; nothing when
    // its length is malformed or its contents run past the objects.
    std::optional<Extent> extent(std::size_t offset, std::uint64_t itemSize) const;
    // Item `index` of a container's references starting at `start`.
    std::uint64_t reference(std::size_t start, std::uint64_t index) const {
        return readUnsigned(start + static_cast<std::size_t>(index) * referenceSize_,
                            referenceSize_);
    }
    // A big-endian unsigned integer of `size` bytes (1 to 8) at `offset`.
    std::uint64_t readUnsigned(std::size_t offset, std::size_t size) const;
    std::string_view bytes(std::size_t start, std::size_t size) const {
        return data_.substr(start, size);
    }

  private:
    explicit BinaryPropertyListLayout(std::string_view data) : data_(data) {}
    std::uint8_t byte(std::size_t offset) const { return static_cast<std::uint8_t>(data_[offset]); }
    bool fits(std::size_t start, std::uint64_t size) const {
        return start <= tableStart_ && size <= tableStart_ - start;
    }

    std::string_view data_;
    std::size_t offsetSize_ = 0;
    std::size_t referenceSize_ = 0;
    std::uint64_t objectCount_ = 0;
    std::uint64_t top_ = 0;
    std::size_t tableStart_ = 0;
};
