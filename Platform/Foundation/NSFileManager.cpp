#include <Foundation/NSFileManager.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <pwd.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct DeviceRoot {
    std::mutex mutex;
    std::string path; // empty until set or first asked for
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

bool setError(NSFileError* error, const std::string& what, const std::string& path, int code) {
    if (error != nullptr) {
        error->description = what + " " + path + ": " + std::strerror(code);
    }
    return false;
}

bool setError(NSFileError* error, std::string description) {
    if (error != nullptr) {
        error->description = std::move(description);
    }
    return false;
}

// Closes a descriptor when the scope ends, whichever way it ends.
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

int createTemporary(int folder, const std::string& fileName, std::string& temporaryName) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        temporaryName = temporaryPrefix(fileName) + randomSuffix();
        int fd =
            ::openat(folder, temporaryName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

} // namespace

NSFileManagerRef NSFileManager::defaultManager() {
    static NSFileManagerRef manager = std::make_shared<NSFileManager>();
    return manager;
}

std::string NSFileManager::defaultDeviceRoot() {
    const char* data = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (data != nullptr && data[0] == '/') {
        base = data;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] == '\0') {
            const passwd* entry = ::getpwuid(::getuid());
            home = entry != nullptr ? entry->pw_dir : "/tmp";
        }
        base = std::string(home) + "/.local/share";
    }
    return withoutTrailingSlashes(base) + "/prismkey/device";
}

void NSFileManager::setDeviceRoot(std::string root) {
    std::error_code ignored;
    std::filesystem::path absolute = std::filesystem::absolute(root, ignored);
    DeviceRoot& state = deviceRootState();
    std::lock_guard lock(state.mutex);
    state.path =
        withoutTrailingSlashes(absolute.empty() ? root : absolute.lexically_normal().string());
}

std::string NSFileManager::deviceRoot() {
    DeviceRoot& state = deviceRootState();
    std::lock_guard lock(state.mutex);
    if (state.path.empty()) {
        state.path = defaultDeviceRoot();
    }
    return state.path;
}

std::string NSFileManager::hostPath(std::string_view devicePath) {
    if (devicePath.empty() || devicePath.front() != '/') {
        return std::string(devicePath);
    }
    std::string root = deviceRoot();
    // ".." must not climb out of the root; lexical normalisation keeps "/.." at "/".
    bool plain = devicePath.find("/.") == std::string_view::npos &&
                 devicePath.find("//") == std::string_view::npos;
    if (plain) {
        return devicePath.size() == 1 ? root : root.append(devicePath);
    }
    std::string normal = std::filesystem::path(devicePath).lexically_normal().string();
    return root == "/" ? normal : root.append(normal == "/" ? "" : normal);
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
    return ::access(hostPath(path).c_str(), F_OK) == 0;
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
        return setError(error, "cannot create the folder " + host + ": " + code.message());
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
    std::string host = hostPath(path);
    // Non-blocking, so that a pipe put in the file's place reads as empty instead of
    // waiting forever for a writer.
    FileDescriptor fd(::open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) {
        setError(error, "cannot open", host, errno);
        return std::nullopt;
    }
    // One read, asking for one byte more than the limit. Files are replaced by
    // rename and never written in place, so the file opened cannot grow, and a read
    // of a regular file comes back short only at its end: a second read to see the
    // end would only cost a system call on every keyboard layout pass.
    ssize_t n;
    do {
        n = ::read(fd.get(), buffer.data(), maximumReadSize + 1);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        setError(error, "cannot read", host, errno);
        return std::nullopt;
    }
    if (static_cast<std::size_t>(n) > maximumReadSize) {
        setError(error, host + " is larger than 64 KiB");
        return std::nullopt;
    }
    return std::string_view(buffer.data(), static_cast<std::size_t>(n));
}

bool NSFileManager::writeAtomically(std::string_view path, std::string_view contents,
                                    NSFileError* error) const {
    std::filesystem::path host = hostPath(path);
    std::string fileName = host.filename().string();
    std::string folderPath = host.parent_path().empty() ? "." : host.parent_path().string();
    if (fileName.empty() || fileName == "." || fileName == "..") {
        return setError(error, "cannot write " + host.string() + ": not a file name");
    }
    FileDescriptor folder(::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0) {
        return setError(error, "cannot open the folder", folderPath, errno);
    }
    // Writers take turns through a lock on the folder, which the kernel releases
    // when a writer dies; the lock holder may therefore remove any temporary it finds.
    while (::flock(folder.get(), LOCK_EX) != 0) {
        if (errno != EINTR) {
            return setError(error, "cannot lock the folder", folderPath, errno);
        }
    }
    removeStaleTemporaries(folder.get(), fileName);

    std::string temporaryName;
    FileDescriptor file(createTemporary(folder.get(), fileName, temporaryName));
    if (file.get() < 0) {
        return setError(error, "cannot create a temporary file in", folderPath, errno);
    }
    auto fail = [&](const char* what) {
        int code = errno;
        ::unlinkat(folder.get(), temporaryName.c_str(), 0);
        return setError(error, what, host.string(), code);
    };
    // Exactly 0644, whatever the process's umask.
    if (::fchmod(file.get(), 0644) != 0 || !writeAll(file.get(), contents)) {
        return fail("cannot write");
    }
    if (::fsync(file.get()) != 0 || file.close() != 0) {
        return fail("cannot flush");
    }
    if (::renameat(folder.get(), temporaryName.c_str(), folder.get(), fileName.c_str()) != 0) {
        return fail("cannot replace");
    }
    if (::fsync(folder.get()) != 0) {
        return setError(error, "cannot flush the folder", folderPath, errno);
    }
    return true;
}

bool NSFileManager::writeInPlace(std::string_view path, std::string_view contents,
                                 NSFileError* error) const {
    std::string host = hostPath(path);
    FileDescriptor file(::open(host.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (file.get() < 0) {
        return setError(error, "cannot open", host, errno);
    }
    if (!writeAll(file.get(), contents) || file.close() != 0) {
        return setError(error, "cannot write", host, errno);
    }
    return true;
}
