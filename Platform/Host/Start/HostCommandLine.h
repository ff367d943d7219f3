// The command line that every program shares, extended by each program with
// options of its own:
//
//   --root DIR      device root (default ${XDG_DATA_HOME:-$HOME/.local/share}/prismkey/device)
//   --position X,Y  the window's top-left corner in desktop pixels (default: the window
//                   manager places it)
//   --scale N       auto, 1 or 2 pixels per point (default auto in a window, 1 headless)
//   --headless      no window: run the event script on a virtual clock, then exit
//   --events FILE   event script ("-" for standard input)
//   --help          usage
//   --version       the program's name and version
//
// Options take their value as the next argument or after "=" (--root=DIR).
#pragma once

#include <Host/Start/HostOption.h>
#include <Host/Start/HostSettings.h>
#include <Host/Start/HostUsageError.h>

#include <optional>
#include <string>
#include <vector>

class HostArgumentReader;

// "X,Y" as a window position: two whole numbers (either may be negative, on a desktop
// whose screens reach left of or above the first) within a million pixels; none for
// anything else.
std::optional<HostWindowPosition> HostParseWindowPosition(const std::string& text);

class HostCommandLine {
  public:
    explicit HostCommandLine(std::string programName, std::string summary = {});

    void addOption(HostOption option);
    // Throws HostUsageError; the program's own options are applied as they come.
    HostSettings parse(const std::vector<std::string>& arguments) const;
    HostSettings parse(int argc, char** argv) const;
    // The options, the keys that work in the window and the script commands given
    // (one usage line each).
    std::string usage(const std::vector<std::string>& scriptUsages,
                      const std::vector<std::string>& keyUsages = {}) const;
    // "<program> <version>".
    std::string versionLine() const;

  private:
    void applyProgramOption(HostArgumentReader& reader) const;

    std::string programName_;
    std::string summary_;
    std::vector<HostOption> options_;
};
