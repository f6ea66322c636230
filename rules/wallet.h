// The player's money and the arithmetic of the rules that move it.
#pragma once

#include <cstdint>

// The bet is always already taken from the credits.
struct Wallet {
    int32_t credits;    // money outside the current bet
    int16_t bet;        // coins staked on the next spin
    int32_t lastWin;    // payout of the last settled spin
    int32_t coinValue;  // money per coin
};

constexpr Wallet InitialWallet = {20, 0, 0, 1};

// Credits never pass 2^31 - 1: a loan that would take the player's whole money (credits and the
// held bet) past it adds nothing, and a payout is cut to what the credits can still hold (lastWin
// is then the amount actually paid), so no sum overflows and the books always balance.
constexpr int32_t MoneyLimit = 2147483647;

// What "Please lend me $20" adds.
constexpr int32_t LoanAmount = 20;

// The money staked in the held bet.
constexpr int32_t heldStake(const Wallet& w) {
    return w.bet * w.coinValue;
}

// The payout of a spin of multiplier m on the held bet, cut to what the credits can still hold.
constexpr int32_t payoutThatFits(const Wallet& w, uint32_t m) {
    const int64_t payout = static_cast<int64_t>(w.bet) * m;
    const int64_t room = static_cast<int64_t>(MoneyLimit) - w.credits;
    return static_cast<int32_t>(payout < room ? payout : room);
}

// True when a loan keeps the player's whole money (credits and held bet) within MoneyLimit.
constexpr bool loanFits(const Wallet& w) {
    return static_cast<int64_t>(w.credits) + heldStake(w) + LoanAmount <= MoneyLimit;
}
