#include "PropertyListBinaryReader.h"

#include "PropertyListBinaryLayout.h"
#include "PropertyListBudget.h"
#include "PropertyListText.h"

#include <Foundation/PropertyListSet.h>
#include <Foundation/PropertyListUID.h>

#include <Foundation/NSArray.h>
#include <Foundation/NSData.h>
#include <Foundation/NSDate.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSNumber.h>
#include <Foundation/NSString.h>

#include <bit>
#include <cstring>

namespace {

using Layout = BinaryPropertyListLayout;

class BinaryReader {
  public:
    explicit BinaryReader(const Layout& layout) : layout_(layout) {}

    NSObjectRef read() { return object(layout_.top(), 0, true); }

  private:
    // `depth` counts the containers around the object.
    NSObjectRef object(std::uint64_t ref, int depth, bool topLevel) {
        std::optional<std::size_t> offset = layout_.objectOffset(ref);
        if (!offset) {
            return nullptr;
        }
        switch (layout_.type(*offset)) {
        case Layout::Data:
        case Layout::AsciiString:
        case Layout::Utf16String:
            return text(*offset);
        case Layout::Array:
        case Layout::Set:
            return depth < PropertyListBudget::maximumDepth ? array(*offset, depth + 1) : nullptr;
        case Layout::Dictionary:
            return depth < PropertyListBudget::maximumDepth
                       ? dictionary(*offset, depth + 1, topLevel)
                       : nullptr;
        default:
            return scalar(*offset);
        }
    }

    NSObjectRef scalar(std::size_t offset) {
        std::optional<std::size_t> size = layout_.scalarSize(offset);
        if (!size) {
            return nullptr;
        }
        const std::uint8_t info = layout_.info(offset);
        const std::size_t value = offset + 1;
        switch (layout_.type(offset)) {
        case Layout::Simple:
            // Null and fill have no property-list value.
            return info == 0x8 || info == 0x9 ? NSNumber::numberWithBool(info == 0x9) : nullptr;
        case Layout::Integer:
            return integer(value, *size);
        case Layout::Real:
            return NSNumber::numberWithDouble(real(value, *size));
        case Layout::Date:
            return std::make_shared<NSDate>(real(value, 8));
        case Layout::Uid:
            return std::make_shared<PropertyListUID>(layout_.readUnsigned(value, *size));
        default:
            return nullptr;
        }
    }

    // Integers of 1, 2 and 4 bytes are unsigned, of 8 signed; one of 16 bytes is signed,
    // and read exactly when it lies in either 64-bit range.
    NSObjectRef integer(std::size_t start, std::size_t size) {
        if (size == 16) {
            const std::uint64_t high = layout_.readUnsigned(start, 8);
            const std::uint64_t low = layout_.readUnsigned(start + 8, 8);
            if (high == 0) {
                return NSNumber::numberWithUnsignedLongLong(low);
            }
            if (high == UINT64_MAX && low >> 63 != 0) {
                return NSNumber::numberWithLongLong(static_cast<std::int64_t>(low));
            }
            return NSNumber::integerBeyondRange(high >> 63 != 0);
        }
        const std::uint64_t bits = layout_.readUnsigned(start, size);
        return size == 8 ? NSNumber::numberWithLongLong(static_cast<std::int64_t>(bits))
                         : NSNumber::numberWithUnsignedLongLong(bits);
    }

    double real(std::size_t start, std::size_t size) {
        const std::uint64_t bits = layout_.readUnsigned(start, size);
        if (size == 4) {
            return std::bit_cast<float>(static_cast<std::uint32_t>(bits));
        }
        return std::bit_cast<double>(bits);
    }

    NSObjectRef text(std::size_t offset) {
        const Layout::Type type = layout_.type(offset);
        const std::uint64_t unitSize = type == Layout::Utf16String ? 2 : 1;
        std::optional<Layout::Extent> extent = layout_.extent(offset, unitSize);
        if (!extent) {
            return nullptr;
        }
        std::string_view bytes =
            layout_.bytes(extent->start, static_cast<std::size_t>(extent->count * unitSize));
        if (type == Layout::Data) {
            const auto* begin = reinterpret_cast<const std::uint8_t*>(bytes.data());
            return std::make_shared<NSData>(std::vector<std::uint8_t>(begin, begin + bytes.size()));
        }
        if (type == Layout::AsciiString) {
            return NSString::string(std::string(bytes));
        }
        // An unpaired surrogate is kept, so that nothing is lost on reading; writers
        // refuse it, as XML cannot carry it.
        return NSString::string(
            PropertyListText::utf8FromUtf16(bytes, PropertyListText::ByteOrder::BigEndian,
                                            PropertyListText::Unpaired::Keep)
                .value_or(std::string()));
    }

    NSObjectRef array(std::size_t offset, int depth) {
        std::optional<Layout::Extent> extent = layout_.extent(offset, layout_.referenceSize());
        if (!extent) {
            return nullptr;
        }
        std::vector<NSObjectRef> items;
        items.reserve(static_cast<std::size_t>(extent->count));
        for (std::uint64_t i = 0; i < extent->count; ++i) {
            NSObjectRef item = object(layout_.reference(extent->start, i), depth, false);
            if (!item) {
                return nullptr;
            }
            items.push_back(std::move(item));
        }
        if (layout_.type(offset) == Layout::Set) {
            return std::make_shared<PropertyListSet>(std::move(items));
        }
        return std::make_shared<NSArray>(std::move(items));
    }

    // Keys are text; a repeated key takes the last value, as in the XML form.
    NSObjectRef dictionary(std::size_t offset, int depth, bool topLevel) {
        std::optional<Layout::Extent> extent = layout_.extent(offset, 2 * layout_.referenceSize());
        if (!extent) {
            return nullptr;
        }
        NSDictionary::Storage entries;
        for (std::uint64_t i = 0; i < extent->count; ++i) {
            auto key = ns_cast<NSString>(object(layout_.reference(extent->start, i), depth, false));
            NSObjectRef value =
                object(layout_.reference(extent->start, extent->count + i), depth, false);
            if (!key || !value) {
                return nullptr;
            }
            entries[key->utf8()] = std::move(value);
        }
        if (topLevel) {
            return std::make_shared<NSMutableDictionary>(std::move(entries));
        }
        return std::make_shared<NSDictionary>(std::move(entries));
    }

    const Layout& layout_;
};

} // namespace

NSObjectRef PropertyListBinaryReader::read(std::string_view data) {
    std::string reason;
    std::optional<Layout> layout = Layout::read(data, reason);
    return layout ? BinaryReader(*layout).read() : nullptr;
}
