// Betting, settlement and the loan: the actions that move the player's money and show it, on the
// buttons, the displays, the frame and in sound.
#pragma once

#include "flow/game.h"
#include "rules/wallet.h"

// The one wallet, kept across machine changes for the life of the program.
extern Wallet wallet;

// The three betting actions behind the buttons; each does nothing unless the game is Idle.
void BetOne();  // one coin more, or the whole bet back at the maximum or when the credits run short
void BetMax();  // raise the bet to the machine's maximum (if the credits pay for it) and spin
void Spin();    // spin, taking one coin first when no bet stands

// Pays the stopped spin, plays the win sound, sets the buttons, takes the next bet and gives the
// next state: Idle, or Broke when the credits cannot cover a coin.
GameState settleSpin();

// Enables or disables the three buttons by what the credits can pay for.
void refreshButtons();

// "Please lend me $20": 20 more credits in any state; ends Broke.
void lendMoney();

// Back to program start: 20 credits, no bet, no win, a coin worth 1.
void resetWallet();
