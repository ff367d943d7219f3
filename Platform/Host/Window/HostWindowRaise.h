// Coming to the front when another start in the same device root asks: asked from the
// single-instance listener's thread, done on the window's loop, and answered with what
// happened (the window seen in front, or not by the time the asker stops waiting).
#pragma once

#include <Host/HostPendingAnswer.h>
#include <Host/Window/HostNativeWindow.h>

#include <SDL2/SDL.h>

#include <memory>
#include <mutex>
#include <string>

class HostWindowRaise {
  public:
    explicit HostWindowRaise(HostNativeWindow& window);
    ~HostWindowRaise();
    HostWindowRaise(const HostWindowRaise&) = delete;
    HostWindowRaise& operator=(const HostWindowRaise&) = delete;

    // From any thread: asks the window to come to the front at the loop's next turn
    // (with the desktop's activation token of the asking start, if any) and waits up to
    // `limitMs` to learn whether it did.
    bool request(const std::string& activationToken, int limitMs);

    // On the loop: a request's event starts the raise (true for that event).
    bool handle(const SDL_Event& event);
    // On the loop, each turn: answers a raise under way once the window is in front.
    void check();
    // Whether a raise is under way (the loop then looks often).
    bool pending() const { return raising_ != nullptr; }
    // Readable when a request arrives: a wait of the loop's own polls it too.
    int wakeFd() const { return wake_; }
    void drainWake() const;

  private:
    HostNativeWindow& window_;
    Uint32 event_ = 0;
    int wake_ = -1;
    std::mutex mutex_;
    // The request the loop has not taken yet.
    std::string token_;
    std::shared_ptr<HostPendingAnswer<bool>> asked_;
    // The request the loop is answering.
    std::shared_ptr<HostPendingAnswer<bool>> raising_;
};
