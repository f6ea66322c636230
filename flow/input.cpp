#include "flow/input.h"

#include "flow/betting.h"
#include "flow/buttons.h"
#include "flow/game.h"
#include "gfx/frame.h"
#include "platform/windows.h"
#include "rules/machines.h"

uint16_t payTablePage = 0;

namespace {

constexpr uint32_t PayTableDuration = 30000;
constexpr int MoreControl = 4;
constexpr uint16_t PageSize = 6;

}  // namespace

void handleTap(int16_t x, int16_t y) {
    const MachineDef& d = currentMachineDef();
    if (gameState == PayTable) {
        if (rectContains(d.controlRects[MoreControl], x, y)) {
            doButtonAction(ButtonAction::More);
        } else {
            closePicture(1);
        }
        return;
    }
    const int count = d.buttonCount + d.hotAreaCount;
    for (int k = 0; k < count; ++k) {
        if ((buttons[k].flags & ButtonFlags::Enabled) != 0 && rectContains(d.controlRects[k], x, y)) {
            doButtonAction(controlAction(k));
        }
    }
}

void doButtonAction(ButtonAction action) {
    switch (action) {
        case ButtonAction::BetOne:
            BetOne();
            break;
        case ButtonAction::BetMax:
            BetMax();
            break;
        case ButtonAction::Spin:
            Spin();
            break;
        case ButtonAction::OpenPayTable:
            if (gameState == Idle) {
                payTablePage = 0;
                showPicture(currentMachineDef().payTablePicture, PayTableDuration, PayTable);
            }
            break;
        case ButtonAction::More:
            payTablePage = static_cast<uint16_t>(payTablePage + PageSize);
            if (payTablePage >= payEntryCount) payTablePage = 0;
            pictureDeadline = GetTickCount() + PayTableDuration;
            renderFrame(1);
            break;
        default:
            break;
    }
}

void resetInput() {
    payTablePage = 0;
}
