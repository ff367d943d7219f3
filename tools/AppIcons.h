// The programs' icons for the desktop, drawn rather than shipped: the settings app's
// colour wheel on a dark tile, the keyboard host's keys on a tinted tile.
#pragma once

#include <CoreGraphics/CGImage.h>

#include <filesystem>
#include <string>
#include <vector>

namespace appicons {

// The sizes installed, in pixels (square).
inline constexpr std::size_t kIconSizes[] = {64, 256};

CGImageRef makeSettingsIcon(std::size_t pixels);
CGImageRef makeKeyboardIcon(std::size_t pixels);

struct AppIcon {
    std::string name; // the desktop entry's Icon key
    CGImageRef (*make)(std::size_t pixels);
};
const std::vector<AppIcon>& allIcons();

// Where an icon of `pixels` goes under a folder laid out as share/icons:
// hicolor/<pixels>x<pixels>/apps/<name>.png.
std::filesystem::path iconPath(const AppIcon& icon, std::size_t pixels);

} // namespace appicons
