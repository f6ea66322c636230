// Holding the passes to their rate (platform/host.h), which every host that shows the display
// uses, against a fake clock.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/host.h"

namespace {

// A clock in microseconds that moves only when the pacing sleeps, or when a test moves it.
uint64_t fakeNow = 0;
uint64_t fakeClock() {
    return fakeNow;
}
void fakeSleep(uint32_t milliseconds) {
    fakeNow += milliseconds * uint64_t{1000};
}
const PaceClock FakeClock{fakeClock, fakeSleep, 1000000};

// How many passes begin, one after another, before one waits.
int passesWithoutWaiting(Pacer& pacer) {
    for (int n = 0;; ++n) {
        const uint64_t before = fakeNow;
        pace(pacer, FakeClock);
        if (fakeNow != before) return n;
    }
}

TEST(Pace, HoldsPassesToTheRateAndCatchesUpOnlyAfterAShortDelay) {
    const uint64_t period = 1000000 / 60;
    Pacer pacer;
    pacer.period = period;
    fakeNow = 5000000;
    for (int i = 0; i < 601; ++i)
        pace(pacer, FakeClock);
    // Sleeping whole milliseconds, a pass begins up to a millisecond early; the schedule keeps the rate.
    EXPECT_LE(fakeNow, 5000000 + 600 * period);
    EXPECT_GT(fakeNow + 1000, 5000000 + 600 * period) << "600 passes at 60 a second: 10 seconds";
    fakeNow = pacer.nextPass + 3 * period;
    EXPECT_EQ(passesWithoutWaiting(pacer), 4) << "three periods late: the pass due and the three missed";
    fakeNow = pacer.nextPass + 5 * period;
    EXPECT_EQ(passesWithoutWaiting(pacer), 1) << "after a stall the schedule starts afresh: no burst";
    // With vsync, presenting waits for the screen; pacing keeps a floor of nine tenths of a period
    // between passes, for a window that does not wait (hidden or minimised).
    Pacer vsync;
    vsync.period = period;
    vsync.vsync = true;
    const uint64_t first = fakeNow;
    EXPECT_EQ(passesWithoutWaiting(vsync), 1) << "the first pass does not wait";
    EXPECT_LE(fakeNow - first, period * 9 / 10);
    EXPECT_GT(fakeNow - first + 1000, period * 9 / 10);
    fakeNow += period;
    EXPECT_EQ(passesWithoutWaiting(vsync), 1) << "a pass already late does not wait";
    // A pass that shows nothing keeps to the schedule: due a period after the last one with vsync.
    vsync.vsync = false;
    const uint64_t shown = fakeNow;
    EXPECT_EQ(passesWithoutWaiting(vsync), 0);
    EXPECT_LE(fakeNow - shown, period);
    EXPECT_GT(fakeNow - shown + 1000, period);
    EXPECT_EQ(passesWithoutWaiting(vsync), 0) << "and the next a period later";
    EXPECT_LE(fakeNow - shown, 2 * period);
    EXPECT_GT(fakeNow - shown + 1000, 2 * period);
}

TEST(Pace, ReplayingKeepsTheScriptsStepsAndCutsLongPausesShort) {
    uint64_t last = 0;
    fakeNow = 1000000;
    paceReplay(last, 16, FakeClock);
    EXPECT_EQ(fakeNow, 1000000u) << "the first pass does not wait";
    paceReplay(last, 17, FakeClock);
    EXPECT_EQ(fakeNow, 1017000u);
    paceReplay(last, 3600000, FakeClock);
    EXPECT_EQ(fakeNow, 2017000u) << "an hour's pause plays as a second";
    fakeNow += 50000;
    paceReplay(last, 16, FakeClock);
    EXPECT_EQ(last, 2033000u) << "a little late: the schedule holds, and the next catches up";
    fakeNow += 200000;
    paceReplay(last, 16, FakeClock);
    EXPECT_EQ(last, 2267000u) << "over a tenth of a second late: from now";
}

}  // namespace
