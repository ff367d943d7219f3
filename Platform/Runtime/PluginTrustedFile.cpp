#include <PluginTrustedFile.h>
#include <PluginTrustedWay.h>

#include <Foundation/NSFileManager.h>
#include <Foundation/NSString.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

std::string kindProblem(const std::string& path, const struct stat& status,
                        PluginTrustedFile::Kind kind) {
    if (kind == PluginTrustedFile::Kind::Folder) {
        return S_ISDIR(status.st_mode) ? std::string() : ns_quotedText(path) + " is not a folder";
    }
    if (S_ISREG(status.st_mode)) {
        return {};
    }
    return NSFileManager::notRegularFileReason(ns_quotedText(path), status.st_mode);
}

} // namespace

PluginTrustedFile PluginTrustedFile::open(const std::string& path, Kind kind, std::string& problem,
                                          bool* missing) {
    PluginTrustedWay way(path);
    bool absent = false;
    bool walked = way.walk(problem, absent);
    if (missing != nullptr) {
        *missing = absent;
    }
    if (!walked) {
        return {};
    }
    const struct stat& status = way.status();
    problem = kindProblem(path, status, kind);
    if (problem.empty()) {
        std::string reason = PluginOwnerProblem(status);
        reason = reason.empty() ? PluginWritersProblem(status) : reason;
        problem = reason.empty() ? std::string() : way.problemOfEnd(reason);
    }
    if (!problem.empty()) {
        return {};
    }
    // Only now is it opened for reading: a device is never opened at all.
    PluginTrustedFile file(way.reopen(O_RDONLY | O_NONBLOCK), 0);
    if (!file.isOpen()) {
        problem = "cannot open " + ns_quotedText(path) + ": " + std::strerror(errno);
        return {};
    }
    file.size_ = static_cast<std::uint64_t>(status.st_size);
    return file;
}

int PluginTrustedFile::release() {
    return std::exchange(fd_, -1);
}

PluginTrustedFile::PluginTrustedFile(PluginTrustedFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), size_(other.size_) {}

PluginTrustedFile& PluginTrustedFile::operator=(PluginTrustedFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = std::exchange(other.fd_, -1);
        size_ = other.size_;
    }
    return *this;
}

PluginTrustedFile::~PluginTrustedFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}
