// A binary property list's set, as read: its members in the order the file lists them,
// so that whoever reads it as an array still can. The XML form has no sets: written
// there it would come back as an array, another value, so writers refuse it.
#pragma once

#include <Foundation/NSArray.h>

class PropertyListSet : public NSArray {
  public:
    using NSArray::NSArray;
};
