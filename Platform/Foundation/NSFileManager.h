// The file manager and the device root. Every absolute device path
// ("/var/mobile/...", "/Library/...") names a file under the device root, a folder of
// the host that plays the device's file system; relative paths are left as given.
#pragma once

#include <Foundation/NSObject.h>
#include <Foundation/PropertyListBudget.h>

#include <cstddef>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>

class NSFileManager;
using NSFileManagerRef = std::shared_ptr<NSFileManager>;

// Why a file operation failed, in words for the log or the user.
struct NSFileError {
    std::string description;
    int code = 0; // the system's error number when a system call failed, else 0
};

// The calls that make an atomic write durable and put it in place. A test may replace
// them to watch their order or to make one fail.
struct NSFileDurabilityCalls {
    int (*flush)(int fd) = ::fsync;
    int (*rename)(int fromFolder, const char* from, int toFolder, const char* to) = ::renameat;
};

class NSFileManager : public NSObject {
  public:
    // Property-list files are small; anything larger is treated as unreadable so that
    // a huge or endless file cannot stall a keyboard layout pass.
    static constexpr std::size_t maximumReadSize = PropertyListBudget::maximumBytes;

    static NSFileManagerRef defaultManager();

    // `$XDG_DATA_HOME/prismkey/device`, else `$HOME/.local/share/prismkey/device`, else
    // the same under the home the password database gives the user; a variable counts
    // only when it holds an absolute path (a relative one would be resolved against
    // whatever folder the program starts in). None when there is no such home: never a
    // folder every user shares, such as /tmp, where another could have made the way
    // to the root first.
    static std::optional<std::string> defaultDeviceRoot();
    // The root of every process-wide device path; programs set it from `--root`.
    static void setDeviceRoot(const std::string& root);
    // The root set, else the default; with neither, `unresolvedDeviceRoot`.
    static std::string deviceRoot();
    // Where device paths lead when no root was set and there is no default: Debian's
    // name for a home that must not exist, so that nothing is read there and nothing
    // written (writes need their folder to exist, and only a program's start, which
    // refuses to go on without a root, creates folders).
    static constexpr const char* unresolvedDeviceRoot = "/nonexistent/prismkey/device";
    // The host path for a device path.
    static std::string hostPath(std::string_view devicePath);

    // Creates the folders the device always has (the preferences folder and the
    // plug-in folder) under the device root.
    bool createStandardDeviceFolders(NSFileError* error = nullptr) const;

    bool fileExistsAtPath(std::string_view path) const;
    bool fileExistsAtPath(std::string_view path, bool* isDirectory) const;
    bool createDirectoryAtPath(std::string_view path, bool withIntermediateDirectories,
                               NSFileError* error = nullptr) const;

    // The whole file, at most `maximumReadSize` bytes; false (and nothing in
    // `contents`) when it is missing, not a regular file or larger. A pipe, a device
    // or a folder is opened without waiting and refused, with its kind in `error`.
    bool contentsAtPath(std::string_view path, std::string& contents,
                        NSFileError* error = nullptr) const;

    // Room for the largest file a reader takes, plus one byte to tell a larger one.
    class ReadBuffer {
      public:
        ReadBuffer() : bytes_(std::make_unique_for_overwrite<char[]>(maximumReadSize + 1)) {}
        char* data() const { return bytes_.get(); }

      private:
        std::unique_ptr<char[]> bytes_;
    };
    // As above, into `buffer`, with one read; the view is valid until the buffer is
    // used again.
    std::optional<std::string_view> contentsAtPath(std::string_view path, const ReadBuffer& buffer,
                                                   NSFileError* error = nullptr) const;
    // As above, for a path of the host (a plug-in's filter) rather than of the device.
    static std::optional<std::string_view> contentsAtHostPath(const std::string& hostPath,
                                                              const ReadBuffer& buffer,
                                                              NSFileError* error = nullptr);
    // As above, from a regular file its caller opened and checked (so that what is
    // read is what was checked); `name` is the file as messages name it.
    static std::optional<std::string_view> contentsOfOpenFile(int fd, const std::string& name,
                                                              const ReadBuffer& buffer,
                                                              NSFileError* error = nullptr);
    // Whether the host path names a regular file of any size, checked as reads check
    // it (opened without waiting); false with the reason in `error` otherwise.
    static bool isRegularFileAtHostPath(const std::string& hostPath, NSFileError* error = nullptr);
    // "<name> is a pipe, not a regular file": why a file of `mode` is not read, as
    // every reader words it.
    static std::string notRegularFileReason(const std::string& name, unsigned mode);

    // Atomically: a temporary created exclusively in the same folder is written, flushed
    // to disk and renamed over the target, then the folder is flushed. The new file
    // takes the permission bits of the file it replaces, 0644 when there is none, and
    // its owner and group where the process may set them. A
    // symbolic link stays: the file it names is replaced, in that file's folder.
    // Writers of one folder take turns; temporaries that a killed writer left behind
    // are removed by the next write, and a failed write leaves none; a program asked to
    // end (SIGTERM, SIGINT, SIGHUP) while the temporary exists ends once it is renamed
    // or removed, as the signal means (see NSFileManagerSignalDeferral). Once the rename
    // is done every reader sees the new file, so a failed folder flush after it is
    // logged and the write reported as done.
    bool writeAtomically(std::string_view path, std::string_view contents,
                         NSFileError* error = nullptr) const;
    // Gives the file's contents as they are now (nothing, with the reason, when it
    // cannot be read as a reader reads it: missing, not a regular file, too large) and
    // writes what it returns as writeAtomically does, or nothing when it returns nothing,
    // all within one hold of the writers' lock: no other writer, in this process or
    // another, writes between the read and the write, so no change is lost. False with
    // the reason when the lock could not be taken or the write failed.
    using Change = std::function<std::optional<std::string>(
        std::optional<std::string_view> contents, const NSFileError& readError)>;
    bool updateAtomically(std::string_view path, const Change& change,
                          NSFileError* error = nullptr) const;
    // In place, as the platform's non-atomic write does.
    bool writeInPlace(std::string_view path, std::string_view contents,
                      NSFileError* error = nullptr) const;

    void setDurabilityCalls(const NSFileDurabilityCalls& calls) { durability_ = calls; }

  private:
    NSFileDurabilityCalls durability_;
};
