// Reads a binary property list into objects, in one walk from the top object. Meant
// for lists that PropertyListBudget::checkBinary accepted; every offset is checked
// again all the same, and anything it cannot read makes the whole list unreadable.
#pragma once

#include <Foundation/NSObject.h>

#include <string_view>

struct PropertyListBinaryReader {
    // The list, or null. Dictionaries at the top level are mutable.
    static NSObjectRef read(std::string_view data);
};
