// A contact sheet: screenshots side by side in rows, in order, each with its title
// under it, and a heading above them all. The layout is plain arithmetic; the
// drawing (Cairo and Pango) is in ContactSheetCairo.cpp.
#pragma once

#include <CoreGraphics/CGGeometry.h>

#include <filesystem>
#include <string>
#include <vector>

namespace contactsheet {

struct Entry {
    std::filesystem::path image;
    std::string title;
};

inline constexpr std::size_t kColumns = 4;
inline constexpr CGFloat kMargin = 24;
inline constexpr CGFloat kGap = 24;
inline constexpr CGFloat kHeadingHeight = 40;
inline constexpr CGFloat kTitleHeight = 44; // two lines of the titles' text
inline constexpr CGFloat kCellWidth = 320;  // a portrait screen at one pixel a point

struct Layout {
    CGSize size;
    CGRect heading;
    std::vector<CGRect> images; // each image's place, its aspect kept, centred in its cell
    std::vector<CGRect> titles;
};

// Up to kColumns images a row; every cell as wide as kCellWidth and as tall as the
// tallest image scaled to that width.
Layout layOut(const std::vector<CGSize>& imageSizes);

// Draws the sheet and writes it as PNG; false with `error` set when an image cannot
// be read or the sheet cannot be written.
bool writeContactSheet(const std::string& heading, const std::vector<Entry>& entries,
                       const std::filesystem::path& output, std::string& error);

} // namespace contactsheet
