// Writing images as PNG with libpng. Every scripted run that looks at the screen
// writes one, the start-up figure among them: at libpng's fastest compression a
// screen takes a fifth of the time of the default level that Cairo's own writer
// uses, for a somewhat larger file.
#include <CoreGraphics/CGImage.h>

#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

// The surface's premultiplied native-endian ARGB as straight RGBA bytes, rounded as
// Cairo's writer rounds them (a fully transparent pixel is all zero).
std::vector<std::uint8_t> straightRGBA(const CGImage& image) {
    std::vector<std::uint8_t> rgba(image.width() * image.height() * 4);
    std::uint8_t* out = rgba.data();
    for (std::size_t y = 0; y < image.height(); ++y) {
        const auto* row =
            reinterpret_cast<const std::uint32_t*>(image.bytes() + y * image.bytesPerRow());
        for (std::size_t x = 0; x < image.width(); ++x, out += 4) {
            std::uint32_t pixel = row[x];
            std::uint32_t alpha = pixel >> 24U;
            if (alpha == 0) {
                continue;
            }
            auto straight = [alpha](std::uint32_t channel) {
                return static_cast<std::uint8_t>((channel * 255 + alpha / 2) / alpha);
            };
            out[0] = straight((pixel >> 16U) & 0xffU);
            out[1] = straight((pixel >> 8U) & 0xffU);
            out[2] = straight(pixel & 0xffU);
            out[3] = static_cast<std::uint8_t>(alpha);
        }
    }
    return rgba;
}

// libpng reports errors by longjmp: nothing with a destructor lives in this frame.
bool writeRows(std::FILE* file, std::uint32_t width, std::uint32_t height, png_bytepp rows) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
        return false;
    }
    png_init_io(png, file);
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool CGImageWritePNG(const CGImageRef& image, const std::filesystem::path& path) {
    if (!image || image->width() == 0 || image->height() == 0) {
        return false;
    }
    std::vector<std::uint8_t> rgba = straightRGBA(*image);
    std::vector<png_bytep> rows(image->height());
    for (std::size_t y = 0; y < rows.size(); ++y) {
        rows[y] = rgba.data() + y * image->width() * 4;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    bool written = writeRows(file, static_cast<std::uint32_t>(image->width()),
                             static_cast<std::uint32_t>(image->height()), rows.data());
    return std::fclose(file) == 0 && written;
}
