#include <Host/Window/HostWindowRaise.h>

#include <sys/eventfd.h>
#include <unistd.h>

HostWindowRaise::HostWindowRaise(HostNativeWindow& window)
    : window_(window), event_(SDL_RegisterEvents(1)),
      wake_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

HostWindowRaise::~HostWindowRaise() {
    if (wake_ >= 0) {
        close(wake_);
    }
}

bool HostWindowRaise::request(const std::string& activationToken, int limitMs) {
    auto answer = std::make_shared<HostPendingAnswer<bool>>(false);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        token_ = activationToken;
        asked_ = answer;
    }
    SDL_Event event{};
    event.type = event_;
    if (event_ == static_cast<Uint32>(-1) || SDL_PushEvent(&event) != 1) {
        return false;
    }
    std::uint64_t one = 1;
    if (wake_ >= 0) {
        (void)!write(wake_, &one, sizeof one);
    }
    return answer->within(std::chrono::milliseconds(limitMs));
}

void HostWindowRaise::drainWake() const {
    std::uint64_t count = 0;
    if (wake_ >= 0) {
        (void)!read(wake_, &count, sizeof count);
    }
}

bool HostWindowRaise::handle(const SDL_Event& event) {
    if (event.type != event_) {
        return false;
    }
    std::string token;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        raising_ = std::move(asked_);
        token = std::move(token_);
    }
    if (raising_ && !window_.raise(token)) {
        raising_->give(false);
        raising_.reset();
    }
    check();
    return true;
}

void HostWindowRaise::check() {
    if (!raising_) {
        return;
    }
    if (window_.isInFront()) {
        raising_->give(true);
        raising_.reset();
    } else if (raising_->calledOff()) {
        raising_.reset(); // the asker no longer waits
    }
}
