#include <QuartzCore/CATransaction.h>

#include <cmath>
#include <vector>

const std::shared_ptr<NSNumber> kCFBooleanTrue = NSNumber::numberWithBool(true);
const std::shared_ptr<NSNumber> kCFBooleanFalse = NSNumber::numberWithBool(false);

namespace {

struct Settings {
    double duration = 0.25; // the platform's implicit animation duration
    bool disableActions = false;
};

// The bottom entry is the implicit transaction's settings and always stays.
std::vector<Settings>& stack() {
    static std::vector<Settings> settings{Settings{}};
    return settings;
}

} // namespace

void CATransaction::begin() {
    stack().push_back(stack().back());
}

void CATransaction::commit() {
    if (stack().size() > 1) {
        stack().pop_back();
    }
}

double CATransaction::animationDuration() {
    return stack().back().duration;
}

void CATransaction::setAnimationDuration(double seconds) {
    if (std::isfinite(seconds) && seconds >= 0) {
        stack().back().duration = seconds;
    }
}

bool CATransaction::disableActions() {
    return stack().back().disableActions;
}

void CATransaction::setDisableActions(bool disable) {
    stack().back().disableActions = disable;
}

void CATransaction::setValue(const NSObjectRef& value, std::string_view key) {
    auto number = ns_cast<NSNumber>(value);
    if (!number) {
        return;
    }
    if (key == kCATransactionAnimationDuration) {
        setAnimationDuration(number->doubleValue());
    } else if (key == kCATransactionDisableActions) {
        setDisableActions(number->boolValue());
    }
}

void CATransaction::setValue(double value, std::string_view key) {
    if (key == kCATransactionAnimationDuration) {
        setAnimationDuration(value);
    } else if (key == kCATransactionDisableActions) {
        setDisableActions(value != 0);
    }
}

NSObjectRef CATransaction::valueForKey(std::string_view key) {
    if (key == kCATransactionAnimationDuration) {
        return NSNumber::numberWithDouble(animationDuration());
    }
    if (key == kCATransactionDisableActions) {
        return disableActions() ? kCFBooleanTrue : kCFBooleanFalse;
    }
    return nullptr;
}

unsigned CATransaction::depth() {
    return static_cast<unsigned>(stack().size() - 1);
}
