#include "flow/reels.h"

#include "flow/machine.h"
#include "rules/outcome.h"
#include "shell/sound.h"

ReelState reels[MaxReels] = {};
uint32_t stopDeadline = 0;

namespace {

// A reel's stage runs from 0 up to the stopped stage, the only one of speed 0, and no further.
int speedOf(const ReelState& r) {
    return speedTable[r.speedStage];
}

}  // namespace

int stripPeriod(int reel) {
    if (reel < 0 || reel >= MaxReels) return 0;
    const ReelState& r = reels[reel];
    if (stripSprite.image != nullptr && stripSprite.height > r.stripWindow.h) {
        return stripSprite.height - r.stripWindow.h;
    }
    // Without its strip bitmap a reel still runs over the strip's cycle, so the game plays on.
    return currentMachineDef().reelRects[reel].h * currentMachineDef().stripLength / 4;
}

bool reelMoving(int reel) {
    return reel >= 0 && reel < MaxReels && speedOf(reels[reel]) != 0;
}

void advanceReels() {
    const int count = currentMachineDef().reelCount;
    for (int i = 0; i < count; ++i) {
        ReelState& r = reels[i];
        int y = static_cast<int16_t>(r.stripWindow.y - speedOf(r));
        if (y < 0) {
            // One wrap is enough for every built-in strip; the remainder keeps any strip in range.
            const int period = stripPeriod(i);
            y = period > 0 ? ((y % period) + period) % period : 0;
        }
        r.stripWindow.y = static_cast<int16_t>(y);
    }
}

bool stepStopping() {
    const int count = currentMachineDef().reelCount;
    int i = 0;
    while (i < count && !reelMoving(i))
        ++i;
    if (i == count) return false;

    ReelState& r = reels[i];
    const int y = r.stripWindow.y;
    bool advance = r.speedStage > 0;
    if (!advance) {
        const int a = windowStart[i];
        const int b = windowEnd[i];
        advance = a <= b ? (a <= y && y <= b) : (y >= a || y <= b);
    }
    if (advance) {
        r.speedStage = static_cast<int16_t>(r.speedStage + 1);
        if (speedOf(r) == 0 && y != targetScroll[i]) r.speedStage = static_cast<int16_t>(r.speedStage - 1);
    }
    if (i == count - 1 && speedOf(r) < 5) {
        stopSound(currentSound);
        currentSound = nullptr;
    }
    return true;
}

void resetReels() {
    for (ReelState& r : reels)
        r = {};
    stopDeadline = 0;
}
