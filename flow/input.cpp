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
constexpr int MoreControl = controlIndex(ButtonAction::More);
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

bool handleKey(uint32_t key) {
    struct KeyTap {
        uint32_t key;
        bool onPayTable;
        ButtonAction control;
    };
    static constexpr KeyTap keyTaps[] = {
        {VK_SPACE, true, ButtonAction::More},   {VK_RETURN, true, ButtonAction::More},
        {VK_RIGHT, true, ButtonAction::More},   {VK_SPACE, false, ButtonAction::Spin},
        {VK_RETURN, false, ButtonAction::Spin}, {'B', false, ButtonAction::BetOne},
        {'M', false, ButtonAction::BetMax},     {'P', false, ButtonAction::OpenPayTable},
    };
    if (gameState == PayTable && key == VK_ESCAPE) {
        handleTap(-1, -1);  // a tap on no control closes the pay table
        return true;
    }
    for (const KeyTap& k : keyTaps) {
        if (k.key != key || k.onPayTable != (gameState == PayTable)) continue;
        const Rect16& r = currentMachineDef().controlRects[controlIndex(k.control)];
        handleTap(static_cast<int16_t>(r.x + r.w / 2), static_cast<int16_t>(r.y + r.h / 2));
        return true;
    }
    return false;
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
