#include <Host/HostSession.h>

#include <Host/HostAccessibilityState.h>
#include <Host/HostQuotedInput.h>
#include <QuartzCore/CARenderer.h>
#include <UIKit/UIAlertView.h>
#include <UIKit/UIApplication.h>
#include <UIKit/UIFocusEngine.h>
#include <UIKit/UIScreen.h>

#include <cstdio>
#include <system_error>

namespace {

UIApplication& application() {
    return *UIApplication::sharedApplication();
}

CGPoint pointOf(const ScriptCommand& command, std::size_t first = 0) {
    return {static_cast<CGFloat>(command.numbers[first]),
            static_cast<CGFloat>(command.numbers[first + 1])};
}

} // namespace

HostSession::HostSession(CGFloat scale, std::vector<HostScriptCommand> programCommands)
    : scale_(scale), programCommands_(std::move(programCommands)) {}

HostSession::~HostSession() {
    changeHandler_ = nullptr; // whoever watched the screen may be gone already
    waitingKeys_.clear();
    heldKey_.reset();
    touchCancel();
}

std::vector<ScriptCommandSyntax> HostSession::scriptSyntax() const {
    std::vector<ScriptCommandSyntax> syntax = standardScriptCommands();
    syntax.push_back({"focus", {}, "focus", {}, "the window gains focus (as when switched to)"});
    for (const HostScriptCommand& command : programCommands_) {
        syntax.push_back(command.syntax);
    }
    return syntax;
}

void HostSession::changed() const {
    if (changeHandler_) {
        changeHandler_();
    }
}

bool HostSession::touchDown(CGPoint point) {
    if (touchDown_) {
        return false;
    }
    touchDown_ = true;
    application().sendTouch(UITouchPhaseBegan, point);
    changed();
    return true;
}

bool HostSession::touchMove(CGPoint point) {
    if (!touchDown_) {
        return false;
    }
    application().sendTouch(UITouchPhaseMoved, point);
    changed();
    return true;
}

bool HostSession::touchUp(CGPoint point) {
    if (!touchDown_) {
        return false;
    }
    touchDown_ = false;
    application().sendTouch(UITouchPhaseEnded, point);
    changed();
    return true;
}

bool HostSession::touchCancel() {
    if (!touchDown_) {
        return false;
    }
    touchDown_ = false;
    application().sendTouch(UITouchPhaseCancelled, CGPointZero);
    changed();
    return true;
}

bool HostSession::tap(CGPoint point) {
    return touchDown(point) && touchUp(point);
}

bool HostSession::drag(CGPoint from, CGPoint to, int moves) {
    if (!touchDown(from)) {
        return false;
    }
    for (int i = 1; i <= moves; ++i) {
        float t = static_cast<float>(i) / static_cast<float>(moves);
        touchMove({from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t});
    }
    return touchUp(to);
}

void HostSession::pressAlertButton(const std::string& title) {
    UIAlertView* alert = UIAlertView::visibleAlert();
    if (alert == nullptr) {
        throw std::runtime_error("no alert is showing, so there is no " + HostQuotedInput(title) +
                                 " button to press");
    }
    NSInteger index = alert->indexOfButtonWithTitle(title);
    if (index < 0) {
        std::string buttons;
        for (NSInteger i = 0; i < alert->numberOfButtons(); ++i) {
            buttons += (i ? ", \"" : "\"") + alert->buttonTitleAtIndex(i) + "\"";
        }
        throw std::runtime_error("the alert \"" + alert->title() + "\" has no button " +
                                 HostQuotedInput(title) + " (its buttons: " + buttons + ")");
    }
    alert->pressButtonAtIndex(index);
    changed();
}

// Return presses the focused button (at first the one drawn bold), Escape the
// cancel button; held, each repeat answers the next alert.
void HostSession::pressAlertButtonForKey(HostKey::Kind kind) {
    UIAlertView* alert = UIAlertView::visibleAlert();
    if (alert == nullptr) {
        return;
    }
    NSInteger index = alert->cancelButtonIndex();
    if (kind == HostKey::Kind::returnKey) {
        index = alert->indexOfButton(UIFocusEngine::shared().focusedView());
    }
    if (index >= 0) {
        alert->pressButtonAtIndex(index);
        changed();
    }
}

namespace {

std::optional<UIFocusHeading> headingOf(const HostKey& key) {
    using K = HostKey::Kind;
    switch (key.kind) {
    case K::tab:
        return key.has(HostKey::shift) ? UIFocusHeading::previous : UIFocusHeading::next;
    case K::left:
        return UIFocusHeading::left;
    case K::right:
        return UIFocusHeading::right;
    case K::up:
        return UIFocusHeading::up;
    case K::down:
        return UIFocusHeading::down;
    default:
        return std::nullopt;
    }
}

bool isActivation(const HostKey& key) {
    return key.modifiers == 0 && (key.kind == HostKey::Kind::returnKey || key == HostKey::of(' '));
}

} // namespace

// Keys of the platform's own: moving focus, Ctrl+C, Return and Escape on an alert,
// Space and Return on the focused element. False for the keys left to the program.
bool HostSession::focusKeyDown(HostKey key, HostKeyPress press) {
    if (std::optional<UIFocusHeading> heading = headingOf(key)) {
        if (UIFocusEngine::shared().moveFocus(*heading)) {
            changed();
        }
        return true;
    }
    if (key.has(HostKey::control)) {
        if (key == HostKey{HostKey::Kind::character, 'c', HostKey::control} &&
            press == HostKeyPress::first) {
            application().sendAction("copy:", nullptr, nullptr, nullptr);
        }
        return true;
    }
    bool returnOrEscape = key.kind == HostKey::Kind::returnKey || key.kind == HostKey::Kind::escape;
    if (UIAlertView::visibleAlert() != nullptr) {
        if (returnOrEscape) {
            pressAlertButtonForKey(key.kind);
        }
        return returnOrEscape;
    }
    // In a program that types, Space and Return type as its keys do.
    if (isActivation(key) && !typesText()) {
        if (std::optional<CGPoint> point = UIFocusEngine::shared().activationPoint()) {
            if (press == HostKeyPress::first) {
                tap(*point); // the same touches as a tap there
            }
            return true;
        }
    }
    return key.kind == HostKey::Kind::escape ||
           (key.kind == HostKey::Kind::returnKey && !typesText());
}

void HostSession::keyDown(HostKey key, HostKeyPress press) {
    using K = HostKey::Kind;
    if (focusKeyDown(key, press)) {
        return;
    }
    bool typing =
        !key.has(HostKey::control) &&
        (key.typedCharacter() != 0 || key.kind == K::backSpace || key.kind == K::returnKey);
    if (!typing || !characterKeys_) {
        return;
    }
    if (press == HostKeyPress::repeat) {
        if (!isHeld(key)) {
            return;
        }
        keyUp(key);
    }
    if (heldKey_) {
        if (press == HostKeyPress::first) {
            waitingKeys_.emplace_back(key, false);
        }
        return;
    }
    pressOnScreenKey(key);
}

// Readying takes at most a shift and a keyplane switch; the bound keeps a keyboard
// that never settles from looping.
void HostSession::pressOnScreenKey(const HostKey& key) {
    constexpr int readyingTaps = 4;
    for (int tapped = 0; tapped <= readyingTaps; ++tapped) {
        std::optional<HostOnScreenKey> onScreen = characterKeys_(key);
        if (!onScreen) {
            return;
        }
        if (!onScreen->readies) {
            if (touchDown(onScreen->point)) {
                heldKey_ = key;
                heldKeyPoint_ = onScreen->point;
            }
            return;
        }
        if (!tap(onScreen->point)) {
            return;
        }
    }
}

// The same key of the computer's keyboard, whatever modifiers came and went.
bool HostSession::isHeld(const HostKey& key) const {
    return heldKey_ && heldKey_->kind == key.kind && heldKey_->character == key.character;
}

void HostSession::keyUp(HostKey key) {
    if (isHeld(key)) {
        heldKey_.reset();
        touchUp(heldKeyPoint_);
        pressWaitingKey();
        return;
    }
    for (auto& [waiting, up] : waitingKeys_) {
        if (waiting.kind == key.kind && waiting.character == key.character && !up) {
            up = true;
            return;
        }
    }
}

// The next waiting key takes the finger; one already up is tapped, and the next
// after it waits no longer either.
void HostSession::pressWaitingKey() {
    while (!heldKey_ && !waitingKeys_.empty()) {
        auto [key, up] = waitingKeys_.front();
        waitingKeys_.pop_front();
        pressOnScreenKey(key);
        if (!heldKey_) {
            continue; // the keyboard has no key for it, or the mouse holds the finger
        }
        if (up) {
            heldKey_.reset();
            touchUp(heldKeyPoint_);
        }
    }
}

void HostSession::pressKey(HostKey key) {
    keyDown(key);
    keyUp(key);
}

void HostSession::textKeyDown(int code, HostKeyPress press) {
    textKeyDown_.emplace(code, press);
}

void HostSession::typeText(const std::string& utf8) {
    std::optional<HostKey> key = utf8.size() == 1 ? HostKey::typing(utf8[0]) : std::nullopt;
    if (key && textKeyDown_) {
        keyDown(*key, textKeyDown_->second);
        typedKeys_[textKeyDown_->first] = *key;
    } else {
        for (char character : utf8) {
            if (std::optional<HostKey> typed = HostKey::typing(character)) {
                pressKey(*typed);
            }
        }
    }
    textKeyDown_.reset();
}

bool HostSession::textKeyUp(int code) {
    auto typed = typedKeys_.find(code);
    if (typed == typedKeys_.end()) {
        return false;
    }
    HostKey key = typed->second;
    typedKeys_.erase(typed);
    keyUp(key);
    return true;
}

void HostSession::releaseKeys() {
    waitingKeys_.clear();
    textKeyDown_.reset();
    typedKeys_.clear();
    if (heldKey_) {
        heldKey_.reset();
        touchCancel();
    }
}

void HostSession::focus() {
    application().becomeActive();
    if (focusHandler_) {
        focusHandler_();
    }
    changed();
}

bool HostSession::rotate(bool landscape) {
    bool turned = application().rotateToInterfaceOrientation(
        landscape ? UIInterfaceOrientationLandscapeRight : UIInterfaceOrientationPortrait);
    changed();
    return turned;
}

void HostSession::prepareFrame() const {
    UIFocusEngine::shared().updateFocusRing();
}

CGImageRef HostSession::renderFrame() const {
    prepareFrame();
    const UIScreenRef& screen = UIScreen::mainScreen();
    return CARenderLayerTree(screen->layer(), screen->bounds().size, scale_);
}

bool HostSession::isAnimating() const {
    return CARendererHasRunningAnimations(UIScreen::mainScreen()->layer());
}

void HostSession::writeScreenshot(const std::filesystem::path& path) const {
    writeScreenshot(renderFrame(), path);
}

void HostSession::writeScreenshot(const CGImageRef& image, const std::filesystem::path& path) {
    std::error_code error;
    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path(), error);
        if (error) {
            throw std::runtime_error("cannot make the folder " +
                                     HostInputExcerpt(path.parent_path().string()) + ": " +
                                     error.message());
        }
    }
    if (!image || !CGImageWritePNG(image, path)) {
        throw std::runtime_error("cannot write the screenshot " + HostInputExcerpt(path.string()));
    }
}

bool HostSession::runTouchCommand(const ScriptCommand& command) {
    const std::string& name = command.name;
    auto requireTouch = [&](bool ok, const char* problem) {
        if (!ok) {
            throw ScriptError(command.line, problem);
        }
    };
    if (name == "tap") {
        requireTouch(tap(pointOf(command)),
                     "tap while a finger is down (lift it with up or cancel first)");
    } else if (name == "down") {
        requireTouch(touchDown(pointOf(command)),
                     "down while a finger is already down (one finger only)");
    } else if (name == "move") {
        requireTouch(touchMove(pointOf(command)), "move with no finger down (use down first)");
    } else if (name == "up") {
        requireTouch(touchUp(pointOf(command)), "up with no finger down (use down first)");
    } else if (name == "cancel") {
        requireTouch(touchCancel(), "cancel with no finger down (use down first)");
    } else if (name == "drag") {
        int moves = command.numbers.size() > 4 ? static_cast<int>(command.numbers[4]) : 8;
        requireTouch(drag(pointOf(command, 0), pointOf(command, 2), moves),
                     "drag while a finger is down (lift it with up or cancel first)");
    } else {
        return false;
    }
    return true;
}

void HostSession::runProgramCommand(const ScriptCommand& command) {
    for (const HostScriptCommand& own : programCommands_) {
        if (own.syntax.name == command.name) {
            own.run(command, *this);
            changed();
            return;
        }
    }
    throw ScriptError(command.line, "unknown command \"" + command.name + "\"");
}

HostSession::Step HostSession::run(const ScriptCommand& command) {
    const std::string& name = command.name;
    if (runTouchCommand(command)) {
        return Step::next;
    }
    if (name == "alert") {
        try {
            pressAlertButton(command.text);
        } catch (const std::runtime_error& error) {
            throw ScriptError(command.line, error.what());
        }
    } else if (name == "press") {
        if (std::optional<HostKey> key = HostKeyNamed(command.text)) {
            pressKey(*key);
        }
    } else if (name == "rotate") {
        rotate(command.text == "landscape");
    } else if (name == "wait") {
        if (waitHandler_) {
            waitHandler_(command.numbers[0] / 1000.0);
        }
        changed();
    } else if (name == "screenshot") {
        try {
            writeScreenshot(command.text);
        } catch (const std::runtime_error& error) {
            throw HostFailure(command.line, error.what());
        }
    } else if (name == "state") {
        std::string line = HostAccessibilityStateJSON() + "\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
    } else if (name == "focus") {
        focus();
    } else if (name == "quit") {
        return Step::quit;
    } else {
        runProgramCommand(command);
    }
    return Step::next;
}
