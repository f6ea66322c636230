// The characters of the game font's sheet (bitmap IDB_FONT_TEXT and its mask), in cell order:
// three rows of 9 x 9 cells, '\n' ending a row. The art tool draws the sheet in this order and the
// game finds a character's cell by it.
#pragma once

inline constexpr const char* FontCharacters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghi\n"
    "jklmnopqrstuvwxyz0123456789-=_+,./<\n"
    ">?;'|\"[]\\{}|~!@#$%^&*()` ";
