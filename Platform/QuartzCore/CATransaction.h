// Transactions group property changes and say how they animate. Without an
// explicit transaction, changes use the defaults: 0.25 s, actions enabled.
// Transactions nest; an inner one starts from its outer one's settings.
#pragma once

#include <Foundation/NSNumber.h>
#include <Foundation/NSObject.h>

#include <string_view>

inline constexpr const char* kCATransactionAnimationDuration = "animationDuration";
inline constexpr const char* kCATransactionDisableActions = "disableActions";

// The platform's boolean objects, for setValue(kCFBooleanTrue, kCATransactionDisableActions).
extern const std::shared_ptr<NSNumber> kCFBooleanTrue;
extern const std::shared_ptr<NSNumber> kCFBooleanFalse;

class CATransaction {
  public:
    static void begin();
    // Ends the innermost explicit transaction; without one, does nothing.
    static void commit();
    static double animationDuration();
    static void setAnimationDuration(double seconds);
    static bool disableActions();
    static void setDisableActions(bool disable);
    // Keys kCATransactionAnimationDuration (a number) and kCATransactionDisableActions
    // (a boolean number); other keys and other values are ignored.
    static void setValue(const NSObjectRef& value, std::string_view key);
    static void setValue(double value, std::string_view key);
    static NSObjectRef valueForKey(std::string_view key);
    // How many explicit transactions are open.
    static unsigned depth();
};
