// Reading property lists: the budget checked on the bytes, then the binary reader, or
// for XML (UTF-8, or UTF-16 with its byte-order mark) the quick reader for the common
// shape and libplist for everything else, its nodes turned into objects.
#include <Foundation/NSPropertyListSerialization.h>

#include "PropertyListBinaryReader.h"
#include "PropertyListNodes.h"
#include "PropertyListQuickReader.h"
#include "PropertyListText.h"
#include "PropertyListXmlIntegers.h"

#include <Foundation/NSArray.h>
#include <Foundation/NSData.h>
#include <Foundation/NSDate.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSNumber.h>
#include <Foundation/NSString.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

struct IterDeleter {
    void operator()(plist_dict_iter iter) const { std::free(iter); }
};

NSObjectRef fail(std::string* error, std::string reason) {
    if (error != nullptr) {
        *error = std::move(reason);
    }
    return nullptr;
}

// The integers of the list when libplist cannot be trusted with them; null otherwise.
using Integers = const PropertyListXmlIntegers*;

NSObjectRef objectFromNode(plist_t node, int depth, bool topLevel, Integers integers);

NSObjectRef dictionaryFromNode(plist_t node, int depth, bool topLevel, Integers integers) {
    NSDictionary::Storage entries;
    plist_dict_iter rawIter = nullptr;
    plist_dict_new_iter(node, &rawIter);
    std::unique_ptr<void, IterDeleter> iter(rawIter);
    for (;;) {
        char* rawKey = nullptr;
        plist_t item = nullptr;
        plist_dict_next_item(node, iter.get(), &rawKey, &item);
        std::unique_ptr<char, PlistMallocDeleter> key(rawKey);
        if (item == nullptr) {
            break;
        }
        NSObjectRef object = objectFromNode(item, depth, false, integers);
        if (!key || !object) {
            return nullptr;
        }
        entries[key.get()] = std::move(object);
    }
    if (topLevel) {
        return std::make_shared<NSMutableDictionary>(std::move(entries));
    }
    return std::make_shared<NSDictionary>(std::move(entries));
}

NSObjectRef arrayFromNode(plist_t node, int depth, Integers integers) {
    std::vector<NSObjectRef> items;
    uint32_t size = plist_array_get_size(node);
    items.reserve(size);
    for (uint32_t i = 0; i < size; ++i) {
        NSObjectRef object = objectFromNode(plist_array_get_item(node, i), depth, false, integers);
        if (!object) {
            return nullptr;
        }
        items.push_back(std::move(object));
    }
    return std::make_shared<NSArray>(std::move(items));
}

// libplist keeps an integer above the signed range in a wider form of its own, which
// its writer prints unsigned; the same bits in the ordinary form are a negative number.
// Only the comparison of the two forms tells them apart.
NSObjectRef integerNumber(plist_t node, Integers integers) {
    uint64_t value = 0;
    plist_get_uint_val(node, &value);
    if (integers != nullptr) {
        return integers->value(value);
    }
    if (value <= static_cast<uint64_t>(INT64_MAX)) {
        return NSNumber::numberWithLongLong(static_cast<std::int64_t>(value));
    }
    PlistPtr signedForm(plist_new_uint(value));
    if (plist_compare_node_value(node, signedForm.get()) != 0) {
        return NSNumber::numberWithLongLong(static_cast<std::int64_t>(value));
    }
    return NSNumber::numberWithUnsignedLongLong(value);
}

// libplist holds dates in whole seconds of 32 bits and gives the lowest of them for
// any date it cannot hold (before 1933 or after 2069). Such a date reads as NaN, which
// no writer takes, so that it is never written back as another date.
NSObjectRef dateFromNode(plist_t node) {
    int32_t seconds = 0, microseconds = 0;
    plist_get_date_val(node, &seconds, &microseconds);
    if (seconds == std::numeric_limits<int32_t>::min()) {
        return std::make_shared<NSDate>(std::numeric_limits<double>::quiet_NaN());
    }
    return std::make_shared<NSDate>(seconds + microseconds / 1e6);
}

NSObjectRef textFromNode(plist_t node) {
    uint64_t length = 0;
    if (plist_get_node_type(node) == PLIST_STRING) {
        const char* text = plist_get_string_ptr(node, &length);
        return NSString::string(text ? std::string(text, length) : std::string());
    }
    const char* bytes = plist_get_data_ptr(node, &length);
    const auto* begin = reinterpret_cast<const std::uint8_t*>(bytes);
    return std::make_shared<NSData>(bytes ? std::vector<std::uint8_t>(begin, begin + length)
                                          : std::vector<std::uint8_t>());
}

NSObjectRef scalarFromNode(plist_t node, Integers integers) {
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return NSNumber::numberWithBool(value != 0);
    }
    case PLIST_UINT:
        return integerNumber(node, integers);
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return NSNumber::numberWithDouble(value);
    }
    case PLIST_STRING:
    case PLIST_DATA:
        return textFromNode(node);
    case PLIST_DATE:
        return dateFromNode(node);
    default:
        return nullptr; // keys outside dictionaries, keyed-archive identifiers
    }
}

// `depth` counts the containers around `node`; the budget check has already kept
// them within the limit, which this repeats for lists built some other way.
NSObjectRef objectFromNode(plist_t node, int depth, bool topLevel, Integers integers) {
    if (node == nullptr) {
        return nullptr;
    }
    plist_type type = plist_get_node_type(node);
    if (type != PLIST_DICT && type != PLIST_ARRAY) {
        return scalarFromNode(node, integers);
    }
    if (depth + 1 > PropertyListBudget::maximumDepth) {
        return nullptr;
    }
    return type == PLIST_DICT ? dictionaryFromNode(node, depth + 1, topLevel, integers)
                              : arrayFromNode(node, depth + 1, integers);
}

enum class Reader { QuickThenGeneral, GeneralOnly };

// libplist's reading of XML text that passed the budget, with its integers judged.
NSObjectRef readXmlWithLibplist(std::string_view xml,
                                const std::vector<PropertyListBudget::Span>& integerSpans,
                                std::string* error) {
    // XML 1.0 has no NUL, raw or referenced; libplist would end a key or a string at one.
    if (xml.find('\0') != std::string_view::npos) {
        return fail(error, "not XML: it holds a NUL character");
    }
    std::optional<PropertyListXmlIntegers> integers =
        PropertyListXmlIntegers::judge(xml, integerSpans);
    std::string_view parsed = integers ? std::string_view(integers->numbered()) : xml;
    plist_t raw = nullptr;
    plist_from_xml(parsed.data(), static_cast<uint32_t>(parsed.size()), &raw);
    PlistPtr root(raw);
    if (!root) {
        return fail(error, "not a property list");
    }
    NSObjectRef list = objectFromNode(root.get(), 0, true, integers ? &*integers : nullptr);
    return list ? list : fail(error, "the property list holds values that cannot be read");
}

// libplist reads XML only: its binary reader expands shared references and slows
// with the square of a container's size, so binary lists have a reader of their own.
NSObjectRef readWithinBudget(std::string_view data, Reader reader, std::string* error) {
    if (data.empty()) {
        return fail(error, "the file is empty");
    }
    if (data.substr(0, 8) == "bplist00") {
        if (std::optional<std::string> refusal = PropertyListBudget::check(data)) {
            return fail(error, "unreadable: " + *refusal);
        }
        NSObjectRef list = PropertyListBinaryReader::read(data);
        return list ? list : fail(error, "the property list holds values that cannot be read");
    }
    std::string decoded, reason;
    std::optional<std::string_view> xml = PropertyListText::xmlDocument(data, decoded, reason);
    if (!xml) {
        return fail(error, "unreadable: " + reason);
    }
    // Counted on the text as it is parsed, whatever the encoding of the bytes.
    std::vector<PropertyListBudget::Span> integers;
    std::optional<std::string> refusal = xml->size() > PropertyListBudget::maximumBytes
                                             ? PropertyListBudget::tooLarge()
                                             : PropertyListBudget::checkXml(*xml, integers);
    if (refusal) {
        return fail(error, "unreadable: " + *refusal);
    }
    if (reader == Reader::QuickThenGeneral) {
        if (std::optional<NSObjectRef> list = PropertyListQuickReader::read(*xml)) {
            return *list;
        }
    }
    return readXmlWithLibplist(*xml, integers, error);
}

} // namespace

NSObjectRef NSPropertyListSerialization::propertyListWithData(std::string_view data,
                                                              std::string* error) {
    return readWithinBudget(data, Reader::QuickThenGeneral, error);
}

NSObjectRef
NSPropertyListSerialization::propertyListWithDataUsingGeneralReader(std::string_view data,
                                                                    std::string* error) {
    return readWithinBudget(data, Reader::GeneralOnly, error);
}
