// What the file manager's reading and writing halves share.
#pragma once

#include <Foundation/NSFileManager.h>

#include <cstring>
#include <string>
#include <unistd.h>

// A file descriptor closed when its owner goes, whichever way the scope is left.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    // Hands the descriptor to the caller, who closes it.
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    // Closes now and reports the result, which for a written file can be the first
    // sign of a failed write.
    int close() {
        int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

  private:
    int fd_;
};

inline bool setFileError(NSFileError* error, std::string description) {
    if (error != nullptr) {
        error->description = std::move(description);
    }
    return false;
}

// "<what> <path>: <the system's reason>".
inline bool setFileError(NSFileError* error, const std::string& what, const std::string& path,
                         int code) {
    setFileError(error, what + " " + path + ": " + std::strerror(code));
    if (error != nullptr) {
        error->code = code;
    }
    return false;
}

enum class SizeLimit { ReadLimit, None };

// `name` in `folder` (AT_FDCWD for a path of its own) opened for reading as every
// reader opens a file: without waiting, so that a pipe in its place cannot hold the
// reader, then refused unless it is a regular file (no larger than a reader takes,
// when asked). -1 with the reason, naming `shownAs`, otherwise.
int openRegularFileAt(int folder, const char* name, const std::string& shownAs, SizeLimit limit,
                      NSFileError* error);
