// The clock that animations read: real time in a window, virtual time in headless
// runs and tests, where it moves only when advanced.
#pragma once

// Seconds on the current clock.
double CACurrentMediaTime();
// Switches to a virtual clock that reads `start` until advanced.
void CAMediaTimeUseVirtualClock(double start = 0);
void CAMediaTimeAdvance(double seconds);
void CAMediaTimeUseRealClock();
bool CAMediaTimeIsVirtual();

// While one lives, the real clock reads the time it was made: a frame reads every
// presentation value at one time, so that what it records of where layers are is
// where it draws them.
class CAMediaTimeFrameHold {
  public:
    CAMediaTimeFrameHold();
    ~CAMediaTimeFrameHold();
    CAMediaTimeFrameHold(const CAMediaTimeFrameHold&) = delete;
    CAMediaTimeFrameHold& operator=(const CAMediaTimeFrameHold&) = delete;

  private:
    bool held_ = false;
};
