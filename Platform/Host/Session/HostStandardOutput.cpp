#include <Host/Session/HostStandardOutput.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

bool HostWriteStandardOutput(const std::string& text, std::string& problem) {
    errno = 0;
    bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
    written = std::fflush(stdout) == 0 && written;
    if (!written) {
        problem = std::strerror(errno != 0 ? errno : EIO);
    }
    return written;
}
