// The integers of an XML property list as libplist reads them, judged from their text:
// libplist turns an integer beyond both 64-bit ranges into another number without a
// word (the largest unsigned one, or a negative one negated), and "010" as octal 8 where
// every other reader takes 10. When a list holds such an integer (or one whose text
// this cannot judge), every integer element is numbered in a copy of the document,
// libplist reads the copy, and each number is looked up here: in-range integers as
// libplist reads them (leading zeros decimal), the others marked as not held exactly.
#pragma once

#include "PropertyListBudget.h"

#include <Foundation/NSObject.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class PropertyListXmlIntegers {
  public:
    // Nothing when libplist reads every integer of `xml` as meant, the common case.
    static std::optional<PropertyListXmlIntegers>
    judge(std::string_view xml, const std::vector<PropertyListBudget::Span>& integers);

    // The document with the text of integer element i replaced by i.
    const std::string& numbered() const { return numbered_; }
    // The value of integer element `index`; null for an index that is none.
    NSObjectRef value(std::uint64_t index) const;

  private:
    std::string numbered_;
    std::vector<NSObjectRef> values_;
};
