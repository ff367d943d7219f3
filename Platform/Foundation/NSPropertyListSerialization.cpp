#include <Foundation/NSPropertyListSerialization.h>

#include "PropertyListQuickReader.h"

#include <Foundation/NSArray.h>
#include <Foundation/NSData.h>
#include <Foundation/NSDate.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSNumber.h>
#include <Foundation/NSString.h>

#include <plist/plist.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

struct PlistDeleter {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

struct XmlDeleter {
    void operator()(char* xml) const { plist_to_xml_free(xml); }
};

struct IterDeleter {
    void operator()(plist_dict_iter iter) const { std::free(iter); }
};

struct MallocDeleter {
    void operator()(char* text) const { std::free(text); }
};

bool fail(std::string* error, const char* reason) {
    if (error != nullptr) {
        *error = reason;
    }
    return false;
}

NSObjectRef objectFromNode(plist_t node, int depth, bool topLevel);

// numberWithDouble converts to an integer unchecked, which for reals beyond the
// integer range (any file may hold one) is undefined; saturate instead.
NSObjectRef realNumber(double value) {
    constexpr double limit = 9223372036854775807.0;
    std::int64_t integer = std::isnan(value) ? 0
                           : value >= limit  ? INT64_MAX
                           : value <= -limit ? INT64_MIN
                                             : static_cast<std::int64_t>(value);
    return std::make_shared<NSNumber>(NSNumber::Kind::Real, integer, value);
}

NSObjectRef dictionaryFromNode(plist_t node, int depth, bool topLevel) {
    NSDictionary::Storage entries;
    plist_dict_iter rawIter = nullptr;
    plist_dict_new_iter(node, &rawIter);
    std::unique_ptr<void, IterDeleter> iter(rawIter);
    for (;;) {
        char* rawKey = nullptr;
        plist_t item = nullptr;
        plist_dict_next_item(node, iter.get(), &rawKey, &item);
        std::unique_ptr<char, MallocDeleter> key(rawKey);
        if (item == nullptr) {
            break;
        }
        NSObjectRef object = objectFromNode(item, depth + 1, false);
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

NSObjectRef arrayFromNode(plist_t node, int depth) {
    std::vector<NSObjectRef> items;
    uint32_t size = plist_array_get_size(node);
    items.reserve(size);
    for (uint32_t i = 0; i < size; ++i) {
        NSObjectRef object = objectFromNode(plist_array_get_item(node, i), depth + 1, false);
        if (!object) {
            return nullptr;
        }
        items.push_back(std::move(object));
    }
    return std::make_shared<NSArray>(std::move(items));
}

NSObjectRef scalarFromNode(plist_t node) {
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return NSNumber::numberWithBool(value != 0);
    }
    case PLIST_UINT: {
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        // Negative integers are kept in two's complement.
        return NSNumber::numberWithLongLong(static_cast<std::int64_t>(value));
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return realNumber(value);
    }
    case PLIST_STRING: {
        uint64_t length = 0;
        const char* text = plist_get_string_ptr(node, &length);
        return NSString::string(text ? std::string(text, length) : std::string());
    }
    case PLIST_DATA: {
        uint64_t length = 0;
        const char* bytes = plist_get_data_ptr(node, &length);
        const auto* begin = reinterpret_cast<const std::uint8_t*>(bytes);
        return std::make_shared<NSData>(bytes ? std::vector<std::uint8_t>(begin, begin + length)
                                              : std::vector<std::uint8_t>());
    }
    case PLIST_DATE: {
        int32_t seconds = 0, microseconds = 0;
        plist_get_date_val(node, &seconds, &microseconds);
        return std::make_shared<NSDate>(seconds + microseconds / 1e6);
    }
    default:
        return nullptr; // keys outside dictionaries, keyed-archive identifiers
    }
}

NSObjectRef objectFromNode(plist_t node, int depth, bool topLevel) {
    if (node == nullptr || depth > NSPropertyListSerialization::maximumDepth) {
        return nullptr;
    }
    switch (plist_get_node_type(node)) {
    case PLIST_DICT:
        return dictionaryFromNode(node, depth, topLevel);
    case PLIST_ARRAY:
        return arrayFromNode(node, depth);
    default:
        return scalarFromNode(node);
    }
}

plist_t nodeFromObject(const NSObject& object, int depth);

plist_t nodeFromNumber(const NSNumber& number) {
    switch (number.kind()) {
    case NSNumber::Kind::Boolean:
        return plist_new_bool(number.boolValue() ? 1 : 0);
    case NSNumber::Kind::Integer:
        return plist_new_uint(static_cast<uint64_t>(number.longLongValue()));
    case NSNumber::Kind::Real:
        return std::isfinite(number.doubleValue()) ? plist_new_real(number.doubleValue()) : nullptr;
    }
    return nullptr;
}

plist_t nodeFromDate(const NSDate& date) {
    double interval = date.timeIntervalSinceReferenceDate();
    double seconds = std::floor(interval);
    if (!std::isfinite(interval) || seconds < INT32_MIN || seconds > INT32_MAX) {
        return nullptr;
    }
    return plist_new_date(static_cast<int32_t>(seconds),
                          static_cast<int32_t>((interval - seconds) * 1e6));
}

plist_t nodeFromContainer(const NSObject& object, int depth) {
    if (auto dictionary = dynamic_cast<const NSDictionary*>(&object)) {
        PlistPtr node(plist_new_dict());
        for (const std::string& key : dictionary->allKeys()) {
            const NSObjectRef& value = dictionary->entries().at(key);
            plist_t item = value ? nodeFromObject(*value, depth + 1) : nullptr;
            if (item == nullptr) {
                return nullptr;
            }
            plist_dict_set_item(node.get(), key.c_str(), item);
        }
        return node.release();
    }
    if (auto array = dynamic_cast<const NSArray*>(&object)) {
        PlistPtr node(plist_new_array());
        for (const NSObjectRef& value : *array) {
            plist_t item = value ? nodeFromObject(*value, depth + 1) : nullptr;
            if (item == nullptr) {
                return nullptr;
            }
            plist_array_append_item(node.get(), item);
        }
        return node.release();
    }
    return nullptr;
}

plist_t nodeFromObject(const NSObject& object, int depth) {
    if (depth > NSPropertyListSerialization::maximumDepth) {
        return nullptr;
    }
    if (auto string = dynamic_cast<const NSString*>(&object)) {
        return plist_new_string(string->UTF8String());
    }
    if (auto number = dynamic_cast<const NSNumber*>(&object)) {
        return nodeFromNumber(*number);
    }
    if (auto data = dynamic_cast<const NSData*>(&object)) {
        return plist_new_data(reinterpret_cast<const char*>(data->bytes().data()), data->length());
    }
    if (auto date = dynamic_cast<const NSDate*>(&object)) {
        return nodeFromDate(*date);
    }
    return nodeFromContainer(object, depth);
}

// A binary list can hold dictionary keys with NUL bytes inside, which libplist's key
// getter answers by aborting the process. Its XML writer copies keys without that
// check and its XML reader cannot produce such keys, so a binary list is read back
// through its XML form.
PlistPtr throughXml(PlistPtr binary) {
    char* raw = nullptr;
    uint32_t length = 0;
    plist_to_xml(binary.get(), &raw, &length);
    std::unique_ptr<char, XmlDeleter> xml(raw);
    if (!xml) {
        return nullptr;
    }
    plist_t reread = nullptr;
    plist_from_xml(xml.get(), length, &reread);
    return PlistPtr(reread);
}

} // namespace

NSObjectRef NSPropertyListSerialization::propertyListWithData(std::string_view data,
                                                              std::string* error) {
    if (std::optional<NSObjectRef> list = PropertyListQuickReader::read(data)) {
        return *list;
    }
    return propertyListWithDataUsingGeneralReader(data, error);
}

NSObjectRef
NSPropertyListSerialization::propertyListWithDataUsingGeneralReader(std::string_view data,
                                                                    std::string* error) {
    if (data.empty() || data.size() > UINT32_MAX) {
        fail(error, data.empty() ? "the file is empty" : "the file is too large");
        return nullptr;
    }
    plist_t raw = nullptr;
    plist_from_memory(data.data(), static_cast<uint32_t>(data.size()), &raw);
    PlistPtr root(raw);
    if (root && plist_is_binary(data.data(), static_cast<uint32_t>(data.size()))) {
        root = throughXml(std::move(root));
    }
    if (!root) {
        fail(error, "not a property list");
        return nullptr;
    }
    NSObjectRef list = objectFromNode(root.get(), 0, true);
    if (!list) {
        fail(error, "the property list holds values that cannot be read");
    }
    return list;
}

bool NSPropertyListSerialization::dataWithPropertyList(const NSObject& list, std::string& xml,
                                                       std::string* error) {
    PlistPtr root(nodeFromObject(list, 0));
    if (!root) {
        return fail(error, "the value holds something a property list cannot");
    }
    char* raw = nullptr;
    uint32_t length = 0;
    plist_to_xml(root.get(), &raw, &length);
    std::unique_ptr<char, XmlDeleter> text(raw);
    if (!text) {
        return fail(error, "the property list could not be written");
    }
    xml.assign(text.get(), length);
    return true;
}
