// View animation blocks: which property changes animate, and for how long. The
// view answers its layer's action queries from the innermost open block.
#include <UIKit/UIView.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

namespace {

bool isAnimatableKey(const std::string& key) {
    static const char* const keys[] = {"bounds",          "position",    "opacity",
                                       "backgroundColor", "borderColor", "borderWidth",
                                       "cornerRadius",    "anchorPoint"};
    return std::any_of(std::begin(keys), std::end(keys), [&](const char* k) { return key == k; });
}

struct AnimationBlocks {
    std::vector<double> durations; // one per open block, innermost last
    bool enabled = true;
};

AnimationBlocks& animationBlocks() {
    static AnimationBlocks blocks;
    return blocks;
}

} // namespace

void UIView::beginAnimations(const std::string& animationID, void* context) {
    (void)animationID;
    (void)context;
    AnimationBlocks& blocks = animationBlocks();
    double duration = blocks.durations.empty() ? defaultAnimationDuration : blocks.durations.back();
    blocks.durations.push_back(duration);
}

void UIView::commitAnimations() {
    AnimationBlocks& blocks = animationBlocks();
    if (!blocks.durations.empty()) {
        blocks.durations.pop_back();
    }
}

void UIView::setAnimationDuration(double seconds) {
    AnimationBlocks& blocks = animationBlocks();
    if (!blocks.durations.empty()) {
        blocks.durations.back() = seconds;
    }
}

void UIView::setAnimationsEnabled(bool enabled) {
    animationBlocks().enabled = enabled;
}

bool UIView::areAnimationsEnabled() {
    return animationBlocks().enabled;
}

std::optional<CAAction> UIView::actionForLayer(CALayer* layer, const std::string& key) {
    (void)layer;
    const AnimationBlocks& blocks = animationBlocks();
    if (blocks.durations.empty() || !blocks.enabled || !isAnimatableKey(key)) {
        return CAAction::none();
    }
    return CAAction::animated(blocks.durations.back());
}
