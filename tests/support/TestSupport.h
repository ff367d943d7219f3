// Helpers for tests that touch real files and start real processes.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with its contents.
class TemporaryDirectory {
  public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& contents);

struct ProcessResult {
    int exitCode = -1; // -signal when killed by a signal
    std::string standardOutput;
    std::string standardError;
};

struct ProcessLimits {
    // Largest file the process may write, in bytes (0: no limit). Writes beyond it
    // fail with EFBIG: a disk that refuses a write, even for root.
    unsigned long fileSizeLimit = 0;
};

// Runs `arguments` (the first is the program) to completion, feeding `input` on
// standard input.
ProcessResult runProcess(const std::vector<std::string>& arguments, const std::string& input = "",
                         const ProcessLimits& limits = {});

// An Xvfb of the test's own, on a display number it picks itself (-displayfd),
// stopped when this goes. `name()` is empty when no X server could be started.
class VirtualDisplay {
  public:
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;
    const std::string& name() const { return name_; }
    // Makes this the display that SDL and the programs the test starts use (X11:
    // WAYLAND_DISPLAY is unset). False, changing nothing, when no server started.
    bool makeCurrent() const;
    static constexpr const char* unavailable =
        "no X server could be started (Xvfb missing or failing)";

  private:
    int pid_ = -1;
    std::string name_;
};

// A bus that accepts connections (its backlog does) and never answers a byte, at a
// socket under `path`; `address()` as DBUS_SESSION_BUS_ADDRESS names it.
class SilentBus {
  public:
    explicit SilentBus(const std::filesystem::path& path);
    ~SilentBus();
    SilentBus(const SilentBus&) = delete;
    SilentBus& operator=(const SilentBus&) = delete;
    const std::string& address() const { return address_; }

  private:
    int fd_ = -1;
    std::string address_;
};

// The build tree and the source tree, from the environment that ctest sets.
std::filesystem::path buildDirectory();
std::filesystem::path sourceDirectory();

} // namespace testsupport
