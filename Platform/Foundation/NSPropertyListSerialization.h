// Property lists: XML (version 1.0) written, XML and binary read.
#pragma once

#include <Foundation/NSObject.h>
#include <Foundation/PropertyListBudget.h>

#include <string>
#include <string_view>

class NSPropertyListSerialization {
  public:
    // The property list in `data`, XML or binary; null (and a reason in `error`) when
    // `data` is not one, or when reading it would pass PropertyListBudget's limits
    // (checked on the bytes before anything is built). Dictionaries at the top level
    // are mutable, as the platform's mutable reader returns them.
    static NSObjectRef propertyListWithData(std::string_view data, std::string* error = nullptr);

    // The XML form of `list`, version 1.0, into `xml`; false (and a reason) when
    // `list` holds something that the XML form cannot carry exactly. What is written
    // is read back and compared before it is given out, so that a value is never
    // changed on its way through a file.
    static bool dataWithPropertyList(const NSObject& list, std::string& xml,
                                     std::string* error = nullptr);

    // The general reader alone, without the quick path for small XML lists; for
    // checking that both read every list alike. Within the same budget.
    static NSObjectRef propertyListWithDataUsingGeneralReader(std::string_view data,
                                                              std::string* error = nullptr);
};
