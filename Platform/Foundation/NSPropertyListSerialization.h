// Property lists: XML (version 1.0) written, XML and binary read.
#pragma once

#include <Foundation/NSObject.h>

#include <string>
#include <string_view>

class NSPropertyListSerialization {
  public:
    // Nesting deeper than this is refused rather than risking the stack.
    static constexpr int maximumDepth = 256;

    // The property list in `data`, XML or binary; null (and a reason in `error`) when
    // `data` is not one. Dictionaries at the top level are mutable, as the platform's
    // mutable reader returns them.
    static NSObjectRef propertyListWithData(std::string_view data, std::string* error = nullptr);

    // The XML form of `list`, version 1.0, into `xml`; false (and a reason) when
    // `list` holds something that a property list cannot.
    static bool dataWithPropertyList(const NSObject& list, std::string& xml,
                                     std::string* error = nullptr);

    // The general reader alone, without the quick path for small XML lists; for
    // checking that both read every list alike.
    static NSObjectRef propertyListWithDataUsingGeneralReader(std::string_view data,
                                                              std::string* error = nullptr);
};
