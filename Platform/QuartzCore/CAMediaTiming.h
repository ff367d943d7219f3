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
