// The file manager's writes: atomic replacement and the plain in-place write.
#include "NSFileManagerPrivate.h"

#include <Foundation/NSLog.h>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
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

// The permission bits of the file being replaced, or 0644 for a new file.
mode_t modeToKeep(int folder, const std::string& fileName) {
    struct stat status {};
    if (::fstatat(folder, fileName.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(status.st_mode)) {
        return status.st_mode & 0777;
    }
    return 0644;
}

} // namespace

bool NSFileManager::writeAtomically(std::string_view path, std::string_view contents,
                                    NSFileError* error) const {
    std::optional<std::filesystem::path> target = linkTarget(hostPath(path));
    if (!target) {
        return setFileError(error, "cannot follow the links of", hostPath(path), errno);
    }
    const std::filesystem::path& host = *target;
    std::string fileName = host.filename().string();
    std::string folderPath = host.parent_path().empty() ? "." : host.parent_path().string();
    if (fileName.empty() || fileName == "." || fileName == "..") {
        return setFileError(error, "cannot write " + host.string() + ": not a file name");
    }
    FileDescriptor folder(::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0) {
        return setFileError(error, "cannot open the folder", folderPath, errno);
    }
    // Writers take turns through a lock on the folder, which the kernel releases
    // when a writer dies; the lock holder may therefore remove any temporary it finds.
    while (::flock(folder.get(), LOCK_EX) != 0) {
        if (errno != EINTR) {
            return setFileError(error, "cannot lock the folder", folderPath, errno);
        }
    }
    removeStaleTemporaries(folder.get(), fileName);

    std::string temporaryName;
    FileDescriptor file(createTemporary(folder.get(), fileName, temporaryName));
    if (file.get() < 0) {
        return setFileError(error, "cannot create a temporary file in", folderPath, errno);
    }
    auto fail = [&](const char* what) {
        int code = errno;
        ::unlinkat(folder.get(), temporaryName.c_str(), 0);
        return setFileError(error, what, host.string(), code);
    };
    // The bits of the file replaced (0644 for a new one), whatever the process's umask.
    if (::fchmod(file.get(), modeToKeep(folder.get(), fileName)) != 0 ||
        !writeAll(file.get(), contents)) {
        return fail("cannot write");
    }
    if (durability_.flush(file.get()) != 0 || file.close() != 0) {
        return fail("cannot flush");
    }
    if (durability_.rename(folder.get(), temporaryName.c_str(), folder.get(), fileName.c_str()) !=
        0) {
        return fail("cannot replace");
    }
    // The new file is in place and every reader sees it: the write is done, only its
    // survival of a power loss is in doubt.
    if (durability_.flush(folder.get()) != 0) {
        NSLog("the change to %s is in place, but the folder could not be flushed: %s", host.c_str(),
              std::strerror(errno));
    }
    return true;
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
