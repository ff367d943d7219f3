// The command line that every program shares, extended by each program with
// options of its own:
//
//   --root DIR      device root (default ${XDG_DATA_HOME:-$HOME/.local/share}/prismkey/device)
//   --scale N       1 or 2 pixels per point (default 2 in a window, 1 headless)
//   --headless      no window: run the event script on a virtual clock, then exit
//   --events FILE   event script ("-" for standard input)
//   --help          usage
//
// Options take their value as the next argument or after "=" (--root=DIR).
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// A program's own option. A flag when `valueName` is empty.
struct HostOption {
    std::string name;      // "--plugins"
    std::string valueName; // "DIR"
    std::string help;
    std::function<void(const std::string& value)> apply;
};

struct HostSettings {
    std::optional<std::string> root;
    std::optional<int> scale;
    bool headless = false;
    std::optional<std::string> eventsPath;
    bool help = false;
};

// A bad command line, in one line.
class HostUsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class HostCommandLine {
  public:
    explicit HostCommandLine(std::string programName, std::string summary = {});

    void addOption(HostOption option);
    // Throws HostUsageError; the program's own options are applied as they come.
    HostSettings parse(const std::vector<std::string>& arguments) const;
    HostSettings parse(int argc, char** argv) const;
    // The options, then the script commands given (one usage line each).
    std::string usage(const std::vector<std::string>& scriptUsages) const;

  private:
    std::string programName_;
    std::string summary_;
    std::vector<HostOption> options_;
};
