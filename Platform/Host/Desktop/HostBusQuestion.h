// Questions to the desktop's buses, each asked on a thread of its own: a bus that
// accepts and never answers costs the asker at most the time it chose to wait, never
// a frozen window or a start that does not end. A question that was not answered in
// time is called off (its connection given up).
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

class HostBusQuestion {
  public:
    using Clock = std::chrono::steady_clock;

    // Whether the session bus (DBUS_SESSION_BUS_ADDRESS) answers: a connection
    // authenticated and greeted. No at once when no address is set.
    static std::shared_ptr<HostBusQuestion> sessionBus();
    // Whether an accessibility bus runs and answers: at `rootWindowAddress` (the X
    // root window's AT_SPI_BUS) when there is one, else where the session bus's
    // org.a11y.Bus says (never started for the asking). No at once for NO_AT_BRIDGE=1.
    static std::shared_ptr<HostBusQuestion>
    accessibilityBus(const std::optional<std::string>& rootWindowAddress);

    ~HostBusQuestion();
    HostBusQuestion(const HostBusQuestion&) = delete;
    HostBusQuestion& operator=(const HostBusQuestion&) = delete;

    // The answer, waited for until `deadline` at most; no when none came by then
    // (the question is called off).
    bool answeredBy(Clock::time_point deadline);
    // Without waiting: none while the question is open.
    std::optional<bool> answer() const;

    struct State;

  private:
    explicit HostBusQuestion(std::shared_ptr<State> state);
    std::shared_ptr<State> state_;
};
