#include <PluginTrustedFile.h>

#include <Foundation/NSFileManager.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// Why a file so owned and so writable cannot be trusted; empty when it can.
std::string untrustedReason(const struct stat& status) {
    const uid_t user = ::geteuid();
    if (status.st_uid != 0 && status.st_uid != user) {
        return " is owned by user " + std::to_string(status.st_uid) + ", not by root or by user " +
               std::to_string(user);
    }
    if ((status.st_mode & S_IWOTH) != 0) {
        return " is writable by everyone";
    }
    if ((status.st_mode & S_IWGRP) != 0) {
        return " is writable by its group";
    }
    return {};
}

// Whoever may write the folder holding a link's target may replace the target.
std::string linkTargetProblem(const std::string& path) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
        return {};
    }
    std::unique_ptr<char, decltype(&std::free)> target(::realpath(path.c_str(), nullptr),
                                                       &std::free);
    if (!target) {
        return path + " links to a file that cannot be resolved";
    }
    std::string folder = std::filesystem::path(target.get()).parent_path().string();
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0) {
        return "cannot check " + folder + ": " + std::strerror(errno);
    }
    std::string reason = untrustedReason(status);
    return reason.empty() ? std::string() : path + " links into " + folder + ", which" + reason;
}

std::string kindProblem(const std::string& path, const struct stat& status,
                        PluginTrustedFile::Kind kind) {
    if (kind == PluginTrustedFile::Kind::Folder) {
        return S_ISDIR(status.st_mode) ? std::string() : path + " is not a folder";
    }
    if (S_ISREG(status.st_mode)) {
        return {};
    }
    // Worded as every reader of the platform words it.
    NSFileError error;
    NSFileManager::isRegularFileAtHostPath(path, &error);
    return error.description.empty() ? path + " is not a regular file" : error.description;
}

} // namespace

PluginTrustedFile PluginTrustedFile::open(const std::string& path, Kind kind, std::string& problem,
                                          bool* missing) {
    PluginTrustedFile file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK), 0);
    if (missing != nullptr) {
        *missing = !file.isOpen() && errno == ENOENT;
    }
    struct stat status {};
    if (!file.isOpen() || ::fstat(file.fd(), &status) != 0) {
        problem = "cannot open " + path + ": " + std::strerror(errno);
        return {};
    }
    problem = kindProblem(path, status, kind);
    if (problem.empty()) {
        std::string reason = untrustedReason(status);
        problem = reason.empty() ? linkTargetProblem(path) : path + reason;
    }
    if (!problem.empty()) {
        return {};
    }
    file.size_ = static_cast<std::uint64_t>(status.st_size);
    return file;
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
