// A fixture for tests that build layer trees at once: free-standing layers would
// otherwise animate to the values set on them. The clock is virtual, at zero.
#pragma once

#include <QuartzCore/CAMediaTiming.h>
#include <QuartzCore/CATransaction.h>

#include <gtest/gtest.h>

class LayerTreeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CAMediaTimeUseVirtualClock(0);
        CATransaction::begin();
        CATransaction::setDisableActions(true);
    }
    void TearDown() override { CATransaction::commit(); }
};
