// An answer that another thread gives, waited for until a deadline at most: the one way
// the host waits on another thread (a bus question, a link handed to the desktop, a
// window asked to come to the front, a listener asked to stop). The asker waits by a
// deadline, looks without waiting, or calls the question off; the answering side gives
// the answer once, may change what an asker that stops waiting takes meanwhile (a link
// the desktop is still opening counts as opened), and learns of a call-off by asking,
// by a callback run once (to cancel a blocking call), or by a descriptor that becomes
// readable (to wake a poll).
//
// Also the one wait on another process's descriptor (HostReadableBy).
//
// Not in a room: every room may wait on another thread, and this includes no room.
#pragma once

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

template <typename T> class HostPendingAnswer {
  public:
    using Clock = std::chrono::steady_clock;

    // `lateAnswer`: what an asker that stops waiting takes, until the answering side
    // says otherwise.
    explicit HostPendingAnswer(T lateAnswer) : late_(std::move(lateAnswer)) {}
    ~HostPendingAnswer() {
        if (wake_ >= 0) {
            close(wake_);
        }
    }
    HostPendingAnswer(const HostPendingAnswer&) = delete;
    HostPendingAnswer& operator=(const HostPendingAnswer&) = delete;

    // The answer, waited for until `deadline`; past it, the late answer, and the
    // question is called off (an answer given later no longer counts).
    T by(Clock::time_point deadline) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!given_.wait_until(lock, deadline, [this] { return answer_.has_value(); })) {
            answer_ = late_;
            lock.unlock();
            callOff();
            lock.lock();
        }
        return *answer_;
    }
    T within(std::chrono::milliseconds limit) { return by(Clock::now() + limit); }
    // Without waiting: none while the question is open.
    std::optional<T> now() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return answer_;
    }
    // The asker stops waiting: the call-off callbacks run (once), the descriptor wakes.
    void callOff() {
        std::vector<std::function<void()>> callbacks;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (calledOff_) {
                return;
            }
            calledOff_ = true;
            callbacks.swap(onCallOff_);
            if (wake_ >= 0) {
                std::uint64_t one = 1;
                (void)!write(wake_, &one, sizeof one);
            }
        }
        for (const auto& callback : callbacks) {
            callback();
        }
    }

    // The answer; false when it came too late to count.
    bool give(T answer) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (answer_) {
            return false;
        }
        answer_ = std::move(answer);
        given_.notify_all();
        return true;
    }
    void setLateAnswer(T answer) {
        std::lock_guard<std::mutex> lock(mutex_);
        late_ = std::move(answer);
    }
    bool calledOff() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return calledOff_;
    }
    // Runs `callback` when the question is called off (at once if it was).
    void onCallOff(std::function<void()> callback) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!calledOff_) {
            onCallOff_.push_back(std::move(callback));
            return;
        }
        lock.unlock();
        callback();
    }
    // An eventfd, readable once the question is called off; -1 if none could be made.
    int callOffDescriptor() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (wake_ < 0) {
            wake_ = eventfd(calledOff_ ? 1 : 0, EFD_CLOEXEC | EFD_NONBLOCK);
        }
        return wake_;
    }

  private:
    mutable std::mutex mutex_;
    std::condition_variable given_;
    std::optional<T> answer_;
    T late_;
    bool calledOff_ = false;
    std::vector<std::function<void()>> onCallOff_;
    int wake_ = -1;
};

// Asks `work` on a thread of its own: `work(answer)` gives the answer (or returns
// one, given for it). The thread is detached and holds nothing of the asker's but the
// shared answer and what `work` captured by value, so an asker that stops waiting
// (a question whose far end never answers) leaves behind only a thread that touches
// its own things until its blocking call gives up. None when no thread could start.
template <typename T, typename Work>
std::shared_ptr<HostPendingAnswer<T>> HostAskOnThread(T lateAnswer, Work work) {
    auto answer = std::make_shared<HostPendingAnswer<T>>(std::move(lateAnswer));
    try {
        std::thread([answer, work = std::move(work)]() mutable {
            answer->give(work(*answer));
        }).detach();
    } catch (const std::system_error&) {
        return nullptr;
    }
    return answer;
}

// Whether `fd` becomes readable (or hung up) before `deadline`; false once it passes,
// or as soon as `wake` (when given: a call-off's descriptor) is readable.
inline bool HostReadableBy(int fd, std::chrono::steady_clock::time_point deadline, int wake = -1) {
    pollfd ready[2] = {{fd, POLLIN, 0}, {wake, POLLIN, 0}};
    while (true) {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline -
                                                                 std::chrono::steady_clock::now());
        int got = poll(ready, wake >= 0 ? 2 : 1,
                       static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0)));
        if (got > 0) {
            return ready[0].revents != 0 && (wake < 0 || ready[1].revents == 0);
        }
        if ((got < 0 && errno != EINTR) || (got == 0 && left.count() <= 0)) {
            return false;
        }
    }
}
