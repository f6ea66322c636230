#include "rules/machines.h"

namespace {

constexpr Rect16 NoRect = {0, 0, 0, 0};
constexpr Rect16 MoreArea = {190, 250, 36, 9};

const PayEntry rerivEduvudPays[] = {
    {"EEE * 30", 20},   {"EE? *  8", 400},  {"E?? *  2", 2400}, {"CCC * 25", 2415},  {"GGG * 22", 2435},
    {"BBB * 20", 2460}, {"AAA * 18", 2490}, {"DDD * 16", 2525}, {"FFF * 14", 2565},  {"HHH * 12", 2610},
    {"III * 10", 2660}, {"CGB *  4", 2860}, {"BGC *  3", 3160}, {"    *  1", 10000}, {nullptr, 0},
};

const PayEntry dodoreDuZevudPays[] = {
    {"IIII * 20", 20},   {"III? *  4", 400},   {"II?? *  2", 2400}, {"I??? *  1", 9730}, {"BBBB * 16", 9755},
    {"DDDD * 14", 9775}, {"HHHH * 11", 9800},  {"AAAA * 10", 9830}, {"CCCC *  9", 9865}, {"EEEE *  8", 9905},
    {"FFFF *  7", 9950}, {"GGGG *  6", 10000}, {nullptr, 0},
};

const PayEntry dudavidUdidizoPays[] = {
    {"GGGGG * 30", 20},   {"GGGG? * 15", 100},   {"GGG?? *  6", 300},  {"GG??? *  3", 2300},
    {"G???? *  1", 9550}, {"CCCCC * 25", 9580},  {"HHHHH * 22", 9615}, {"FFFFF * 20", 9655},
    {"AAAAA * 18", 9700}, {"BBBBB * 16", 9750},  {"DDDDD * 14", 9805}, {"EEEEE * 12", 9865},
    {"IIIII * 10", 9930}, {"CHFHC *  8", 10000}, {nullptr, 0},
};

const PayEntry roraviRarivPays[] = {
    {"AAA * 20", 20},   {"AA? *  4", 400},  {"A?? *  2", 3000}, {"FFF * 10", 3015},  {"HHH *  8", 3035},
    {"BBB *  6", 3060}, {"EEE * 10", 3090}, {"CCC *  9", 3125}, {"GGG *  8", 3165},  {"DDD *  7", 3210},
    {"III *  6", 3260}, {"FHB *  4", 3560}, {"BHF *  3", 4160}, {"    *  1", 10000}, {nullptr, 0},
};

}  // namespace

const MachineDef machineDefs[MachineCount] = {
    {
        120,
        {89, 156, 36, 9},
        {89, 168, 36, 9},
        0,
        rerivEduvudPays,
        5000,
        5,
        3,
        121,
        18,
        {{56, 79, 24, 68}, {93, 79, 24, 68}, {130, 79, 24, 68}, NoRect, NoRect},
        3,
        2,
        {3, 4, 5},
        {{51, 218, 33, 18}, {92, 218, 33, 18}, {156, 218, 33, 18}, {183, 30, 22, 17}, MoreArea},
    },
    {
        111,
        {89, 169, 36, 9},
        {89, 181, 36, 9},
        0,
        dodoreDuZevudPays,
        5100,
        5,
        4,
        112,
        18,
        {{48, 86, 24, 68}, {80, 86, 24, 68}, {113, 86, 24, 68}, {146, 86, 24, 68}, NoRect},
        3,
        2,
        {6, 7, 8},
        {{47, 227, 33, 18}, {88, 227, 33, 18}, {152, 227, 33, 18}, {171, 52, 25, 21}, MoreArea},
    },
    {
        125,
        {89, 169, 36, 9},
        {89, 182, 36, 9},
        0,
        dudavidUdidizoPays,
        5100,
        5,
        5,
        127,
        18,
        {{32, 87, 24, 68}, {60, 87, 24, 68}, {88, 87, 24, 68}, {117, 87, 24, 68}, {145, 87, 24, 68}},
        3,
        2,
        {9, 10, 11},
        {{47, 229, 33, 18}, {88, 229, 33, 18}, {152, 229, 33, 18}, {8, 176, 23, 49}, MoreArea},
    },
    {
        131,
        {88, 162, 36, 9},
        {88, 173, 36, 9},
        0,
        roraviRarivPays,
        6000,
        5,
        3,
        132,
        18,
        {{56, 89, 25, 66}, {92, 89, 25, 66}, {129, 89, 25, 66}, NoRect, NoRect},
        3,
        2,
        {12, 13, 14},
        {{49, 222, 33, 18}, {89, 222, 33, 18}, {153, 222, 33, 18}, {173, 55, 20, 15}, MoreArea},
    },
};

const char* const machineNames[MachineCount] = {"Reriv Eduvud", "Dodore du Zevud", "Dudavid Udidizo",
                                                "Rorav'i Rariv"};

const char* const reelStrips[MaxReels] = {
    " A B C D E F G H I", " A B C D E F G H I", " A B C D E F G H I",
    " A B C D E F G H I", " A B C D E F G H I",
};

const int16_t speedTable[SpeedStageCount] = {16, 12, 8, 6, 4, 3, 2, 1, 0};

uint8_t currentMachine = 0;
uint32_t payEntryCount = 0;

uint32_t countPayEntries(const PayEntry* table) {
    uint32_t n = 0;
    while (table[n].pattern != nullptr)
        ++n;
    return n;
}

uint32_t readMultiplier(const char* pattern) {
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
