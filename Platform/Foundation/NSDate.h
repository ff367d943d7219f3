#pragma once

#include <Foundation/NSObject.h>

// A property-list date, kept so that keys of other kinds survive a read-modify-write
// of a preferences file.
class NSDate : public NSObject {
  public:
    // Seconds since 2001-01-01 00:00:00 UTC, the platform's reference date.
    explicit NSDate(double sinceReferenceDate) : sinceReferenceDate_(sinceReferenceDate) {}
    double timeIntervalSinceReferenceDate() const { return sinceReferenceDate_; }
    std::string description() const override;
    bool isEqual(const NSObject* other) const override;

  private:
    double sinceReferenceDate_;
};
