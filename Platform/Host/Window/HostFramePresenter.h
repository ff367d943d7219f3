// The screen's frames in the window: drawn at the window's own pixel size (the screen
// centred in it, its aspect kept, the rest letterbox), at most one a display refresh
// on the display's rhythm, and only when the screen changed.
#pragma once

#include <CoreGraphics/CGImage.h>
#include <Host/Window/HostNativeWindow.h>
#include <QuartzCore/CARenderer.h>

#include <SDL2/SDL.h>

#include <cstdint>
#include <memory>
#include <vector>

class HostSession;

class HostFramePresenter {
  public:
    explicit HostFramePresenter(HostNativeWindow& window) : window_(window) {}
    ~HostFramePresenter();
    HostFramePresenter(const HostFramePresenter&) = delete;
    HostFramePresenter& operator=(const HostFramePresenter&) = delete;

    // Whether the next frame is due now, and how long until it is (ms).
    bool isDue() const;
    Uint32 untilDue() const;
    // A frame, if the screen changed since the last (or the window needs one drawn
    // again), counted on the display's rhythm. False when none was drawn.
    bool presentDue(HostSession& session);
    // A frame now, off the rhythm (a screenshot's, a test's), if the screen changed.
    void present(HostSession& session);
    // The window's pixels were lost (exposed, resized): the next frame is drawn whole.
    void invalidate() { shownFrame_ = 0; }

    // What the window shows: its pixels, as last presented, letterbox and all.
    CGImageRef windowPixels() const;
    // Where the screen sits in the window's pixels, and its scale there.
    const HostViewport& viewport() const { return viewport_; }
    // A point of the window (the mouse's coordinates) in screen points.
    CGPoint toPoints(int x, int y) const;
    // A rectangle of screen points in window coordinates.
    CGRect windowRectOf(CGRect points) const;

  private:
    // Shows `frame` through the renderer or on the window surface, only `changes` of it
    // over the frame shown (none: all of it); false when neither took it.
    bool show(const CGImageRef& frame, const CARenderDamage* changes);
    bool showOnSurface(const CGImageRef& frame, const CARenderDamage* changes, SDL_Surface* target);
    bool showWithRenderer(const CGImageRef& frame, const CARenderDamage* changes);
    std::vector<SDL_Rect> changedRects(const CARenderDamage* changes) const;
    CGImageRef composedPixels() const;
    void followScreenTurn(CGSize points);
    bool draw(HostSession& session);

    HostNativeWindow& window_;
    HostViewport viewport_;
    CGSize screenPoints_{0, 0};
    // The number of the renderer's frame shown (what its changes are told against; 0:
    // none) and its size. The frame itself is not held: the renderer draws the next one
    // in place, and a frame of a huge window is hundreds of megabytes.
    std::uint64_t shownFrame_ = 0;
    std::size_t shownBytes_ = 0;
    // When the last frame was due (its rhythm), and whether one was ever drawn.
    Uint32 lastDue_ = 0;
    bool anyFrame_ = false;
    // The Wayland renderer's texture, viewport-sized.
    SDL_Texture* texture_ = nullptr;
    int textureWidth_ = 0, textureHeight_ = 0;
};
