// An index path with the table view's reading: section and row.
#pragma once

#include <Foundation/NSObject.h>

#include <memory>

class NSIndexPath;
using NSIndexPathRef = std::shared_ptr<NSIndexPath>;

class NSIndexPath : public NSObject {
  public:
    NSIndexPath(NSInteger section, NSInteger row) : section_(section), row_(row) {}
    static NSIndexPathRef indexPathForRow(NSInteger row, NSInteger section) {
        return std::make_shared<NSIndexPath>(section, row);
    }

    NSInteger section() const { return section_; }
    NSInteger row() const { return row_; }

    std::string description() const override;
    bool isEqual(const NSObject* other) const override;

  private:
    NSInteger section_;
    NSInteger row_;
};
