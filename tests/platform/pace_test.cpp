// What every host that shows the display shares (platform/host.h): passes held to their rate,
// against a fake clock, and the host's pen kept on the display.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

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

TEST(Pace, APassIsDueOnTheScheduleUnlessThereIsNoneYetOrItIsOverFourPassesBehind) {
    Pacer pacer;
    pacer.period = 10;
    EXPECT_EQ(passDue(pacer, 500), 500u) << "no schedule yet";
    pacer.nextPass = 1000;
    EXPECT_EQ(passDue(pacer, 900), 1000u) << "early: when it is due";
    EXPECT_EQ(passDue(pacer, 1040), 1000u) << "four passes behind: still on the schedule";
    EXPECT_EQ(passDue(pacer, 1041), 1041u) << "further behind: afresh from now";
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

void keep(const HostEvent& event, void* user) {
    static_cast<std::vector<HostEvent>*>(user)->push_back(event);
}

TEST(HostPen, GoesDownOnlyOnTheDisplayMovesOnItAndComesUpWhereItLastWasOnIt) {
    platformReset();
    std::vector<HostEvent> taken;
    platformSetInputHook(keep, &taken);
    platformHostPen(HostEventKind::PenMove, 10, 10);   // not down: nothing
    platformHostPen(HostEventKind::PenDown, 240, 10);  // off the display: nothing
    platformHostPen(HostEventKind::PenDown, 50, 100);
    platformHostPen(HostEventKind::PenDown, 60, 100);  // already down: nothing
    platformHostPen(HostEventKind::PenMove, -1, 100);  // off the display: nothing
    platformHostPen(HostEventKind::PenMove, 60, 110);
    platformHostPen(HostEventKind::PenUp, 500, -500);   // lifted off the display: where it last was
    platformHostPen(HostEventKind::PenUp, 70, 120);     // not down: nothing
    platformHostPen(HostEventKind::PenDown, 239, 319);  // the last pixel is on the display
    platformHostPen(HostEventKind::PenUp, 239, 319);
    MSG msg;
    while (platformInputPending() > 0)
        PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
    const std::vector<std::vector<int>> expected = {
        {0, 50, 100}, {1, 60, 110}, {2, 60, 110}, {0, 239, 319}, {2, 239, 319}};
    std::vector<std::vector<int>> got;
    for (const HostEvent& event : taken)
        got.push_back({static_cast<int>(event.kind), event.x, event.y});
    EXPECT_EQ(got, expected);
    platformReset();
}

}  // namespace
