// One window of a program per device root: the first window start holds a lock in
// the root for the window's life and listens on a socket named after the root; a
// later start finds the lock held, asks the first over the socket to come to the
// front (handing on the desktop's activation token it was started with, if any) and
// ends; the first answers whether its window did come to the front. Every wait on the other process
// is bounded: a first window that is stopped or busy, a client that connects and says nothing, a
// full backlog, or a socket name taken by another user never holds a start or an exit.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

class HostSingleInstance {
  public:
    enum class Claim {
        first,   // this process holds the root now
        another, // another process holds it, and answered that it came to the front
        behind,  // another process holds it, and answered that it could not come forward
        silent,  // another process holds it but could not be asked or did not answer
        refused, // the lock is not a regular file of this user's, or cannot be opened or
                 // taken: without it a second window could open, so the run ends
    };

    // How long a later start waits for the first to answer (it may be starting too),
    // and how long the first may take to find out whether its window came forward.
    static constexpr std::chrono::milliseconds answerLimit{2000};
    static constexpr std::chrono::milliseconds raiseLimit{1000};
    // Longest activation token handed on; a longer one is not sent.
    static constexpr std::size_t tokenLimit = 200;

    // Claims `root` for `program`; a later start hands `activationToken` (the
    // desktop's, from its environment; may be empty) to the first. While the returned
    // object lives, each request of a later start calls the raise handler (on a thread
    // of its own) with that token; it returns, within raiseLimit, whether the window
    // came to the front. The lock is `root`/.`program`.lock, opened without following a
    // link and used only when it is a regular file of the process's user: a pipe, a
    // link, another user's file or one that cannot be opened is Claim::refused, with
    // one line saying why (the path cut as every echo of input is) in `refusal`.
    static std::unique_ptr<HostSingleInstance> claim(const std::filesystem::path& root,
                                                     const std::string& program, Claim& claim,
                                                     const std::string& activationToken = {},
                                                     std::string* refusal = nullptr);
    ~HostSingleInstance();
    HostSingleInstance(const HostSingleInstance&) = delete;
    HostSingleInstance& operator=(const HostSingleInstance&) = delete;

    using RaiseHandler = std::function<bool(const std::string& activationToken)>;
    void setRaiseHandler(RaiseHandler raise);

    // The socket's name in the abstract namespace (for tests that play another process).
    static std::string socketName(const std::filesystem::path& root, const std::string& program);

  private:
    struct Impl;
    explicit HostSingleInstance(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};
