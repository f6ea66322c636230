// The four slot machines: built-in, read-only data.
#pragma once

#include <cstdint>

#include "rules/machine_bitmaps.h"
#include "rules/types.h"

constexpr int MachineCount = 4;
constexpr int MaxReels = 5;
constexpr int MaxControls = 5;
constexpr int MaxPayEntries = 16;  // entries of one pay table, at most
// The win draw and the entry draw each take one of this many values, 0 to DrawRange - 1.
constexpr uint32_t DrawRange = 10000;

// One line of a pay table. A list ends with an entry whose pattern is null.
struct PayEntry {
    const char* pattern;        // reel characters, " * ", then the multiplier in two characters
    uint32_t cumulativeWeight;  // running total of the chances, out of DrawRange
};

struct MachineDef {
    uint32_t backgroundBitmap;         // 240 x 240 background bitmap
    Rect16 betRect;                    // where the bet display stands
    Rect16 winRect;                    // where the win display stands
    uint32_t payTablePicture;          // bitmap shown with the pay table; 0 for none
    const PayEntry* payTable;          // first entry of the machine's list
    int16_t winThreshold;              // a spin wins when a draw from 0 to 9999 is at most this
    int16_t maxBet;                    // largest bet in coins
    int16_t reelCount;                 // 1 to 5
    uint32_t stripBitmap;              // reel strip bitmap shared by all reels
    int16_t stripLength;               // stops on each strip
    Rect16 reelRects[MaxReels];        // screen window of each reel; zero past reelCount
    int16_t buttonCount;               // visible buttons drawn from glyph sheets
    int16_t hotAreaCount;              // invisible tap areas after the buttons
    int16_t buttonSheets[3];           // glyph sheet rows of buttons 1, 2 and 3
    Rect16 controlRects[MaxControls];  // BetOne, BetMax, Spin, pay table area, More area
};

// The strip texts of reel positions 0 to 4: stop p of a reel is character p of its text.
constexpr int ReelStripLength = 18;
constexpr const char* reelStrips[MaxReels] = {
    " A B C D E F G H I", " A B C D E F G H I", " A B C D E F G H I",
    " A B C D E F G H I", " A B C D E F G H I",
};

// Reel speed stages in pixel rows per pass, ending with 0. Stage 0 is full speed.
constexpr int SpeedStageCount = 9;
constexpr int16_t speedTable[SpeedStageCount] = {16, 12, 8, 6, 4, 3, 2, 1, 0};

// The pay tables. Each pattern is one character per reel (a symbol letter, a blank stop or "?" for
// any stop), " * " and the multiplier in two characters.

inline constexpr PayEntry rerivEduvudPays[] = {
    {"EEE * 30", 20},   {"EE? *  8", 400},  {"E?? *  2", 2400}, {"CCC * 25", 2415},  {"GGG * 22", 2435},
    {"BBB * 20", 2460}, {"AAA * 18", 2490}, {"DDD * 16", 2525}, {"FFF * 14", 2565},  {"HHH * 12", 2610},
    {"III * 10", 2660}, {"CGB *  4", 2860}, {"BGC *  3", 3160}, {"    *  1", 10000}, {nullptr, 0},
};

inline constexpr PayEntry dodoreDuZevudPays[] = {
    {"IIII * 20", 20},   {"III? *  4", 400},   {"II?? *  2", 2400}, {"I??? *  1", 9730}, {"BBBB * 16", 9755},
    {"DDDD * 14", 9775}, {"HHHH * 11", 9800},  {"AAAA * 10", 9830}, {"CCCC *  9", 9865}, {"EEEE *  8", 9905},
    {"FFFF *  7", 9950}, {"GGGG *  6", 10000}, {nullptr, 0},
};

inline constexpr PayEntry dudavidUdidizoPays[] = {
    {"GGGGG * 30", 20},   {"GGGG? * 15", 100},   {"GGG?? *  6", 300},  {"GG??? *  3", 2300},
    {"G???? *  1", 9550}, {"CCCCC * 25", 9580},  {"HHHHH * 22", 9615}, {"FFFFF * 20", 9655},
    {"AAAAA * 18", 9700}, {"BBBBB * 16", 9750},  {"DDDDD * 14", 9805}, {"EEEEE * 12", 9865},
    {"IIIII * 10", 9930}, {"CHFHC *  8", 10000}, {nullptr, 0},
};

inline constexpr PayEntry roraviRarivPays[] = {
    {"AAA * 20", 20},   {"AA? *  4", 400},  {"A?? *  2", 3000}, {"FFF * 10", 3015},  {"HHH *  8", 3035},
    {"BBB *  6", 3060}, {"EEE * 10", 3090}, {"CCC *  9", 3125}, {"GGG *  8", 3165},  {"DDD *  7", 3210},
    {"III *  6", 3260}, {"FHB *  4", 3560}, {"BHF *  3", 4160}, {"    *  1", 10000}, {nullptr, 0},
};

// Where the pay table's "More" is tapped, the same on every machine.
constexpr Rect16 PayTableMoreArea = {190, 250, 36, 9};
constexpr Rect16 NoReel = {0, 0, 0, 0};

// The four machines in menu order.
inline constexpr MachineDef machineDefs[MachineCount] = {
    {
        .backgroundBitmap = IDB_FACE_RERIV,
        .betRect = {89, 156, 36, 9},
        .winRect = {89, 168, 36, 9},
        .payTablePicture = 0,
        .payTable = rerivEduvudPays,
        .winThreshold = 5000,
        .maxBet = 5,
        .reelCount = 3,
        .stripBitmap = IDB_STRIP_RERIV,
        .stripLength = ReelStripLength,
        .reelRects = {{56, 79, 24, 68}, {93, 79, 24, 68}, {130, 79, 24, 68}, NoReel, NoReel},
        .buttonCount = 3,
        .hotAreaCount = 2,
        .buttonSheets = {3, 4, 5},
        .controlRects = {{51, 218, 33, 18}, {92, 218, 33, 18}, {156, 218, 33, 18}, {183, 30, 22, 17}, PayTableMoreArea},
    },
    {
        .backgroundBitmap = IDB_FACE_DODORE,
        .betRect = {89, 169, 36, 9},
        .winRect = {89, 181, 36, 9},
        .payTablePicture = 0,
        .payTable = dodoreDuZevudPays,
        .winThreshold = 5100,
        .maxBet = 5,
        .reelCount = 4,
        .stripBitmap = IDB_STRIP_DODORE,
        .stripLength = ReelStripLength,
        .reelRects = {{48, 86, 24, 68}, {80, 86, 24, 68}, {113, 86, 24, 68}, {146, 86, 24, 68}, NoReel},
        .buttonCount = 3,
        .hotAreaCount = 2,
        .buttonSheets = {6, 7, 8},
        .controlRects = {{47, 227, 33, 18}, {88, 227, 33, 18}, {152, 227, 33, 18}, {171, 52, 25, 21}, PayTableMoreArea},
    },
    {
        .backgroundBitmap = IDB_FACE_DUDAVID,
        .betRect = {89, 169, 36, 9},
        .winRect = {89, 182, 36, 9},
        .payTablePicture = 0,
        .payTable = dudavidUdidizoPays,
        .winThreshold = 5100,
        .maxBet = 5,
        .reelCount = 5,
        .stripBitmap = IDB_STRIP_DUDAVID,
        .stripLength = ReelStripLength,
        .reelRects = {{32, 87, 24, 68}, {60, 87, 24, 68}, {88, 87, 24, 68}, {117, 87, 24, 68}, {145, 87, 24, 68}},
        .buttonCount = 3,
        .hotAreaCount = 2,
        .buttonSheets = {9, 10, 11},
        .controlRects = {{47, 229, 33, 18}, {88, 229, 33, 18}, {152, 229, 33, 18}, {8, 176, 23, 49}, PayTableMoreArea},
    },
    {
        .backgroundBitmap = IDB_FACE_RORAVI,
        .betRect = {88, 162, 36, 9},
        .winRect = {88, 173, 36, 9},
        .payTablePicture = 0,
        .payTable = roraviRarivPays,
        .winThreshold = 6000,
        .maxBet = 5,
        .reelCount = 3,
        .stripBitmap = IDB_STRIP_RORAVI,
        .stripLength = ReelStripLength,
        .reelRects = {{56, 89, 25, 66}, {92, 89, 25, 66}, {129, 89, 25, 66}, NoReel, NoReel},
        .buttonCount = 3,
        .hotAreaCount = 2,
        .buttonSheets = {12, 13, 14},
        .controlRects = {{49, 222, 33, 18}, {89, 222, 33, 18}, {153, 222, 33, 18}, {173, 55, 20, 15}, PayTableMoreArea},
    },
};

// The machine names, as the Options menu shows them.
inline constexpr const char* machineNames[MachineCount] = {"Reriv Eduvud", "Dodore du Zevud", "Dudavid Udidizo",
                                                "Rorav'i Rariv"};

// The machine in play (0 to 3) and the number of entries in its pay table.
// Machine setup writes both; everything else reads them.
extern uint8_t currentMachine;
extern uint32_t payEntryCount;

inline const MachineDef& currentMachineDef() {
    return machineDefs[currentMachine];
}

// Number of entries of a pay table before its end marker.
constexpr uint32_t countPayEntries(const PayEntry* table) {
    uint32_t n = 0;
    while (table[n].pattern != nullptr)
        ++n;
    return n;
}

// The multiplier at the end of a pattern text: the decimal number formed by its trailing digits.
constexpr uint32_t readMultiplier(const char* pattern) {
    const char* end = pattern;
    while (*end != '\0')
        ++end;
    const char* digits = end;
    while (digits > pattern && digits[-1] >= '0' && digits[-1] <= '9')
        --digits;
    uint32_t value = 0;
    for (const char* p = digits; p < end; ++p)
        value = value * 10 + static_cast<uint32_t>(*p - '0');
    return value;
}
