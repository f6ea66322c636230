#include "gfx/glyphs.h"

#include "res/charset.h"
#include "res/resource.h"

namespace {

constexpr Rect16 ButtonCell = {0, 0, 33, 18};

}  // namespace

const GlyphSheetDef glyphSheetDefs[GlyphSheetDefCount] = {
    {IDB_FONT_TEXT, FontCharacters, {0, 0, 9, 9}},
    {IDB_FONT_DIGITS, " 0123456789", {0, 0, 7, 9}},
    {IDB_FONT_CREDITS, "0123456789", {0, 0, 4, 5}},
    {IDB_BET_ONE_RERIV, "ab", ButtonCell},
    {IDB_BET_MAX_RERIV, "ab", ButtonCell},
    {IDB_SPIN_RERIV, "ab", ButtonCell},
    {IDB_BET_ONE_DODORE, "ab", ButtonCell},
    {IDB_BET_MAX_DODORE, "ab", ButtonCell},
    {IDB_SPIN_DODORE, "ab", ButtonCell},
    {IDB_BET_ONE_DUDAVID, "ab", ButtonCell},
    {IDB_BET_MAX_DUDAVID, "ab", ButtonCell},
    {IDB_SPIN_DUDAVID, "ab", ButtonCell},
    {IDB_BET_ONE_RORAVI, "ab", ButtonCell},
    {IDB_BET_MAX_RORAVI, "ab", ButtonCell},
    {IDB_SPIN_RORAVI, "ab", ButtonCell},
};

GlyphSheet glyphSheets[GlyphSheetCount] = {};

int loadGlyphSheet(GlyphSheet* sheet, const GlyphSheetDef* def, uint8_t flags) {
    if (sheet == nullptr || def == nullptr) return 0;
    // Loading over a loaded sheet gives its bitmaps back first.
    freeGlyphSheet(sheet);
    *sheet = {};
    loadSprite(&sheet->sprite, def->bitmapId, flags);
    sheet->layout = def->layout;
    sheet->cell = &def->cell;
    return 1;
}

void freeGlyphSheet(GlyphSheet* sheet) {
    if (sheet == nullptr || sheet->layout == nullptr) return;
    freeSprite(&sheet->sprite);
    *sheet = {};
}

GlyphCell findGlyphCell(const GlyphSheet& sheet, char character, int n) {
    const int cellW = sheet.cell != nullptr ? sheet.cell->w : 0;
    const int cellH = sheet.cell != nullptr ? sheet.cell->h : 0;
    GlyphCell found = {0, 0};
    if (sheet.layout == nullptr) return found;
    int column = 0, row = 0, matches = 0;
    for (const char* p = sheet.layout; *p != '\0'; ++p) {
        if (*p == character) {
            found = {column * cellW, row * cellH};
            if (++matches == n) break;
        }
        if (*p == '\n') {
            column = 0;
            ++row;
        } else {
            ++column;
        }
    }
    return found;
}

int drawText(const GlyphSheet* sheet, const char* text, Surface* target, const Rect16& rect, int16_t style) {
    if (sheet == nullptr || sheet->layout == nullptr) return 0;
    if (text == nullptr) return 1;
    const int cellW = sheet->cell != nullptr ? sheet->cell->w : 0;
    const int advance = cellW + ((style & NoGap) != 0 ? 0 : 1);
    const int limit = target != nullptr ? target->width : 0;
    int pen = rect.x;
    for (const char* p = text; *p != '\0'; ++p) {
        // Glyphs past the target's right edge would all be clipped away.
        if (advance > 0 && pen >= limit) break;
        const GlyphCell cell = findGlyphCell(*sheet, *p, 1);
        copyBlock(target, &sheet->sprite, pen, rect.y, cellW, rect.h, cell.x, cell.y, true);
        pen += advance;
    }
    return 1;
}

int drawGlyph(const GlyphSheet* sheet, char character, int16_t n, Surface* target, const Rect16& rect) {
    if (sheet == nullptr || sheet->layout == nullptr) return 0;
    const GlyphCell cell = findGlyphCell(*sheet, character, n);
    copyBlock(target, &sheet->sprite, rect.x, rect.y, rect.w, rect.h, cell.x, cell.y, true);
    return 1;
}

void resetGlyphSheets() {
    for (GlyphSheet& sheet : glyphSheets) {
        freeGlyphSheet(&sheet);
        sheet = {};
    }
}
