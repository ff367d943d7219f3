#include <Host/Window/HostWindow.h>

#include <UIKit/UIPasteboard.h>

namespace {

// While the window is open, the general pasteboard is the desktop's clipboard.
void useDesktopClipboard() {
    UIPasteboard::generalPasteboard()->setBackend(
        {[](const std::string& text) { SDL_SetClipboardText(text.c_str()); },
         []() -> std::optional<std::string> {
             char* text = SDL_HasClipboardText() == SDL_TRUE ? SDL_GetClipboardText() : nullptr;
             std::optional<std::string> copy;
             if (text != nullptr) {
                 copy = text;
             }
             SDL_free(text);
             return copy;
         }});
}

} // namespace

std::unique_ptr<HostWindow> HostWindow::open(const HostWindowOptions& options, std::string& error,
                                             std::string* warning) {
    std::string lowered;
    std::unique_ptr<HostNativeWindow> native = HostNativeWindow::open(options, error, lowered);
    if (!native) {
        return nullptr;
    }
    if (warning) {
        *warning = lowered;
    }
    useDesktopClipboard();
    return std::unique_ptr<HostWindow>(new HostWindow(std::move(native)));
}

HostWindow::HostWindow(std::unique_ptr<HostNativeWindow> native)
    : native_(std::move(native)), presenter_(*native_), input_(*native_, presenter_),
      raise_(*native_) {}

HostWindow::~HostWindow() {
    UIPasteboard::generalPasteboard()->setBackend({});
}

std::string HostWindow::title() const {
    return SDL_GetWindowTitle(native_->sdl());
}

CGRect HostWindow::desktopRectOf(CGRect points) const {
    CGRect rect = presenter_.windowRectOf(points);
    int x = 0, y = 0;
    SDL_GetWindowPosition(native_->sdl(), &x, &y);
    rect.origin.x += static_cast<CGFloat>(x);
    rect.origin.y += static_cast<CGFloat>(y);
    return rect;
}

void HostWindow::present(HostSession& session) {
    dirty_ = false;
    presenter_.present(session);
}
