// Implicit animations and transactions on the virtual clock.
#include <QuartzCore/CALayer.h>
#include <QuartzCore/CAMediaTiming.h>
#include <QuartzCore/CAShapeLayer.h>
#include <QuartzCore/CATransaction.h>

#include <gtest/gtest.h>

namespace {

class VirtualClock : public ::testing::Test {
  protected:
    void SetUp() override { CAMediaTimeUseVirtualClock(100); }
    void TearDown() override {
        while (CATransaction::depth() > 0) {
            CATransaction::commit();
        }
    }
};

CGColorRef rgba(CGFloat r, CGFloat g, CGFloat b, CGFloat a = 1) {
    const CGFloat components[] = {r, g, b, a};
    return CGColorCreate(CGColorSpaceCreateDeviceRGB(), components);
}

class FixedActionDelegate : public CALayerDelegate {
  public:
    explicit FixedActionDelegate(std::optional<CAAction> action) : action_(action) {}
    std::optional<CAAction> actionForLayer(CALayer*, const std::string& key) override {
        askedKeys.push_back(key);
        return action_;
    }
    std::vector<std::string> askedKeys;

  private:
    std::optional<CAAction> action_;
};

} // namespace

using CATransactionTest = VirtualClock;

TEST_F(CATransactionTest, ImplicitChangeRunsAQuarterSecond) {
    auto layer = CALayer::layer();
    layer->setOpacity(0);
    EXPECT_EQ(layer->opacity(), 0) << "the model value changes at once";
    EXPECT_FLOAT_EQ(layer->presentationOpacity(), 1);
    EXPECT_TRUE(layer->hasRunningAnimations());
    CAMediaTimeAdvance(0.125);
    EXPECT_NEAR(layer->presentationOpacity(), 0.5f, 1e-4);
    CAMediaTimeAdvance(0.125);
    EXPECT_FLOAT_EQ(layer->presentationOpacity(), 0);
    EXPECT_FALSE(layer->hasRunningAnimations());
}

TEST_F(CATransactionTest, DisabledActionsChangeAtOnceEitherWay) {
    auto byCall = CALayer::layer();
    CATransaction::begin();
    CATransaction::setDisableActions(true);
    byCall->setPosition(CGPointMake(10, 20));
    CATransaction::commit();

    auto byValue = CALayer::layer();
    CATransaction::begin();
    CATransaction::setValue(kCFBooleanTrue, kCATransactionDisableActions);
    byValue->setPosition(CGPointMake(10, 20));
    CATransaction::commit();

    for (const auto& layer : {byCall, byValue}) {
        EXPECT_EQ(layer->presentationPosition(), CGPointMake(10, 20));
        EXPECT_FALSE(layer->hasRunningAnimations());
    }
    EXPECT_FALSE(CATransaction::disableActions()) << "the setting ends with its transaction";
}

TEST_F(CATransactionTest, ExplicitDurationIsHonoured) {
    struct Case {
        NSObjectRef value;
        double duration;
    } cases[] = {
        {NSNumber::numberWithDouble(1.0), 1.0},
        {NSNumber::numberWithFloat(0.001f), 0.001f},
    };
    for (const auto& c : cases) {
        CAMediaTimeUseVirtualClock(0);
        auto layer = CALayer::layer();
        CATransaction::begin();
        CATransaction::setValue(c.value, kCATransactionAnimationDuration);
        layer->setOpacity(0.2f);
        CATransaction::commit();
        CAMediaTimeAdvance(c.duration / 2);
        EXPECT_NEAR(layer->presentationOpacity(), 0.6f, 1e-3) << c.duration;
        CAMediaTimeAdvance(c.duration / 2 + 1e-9);
        EXPECT_FLOAT_EQ(layer->presentationOpacity(), 0.2f) << c.duration;
    }
}

TEST_F(CATransactionTest, ZeroDurationChangesAtOnce) {
    auto layer = CALayer::layer();
    CATransaction::begin();
    CATransaction::setValue(NSNumber::numberWithFloat(0), kCATransactionAnimationDuration);
    layer->setOpacity(0.3f);
    CATransaction::commit();
    EXPECT_FLOAT_EQ(layer->presentationOpacity(), 0.3f);
}

TEST_F(CATransactionTest, NestedTransactionsInheritAndRestore) {
    CATransaction::begin();
    CATransaction::setAnimationDuration(2);
    CATransaction::begin();
    EXPECT_EQ(CATransaction::animationDuration(), 2);
    CATransaction::setDisableActions(true);
    CATransaction::commit();
    EXPECT_FALSE(CATransaction::disableActions());
    EXPECT_EQ(CATransaction::animationDuration(), 2);
    CATransaction::commit();
    EXPECT_EQ(CATransaction::animationDuration(), 0.25);
    CATransaction::commit(); // unbalanced: ignored
    EXPECT_EQ(CATransaction::depth(), 0u);
}

TEST_F(CATransactionTest, DelegateActionWins) {
    FixedActionDelegate none(CAAction::none());
    auto atOnce = CALayer::layer();
    atOnce->setDelegate(&none);
    CATransaction::begin();
    CATransaction::setAnimationDuration(1);
    atOnce->setOpacity(0);
    CATransaction::commit();
    EXPECT_FLOAT_EQ(atOnce->presentationOpacity(), 0);
    EXPECT_EQ(none.askedKeys, std::vector<std::string>{"opacity"});

    FixedActionDelegate animated(CAAction::animated(0.2));
    auto slow = CALayer::layer();
    slow->setDelegate(&animated);
    CATransaction::begin();
    CATransaction::setDisableActions(true);
    slow->setOpacity(0);
    CATransaction::commit();
    CAMediaTimeAdvance(0.1);
    EXPECT_NEAR(slow->presentationOpacity(), 0.5f, 1e-4);

    FixedActionDelegate undecided(std::nullopt);
    auto implicit = CALayer::layer();
    implicit->setDelegate(&undecided);
    implicit->setOpacity(0);
    CAMediaTimeAdvance(0.125);
    EXPECT_NEAR(implicit->presentationOpacity(), 0.5f, 1e-4)
        << "no answer: the transaction decides";
}

TEST_F(CATransactionTest, RetargetingStartsFromTheValueOnScreen) {
    auto layer = CALayer::layer();
    layer->setOpacity(0);
    CAMediaTimeAdvance(0.125); // on screen: 0.5
    layer->setOpacity(1);
    EXPECT_NEAR(layer->presentationOpacity(), 0.5f, 1e-4);
    CAMediaTimeAdvance(0.125);
    EXPECT_NEAR(layer->presentationOpacity(), 0.75f, 1e-4);
}

TEST_F(CATransactionTest, GeometryAndColoursInterpolate) {
    auto layer = CALayer::layer();
    CATransaction::begin();
    CATransaction::setDisableActions(true);
    layer->setFrame(CGRectMake(0, 0, 10, 10));
    layer->setBackgroundColor(rgba(0, 0, 0));
    CATransaction::commit();
    layer->setFrame(CGRectMake(20, 40, 30, 10));
    layer->setBackgroundColor(rgba(1, 0.5f, 0));
    CAMediaTimeAdvance(0.125);
    EXPECT_EQ(layer->presentationBounds(), CGRectMake(0, 0, 20, 10));
    EXPECT_EQ(layer->presentationPosition(), CGPointMake(20, 25)); // centre (5, 5) -> (35, 45)
    CGColorRef halfway = layer->presentationBackgroundColor();
    const CGFloat* c = CGColorGetComponents(halfway);
    EXPECT_NEAR(c[0], 0.5f, 1e-4);
    EXPECT_NEAR(c[1], 0.25f, 1e-4);
    EXPECT_EQ(layer->frame(), CGRectMake(20, 40, 30, 10)) << "the model is final at once";
}

TEST_F(CATransactionTest, BooleansAndPathsSwitchAtOnce) {
    auto shape = CAShapeLayer::layer();
    shape->setHidden(true);
    shape->setPath(CGPathCreateWithRect(CGRectMake(0, 0, 5, 5), nullptr));
    EXPECT_TRUE(shape->isHidden());
    EXPECT_FALSE(shape->hasRunningAnimations());
}

TEST_F(CATransactionTest, SettingTheSameValueStartsNothing) {
    auto layer = CALayer::layer();
    layer->setOpacity(1);
    layer->setBackgroundColor(nullptr);
    EXPECT_FALSE(layer->hasRunningAnimations());
}

TEST(CAMediaTiming, VirtualClockMovesOnlyForwardAndOnlyWhenAdvanced) {
    CAMediaTimeUseVirtualClock(5);
    EXPECT_EQ(CACurrentMediaTime(), 5);
    CAMediaTimeAdvance(-1);
    CAMediaTimeAdvance(0.5);
    EXPECT_EQ(CACurrentMediaTime(), 5.5);
    CAMediaTimeUseRealClock();
    double a = CACurrentMediaTime(), b = CACurrentMediaTime();
    EXPECT_LE(a, b);
    EXPECT_FALSE(CAMediaTimeIsVirtual());
}
