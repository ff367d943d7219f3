// The file manager's writes: atomic replacement and the plain in-place write.
#include "NSFileManagerPrivate.h"
#include "NSFileManagerSignalDeferral.h"

#include <Foundation/NSLog.h>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool writeAll(int fd, std::string_view contents) {
    while (!contents.empty()) {
        ssize_t n = ::write(fd, contents.data(), contents.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = EIO;
            }
            return false;
        }
        contents.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string temporaryPrefix(const std::string& fileName) {
    return "." + fileName + ".tmp-";
}

std::string randomSuffix() {
    static constexpr char alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char bytes[8] = {};
    if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
        // No entropy yet: the exclusive create still keeps names unique.
        static unsigned counter = 0;
        unsigned seed = static_cast<unsigned>(getpid()) * 2654435761u + ++counter;
        std::memcpy(bytes, &seed, sizeof seed);
    }
    std::string suffix;
    for (unsigned char b : bytes) {
        suffix += alphabet[b % (sizeof alphabet - 1)];
    }
    return suffix;
}

// Called with the folder lock held: no other writer has a temporary in progress, so
// every temporary of this file is a leftover of a writer that died.
void removeStaleTemporaries(int folder, const std::string& fileName) {
    int fd = ::dup(folder);
    if (fd < 0) {
        return;
    }
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        return;
    }
    const std::string prefix = temporaryPrefix(fileName);
    while (dirent* entry = ::readdir(dir)) {
        if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) == 0) {
            ::unlinkat(folder, entry->d_name, 0);
        }
    }
    ::closedir(dir);
}

// Owner-only until its bits are set, so that a private file's contents are never
// readable by others on their way in.
int createTemporary(int folder, const std::string& fileName, std::string& temporaryName) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        temporaryName = temporaryPrefix(fileName) + randomSuffix();
        int fd =
            ::openat(folder, temporaryName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// The file a write replaces: `host`, or when that is a symbolic link the file it
// names (links followed in turn), so that the link stays and the file it names
// changes. Nothing, with errno set, for a loop of links.
std::optional<std::filesystem::path> linkTarget(std::filesystem::path host) {
    for (int links = 0; links < 40; ++links) {
        std::error_code code;
        std::filesystem::path next = std::filesystem::read_symlink(host, code);
        if (code) {
            return host; // not a link, or nothing there: written as named
        }
        host = next.is_absolute() ? next : host.parent_path() / next;
    }
    errno = ELOOP;
    return std::nullopt;
}

// The file being replaced, when there is one: the new file takes its permission bits
// and, where the process may set them, its owner and group, so that a write by another
// user (root, say) leaves it as its owner's to read.
std::optional<struct stat> replacedFile(int folder, const std::string& fileName) {
    struct stat status {};
    if (::fstatat(folder, fileName.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(status.st_mode)) {
        return status;
    }
    return std::nullopt;
}

// Owner and group, or the group alone when the owner cannot be given away; what the
// process may not set stays its own.
bool keepOwner(int fd, const struct stat& replaced) {
    if (::fchown(fd, replaced.st_uid, replaced.st_gid) == 0 ||
        (errno == EPERM && ::fchown(fd, static_cast<uid_t>(-1), replaced.st_gid) == 0)) {
        return true;
    }
    return errno == EPERM || errno == EINVAL; // EINVAL: an owner this namespace cannot map
}

// One hold of the writers' lock on the file's folder. Writers take turns through a
// lock on the folder, which the kernel releases when a writer dies; the holder may
// therefore remove any temporary it finds.
class WriterTurn {
  public:
    bool take(const std::string& devicePath, NSFileError* error) {
        std::optional<std::filesystem::path> target =
            linkTarget(NSFileManager::hostPath(devicePath));
        if (!target) {
            return setFileError(error, "cannot follow the links of",
                                NSFileManager::hostPath(devicePath), errno);
        }
        host_ = *target;
        fileName_ = host_.filename().string();
        folderPath_ = host_.parent_path().empty() ? "." : host_.parent_path().string();
        if (fileName_.empty() || fileName_ == "." || fileName_ == "..") {
            return setFileError(error, "cannot write " + host_.string() + ": not a file name");
        }
        folder_ = ::open(folderPath_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder_ < 0) {
            return setFileError(error, "cannot open the folder", folderPath_, errno);
        }
        while (::flock(folder_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                return setFileError(error, "cannot lock the folder", folderPath_, errno);
            }
        }
        removeStaleTemporaries(folder_, fileName_);
        return true;
    }
    ~WriterTurn() {
        if (folder_ >= 0) {
            ::close(folder_); // and with it the lock
        }
    }

    // The file as it is now, read as every reader reads it.
    std::optional<std::string_view> contents(const NSFileManager::ReadBuffer& buffer,
                                             NSFileError& error) const {
        FileDescriptor file(openRegularFileAt(folder_, fileName_.c_str(), host_.string(),
                                              SizeLimit::ReadLimit, &error));
        if (file.get() < 0) {
            return std::nullopt;
        }
        return NSFileManager::contentsOfOpenFile(file.get(), host_.string(), buffer, &error);
    }

    bool replace(std::string_view contents, const NSFileDurabilityCalls& durability,
                 NSFileError* error) const;

  private:
    std::filesystem::path host_;
    std::string fileName_;
    std::string folderPath_;
    int folder_ = -1;
};

bool WriterTurn::replace(std::string_view contents, const NSFileDurabilityCalls& durability,
                         NSFileError* error) const {
    // A signal to end the program waits until the temporary is renamed or removed.
    NSFileManagerSignalDeferral deferral;
    std::string temporaryName;
    FileDescriptor file(createTemporary(folder_, fileName_, temporaryName));
    if (file.get() < 0) {
        return setFileError(error, "cannot create a temporary file in", folderPath_, errno);
    }
    auto fail = [&](const char* what) {
        int code = errno;
        ::unlinkat(folder_, temporaryName.c_str(), 0);
        return setFileError(error, what, host_.string(), code);
    };
    // The bits of the file replaced (0644 for a new one), whatever the process's umask;
    // set after the owner, whose change may clear some of them.
    std::optional<struct stat> replaced = replacedFile(folder_, fileName_);
    if ((replaced && !keepOwner(file.get(), *replaced)) ||
        ::fchmod(file.get(), replaced ? replaced->st_mode & 0777 : 0644) != 0 ||
        !writeAll(file.get(), contents)) {
        return fail("cannot write");
    }
    if (durability.flush(file.get()) != 0 || file.close() != 0) {
        return fail("cannot flush");
    }
    if (durability.rename(folder_, temporaryName.c_str(), folder_, fileName_.c_str()) != 0) {
        return fail("cannot replace");
    }
    // The new file is in place and every reader sees it: the write is done, only its
    // survival of a power loss is in doubt.
    if (durability.flush(folder_) != 0) {
        NSLog("the change to %s is in place, but the folder could not be flushed: %s",
              host_.c_str(), std::strerror(errno));
    }
    return true;
}

} // namespace

bool NSFileManager::writeAtomically(std::string_view path, std::string_view contents,
                                    NSFileError* error) const {
    WriterTurn turn;
    return turn.take(std::string(path), error) && turn.replace(contents, durability_, error);
}

bool NSFileManager::updateAtomically(std::string_view path, const Change& change,
                                     NSFileError* error) const {
    WriterTurn turn;
    if (!turn.take(std::string(path), error)) {
        return false;
    }
    thread_local ReadBuffer buffer;
    NSFileError readError;
    std::optional<std::string> changed = change(turn.contents(buffer, readError), readError);
    return !changed || turn.replace(*changed, durability_, error);
}

bool NSFileManager::writeInPlace(std::string_view path, std::string_view contents,
                                 NSFileError* error) const {
    std::string host = hostPath(path);
    FileDescriptor file(::open(host.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (file.get() < 0) {
        return setFileError(error, "cannot open", host, errno);
    }
    if (!writeAll(file.get(), contents) || file.close() != 0) {
        return setFileError(error, "cannot write", host, errno);
    }
    return true;
}
