#include <Host/Start/HostSingleInstance.h>

#include <Foundation/NSFileManager.h>
#include <Host/HostPendingAnswer.h>
#include <Host/Session/HostQuotedInput.h>

#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

// "raise\n", or "raise TOKEN\n" with the desktop's activation token; the answer says
// whether the window came to the front.
constexpr char request[] = "raise";
constexpr char raisedAnswer[] = "raised\n";
constexpr char behindAnswer[] = "behind\n";
constexpr std::size_t requestLimit = sizeof request + 1 + HostSingleInstance::tokenLimit + 1;
// A client that connects and says nothing holds the first window's listener no longer.
constexpr int requestLimitMs = 500;

sockaddr_un socketAddress(const std::string& name, socklen_t& length) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::size_t size = std::min(name.size(), sizeof address.sun_path - 2);
    std::memcpy(address.sun_path + 1, name.data(), size); // abstract: a leading NUL
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + size);
    return address;
}

// The abstract namespace is everybody's: only a peer of this user (or root) is heard.
bool peerIsTrusted(int fd) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           (peer.uid == geteuid() || peer.uid == 0);
}

// Why the lock opened as `fd` is not one to hold: anything but a regular file of this
// user's (a pipe another put there, or a file of another's that they could hold or
// remove to let a second window in). Empty when it is.
std::string lockProblem(int fd) {
    struct stat status {};
    if (fstat(fd, &status) != 0) {
        return std::strerror(errno);
    }
    if (!S_ISREG(status.st_mode)) {
        return NSFileManager::notRegularFileReason("it", status.st_mode) + " (remove it to start)";
    }
    if (status.st_uid != geteuid()) {
        return "it is owned by user " + std::to_string(status.st_uid) + ", not by user " +
               std::to_string(geteuid()) + " (remove it to start)";
    }
    return {};
}

// The lock file, never through a link (a link at its name could make the open create
// a file anywhere); -1 with the reason in `problem` when it is not one to hold.
int openLock(const std::filesystem::path& path, std::string& problem) {
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0 && (errno == ELOOP || errno == EISDIR)) {
        problem = std::string(errno == ELOOP ? "it is a symbolic link, not a regular file"
                                             : "it is a folder, not a regular file") +
                  " (remove it to start)";
        return -1;
    }
    if (fd < 0) {
        problem = std::strerror(errno);
        return -1;
    }
    problem = lockProblem(fd);
    if (!problem.empty()) {
        close(fd);
        return -1;
    }
    return fd;
}

// A token as it can travel on one line: printable, no spaces, not too long.
std::string sendableToken(const std::string& token) {
    bool printable =
        std::all_of(token.begin(), token.end(), [](char c) { return c > ' ' && c < 0x7f; });
    return printable && token.size() <= HostSingleInstance::tokenLimit ? token : std::string();
}

// Reads one line of at most `limit` bytes from `fd` until `deadline` (or `wake`);
// empty when none came.
std::string readLine(int fd, std::size_t limit, Clock::time_point deadline, int wake = -1) {
    std::string line;
    char chunk[64];
    while (line.size() <= limit && HostReadableBy(fd, deadline, wake)) {
        ssize_t got = recv(fd, chunk, sizeof chunk, 0);
        if (got <= 0) {
            return {};
        }
        line.append(chunk, static_cast<std::size_t>(got));
        if (std::size_t end = line.find('\n'); end != std::string::npos) {
            return end == line.size() - 1 ? line : std::string(); // one line, nothing after
        }
    }
    return {};
}

HostSingleInstance::Claim claimFromAnswer(const std::string& answer) {
    if (answer == raisedAnswer) {
        return HostSingleInstance::Claim::another;
    }
    return answer == behindAnswer ? HostSingleInstance::Claim::behind
                                  : HostSingleInstance::Claim::silent;
}

// One try at the first window: false when nobody listens yet (it may be starting).
bool tryToAsk(const sockaddr_un& address, socklen_t length, const std::string& token,
              Clock::time_point deadline, HostSingleInstance::Claim& claim) {
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return false;
    }
    // Non-blocking: a full backlog (a stopped first window) answers EAGAIN at once.
    bool connected = connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0;
    if (connected) {
        std::string line = std::string(request) + (token.empty() ? "" : " " + token) + "\n";
        claim = HostSingleInstance::Claim::silent;
        if (peerIsTrusted(fd) &&
            send(fd, line.data(), line.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(line.size())) {
            claim = claimFromAnswer(readLine(fd, sizeof behindAnswer, deadline));
        }
    }
    close(fd);
    return connected;
}

HostSingleInstance::Claim askToRaise(const sockaddr_un& address, socklen_t length,
                                     const std::string& token) {
    Clock::time_point deadline = Clock::now() + HostSingleInstance::answerLimit;
    HostSingleInstance::Claim claim = HostSingleInstance::Claim::silent;
    while (!tryToAsk(address, length, token, deadline, claim) && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return claim;
}

} // namespace

struct HostSingleInstance::Impl {
    int lock = -1;
    int listener = -1;
    // Called off to stop the listening thread; its descriptor wakes the thread's waits.
    HostPendingAnswer<bool> stop{false};
    std::thread thread;
    std::mutex mutex;
    RaiseHandler raise;

    Impl() = default;
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;
    ~Impl() {
        for (int fd : {listener, lock}) { // the lock goes last
            if (fd >= 0) {
                close(fd);
            }
        }
    }

    bool listen(const sockaddr_un& address, socklen_t length);
    void serve();
    void answerClient(int client);
};

bool HostSingleInstance::Impl::listen(const sockaddr_un& address, socklen_t length) {
    listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    return stop.callOffDescriptor() >= 0 && listener >= 0 &&
           bind(listener, reinterpret_cast<const sockaddr*>(&address), length) == 0 &&
           ::listen(listener, 8) == 0;
}

void HostSingleInstance::Impl::serve() {
    while (true) {
        pollfd fds[2] = {{listener, POLLIN, 0}, {stop.callOffDescriptor(), POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 && errno != EINTR) {
            return;
        }
        if (fds[1].revents != 0) {
            return; // stopping
        }
        int client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client >= 0) {
            answerClient(client);
            close(client);
        }
    }
}

void HostSingleInstance::Impl::answerClient(int client) {
    if (!peerIsTrusted(client)) {
        return;
    }
    // A client that says nothing, or too much, is dropped; a stop cuts the wait short.
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(requestLimitMs);
    std::string line = readLine(client, requestLimit, deadline, stop.callOffDescriptor());
    if (line.empty()) {
        return;
    }
    line.pop_back(); // the newline
    std::string token;
    if (line.starts_with(std::string(request) + " ")) {
        token = sendableToken(line.substr(sizeof request));
    } else if (line != request) {
        return;
    }
    bool raised = true; // a window still opening comes up in front of its own accord
    {
        std::lock_guard<std::mutex> guard(mutex);
        if (raise) {
            raised = raise(token);
        }
    }
    const char* answer = raised ? raisedAnswer : behindAnswer;
    send(client, answer, std::strlen(answer), MSG_NOSIGNAL);
}

std::string HostSingleInstance::socketName(const std::filesystem::path& root,
                                           const std::string& program) {
    std::error_code error;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(root, error);
    std::size_t hash = std::hash<std::string>{}((error ? root : canonical).string());
    return "prismkey-" + program + "-" + std::to_string(hash);
}

std::unique_ptr<HostSingleInstance>
HostSingleInstance::claim(const std::filesystem::path& root, const std::string& program,
                          Claim& claim, const std::string& activationToken, std::string* refusal) {
    claim = Claim::refused;
    const std::filesystem::path lockPath = root / ("." + program + ".lock");
    std::string problem;
    int lock = openLock(lockPath, problem);
    bool taken = lock >= 0 && flock(lock, LOCK_EX | LOCK_NB) == 0;
    if (lock >= 0 && !taken && errno != EWOULDBLOCK) {
        problem = std::strerror(errno);
    }
    if (!problem.empty()) {
        if (lock >= 0) {
            close(lock);
        }
        if (refusal != nullptr) {
            *refusal = "cannot hold this device root's lock " + HostQuotedInput(lockPath.string()) +
                       ": " + problem;
        }
        return nullptr;
    }
    socklen_t length = 0;
    sockaddr_un address = socketAddress(socketName(root, program), length);
    if (!taken) {
        close(lock);
        claim = askToRaise(address, length, sendableToken(activationToken));
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->lock = lock;
    claim = Claim::first;
    // Without the socket (its name taken), the lock still keeps a second window out.
    if (impl->listen(address, length)) {
        Impl* serving = impl.get();
        impl->thread = std::thread([serving] { serving->serve(); });
    }
    return std::unique_ptr<HostSingleInstance>(new HostSingleInstance(std::move(impl)));
}

HostSingleInstance::HostSingleInstance(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

HostSingleInstance::~HostSingleInstance() {
    if (impl_->thread.joinable()) {
        impl_->stop.callOff(); // every wait of the thread's ends at once
        impl_->thread.join();
    }
}

void HostSingleInstance::setRaiseHandler(RaiseHandler raise) {
    std::lock_guard<std::mutex> guard(impl_->mutex);
    impl_->raise = std::move(raise);
}
