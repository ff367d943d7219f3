// The window's frames: drawn only when the pixels change, and shown through the
// window surface or, on Wayland, the renderer.
#include <Host/Window/HostWindowImpl.h>

#include <Host/Session/HostSession.h>
#include <QuartzCore/CARenderer.h>
#include <UIKit/UIApplication.h>
#include <UIKit/UIScreen.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <malloc.h>

namespace {

std::string clockText() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d", local.tm_hour, local.tm_min);
    return text;
}

bool sameBytes(const CGImageRef& shown, const CGImageRef& frame) {
    std::size_t size = frame->bytesPerRow() * frame->height();
    return shown && shown->bytesPerRow() == frame->bytesPerRow() &&
           shown->height() == frame->height() &&
           std::memcmp(shown->bytes(), frame->bytes(), size) == 0;
}

} // namespace

void HostWindow::Impl::refreshClock() {
    std::string text = clockText();
    if (text != lastClock) {
        lastClock = text;
        UIApplication::sharedApplication()->setStatusBarClockText(text);
        dirty = true;
    }
}

bool HostWindow::Impl::targetSize(int& width, int& height) const {
    if (renderer) {
        return SDL_GetRendererOutputSize(renderer.get(), &width, &height) == 0 && width > 0 &&
               height > 0;
    }
    SDL_Surface* target = SDL_GetWindowSurface(window.get());
    if (!target) {
        return false;
    }
    width = target->w;
    height = target->h;
    return true;
}

void HostWindow::Impl::showOnSurface(const CGImageRef& frame, SDL_Surface* target) {
    HostSurfacePtr source = HostSurfaceOf(frame);
    if (!source) {
        return;
    }
    SDL_FillRect(
        target, nullptr,
        SDL_MapRGB(target->format, hostLetterboxGrey, hostLetterboxGrey, hostLetterboxGrey));
    SDL_Rect from{0, 0, viewport.width, viewport.height};
    SDL_Rect to{viewport.x, viewport.y, viewport.width, viewport.height};
    SDL_BlitSurface(source.get(), &from, target, &to);
    SDL_UpdateWindowSurface(window.get());
}

void HostWindow::Impl::showWithRenderer(const CGImageRef& frame) {
    if (!texture || textureWidth != viewport.width || textureHeight != viewport.height) {
        texture.reset(SDL_CreateTexture(renderer.get(), SDL_PIXELFORMAT_ARGB8888,
                                        SDL_TEXTUREACCESS_STREAMING, viewport.width,
                                        viewport.height));
        textureWidth = viewport.width;
        textureHeight = viewport.height;
    }
    if (!texture) {
        return;
    }
    SDL_Rect from{0, 0, viewport.width, viewport.height};
    SDL_UpdateTexture(texture.get(), &from, frame->bytes(), static_cast<int>(frame->bytesPerRow()));
    // Every frame is drawn whole: the buffer presented before holds nothing defined.
    SDL_SetRenderDrawColor(renderer.get(), hostLetterboxGrey, hostLetterboxGrey, hostLetterboxGrey,
                           255);
    SDL_RenderClear(renderer.get());
    SDL_Rect to{viewport.x, viewport.y, viewport.width, viewport.height};
    SDL_RenderCopy(renderer.get(), texture.get(), &from, &to);
    SDL_RenderPresent(renderer.get());
}

void HostWindow::Impl::show(const CGImageRef& frame) {
    if (renderer) {
        showWithRenderer(frame);
    } else if (SDL_Surface* target = SDL_GetWindowSurface(window.get())) {
        showOnSurface(frame, target);
    } else {
        return;
    }
    shownFrame = frame;
    ++frames;
    lastFrame = SDL_GetTicks();
}

void HostWindow::present(HostSession& session) {
    session.prepareFrame();
    Impl& impl = *impl_;
    SDL_Window* window = impl.window.get();
    const UIScreenRef& screen = UIScreen::mainScreen();
    CGSize points = screen->bounds().size;
    if (impl.screenPoints.width > 0 &&
        (points.width != impl.screenPoints.width || points.height != impl.screenPoints.height)) {
        // The screen turned: so does the window, at the scale it shows the screen.
        impl.setMinimumSize(points);
        auto logical = static_cast<CGFloat>(impl.viewport.scale / impl.pixelRatio());
        SDL_SetWindowSize(window, static_cast<int>(points.width * logical),
                          static_cast<int>(points.height * logical));
    }
    impl.screenPoints = points;
    if (!impl.shown && impl.renderer) {
        impl.reveal(); // Wayland maps the window at its first frame, drawn next
    }
    int width = 0, height = 0;
    if (!impl.targetSize(width, height)) {
        return;
    }
    HostViewport viewport = HostViewport::fit(points, width, height);
    bool animating = CARendererHasRunningAnimations(screen->layer());
    impl.dirty = false;
    // No layer changed since the last frame, which showed no animation's middle: the
    // render would draw the same pixels.
    if (!!impl.shownFrame && viewport.scale == impl.viewport.scale &&
        impl.renderedChanges == CALayerChangeCount() && !animating && !impl.renderedAnimation) {
        impl.lastFrame = SDL_GetTicks(); // input keeps to the frame rhythm all the same
        return;
    }
    impl.viewport = viewport;
    CGImageRef frame = CARenderLayerTree(screen->layer(), points, impl.viewport.scale);
    impl.renderedChanges = CALayerChangeCount();
    impl.renderedAnimation = animating;
    if (!frame || sameBytes(impl.shownFrame, frame)) {
        return; // nothing on screen changed
    }
    std::size_t before =
        impl.shownFrame ? impl.shownFrame->bytesPerRow() * impl.shownFrame->height() : 0;
    impl.show(frame);
    if (!impl.shown) {
        impl.reveal();
    }
    // A window shrunk from a huge size: the allocator keeps what the big frame's
    // layers freed inside its heap unless asked to give it back.
    if (impl.frameBytes * 2 < before) {
        malloc_trim(0);
    }
}
