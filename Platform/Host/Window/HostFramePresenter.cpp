#include <Host/Window/HostFramePresenter.h>

#include <Host/Session/HostSession.h>
#include <QuartzCore/CARenderer.h>
#include <UIKit/UIScreen.h>

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
    // What changed is the renderer's to say: the same image when nothing did.
    CARenderedFrame frame = CARenderLayerTreeChanges(screen->layer(), points, viewport.scale);
    if (!frame.image || (frame.number == shownFrame_ && viewport == viewport_)) {
        return false;
    }
    bool onlyChanges = shownFrame_ != 0 && frame.base == shownFrame_ && viewport == viewport_;
    viewport_ = viewport;
    std::size_t before = shownBytes_;
    if (!show(frame.image, onlyChanges ? &frame.damage : nullptr)) {
        return false;
    }
    shownFrame_ = frame.number;
    shownBytes_ = bytesOf(frame.image);
    if (!window_.shown()) {
        window_.reveal(SDL_GetWindowSurface(window_.sdl()));
    }
    // A window shrunk from a huge size: the allocator keeps what the big frame's
    // layers freed inside its heap unless asked to give it back.
    if (shownBytes_ * 2 < before) {
        malloc_trim(0);
    }
    return true; // the frame is let go of: the renderer draws the next one in place
}

bool HostFramePresenter::show(const CGImageRef& frame, const CARenderDamage* changes) {
    bool shown = false;
    if (window_.renderer()) {
        shown = showWithRenderer(frame, changes);
    } else if (SDL_Surface* target = SDL_GetWindowSurface(window_.sdl())) {
        shown = showOnSurface(frame, changes, target);
    }
    return shown;
}

// The frame's rectangles that changed (all of it without `changes`), in its pixels.
std::vector<SDL_Rect> HostFramePresenter::changedRects(const CARenderDamage* changes) const {
    if (!changes) {
        return {{0, 0, viewport_.width, viewport_.height}};
    }
    std::vector<SDL_Rect> rects;
    for (const CGRect& rect : changes->rects) {
        rects.push_back({static_cast<int>(rect.origin.x), static_cast<int>(rect.origin.y),
                         static_cast<int>(rect.size.width), static_cast<int>(rect.size.height)});
    }
    return rects;
}

bool HostFramePresenter::showOnSurface(const CGImageRef& frame, const CARenderDamage* changes,
                                       SDL_Surface* target) {
    HostSurfacePtr source = HostSurfaceOf(*frame);
    if (!source) {
        return false;
    }
    if (!changes) {
        SDL_FillRect(
            target, nullptr,
            SDL_MapRGB(target->format, hostLetterboxGrey, hostLetterboxGrey, hostLetterboxGrey));
    }
    std::vector<SDL_Rect> shown;
    for (SDL_Rect from : changedRects(changes)) {
        SDL_Rect to{viewport_.x + from.x, viewport_.y + from.y, from.w, from.h};
        SDL_BlitSurface(source.get(), &from, target, &to);
        shown.push_back(to);
    }
    if (!changes) {
        SDL_UpdateWindowSurface(window_.sdl());
    } else {
        SDL_UpdateWindowSurfaceRects(window_.sdl(), shown.data(), static_cast<int>(shown.size()));
    }
    return true;
}

bool HostFramePresenter::showWithRenderer(const CGImageRef& frame, const CARenderDamage* changes) {
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
        changes = nullptr; // a new texture holds nothing yet
    }
    if (!texture_) {
        return false;
    }
    for (const SDL_Rect& rect : changedRects(changes)) {
        const std::uint8_t* pixels = frame->bytes() +
                                     static_cast<std::size_t>(rect.y) * frame->bytesPerRow() +
                                     static_cast<std::size_t>(rect.x) * 4;
        SDL_UpdateTexture(texture_, &rect, pixels, static_cast<int>(frame->bytesPerRow()));
    }
    // Every frame is drawn whole: the buffer presented before holds nothing defined.
    SDL_SetRenderDrawColor(renderer, hostLetterboxGrey, hostLetterboxGrey, hostLetterboxGrey, 255);
    SDL_RenderClear(renderer);
    SDL_Rect from{0, 0, viewport_.width, viewport_.height};
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
