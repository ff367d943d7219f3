// A file the loader may use: one that nobody but root and the user running the process
// could have written or put in its place. The plug-in folder, each library and each
// filter must be owned by root or by the effective user and carry no group or world
// write bit, and so must every folder on the way to it, along every link (see
// PluginTrustedWay). The file is opened once, and what is read or mapped is read
// through that descriptor.
#pragma once

#include <cstdint>
#include <string>

class PluginTrustedFile {
  public:
    enum class Kind { Folder, RegularFile };

    // `path` (absolute) walked, opened without waiting (a pipe cannot hold the loader)
    // and checked; not open, with the reason naming `path` (quoted) in `problem`, when
    // it is missing (`missing` set), of another kind, or untrusted.
    static PluginTrustedFile open(const std::string& path, Kind kind, std::string& problem,
                                  bool* missing = nullptr);

    PluginTrustedFile() = default;
    PluginTrustedFile(PluginTrustedFile&& other) noexcept;
    PluginTrustedFile& operator=(PluginTrustedFile&& other) noexcept;
    PluginTrustedFile(const PluginTrustedFile&) = delete;
    PluginTrustedFile& operator=(const PluginTrustedFile&) = delete;
    ~PluginTrustedFile();

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    std::uint64_t size() const { return size_; }
    // Hands the descriptor over: it is no longer closed here.
    int release();

  private:
    PluginTrustedFile(int fd, std::uint64_t size) : fd_(fd), size_(size) {}

    int fd_ = -1;
    std::uint64_t size_ = 0;
};
