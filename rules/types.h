// Types shared by every layer of the game.
#pragma once

#include <cstdint>

// A rectangle: top-left corner and size, in pixels of the window's drawing area.
struct Rect16 {
    int16_t x;
    int16_t y;
    int16_t w;
    int16_t h;
};

// True when (px, py) lies inside r: left and top edges inside, right and bottom edges outside.
constexpr bool rectContains(const Rect16& r, int px, int py) {
    return r.x <= px && px < r.x + r.w && r.y <= py && py < r.y + r.h;
}

// The game's state byte. No value other than these seven is ever stored.
enum GameState : uint8_t {
    Idle = 0,
    Redraw = 2,
    Spinning = 4,
    Stopping = 5,
    Broke = 7,
    Splash = 9,
    PayTable = 10,
};

// What a tap on control rectangle k (and Button record k) does: action k + 1.
enum class ButtonAction : uint8_t {
    BetOne = 1,
    BetMax = 2,
    Spin = 3,
    OpenPayTable = 4,
    More = 5,
};

// The player's money. The bet is always already taken from the credits.
struct Wallet {
    int32_t credits;    // money outside the current bet
    int16_t bet;        // coins staked on the next spin
    int32_t lastWin;    // payout of the last settled spin
    int32_t coinValue;  // money per coin
};

constexpr Wallet InitialWallet = {20, 0, 0, 1};
