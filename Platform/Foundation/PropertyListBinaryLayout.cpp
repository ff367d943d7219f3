#include "PropertyListBinaryLayout.h"

namespace {

constexpr std::size_t headerSize = 8;
constexpr std::size_t trailerSize = 32;

} // namespace

std::optional<BinaryPropertyListLayout> BinaryPropertyListLayout::read(std::string_view data,
                                                                       std::string& reason) {
    if (data.size() < headerSize + 1 + trailerSize || data.substr(0, headerSize) != "bplist00") {
        reason = "a binary property list too short to hold an object";
        return std::nullopt;
    }
    BinaryPropertyListLayout layout(data);
    const std::size_t trailer = data.size() - trailerSize;
    layout.offsetSize_ = layout.byte(trailer + 6);
    layout.referenceSize_ = layout.byte(trailer + 7);
    const std::uint64_t count = layout.readUnsigned(trailer + 8, 8);
    const std::uint64_t table = layout.readUnsigned(trailer + 24, 8);
    layout.top_ = layout.readUnsigned(trailer + 16, 8);
    if (layout.offsetSize_ < 1 || layout.offsetSize_ > 8 || layout.referenceSize_ < 1 ||
        layout.referenceSize_ > 8) {
        reason = "a binary property list with impossible offset or reference sizes";
        return std::nullopt;
    }
    if (count == 0 || layout.top_ >= count || table < headerSize + 1 || table > trailer ||
        count > (trailer - table) / layout.offsetSize_) {
        reason = "a binary property list whose offset table lies outside it";
        return std::nullopt;
    }
    layout.objectCount_ = count;
    layout.tableStart_ = static_cast<std::size_t>(table);
    return layout;
}

std::uint64_t BinaryPropertyListLayout::readUnsigned(std::size_t offset, std::size_t size) const {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < size; ++i) {
        value = (value << 8) | byte(offset + i);
    }
    return value;
}

std::optional<std::size_t> BinaryPropertyListLayout::objectOffset(std::uint64_t ref) const {
    if (ref >= objectCount_) {
        return std::nullopt;
    }
    const std::uint64_t offset =
        readUnsigned(tableStart_ + static_cast<std::size_t>(ref) * offsetSize_, offsetSize_);
    if (offset < headerSize || offset >= tableStart_) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(offset);
}

std::optional<std::size_t> BinaryPropertyListLayout::scalarSize(std::size_t offset) const {
    const std::uint8_t low = info(offset);
    std::optional<std::size_t> size;
    switch (type(offset)) {
    case Simple:
        size = low == 0x0 || low == 0x8 || low == 0x9 || low == 0xF ? std::optional<std::size_t>(0)
                                                                    : std::nullopt;
        break;
    case Integer:
        size = low <= 4 ? std::optional<std::size_t>(std::size_t{1} << low) : std::nullopt;
        break;
    case Real:
        size =
            low == 2 || low == 3 ? std::optional<std::size_t>(std::size_t{1} << low) : std::nullopt;
        break;
    case Date:
        size = low == 3 ? std::optional<std::size_t>(8) : std::nullopt;
        break;
    case Uid:
        size = low < 8 ? std::optional<std::size_t>(low + 1u) : std::nullopt;
        break;
    default:
        break;
    }
    return size && fits(offset + 1, *size) ? size : std::nullopt;
}

std::optional<BinaryPropertyListLayout::Extent>
BinaryPropertyListLayout::extent(std::size_t offset, std::uint64_t itemSize) const {
    Extent extent{info(offset), offset + 1};
    if (extent.count == 0x0F) {
        // The length follows as an integer object of 1, 2, 4 or 8 bytes.
        if (!fits(extent.start, 1)) {
            return std::nullopt;
        }
        const std::uint8_t marker = byte(extent.start);
        const std::size_t size = std::size_t{1} << (marker & 0x0F);
        if ((marker >> 4) != Integer || size > 8 || !fits(extent.start + 1, size)) {
            return std::nullopt;
        }
        extent.count = readUnsigned(extent.start + 1, size);
        extent.start += 1 + size;
    }
    if (extent.count > tableStart_ / itemSize || !fits(extent.start, extent.count * itemSize)) {
        return std::nullopt;
    }
    return extent;
}
