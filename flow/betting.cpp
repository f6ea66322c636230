#include "flow/betting.h"

#include "flow/buttons.h"
#include "flow/reels.h"
#include "gfx/frame.h"
#include "gfx/widgets.h"
#include "platform/windows.h"
#include "rules/machines.h"
#include "rules/outcome.h"
#include "rules/random.h"
#include "shell/sound.h"

using namespace ButtonFlags;

Wallet wallet = InitialWallet;

namespace {

void startSound(const uint32_t* entry, int16_t options) {
    currentSound = entry;
    playSound(entry, options);
}

}  // namespace

void BetOne() {
    if (gameState != Idle) return;
    const MachineDef& d = currentMachineDef();
    if (wallet.bet < d.maxBet && wallet.credits >= wallet.coinValue) {
        wallet.credits -= wallet.coinValue;
        wallet.bet = static_cast<int16_t>(wallet.bet + 1);
    } else {
        wallet.credits += heldStake(wallet);
        wallet.bet = 0;
    }
    updateWidget(BetDisplay);
    updateWidget(CreditsDisplay);
    startSound(CoinSound, 1);
}

void BetMax() {
    if (gameState != Idle) return;
    const MachineDef& d = currentMachineDef();
    if (wallet.bet < d.maxBet) {
        const int32_t cost = (d.maxBet - wallet.bet) * wallet.coinValue;
        if (wallet.credits < cost) return;
        wallet.credits -= cost;
        wallet.bet = d.maxBet;
        updateWidget(BetDisplay);
        updateWidget(CreditsDisplay);
        renderFrame(1);
    }
    Spin();
}

void Spin() {
    if (gameState != Idle) return;
    if (wallet.bet == 0 && wallet.credits >= wallet.coinValue) {
        wallet.credits -= wallet.coinValue;
        wallet.bet = 1;
        updateWidget(BetDisplay);
        updateWidget(CreditsDisplay);
        renderFrame(1);
    }
    chooseOutcome();
    gameState = Spinning;
    const MachineDef& d = currentMachineDef();
    for (int i = 0; i < d.reelCount; ++i)
        reels[i].speedStage = 0;
    stopDeadline = GetTickCount() + 1500 + RandomSource::below(1500);
    startSound(ReelSound, 1 | SoundLoop);
}

GameState settleSpin() {
    wallet.lastWin = payoutThatFits(wallet, pendingMultiplier);
    wallet.credits += wallet.lastWin;
    updateWidget(WinDisplay);
    if (wallet.lastWin != 0) startSound(WinSound, 1);
    refreshButtons();

    if (wallet.credits >= heldStake(wallet)) {
        wallet.credits -= heldStake(wallet);
        updateWidget(CreditsDisplay);
        return Idle;
    }
    if (wallet.credits >= wallet.coinValue) {
        wallet.credits -= wallet.coinValue;
        wallet.bet = 1;
        updateWidget(BetDisplay);
        updateWidget(CreditsDisplay);
        return Idle;
    }
    wallet.bet = 0;
    updateWidget(BetDisplay);
    updateWidget(CashWarning);
    setButtonState(ButtonAction::Spin, Dirty | ShowUp);
    return Broke;
}

void refreshButtons() {
    const MachineDef& d = currentMachineDef();
    if (wallet.credits >= d.maxBet * wallet.coinValue) {
        setButtonState(ButtonAction::BetMax, Enabled | Dirty | ShowUp);
        setButtonState(ButtonAction::BetOne, Enabled | Dirty | ShowUp);
        setButtonState(ButtonAction::Spin, Enabled | Dirty | ShowUp);
        return;
    }
    setButtonState(ButtonAction::BetMax, Dirty | ShowUp);
    const uint16_t others =
        wallet.credits >= wallet.coinValue ? (Enabled | Dirty | ShowUp) : (Dirty | ShowUp);
    setButtonState(ButtonAction::BetOne, others);
    setButtonState(ButtonAction::Spin, others);
}

void lendMoney() {
    if (loanFits(wallet)) wallet.credits += LoanAmount;
    if (gameState == Broke && wallet.credits > wallet.coinValue) gameState = Idle;
    updateWidget(CreditsDisplay);
    updateWidget(CashWarning);
    refreshButtons();
    renderFrame(1);
}

void resetWallet() {
    wallet = InitialWallet;
}
