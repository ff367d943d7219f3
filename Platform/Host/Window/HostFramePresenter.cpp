#include <Host/Window/HostFramePresenter.h>

#include <Host/Session/HostSession.h>
#include <QuartzCore/CARenderer.h>
#include <UIKit/UIScreen.h>

#include <cstring>
#include <malloc.h>

namespace {

// When the next frame is due: a frame interval after the one before was due, so that
// the time a frame takes to draw does not push the next one back (frames keep the
// display's rhythm); unless the loop has fallen a whole interval behind, when it starts
// a new rhythm now instead of catching up with frames in a burst.
Uint32 nextFrameDue(Uint32 lastDue, Uint32 interval, Uint32 now) {
    Uint32 due = lastDue + interval;
    return SDL_TICKS_PASSED(now, due + interval) ? now : due;
}

bool sameBytes(const CGImageRef& shown, const CGImageRef& frame) {
    std::size_t size = frame->bytesPerRow() * frame->height();
    return shown && shown->bytesPerRow() == frame->bytesPerRow() &&
           shown->height() == frame->height() &&
           std::memcmp(shown->bytes(), frame->bytes(), size) == 0;
}

std::size_t bytesOf(const CGImageRef& frame) {
    return frame ? frame->bytesPerRow() * frame->height() : 0;
}

} // namespace

HostFramePresenter::~HostFramePresenter() {
    if (texture_) {
        SDL_DestroyTexture(texture_);
    }
}

bool HostFramePresenter::isDue() const {
    return !anyFrame_ || SDL_TICKS_PASSED(SDL_GetTicks(), lastDue_ + window_.frameIntervalMs());
}

Uint32 HostFramePresenter::untilDue() const {
    return isDue() ? 0 : lastDue_ + window_.frameIntervalMs() - SDL_GetTicks();
}

bool HostFramePresenter::presentDue(HostSession& session) {
    Uint32 now = SDL_GetTicks();
    // The frame counts from when it was due, not from when its drawing ended.
    lastDue_ = anyFrame_ ? nextFrameDue(lastDue_, window_.frameIntervalMs(), now) : now;
    anyFrame_ = true;
    return draw(session);
}

void HostFramePresenter::present(HostSession& session) {
    draw(session);
}

// The screen turned: so does the window, at the scale it shows the screen.
void HostFramePresenter::followScreenTurn(CGSize points) {
    if (screenPoints_.width > 0 &&
        (points.width != screenPoints_.width || points.height != screenPoints_.height)) {
        window_.setMinimumSize(points);
        auto logical = static_cast<CGFloat>(viewport_.scale / window_.pixelRatio());
        SDL_SetWindowSize(window_.sdl(), static_cast<int>(points.width * logical),
                          static_cast<int>(points.height * logical));
    }
    screenPoints_ = points;
}

bool HostFramePresenter::draw(HostSession& session) {
    session.prepareFrame();
    const UIScreenRef& screen = UIScreen::mainScreen();
    CGSize points = screen->bounds().size;
    followScreenTurn(points);
    if (!window_.shown() && window_.renderer()) {
        window_.reveal(nullptr); // Wayland maps the window at its first frame, drawn next
    }
    int width = 0, height = 0;
    if (!window_.pixelSize(width, height)) {
        return false;
    }
    HostViewport viewport = HostViewport::fit(points, width, height);
    bool animating = CARendererHasRunningAnimations(screen->layer());
    // No layer changed since the last frame, which showed no animation's middle: the
    // render would draw the same pixels.
    if (shownFrame_ && viewport.scale == viewport_.scale &&
        renderedChanges_ == CALayerChangeCount() && !animating && !renderedAnimation_) {
        return false;
    }
    viewport_ = viewport;
    CGImageRef frame = CARenderLayerTree(screen->layer(), points, viewport_.scale);
    renderedChanges_ = CALayerChangeCount();
    renderedAnimation_ = animating;
    if (!frame || sameBytes(shownFrame_, frame)) {
        return false; // nothing on screen changed
    }
    std::size_t before = bytesOf(shownFrame_);
    if (!show(frame)) {
        return false;
    }
    if (!window_.shown()) {
        window_.reveal(SDL_GetWindowSurface(window_.sdl()));
    }
    // A window shrunk from a huge size: the allocator keeps what the big frame's
    // layers freed inside its heap unless asked to give it back.
    if (bytesOf(frame) * 2 < before) {
        malloc_trim(0);
    }
    return true;
}

bool HostFramePresenter::show(const CGImageRef& frame) {
    bool shown = false;
    if (window_.renderer()) {
        shown = showWithRenderer(frame);
    } else if (SDL_Surface* target = SDL_GetWindowSurface(window_.sdl())) {
        shown = showOnSurface(frame, target);
    }
    if (shown) {
        shownFrame_ = frame;
    }
    return shown;
}

bool HostFramePresenter::showOnSurface(const CGImageRef& frame, SDL_Surface* target) {
    HostSurfacePtr source = HostSurfaceOf(*frame);
    if (!source) {
        return false;
    }
    SDL_FillRect(
        target, nullptr,
        SDL_MapRGB(target->format, hostLetterboxGrey, hostLetterboxGrey, hostLetterboxGrey));
    SDL_Rect from{0, 0, viewport_.width, viewport_.height};
    SDL_Rect to{viewport_.x, viewport_.y, viewport_.width, viewport_.height};
    SDL_BlitSurface(source.get(), &from, target, &to);
    SDL_UpdateWindowSurface(window_.sdl());
    return true;
}

bool HostFramePresenter::showWithRenderer(const CGImageRef& frame) {
    SDL_Renderer* renderer = window_.renderer();
    if (!texture_ || textureWidth_ != viewport_.width || textureHeight_ != viewport_.height) {
        if (texture_) {
            SDL_DestroyTexture(texture_);
        }
        texture_ =
            SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                              viewport_.width, viewport_.height);
        textureWidth_ = viewport_.width;
        textureHeight_ = viewport_.height;
    }
    if (!texture_) {
        return false;
    }
    SDL_Rect from{0, 0, viewport_.width, viewport_.height};
    SDL_UpdateTexture(texture_, &from, frame->bytes(), static_cast<int>(frame->bytesPerRow()));
    // Every frame is drawn whole: the buffer presented before holds nothing defined.
    SDL_SetRenderDrawColor(renderer, hostLetterboxGrey, hostLetterboxGrey, hostLetterboxGrey, 255);
    SDL_RenderClear(renderer);
    SDL_Rect to{viewport_.x, viewport_.y, viewport_.width, viewport_.height};
    SDL_RenderCopy(renderer, texture_, &from, &to);
    SDL_RenderPresent(renderer);
    return true;
}

CGPoint HostFramePresenter::toPoints(int x, int y) const {
    double ratio = window_.pixelRatio();
    return viewport_.toPoints(x * ratio, y * ratio);
}

// Through the letterbox: the screen sits at the viewport's corner, at its scale.
CGRect HostFramePresenter::windowRectOf(CGRect points) const {
    auto ratio = static_cast<CGFloat>(window_.pixelRatio());
    CGFloat scale = viewport_.scale / ratio;
    return {{static_cast<CGFloat>(viewport_.x) / ratio + points.origin.x * scale,
             static_cast<CGFloat>(viewport_.y) / ratio + points.origin.y * scale},
            {points.size.width * scale, points.size.height * scale}};
}
