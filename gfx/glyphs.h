// Glyph sheets: bitmaps cut into a grid of equal cells, with a layout string naming the
// character of each cell. All text and all button images are drawn from them.
#pragma once

#include <cstdint>

#include "gfx/surface.h"
#include "rules/types.h"

// One row of the sheet table.
struct GlyphSheetDef {
    uint32_t bitmapId;   // the sheet's bitmap
    const char* layout;  // the characters in cell order; '\n' ends a row of cells
    Rect16 cell;         // {0, 0, cell width, cell height}
};

constexpr int GlyphSheetDefCount = 15;
extern const GlyphSheetDef glyphSheetDefs[GlyphSheetDefCount];

// A loaded sheet: the sprite and where its layout came from. No layout marks an empty sheet.
struct GlyphSheet {
    Sprite sprite;
    const char* layout;
    const Rect16* cell;
};

// 0: the masked character set; 1 and 2: digit fonts; 3 to 5: the current machine's buttons 1 to 3.
constexpr int GlyphSheetCount = 6;
constexpr int FirstButtonSheet = 3;
extern GlyphSheet glyphSheets[GlyphSheetCount];

// Style bit of drawText: no 1-pixel gap between glyphs.
constexpr int16_t NoGap = 0x80;

// Loads the bitmap of row def into the sheet (flags as loadSprite: WithMask or 0) and takes the
// row's layout and cell, also when the bitmap does not load. 0 only for a missing sheet or row.
int loadGlyphSheet(GlyphSheet* sheet, const GlyphSheetDef* def, uint8_t flags);

// Gives back a loaded sheet and empties the record; an empty sheet is left alone.
void freeGlyphSheet(GlyphSheet* sheet);

// Draws text glyph by glyph from (rect.x, rect.y), each glyph a cell wide and rect.h high, with a
// 1-pixel gap unless style has NoGap; through the mask when the sheet has one. A character the
// layout lacks draws the first cell. 0 (nothing drawn) for a sheet without layout.
int drawText(const GlyphSheet* sheet, const char* text, Surface* target, const Rect16& rect, int16_t style);

// Draws the cell of the n-th occurrence of character in the layout (the last one found when there
// are fewer, the first cell when there is none) at rect, rect.w x rect.h in size.
int drawGlyph(const GlyphSheet* sheet, char character, int16_t n, Surface* target, const Rect16& rect);

// The source point of the cell drawn for the n-th occurrence of character (n = 1 for drawText).
struct GlyphCell {
    int x;
    int y;
};
GlyphCell findGlyphCell(const GlyphSheet& sheet, char character, int n);

// Back to program start: every sheet given back and emptied.
void resetGlyphSheets();
