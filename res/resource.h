// The numbers that the resource script and the program share: every resource id and menu command.
// dorurura.rc and the code include this one list; each number is written here (or, for the machine
// tables' bitmaps, in the rules header it includes) and nowhere else.
#pragma once

// Strings.
#define IDS_TITLE 1    // the main window's title
#define IDS_CLASS 3    // the main window's class name
#define IDS_OPTIONS 104  // the menu bar button's label

// The icon, the menu bar (its menu and its record share the number), the About box, the keys.
#define IDI_DORURURA 101
#define IDR_MENUBAR 102
#define IDD_ABOUT 103
#define IDR_ACCELERATORS 3

// Sounds (type WAVE).
#define IDW_REEL 104  // loops while the reels spin
#define IDW_COIN 105  // a bet
#define IDW_WIN 106   // a payout

// Full-screen pictures.
#define IDB_SPLASH 108

// Machine faces and reel strips: the machine tables name them, so the rules keep their numbers.
#include "rules/machine_bitmaps.h"

// Glyph sheets: the text font and its mask, the display digits, the credit digits.
#define IDB_FONT_TEXT 113
#define IDB_FONT_TEXT_MASK 114
#define IDB_FONT_DIGITS 115
#define IDB_FONT_CREDITS 116

// Buttons, one sheet per button and machine.
#define IDB_BET_ONE_RERIV 117
#define IDB_BET_MAX_RERIV 118
#define IDB_SPIN_RERIV 119
#define IDB_BET_ONE_DODORE 133
#define IDB_BET_MAX_DODORE 109
#define IDB_SPIN_DODORE 110
#define IDB_BET_ONE_DUDAVID 122
#define IDB_BET_MAX_DUDAVID 123
#define IDB_SPIN_DUDAVID 124
#define IDB_BET_ONE_RORAVI 128
#define IDB_BET_MAX_RORAVI 129
#define IDB_SPIN_RORAVI 130

// Commands. Machine n is chosen by IDM_RERIV - n.
#define IDM_CLOSE 1
#define IDM_ABOUT 40003
#define IDM_OPTIONS 40004
#define IDM_EXIT 40005
#define IDM_SOUND_OFF 40006
#define IDM_SOUND_ON 40007
#define IDM_RORAVI 40008
#define IDM_DUDAVID 40009
#define IDM_DODORE 40010
#define IDM_RERIV 40011
#define IDM_LEND 40012

#define IDC_STATIC -1
