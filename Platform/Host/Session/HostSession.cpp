// The session's touches, focus, turning and frames; its keys are in HostSessionKeys.cpp.
#include <Host/Session/HostSession.h>

#include <QuartzCore/CARenderer.h>
#include <UIKit/UIAlertView.h>
#include <UIKit/UIApplication.h>
#include <UIKit/UIFocusEngine.h>
#include <UIKit/UIScreen.h>

namespace {

UIApplication& application() {
    return *UIApplication::sharedApplication();
}

} // namespace

HostSession::HostSession(CGFloat scale) : scale_(scale) {}

HostSession::~HostSession() {
    changeHandler_ = nullptr; // whoever watched the screen may be gone already
    waitingKeys_.clear();
    heldKey_.reset();
    touchCancel();
}

void HostSession::changed() {
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

bool HostSession::pressAlertButton(const std::string& title) {
    UIAlertView* alert = UIAlertView::visibleAlert();
    NSInteger index = alert ? alert->indexOfButtonWithTitle(title) : -1;
    if (index < 0) {
        return false;
    }
    alert->pressButtonAtIndex(index);
    changed();
    return true;
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
