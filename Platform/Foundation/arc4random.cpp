#include <Foundation/arc4random.h>

#include <sys/random.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Only for kernels without getrandom (before 3.17).
bool readDeviceRandom(void* buffer, std::size_t size) {
    int fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        ssize_t got = ::read(fd, bytes + done, size - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    ::close(fd);
    return done == size;
}

} // namespace

extern "C" std::uint32_t arc4random(void) noexcept {
    std::uint32_t value = 0;
    for (;;) {
        ssize_t got = ::getrandom(&value, sizeof value, 0);
        if (got == static_cast<ssize_t>(sizeof value)) {
            return value;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0 && errno == ENOSYS && readDeviceRandom(&value, sizeof value)) {
            return value;
        }
        if (got < 0) {
            // The platform's arc4random cannot fail; a constant would pass for random.
            std::perror("arc4random");
            std::abort();
        }
    }
}
