// What the window shows, read back as an image (the window's `screenshot`).
#include <Host/Window/HostFramePresenter.h>

#include <UIKit/UIScreen.h>

#include <algorithm>
#include <cstring>

// The screen as it is now (as shown, once presented), with its letterbox: a renderer's
// output cannot be read back once presented.
CGImageRef HostFramePresenter::composedPixels() const {
    int width = 0, height = 0;
    CGImageRef frame = shownFrame_ == 0 ? nullptr
                                        : CARenderLayerTree(UIScreen::mainScreen()->layer(),
                                                            screenPoints_, viewport_.scale);
    if (!frame || !window_.pixelSize(width, height)) {
        return nullptr;
    }
    const CGPixel grey{hostLetterboxGrey, hostLetterboxGrey, hostLetterboxGrey, 255};
    auto columnsOut = static_cast<std::size_t>(width);
    std::vector<CGPixel> pixels(columnsOut * static_cast<std::size_t>(height), grey);
    // The frame shown, clipped to the window and to what was kept of it.
    int rows =
        std::min({viewport_.height, height - viewport_.y, static_cast<int>(frame->height())});
    int columns =
        std::min({viewport_.width, width - viewport_.x, static_cast<int>(frame->width())});
    for (int y = 0; y < rows; ++y) {
        const std::uint8_t* row =
            frame->bytes() + static_cast<std::size_t>(y) * frame->bytesPerRow();
        CGPixel* out = pixels.data() + static_cast<std::size_t>(viewport_.y + y) * columnsOut +
                       static_cast<std::size_t>(viewport_.x);
        for (int x = 0; x < columns; ++x) {
            // Opaque premultiplied native-endian ARGB, as rendered.
            std::uint32_t argb = 0;
            std::memcpy(&argb, row + static_cast<std::size_t>(x) * 4, sizeof argb);
            out[x] = {static_cast<std::uint8_t>(argb >> 16U), static_cast<std::uint8_t>(argb >> 8U),
                      static_cast<std::uint8_t>(argb), 255};
        }
    }
    return CGImageCreateWithPixels(columnsOut, static_cast<std::size_t>(height), viewport_.scale,
                                   pixels);
}

CGImageRef HostFramePresenter::windowPixels() const {
    if (window_.renderer()) {
        return composedPixels();
    }
    SDL_Surface* surface = SDL_GetWindowSurface(window_.sdl());
    if (!surface) {
        return nullptr;
    }
    HostSurfacePtr converted(SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_ABGR8888, 0));
    if (!converted || SDL_LockSurface(converted.get()) != 0) {
        return nullptr;
    }
    auto width = static_cast<std::size_t>(converted->w),
         height = static_cast<std::size_t>(converted->h);
    std::vector<CGPixel> pixels(width * height);
    for (std::size_t y = 0; y < height; ++y) {
        const auto* row = static_cast<const std::uint8_t*>(converted->pixels) +
                          y * static_cast<std::size_t>(converted->pitch);
        for (std::size_t x = 0; x < width; ++x) {
            // ABGR8888 is R, G, B, A in memory order.
            pixels[y * width + x] = {row[4 * x], row[4 * x + 1], row[4 * x + 2], 255};
        }
    }
    SDL_UnlockSurface(converted.get());
    return CGImageCreateWithPixels(width, height, viewport_.scale, pixels);
}
