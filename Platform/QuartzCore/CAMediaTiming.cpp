#include <QuartzCore/CAMediaTiming.h>

#include <chrono>
#include <cmath>
#include <optional>

namespace {

struct Clock {
    bool isVirtual = false;
    double virtualNow = 0;
    std::optional<double> held; // the real clock during a frame
};

Clock& mediaClock() {
    static Clock c;
    return c;
}

double realNow() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

double CACurrentMediaTime() {
    const Clock& clock = mediaClock();
    if (clock.isVirtual) {
        return clock.virtualNow;
    }
    return clock.held ? *clock.held : realNow();
}

CAMediaTimeFrameHold::CAMediaTimeFrameHold() {
    Clock& clock = mediaClock();
    if (!clock.held) {
        clock.held = realNow();
        held_ = true;
    }
}

CAMediaTimeFrameHold::~CAMediaTimeFrameHold() {
    if (held_) {
        mediaClock().held.reset();
    }
}

void CAMediaTimeUseVirtualClock(double start) {
    mediaClock().isVirtual = true;
    mediaClock().virtualNow = std::isfinite(start) ? start : 0;
}

void CAMediaTimeAdvance(double seconds) {
    // Time never runs backwards: animations would jump back to earlier values.
    if (mediaClock().isVirtual && std::isfinite(seconds) && seconds > 0) {
        mediaClock().virtualNow += seconds;
    }
}

void CAMediaTimeUseRealClock() {
    mediaClock().isVirtual = false;
}

bool CAMediaTimeIsVirtual() {
    return mediaClock().isVirtual;
}
