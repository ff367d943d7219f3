#include <UIKit/UIImage.h>

#include <cstdio>
#include <map>
#include <system_error>

namespace {

struct ImageStore {
    std::filesystem::path folder;
    bool folderSet = false;
    CGFloat screenScale = 1;
    std::map<std::pair<std::string, CGFloat>, UIImageRef> cache;
};

ImageStore& store() {
    static ImageStore s;
    return s;
}

std::filesystem::path defaultResourceDirectory() {
    std::error_code error;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return "Resources";
    }
    return program.parent_path().parent_path() / "Resources";
}

std::string baseName(const std::string& name) {
    constexpr std::string_view extension = ".png";
    if (name.size() > extension.size() && name.ends_with(extension)) {
        return name.substr(0, name.size() - extension.size());
    }
    return name;
}

UIImageRef load(const std::filesystem::path& path, CGFloat scale,
                const std::filesystem::path& alternate = {}, CGFloat alternateScale = 0) {
    CGImageRef image = CGImageCreateWithPNGFile(path, scale);
    if (!image) {
        return nullptr;
    }
    if (!alternate.empty()) {
        // Made here and not yet shared: the one moment it may be changed.
        std::const_pointer_cast<CGImage>(image)->setAlternateFile(alternate, alternateScale);
    }
    return std::make_shared<UIImage>(std::move(image), scale);
}

} // namespace

UIImage::UIImage(CGImageRef image, CGFloat scale)
    : image_(std::move(image)), scale_(scale > 0 ? scale : 1) {}

UIImageRef UIImage::imageNamed(const std::string& name) {
    // A name that climbs out of the resource folder is no resource.
    if (name.empty() || name.find('/') != std::string::npos) {
        return nullptr;
    }
    ImageStore& s = store();
    auto key = std::make_pair(name, s.screenScale);
    if (auto it = s.cache.find(key); it != s.cache.end()) {
        return it->second;
    }
    std::filesystem::path folder = resourceDirectory();
    std::string base = baseName(name);
    std::filesystem::path oneX = folder / (base + ".png"), twoX = folder / (base + "@2x.png");
    // Drawn at another density (a window resized), the other file serves.
    UIImageRef image = s.screenScale >= 2 ? load(twoX, 2, oneX, 1) : load(oneX, 1, twoX, 2);
    if (!image) {
        image = s.screenScale >= 2 ? load(oneX, 1) : load(twoX, 2);
    }
    if (image) {
        s.cache.emplace(key, image);
    }
    return image;
}

UIImageRef UIImage::imageWithContentsOfFile(const std::filesystem::path& path) {
    std::string stem = path.stem().string();
    return load(path, stem.ends_with("@2x") ? 2 : 1);
}

UIImageRef UIImage::imageWithCGImage(CGImageRef image, CGFloat scale) {
    return image ? std::make_shared<UIImage>(std::move(image), scale) : nullptr;
}

void UIImage::setResourceDirectory(const std::filesystem::path& folder) {
    store().folder = folder;
    store().folderSet = true;
    store().cache.clear();
}

std::filesystem::path UIImage::resourceDirectory() {
    ImageStore& s = store();
    if (!s.folderSet) {
        s.folder = defaultResourceDirectory();
        s.folderSet = true;
    }
    return s.folder;
}

void UIImage::setScreenScale(CGFloat scale) {
    store().screenScale = scale >= 2 ? 2 : 1;
}

CGFloat UIImage::screenScale() {
    return store().screenScale;
}

CGSize UIImage::size() const {
    return {static_cast<CGFloat>(image_->width()) / scale_,
            static_cast<CGFloat>(image_->height()) / scale_};
}

std::string UIImage::description() const {
    char text[96];
    CGSize s = size();
    std::snprintf(text, sizeof text, "<UIImage: %p>, {%g, %g}", static_cast<const void*>(this),
                  s.width, s.height);
    return text;
}
