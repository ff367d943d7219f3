#include <Host/Program/HostSingleInstance.h>

#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

namespace {

// An abstract socket (no file, no length limit from the root's path), named by a
// hash of the root's canonical path.
sockaddr_un socketAddress(const std::filesystem::path& root, const std::string& program,
                          socklen_t& length) {
    std::error_code error;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(root, error);
    std::size_t hash = std::hash<std::string>{}((error ? root : canonical).string());
    std::string name = "prismkey-" + program + "-" + std::to_string(hash);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    name = name.substr(0, sizeof address.sun_path - 2);
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    return address;
}

bool askToRaise(const sockaddr_un& address, socklen_t length) {
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    // The first start may be between taking the lock and listening: try for a while.
    bool sent = false;
    for (int attempt = 0; attempt < 50 && !sent; ++attempt) {
        if (connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0) {
            sent = write(fd, "raise\n", 6) == 6;
            break;
        }
        usleep(100 * 1000);
    }
    close(fd);
    return sent;
}

} // namespace

struct HostSingleInstance::Impl {
    int lock = -1;
    int listener = -1;
    std::thread thread;
    std::mutex mutex;
    std::function<void()> raise;

    Impl() = default;
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;
    ~Impl() {
        if (listener >= 0) {
            close(listener);
        }
        if (lock >= 0) {
            close(lock); // releases the lock
        }
    }

    void serve() {
        while (true) {
            int client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return; // the listener was shut down
            }
            char request[16];
            ssize_t got = read(client, request, sizeof request);
            close(client);
            std::lock_guard<std::mutex> guard(mutex);
            if (got > 0 && raise) {
                raise();
            }
        }
    }
};

std::unique_ptr<HostSingleInstance> HostSingleInstance::claim(const std::filesystem::path& root,
                                                              const std::string& program,
                                                              Claim& claim) {
    claim = Claim::unknown;
    std::string lockPath = (root / ("." + program + ".lock")).string();
    int lock = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock < 0) {
        return nullptr;
    }
    socklen_t length = 0;
    sockaddr_un address = socketAddress(root, program, length);
    if (flock(lock, LOCK_EX | LOCK_NB) != 0) {
        close(lock);
        claim =
            errno == EWOULDBLOCK && askToRaise(address, length) ? Claim::another : Claim::unknown;
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->lock = lock;
    impl->listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (impl->listener < 0 ||
        bind(impl->listener, reinterpret_cast<const sockaddr*>(&address), length) != 0 ||
        listen(impl->listener, 4) != 0) {
        return nullptr; // the lock goes with impl; the run goes on unguarded
    }
    Impl* serving = impl.get();
    impl->thread = std::thread([serving] { serving->serve(); });
    claim = Claim::first;
    return std::unique_ptr<HostSingleInstance>(new HostSingleInstance(std::move(impl)));
}

HostSingleInstance::HostSingleInstance(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

HostSingleInstance::~HostSingleInstance() {
    if (impl_->thread.joinable()) {
        shutdown(impl_->listener, SHUT_RDWR);
        impl_->thread.join();
    }
}

void HostSingleInstance::setRaiseHandler(std::function<void()> raise) {
    std::lock_guard<std::mutex> guard(impl_->mutex);
    impl_->raise = std::move(raise);
}
