// Writing images as PNG with libpng. Every scripted run that looks at the screen
// writes one, the start-up figure among them: at libpng's fastest compression a
// screen takes a fifth of the time of the default level that Cairo's own writer
// uses, for a somewhat larger file. A screen is opaque: it is written without an
// alpha channel, a quarter fewer bytes to filter and compress (a fifth less time).
#include <CoreGraphics/CGImage.h>

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

// One row of the surface's premultiplied native-endian ARGB as straight RGBA bytes,
// rounded as Cairo's writer rounds them (a fully transparent pixel is all zero).
// Most pixels of a screen are opaque and are only reordered.
void straightRGBARow(const std::uint32_t* row, std::size_t width, std::uint8_t* out) {
    for (std::size_t x = 0; x < width; ++x, out += 4) {
        std::uint32_t pixel = row[x];
        std::uint32_t alpha = pixel >> 24U;
        std::uint32_t red = (pixel >> 16U) & 0xffU, green = (pixel >> 8U) & 0xffU,
                      blue = pixel & 0xffU;
        if (alpha != 255) {
            auto straight = [alpha](std::uint32_t channel) {
                return alpha == 0 ? 0U : (channel * 255 + alpha / 2) / alpha;
            };
            red = straight(red);
            green = straight(green);
            blue = straight(blue);
        }
        out[0] = static_cast<std::uint8_t>(red);
        out[1] = static_cast<std::uint8_t>(green);
        out[2] = static_cast<std::uint8_t>(blue);
        out[3] = static_cast<std::uint8_t>(alpha);
    }
}

// The same row as straight RGB bytes, for an opaque image.
void rgbRow(const std::uint32_t* row, std::size_t width, std::uint8_t* out) {
    for (std::size_t x = 0; x < width; ++x, out += 3) {
        std::uint32_t pixel = row[x];
        out[0] = static_cast<std::uint8_t>(pixel >> 16U);
        out[1] = static_cast<std::uint8_t>(pixel >> 8U);
        out[2] = static_cast<std::uint8_t>(pixel);
    }
}

const std::uint32_t* rowAt(const CGImage& image, std::size_t y) {
    return reinterpret_cast<const std::uint32_t*>(image.bytes() + y * image.bytesPerRow());
}

bool isOpaque(const CGImage& image) {
    for (std::size_t y = 0; y < image.height(); ++y) {
        const std::uint32_t* row = rowAt(image, y);
        for (std::size_t x = 0; x < image.width(); ++x) {
            if ((row[x] >> 24U) != 0xffU) {
                return false;
            }
        }
    }
    return true;
}

// libpng's own handlers print to standard error; a failed write is the caller's to
// report, once, in its own words.
[[noreturn]] void quietError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void quietWarning(png_structp, png_const_charp) {}

// libpng reports errors by longjmp: nothing with a destructor lives in this frame.
// Rows are converted one at a time into `rowBuffer`, which holds one row.
bool writeRows(std::FILE* file, const CGImage& image, bool opaque, png_bytep rowBuffer) {
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, quietError, quietWarning);
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
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width()),
                 static_cast<png_uint_32>(image.height()), 8,
                 opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (std::size_t y = 0; y < image.height(); ++y) {
        if (opaque) {
            rgbRow(rowAt(image, y), image.width(), rowBuffer);
        } else {
            straightRGBARow(rowAt(image, y), image.width(), rowBuffer);
        }
        png_write_row(png, rowBuffer);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool CGImageWritePNG(const CGImageRef& image, const std::filesystem::path& path) {
    if (!image || image->width() == 0 || image->height() == 0) {
        errno = EINVAL;
        return false;
    }
    std::vector<std::uint8_t> row(image->width() * 4);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    errno = 0;
    bool written = writeRows(file, *image, isOpaque(*image), row.data());
    int writeError = errno; // what the failed write said, before fclose says more
    bool closed = std::fclose(file) == 0;
    if (!written) {
        errno = writeError != 0 ? writeError : EIO;
    }
    return written && closed;
}
