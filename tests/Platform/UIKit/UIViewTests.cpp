#include "UIKitTestSupport.h"

#include <UIKit/UIKit.h>

#include <gtest/gtest.h>

#include <cstring>

using uikittest::WindowTest;

namespace {

struct AutoresizeCase {
    const char* name;
    UIViewAutoresizing mask;
    CGRect before;
    CGSize newSuperSize;
    CGRect after;
};

// The superview starts 320 x 460 (the application frame) and changes size.
const AutoresizeCase autoresizeCases[] = {
    {"fixed", UIViewAutoresizingNone, {{10, 10}, {100, 100}}, {320, 416}, {{10, 10}, {100, 100}}},
    {"width",
     UIViewAutoresizingFlexibleWidth,
     {{10, 10}, {300, 100}},
     {480, 256},
     {{10, 10}, {460, 100}}},
    {"height",
     UIViewAutoresizingFlexibleHeight,
     {{0, 0}, {320, 460}},
     {320, 416},
     {{0, 0}, {320, 416}}},
    {"both (18) to the content area",
     UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight,
     {{0, 0}, {320, 460}},
     {320, 416},
     {{0, 0}, {320, 416}}},
    {"both (18) to landscape",
     UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight,
     {{0, 0}, {320, 460}},
     {480, 256},
     {{0, 0}, {480, 256}}},
    {"centred by flexible margins",
     UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleRightMargin |
         UIViewAutoresizingFlexibleTopMargin | UIViewAutoresizingFlexibleBottomMargin,
     {{110, 180}, {100, 100}},
     {480, 300},
     {{190, 100}, {100, 100}}},
    {"right margin stays",
     UIViewAutoresizingFlexibleLeftMargin,
     {{200, 0}, {100, 10}},
     {480, 460},
     {{360, 0}, {100, 10}}},
};

class Autoresizing : public ::testing::TestWithParam<AutoresizeCase> {};

TEST_P(Autoresizing, SubviewFollowsItsMaskWhenTheSuperviewResizes) {
    const AutoresizeCase& c = GetParam();
    UIView parent(CGRectMake(0, 20, 320, 460));
    auto child = std::make_shared<UIView>(c.before);
    child->setAutoresizingMask(c.mask);
    parent.addSubview(child);
    parent.setFrame(CGRectMake(0, 20, c.newSuperSize.width, c.newSuperSize.height));
    EXPECT_EQ(child->frame(), c.after) << c.name;
}

INSTANTIATE_TEST_SUITE_P(UIView, Autoresizing, ::testing::ValuesIn(autoresizeCases));

TEST(UIViewGeometry, FrameReadsBackTheExactValueSet) {
    // Coordinates whose centre loses the last bit in float: the frame must not.
    for (float x : {25.333334f, 71.333336f, 117.333336f, 310.66666f, 363.66666f}) {
        UIView view;
        view.setFrame(CGRectMake(x, 370, 36, 36));
        float read = view.frame().origin.x;
        EXPECT_EQ(std::memcmp(&read, &x, sizeof x), 0) << x;
        EXPECT_EQ(view.bounds(), CGRectMake(0, 0, 36, 36));
    }
}

TEST(UIViewGeometry, CenterAndBoundsDefineTheFrame) {
    UIView view(CGRectMake(10, 20, 100, 50));
    EXPECT_EQ(view.center(), CGPointMake(60, 45));
    view.setCenter(CGPointMake(100, 100));
    EXPECT_EQ(view.frame(), CGRectMake(50, 75, 100, 50));
    view.setBounds(CGRectMake(0, 0, 20, 20));
    EXPECT_EQ(view.frame(), CGRectMake(90, 90, 20, 20));
}

TEST(UIViewGeometry, PointsConvertBetweenBranchesOfOneTree) {
    UIView top(CGRectMake(0, 0, 320, 480));
    auto a = std::make_shared<UIView>(CGRectMake(10, 20, 100, 100));
    auto b = std::make_shared<UIView>(CGRectMake(200, 300, 50, 50));
    auto inner = std::make_shared<UIView>(CGRectMake(5, 5, 10, 10));
    top.addSubview(a);
    top.addSubview(b);
    a->addSubview(inner);
    a->setBounds(CGRectMake(0, -10, 100, 100)); // a scrolled view
    EXPECT_EQ(inner->convertPointToView({1, 2}, b.get()),
              CGPointMake(10 + 5 + 1 - 200, 20 + 10 + 5 + 2 - 300));
    EXPECT_EQ(b->convertPointFromView({1, 2}, inner.get()), CGPointMake(-184, -263));
    EXPECT_EQ(inner->convertPointToView({0, 0}, nullptr), CGPointMake(15, 35));
}

TEST(UIViewTree, SubviewOrderAndLayerOrderAgree) {
    UIView parent;
    auto own = CALayer::layer();
    parent.layer()->addSublayer(own); // a sublayer the view made itself, at the bottom
    auto a = std::make_shared<UIView>(), b = std::make_shared<UIView>(),
         c = std::make_shared<UIView>();
    parent.addSubview(a);
    parent.addSubview(b);
    parent.insertSubview(c, 0);
    auto layerOrder = [&] {
        std::vector<CALayer*> order;
        for (const auto& layer : parent.layer()->sublayers()) {
            order.push_back(layer.get());
        }
        return order;
    };
    EXPECT_EQ(layerOrder(), (std::vector<CALayer*>{own.get(), c->layer(), a->layer(), b->layer()}));
    parent.bringSubviewToFront(c.get());
    EXPECT_EQ(parent.subviews(), (std::vector<UIViewRef>{a, b, c}));
    EXPECT_EQ(layerOrder(), (std::vector<CALayer*>{own.get(), a->layer(), b->layer(), c->layer()}));
    b->removeFromSuperview();
    EXPECT_EQ(b->superview(), nullptr);
    EXPECT_EQ(layerOrder(), (std::vector<CALayer*>{own.get(), a->layer(), c->layer()}));
}

TEST(UIViewTree, AddingAViewMovesItFromItsOldSuperviewAndTellsTheNewOne) {
    struct Parent : UIView {
        void didAddSubview(UIView* subview) override { added.push_back(subview); }
        std::vector<UIView*> added;
    };
    Parent first, second;
    auto child = std::make_shared<UIView>();
    first.addSubview(child);
    second.addSubview(child);
    EXPECT_TRUE(first.subviews().empty());
    EXPECT_EQ(child->superview(), &second);
    EXPECT_EQ(child->layer()->superlayer(), second.layer());
    EXPECT_EQ(second.added, (std::vector<UIView*>{child.get()}));
}

TEST(UIViewHitTest, FrontMostInteractiveViewWins) {
    UIView top(CGRectMake(0, 0, 100, 100));
    auto back = std::make_shared<UIView>(CGRectMake(0, 0, 100, 100));
    auto front = std::make_shared<UIView>(CGRectMake(50, 50, 50, 50));
    top.addSubview(back);
    top.addSubview(front);
    EXPECT_EQ(top.hitTest({75, 75}, nullptr), front.get());
    EXPECT_EQ(top.hitTest({25, 25}, nullptr), back.get());
    EXPECT_EQ(top.hitTest({100, 50}, nullptr), nullptr);
    front->setAlpha(0);
    EXPECT_EQ(top.hitTest({75, 75}, nullptr), back.get());
    front->setAlpha(1);
    front->setUserInteractionEnabled(false);
    EXPECT_EQ(top.hitTest({75, 75}, nullptr), back.get());
}

TEST(UIViewLayout, LayoutRunsOnceWhenNeededAndAfterResizing) {
    struct Counting : UIView {
        using UIView::UIView;
        void layoutSubviews() override { ++count; }
        int count = 0;
    };
    Counting view(CGRectMake(0, 0, 10, 10));
    view.layoutIfNeeded();
    view.layoutIfNeeded();
    EXPECT_EQ(view.count, 1);
    view.setFrame(CGRectMake(5, 5, 10, 10)); // moved, same size
    view.layoutIfNeeded();
    EXPECT_EQ(view.count, 1);
    view.setFrame(CGRectMake(5, 5, 20, 10));
    view.layoutIfNeeded();
    EXPECT_EQ(view.count, 2);
    view.setNeedsLayout();
    view.layoutIfNeeded();
    EXPECT_EQ(view.count, 3);
}

class ViewAnimation : public ::testing::Test {
  protected:
    void SetUp() override { CAMediaTimeUseVirtualClock(10); }
};

TEST_F(ViewAnimation, OutsideABlockViewsChangeAtOnce) {
    UIView view(CGRectMake(0, 0, 10, 10));
    view.setCenter({100, 100});
    EXPECT_EQ(view.layer()->presentationPosition(), CGPointMake(100, 100));
    EXPECT_FALSE(view.layer()->hasRunningAnimations());
}

TEST_F(ViewAnimation, InsideABlockChangesTakeTheDefaultPointTwoSeconds) {
    UIView view(CGRectMake(0, 0, 10, 10));
    UIView::beginAnimations();
    view.setCenter({105, 5});
    UIView::commitAnimations();
    EXPECT_EQ(view.center(), CGPointMake(105, 5));
    EXPECT_EQ(view.layer()->presentationPosition(), CGPointMake(5, 5));
    CAMediaTimeAdvance(0.1);
    CGPoint half = view.layer()->presentationPosition();
    EXPECT_GT(half.x, 5);
    EXPECT_LT(half.x, 105);
    CAMediaTimeAdvance(0.1);
    EXPECT_EQ(view.layer()->presentationPosition(), CGPointMake(105, 5));
}

TEST_F(ViewAnimation, DurationAndNestingFollowTheInnermostBlock) {
    UIView outer(CGRectMake(0, 0, 10, 10)), inner(CGRectMake(0, 0, 10, 10));
    UIView::beginAnimations();
    UIView::setAnimationDuration(1.0);
    UIView::beginAnimations(); // inherits 1 s
    inner.setCenter({105, 5});
    UIView::commitAnimations();
    outer.setCenter({105, 5});
    UIView::commitAnimations();
    CAMediaTimeAdvance(0.5);
    EXPECT_LT(inner.layer()->presentationPosition().x, 105);
    EXPECT_LT(outer.layer()->presentationPosition().x, 105);
    CAMediaTimeAdvance(0.5);
    EXPECT_EQ(inner.layer()->presentationPosition().x, 105);
    // After the blocks, changes are immediate again.
    outer.setCenter({0, 0});
    EXPECT_EQ(outer.layer()->presentationPosition(), CGPointMake(0, 0));
}

class DrawingView : public UIView {
  public:
    using UIView::UIView;
    void drawRect(CGRect rect) override {
        ++draws;
        drawnRect = rect;
        color->setFill();
        CGContextFillRect(UIGraphicsGetCurrentContext(), CGRectMake(0, 0, 10, 10));
    }
    int draws = 0;
    CGRect drawnRect{};
    UIColorRef color = UIColor::redColor();
};

class ViewDrawing : public WindowTest {};

TEST_F(ViewDrawing, DrawRectPaintsTheLayerAndIsKeptUntilMarkedAgain) {
    auto view = std::make_shared<DrawingView>(CGRectMake(50, 60, 40, 30));
    root->addSubview(view);
    CGImageRef first = frame();
    EXPECT_TRUE(uikittest::near(CGImageGetPixel(first, 55, 65), {255, 0, 0, 255}));
    EXPECT_TRUE(uikittest::near(CGImageGetPixel(first, 75, 80), {255, 255, 255, 255}));
    EXPECT_EQ(view->drawnRect, CGRectMake(0, 0, 40, 30));
    frame();
    EXPECT_EQ(view->draws, 1);
    view->color = UIColor::blueColor();
    view->setNeedsDisplay();
    CGImageRef second = frame();
    EXPECT_EQ(view->draws, 2);
    EXPECT_TRUE(uikittest::near(CGImageGetPixel(second, 55, 65), {0, 0, 255, 255}));
}

TEST_F(ViewDrawing, BackgroundAlphaHiddenAndClippingShowOnScreen) {
    auto box = std::make_shared<UIView>(CGRectMake(10, 30, 20, 20));
    box->setBackgroundColor(UIColor::blackColor());
    auto spill = std::make_shared<UIView>(CGRectMake(15, 0, 20, 20)); // reaches past the box
    spill->setBackgroundColor(UIColor::greenColor());
    box->addSubview(spill);
    root->addSubview(box);
    CGImageRef open = frame();
    EXPECT_TRUE(uikittest::near(CGImageGetPixel(open, 12, 32), {0, 0, 0, 255}));
    EXPECT_TRUE(uikittest::near(CGImageGetPixel(open, 40, 35), {0, 255, 0, 255}));
    box->setClipsToBounds(true);
    EXPECT_TRUE(uikittest::near(CGImageGetPixel(frame(), 40, 35), {255, 255, 255, 255}));
    box->setAlpha(0.5f);
    EXPECT_TRUE(uikittest::near(CGImageGetPixel(frame(), 12, 32), {128, 128, 128, 255}, 2));
    box->setHidden(true);
    EXPECT_TRUE(uikittest::near(CGImageGetPixel(frame(), 12, 32), {255, 255, 255, 255}));
}

TEST(UIImageView, InitWithImageSizesToTheImageAndTakesNoTouches) {
    std::vector<CGPixel> pixels(30 * 20, CGPixel{255, 0, 0, 255});
    UIImageRef image = UIImage::imageWithCGImage(CGImageCreateWithPixels(30, 20, 1, pixels), 1);
    auto view = UIImageView::initWithImage(image);
    EXPECT_EQ(view->frame(), CGRectMake(0, 0, 30, 20));
    EXPECT_FALSE(view->isUserInteractionEnabled());
    view->setContentMode(UIViewContentModeTopLeft);
    EXPECT_EQ(view->layer()->contentsGravity(), CAContentsGravity::topLeft);
}

} // namespace
