#include "NSFileManagerPrivate.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct DeviceRoot {
    std::mutex mutex;
    std::string path;                     // empty until set or first asked for
    std::atomic<unsigned> generation = 0; // advanced by every change of `path`
};

DeviceRoot& deviceRootState() {
    static DeviceRoot* state = new DeviceRoot; // never destroyed: used by static destructors
    return *state;
}

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

bool isAbsolute(const char* path) {
    return path != nullptr && path[0] == '/';
}

// `folder` (absolute) and `rest` (starting with "/") as one path.
std::string joined(std::string folder, const char* rest) {
    while (!folder.empty() && folder.back() == '/') {
        folder.pop_back();
    }
    return folder + rest;
}

// `root` followed by the device path, or a relative path as given.
void appendHostPath(std::string& out, const std::string& root, std::string_view devicePath) {
    if (devicePath.empty() || devicePath.front() != '/') {
        out.append(devicePath);
        return;
    }
    // ".." must not climb out of the root; lexical normalisation keeps "/.." at "/".
    bool plain = devicePath.find("/.") == std::string_view::npos &&
                 devicePath.find("//") == std::string_view::npos;
    if (plain) {
        out.append(root).append(devicePath.size() == 1 ? std::string_view() : devicePath);
        return;
    }
    std::string normal = std::filesystem::path(devicePath).lexically_normal().string();
    out.append(root == "/" ? normal : root + (normal == "/" ? "" : normal));
}

// The host path of a device path, in a buffer of this thread's: the reads of every
// keyboard layout pass name the same file, which is mapped again only when the path
// or the root changed, without a lock or an allocation.
const std::string& threadHostPath(std::string_view devicePath) {
    thread_local unsigned rootGeneration = ~0u;
    thread_local std::string lastDevicePath;
    thread_local std::string path;
    unsigned generation = deviceRootState().generation.load(std::memory_order_acquire);
    if (generation != rootGeneration || devicePath != lastDevicePath) {
        rootGeneration = generation;
        lastDevicePath.assign(devicePath);
        path.clear();
        appendHostPath(path, NSFileManager::deviceRoot(), devicePath);
    }
    return path;
}

const char* fileKind(mode_t mode) {
    switch (mode & S_IFMT) {
    case S_IFDIR:
        return "a folder";
    case S_IFIFO:
        return "a pipe";
    case S_IFCHR:
        return "a character device";
    case S_IFBLK:
        return "a block device";
    case S_IFSOCK:
        return "a socket";
    default:
        return "not a regular file";
    }
}

std::string tooLarge(const std::string& hostPath) {
    return hostPath + " is larger than " + std::to_string(NSFileManager::maximumReadSize / 1024) +
           " KiB";
}

// The bodies of openRegularFileAt and contentsOfOpenFile, kept inside the library so
// that the keyboard's reads on every layout pass call them directly.
int openRegular(int folder, const char* name, const std::string& shownAs, SizeLimit limit,
                NSFileError* error) {
    FileDescriptor fd(::openat(folder, name, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status {};
    if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0) {
        setFileError(error, "cannot open", shownAs, errno);
        return -1;
    }
    if (!S_ISREG(status.st_mode)) {
        setFileError(error, NSFileManager::notRegularFileReason(shownAs, status.st_mode));
        return -1;
    }
    if (limit == SizeLimit::ReadLimit &&
        static_cast<std::uintmax_t>(status.st_size) > NSFileManager::maximumReadSize) {
        setFileError(error, tooLarge(shownAs));
        return -1;
    }
    return fd.release();
}

// One read, asking for one byte more than the limit. Files are replaced by rename and
// never written in place, so the file opened cannot grow, and a read of a regular file
// comes back short only at its end: a second read to see the end would only cost a
// system call on every keyboard layout pass.
std::optional<std::string_view> readOnce(int fd, const std::string& name,
                                         const NSFileManager::ReadBuffer& buffer,
                                         NSFileError* error) {
    ssize_t n = 0;
    do {
        n = ::read(fd, buffer.data(), NSFileManager::maximumReadSize + 1);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        setFileError(error, "cannot read", name, errno);
        return std::nullopt;
    }
    if (static_cast<std::size_t>(n) > NSFileManager::maximumReadSize) {
        setFileError(error, tooLarge(name));
        return std::nullopt;
    }
    return std::string_view(buffer.data(), static_cast<std::size_t>(n));
}

int openRegularFile(const std::string& hostPath, SizeLimit limit, NSFileError* error) {
    return openRegular(AT_FDCWD, hostPath.c_str(), hostPath, limit, error);
}

} // namespace

int openRegularFileAt(int folder, const char* name, const std::string& shownAs, SizeLimit limit,
                      NSFileError* error) {
    return openRegular(folder, name, shownAs, limit, error);
}

NSFileManagerRef NSFileManager::defaultManager() {
    static NSFileManagerRef manager = std::make_shared<NSFileManager>();
    return manager;
}

std::optional<std::string> NSFileManager::defaultDeviceRoot() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (isAbsolute(data)) {
        return joined(data, "/prismkey/device");
    }
    const char* home = std::getenv("HOME");
    if (!isAbsolute(home)) {
        const passwd* entry = ::getpwuid(::getuid());
        home = entry != nullptr ? entry->pw_dir : nullptr;
    }
    if (!isAbsolute(home)) {
        return std::nullopt;
    }
    return joined(home, "/.local/share/prismkey/device");
}

void NSFileManager::setDeviceRoot(const std::string& root) {
    std::error_code ignored;
    std::filesystem::path absolute = std::filesystem::absolute(root, ignored);
    DeviceRoot& state = deviceRootState();
    std::lock_guard lock(state.mutex);
    state.path =
        withoutTrailingSlashes(absolute.empty() ? root : absolute.lexically_normal().string());
    state.generation.fetch_add(1, std::memory_order_release);
}

std::string NSFileManager::deviceRoot() {
    DeviceRoot& state = deviceRootState();
    std::lock_guard lock(state.mutex);
    if (state.path.empty()) {
        state.path = defaultDeviceRoot().value_or(unresolvedDeviceRoot);
    }
    return state.path;
}

std::string NSFileManager::hostPath(std::string_view devicePath) {
    std::string path;
    appendHostPath(path, deviceRoot(), devicePath);
    return path;
}

bool NSFileManager::createStandardDeviceFolders(NSFileError* error) const {
    for (const char* folder :
         {"/var/mobile/Library/Preferences", "/Library/MobileSubstrate/DynamicLibraries"}) {
        if (!createDirectoryAtPath(folder, true, error)) {
            return false;
        }
    }
    return true;
}

bool NSFileManager::fileExistsAtPath(std::string_view path) const {
    return ::access(threadHostPath(path).c_str(), F_OK) == 0;
}

bool NSFileManager::fileExistsAtPath(std::string_view path, bool* isDirectory) const {
    struct stat status {};
    if (::stat(hostPath(path).c_str(), &status) != 0) {
        return false;
    }
    if (isDirectory != nullptr) {
        *isDirectory = S_ISDIR(status.st_mode);
    }
    return true;
}

bool NSFileManager::createDirectoryAtPath(std::string_view path, bool withIntermediateDirectories,
                                          NSFileError* error) const {
    std::string host = hostPath(path);
    std::error_code code;
    if (withIntermediateDirectories) {
        std::filesystem::create_directories(host, code);
    } else {
        std::filesystem::create_directory(host, code);
    }
    if (code) {
        return setFileError(error, "cannot create the folder " + host + ": " + code.message());
    }
    return true;
}

bool NSFileManager::contentsAtPath(std::string_view path, std::string& contents,
                                   NSFileError* error) const {
    thread_local ReadBuffer buffer;
    std::optional<std::string_view> bytes = contentsAtPath(path, buffer, error);
    contents.assign(bytes ? *bytes : std::string_view());
    return bytes.has_value();
}

std::optional<std::string_view> NSFileManager::contentsAtPath(std::string_view path,
                                                              const ReadBuffer& buffer,
                                                              NSFileError* error) const {
    return contentsAtHostPath(threadHostPath(path), buffer, error);
}

std::optional<std::string_view> NSFileManager::contentsAtHostPath(const std::string& hostPath,
                                                                  const ReadBuffer& buffer,
                                                                  NSFileError* error) {
    FileDescriptor fd(openRegularFile(hostPath, SizeLimit::ReadLimit, error));
    if (fd.get() < 0) {
        return std::nullopt;
    }
    return readOnce(fd.get(), hostPath, buffer, error);
}

std::optional<std::string_view> NSFileManager::contentsOfOpenFile(int fd, const std::string& name,
                                                                  const ReadBuffer& buffer,
                                                                  NSFileError* error) {
    return readOnce(fd, name, buffer, error);
}

bool NSFileManager::isRegularFileAtHostPath(const std::string& hostPath, NSFileError* error) {
    return FileDescriptor(openRegularFile(hostPath, SizeLimit::None, error)).get() >= 0;
}

std::string NSFileManager::notRegularFileReason(const std::string& name, unsigned mode) {
    return name + " is " + fileKind(static_cast<mode_t>(mode)) + ", not a regular file";
}
