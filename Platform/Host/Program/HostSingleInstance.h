// One window of a program per device root: the first window start holds a lock in
// the root and listens on a socket named after it; a later start finds the lock held,
// asks the first over the socket to come to the front, and ends.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

class HostSingleInstance {
  public:
    enum class Claim {
        first,   // this process holds the root now
        another, // another process holds it and was asked to come to the front
        unknown, // the lock could not be taken or asked (the run goes on)
    };

    // Claims `root` for `program`. While the returned object lives, each request of a
    // later start calls `raise` (on a thread of its own).
    static std::unique_ptr<HostSingleInstance> claim(const std::filesystem::path& root,
                                                     const std::string& program, Claim& claim);
    ~HostSingleInstance();
    HostSingleInstance(const HostSingleInstance&) = delete;
    HostSingleInstance& operator=(const HostSingleInstance&) = delete;

    void setRaiseHandler(std::function<void()> raise);

  private:
    struct Impl;
    explicit HostSingleInstance(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};
