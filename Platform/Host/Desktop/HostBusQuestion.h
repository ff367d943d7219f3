// Whether an accessibility bus runs and answers, asked on a thread of its own: a bus
// that accepts and never answers costs the asker at most the time it chose to wait,
// never a frozen window. A question not answered in time is called off (its
// connection given up).
#pragma once

#include <Host/HostPendingAnswer.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

class HostBusQuestion {
  public:
    using Clock = std::chrono::steady_clock;

    // At `rootWindowAddress` (the X root window's AT_SPI_BUS) when there is one, else
    // where the session bus's org.a11y.Bus says (never started for the asking). No at
    // once for NO_AT_BRIDGE=1, or when no thread could be started.
    static std::shared_ptr<HostBusQuestion>
    accessibilityBus(const std::optional<std::string>& rootWindowAddress);

    // Calls the question off.
    ~HostBusQuestion();
    HostBusQuestion(const HostBusQuestion&) = delete;
    HostBusQuestion& operator=(const HostBusQuestion&) = delete;

    // The answer, waited for until `deadline` at most; no when none came by then.
    bool answeredBy(Clock::time_point deadline) { return answer_->by(deadline); }
    // Without waiting: none while the question is open.
    std::optional<bool> answer() const { return answer_->now(); }

  private:
    explicit HostBusQuestion(std::shared_ptr<HostPendingAnswer<bool>> answer)
        : answer_(std::move(answer)) {}
    std::shared_ptr<HostPendingAnswer<bool>> answer_;
};
