// Writes the application's image resources, each at 1x and 2x ("name.png" and
// "name@2x.png"), into the folder given; with --icons, the programs' desktop icons.
// Run by the build.
#include "AppIcons.h"
#include "ResourceImages.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

constexpr const char* kUsage =
    "usage: prismkey-resources FOLDER\n"
    "Writes colorPickerKnob, checkerboard, pickerColorWheel and PXColorViewCheckmark\n"
    "as FOLDER/<name>.png (1x) and FOLDER/<name>@2x.png (2x), creating FOLDER.\n"
    "       prismkey-resources --icons FOLDER\n"
    "Writes the programs' icons as FOLDER/hicolor/<N>x<N>/apps/<name>.png, N 64 and 256.\n";

// Written beside the target and renamed over it, so that a reader never sees half a file.
bool writeImage(const CGImageRef& image, const std::filesystem::path& path) {
    std::filesystem::path temporary = path;
    temporary += ".tmp";
    if (!image || !CGImageWritePNG(image, temporary)) {
        return false;
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}

bool makeFolder(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        std::fprintf(stderr, "prismkey-resources: cannot create %s: %s\n", folder.c_str(),
                     error.message().c_str());
        return false;
    }
    return true;
}

bool write(const CGImageRef& image, const std::filesystem::path& path) {
    if (!makeFolder(path.parent_path())) {
        return false;
    }
    if (!writeImage(image, path)) {
        std::fprintf(stderr, "prismkey-resources: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

int writeResources(const std::filesystem::path& folder) {
    if (!makeFolder(folder)) {
        return 1;
    }
    for (const auto& resource : resources::allResources()) {
        for (CGFloat scale : {1.0f, 2.0f}) {
            std::string file = resource.name + (scale == 2 ? "@2x.png" : ".png");
            if (!write(resource.make(scale), folder / file)) {
                return 1;
            }
        }
    }
    return 0;
}

int writeIcons(const std::filesystem::path& folder) {
    for (const auto& icon : appicons::allIcons()) {
        for (std::size_t pixels : appicons::kIconSizes) {
            if (!write(icon.make(pixels), folder / appicons::iconPath(icon, pixels))) {
                return 1;
            }
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--icons") == 0 && argv[2][0] != '\0') {
        return writeIcons(argv[2]);
    }
    if (argc != 2 || argv[1][0] == '\0') {
        std::fputs(kUsage, stderr);
        return 2;
    }
    return writeResources(argv[1]);
}
