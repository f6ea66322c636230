// Drawing contexts, bitmaps, brushes and icons, drawn in software on 32-bit pixels.
#include <algorithm>
#include <cstring>

#include "platform/internal.h"

namespace plat {

namespace {

constexpr uint32_t StockColours[StockBrushes] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000, 0};

uint16_t nextGeneration(uint16_t g) {
    return static_cast<uint16_t>(g == 0xFFFF ? 1 : g + 1);
}

int gdiSlot(const void* handle, Kind kind) {
    uint32_t generation = 0;
    int slot = handleSlot(handle, kind, &generation);
    if (slot < 0 || slot >= MaxGdiObjects) return -1;
    const GdiObject& object = state().gdi[slot];
    if (object.kind != kind || object.generation != generation) return -1;
    return slot;
}

int dcSlot(HDC dc) {
    uint32_t generation = 0;
    int slot = handleSlot(dc, Kind::Dc, &generation);
    if (slot < 0 || slot >= MaxDcs) return -1;
    const DcObject& object = state().dcs[slot];
    if (!object.used || object.generation != generation) return -1;
    return slot;
}

HDC dcHandle(int slot) {
    return makeHandle<HDC>(Kind::Dc, static_cast<uint32_t>(slot), state().dcs[slot].generation);
}

int newGdiSlot(Kind kind) {
    State& s = state();
    for (int i = FirstFreeGdiSlot; i < MaxGdiObjects; ++i) {
        if (s.gdi[i].kind == Kind::None) {
            GdiObject& object = s.gdi[i];
            object.kind = kind;
            object.generation = nextGeneration(object.generation);
            object.stock = false;
            object.width = object.height = 0;
            object.mono = false;
            object.selectedIn = -1;
            object.colour = 0;
            object.hollow = false;
            return i;
        }
    }
    return -1;
}

int newDcSlot() {
    State& s = state();
    for (int i = 0; i < MaxDcs; ++i) {
        if (!s.dcs[i].used) {
            DcObject& dc = s.dcs[i];
            dc.used = true;
            dc.generation = nextGeneration(dc.generation);
            dc.window = -1;
            dc.desktop = false;
            dc.bitmap = StockMonoBitmap;
            dc.brush = WHITE_BRUSH;
            return i;
        }
    }
    return -1;
}

void freeDcSlot(int slot) {
    State& s = state();
    DcObject& dc = s.dcs[slot];
    if (dc.bitmap >= FirstFreeGdiSlot) s.gdi[dc.bitmap].selectedIn = -1;
    dc.used = false;
    dc.window = -1;
    dc.desktop = false;
    dc.bitmap = StockMonoBitmap;
    dc.brush = WHITE_BRUSH;
}

HBITMAP newBitmap(int width, int height, bool mono) {
    int slot = newGdiSlot(Kind::Bitmap);
    if (slot < 0) return nullptr;
    GdiObject& object = state().gdi[slot];
    object.width = width;
    object.height = height;
    object.mono = mono;
    object.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), mono ? White : Black);
    return makeHandle<HBITMAP>(Kind::Bitmap, static_cast<uint32_t>(slot), object.generation);
}

constexpr int64_t MaxBitmapPixels = 16 * 1024 * 1024;

bool isWhiteish(uint32_t c) {
    uint32_t r = c >> 16, g = (c >> 8) & 0xFF, b = c & 0xFF;
    return r * 30 + g * 59 + b * 11 >= 128 * 100;
}

uint16_t readU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t readU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The colour of index `index` in a colour table of `count` entries; black past the table.
uint32_t paletteColour(const uint8_t* table, uint32_t count, uint32_t index) {
    if (index >= count) return Black;
    const uint8_t* q = table + index * 4;
    return rgb(q[2], q[1], q[0]);
}

// One DIB row's pixel at column x.
uint32_t dibPixel(const uint8_t* row, int x, int bits, const uint8_t* table, uint32_t tableCount) {
    switch (bits) {
        case 1:
            return paletteColour(table, tableCount, (row[x >> 3] >> (7 - (x & 7))) & 1u);
        case 4:
            return paletteColour(table, tableCount, (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xFu);
        case 8:
            return paletteColour(table, tableCount, row[x]);
        case 24:
            return rgb(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]);
        default:  // 32
            return rgb(row[x * 4 + 2], row[x * 4 + 1], row[x * 4]);
    }
}

// The layout of a DIB: header, colour table and rows. Gives false when the bytes do not hold
// a bitmap of a supported form (or rows of `rowsNeeded` height).
struct DibLayout {
    int width = 0;
    int height = 0;  // rows of the image (for an icon: half the header's height)
    bool bottomUp = true;
    int bits = 0;
    const uint8_t* table = nullptr;
    uint32_t tableCount = 0;
    const uint8_t* rows = nullptr;
    uint32_t stride = 0;
};

bool dibLayout(const uint8_t* data, uint32_t size, bool icon, DibLayout* out) {
    if (!data || size < 40) return false;
    uint32_t headerSize = readU32(data);
    if (headerSize < 40 || headerSize > size) return false;
    int32_t width = static_cast<int32_t>(readU32(data + 4));
    int32_t height = static_cast<int32_t>(readU32(data + 8));
    uint16_t planes = readU16(data + 12);
    uint16_t bits = readU16(data + 14);
    uint32_t compression = readU32(data + 16);
    uint32_t used = readU32(data + 32);
    if (planes != 1 || compression != BI_RGB) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;
    if (width <= 0 || height == 0 || height == INT32_MIN) return false;
    bool bottomUp = height > 0;
    int64_t rows = bottomUp ? height : -static_cast<int64_t>(height);
    if (icon) {
        if (!bottomUp || (rows & 1)) return false;
        rows /= 2;
    }
    if (static_cast<int64_t>(width) * rows > MaxBitmapPixels) return false;
    uint32_t tableCount = 0;
    uint64_t tableEntries = used;  // a deeper bitmap may still carry a table (unused for its colours)
    if (bits <= 8) {
        uint32_t full = 1u << bits;
        tableCount = used == 0 ? full : used;
        if (tableCount > full) return false;
        tableEntries = tableCount;
    }
    uint64_t tableEnd = static_cast<uint64_t>(headerSize) + tableEntries * 4;
    uint64_t stride = ((static_cast<uint64_t>(width) * bits + 31) / 32) * 4;
    uint64_t imageEnd = tableEnd + stride * static_cast<uint64_t>(rows);
    if (icon) imageEnd += ((static_cast<uint64_t>(width) + 31) / 32) * 4 * static_cast<uint64_t>(rows);
    if (imageEnd > size) return false;
    out->width = width;
    out->height = static_cast<int>(rows);
    out->bottomUp = bottomUp;
    out->bits = bits;
    out->table = data + headerSize;
    out->tableCount = tableCount;
    out->rows = data + tableEnd;
    out->stride = static_cast<uint32_t>(stride);
    return true;
}

// The bottom-up (or top-down) row y (0 = top) of a DIB.
const uint8_t* dibRow(const DibLayout& dib, const uint8_t* rows, uint32_t stride, int y) {
    int stored = dib.bottomUp ? dib.height - 1 - y : y;
    return rows + static_cast<size_t>(stored) * stride;
}

int64_t clamp64(int64_t v, int64_t lo, int64_t hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

}  // namespace

bool decodeDib(const uint8_t* data, uint32_t size, std::vector<uint32_t>* pixels, int* width, int* height,
               bool* mono) {
    DibLayout dib;
    if (!dibLayout(data, size, false, &dib)) return false;
    // A two-colour bitmap of black and white becomes a monochrome bitmap.
    bool isMono = false;
    if (dib.bits == 1 && dib.tableCount == 2) {
        uint32_t c0 = paletteColour(dib.table, 2, 0), c1 = paletteColour(dib.table, 2, 1);
        isMono = (c0 == Black && c1 == White) || (c0 == White && c1 == Black);
    }
    pixels->resize(static_cast<size_t>(dib.width) * static_cast<size_t>(dib.height));
    for (int y = 0; y < dib.height; ++y) {
        const uint8_t* row = dibRow(dib, dib.rows, dib.stride, y);
        uint32_t* out = pixels->data() + static_cast<size_t>(y) * static_cast<size_t>(dib.width);
        for (int x = 0; x < dib.width; ++x)
            out[x] = dibPixel(row, x, dib.bits, dib.table, dib.tableCount);
    }
    *width = dib.width;
    *height = dib.height;
    *mono = isMono;
    return true;
}

void resetGdi() {
    State& s = state();
    for (int i = 0; i < MaxGdiObjects; ++i) {
        GdiObject& object = s.gdi[i];
        object.kind = Kind::None;
        object.pixels.clear();
        object.pixels.shrink_to_fit();
        object.selectedIn = -1;
        object.stock = false;
    }
    for (int i = 0; i < StockBrushes; ++i) {
        GdiObject& brush = s.gdi[i];
        brush.kind = Kind::Brush;
        brush.stock = true;
        brush.generation = 1;
        brush.colour = StockColours[i];
        brush.hollow = i == NULL_BRUSH;
    }
    GdiObject& mono = s.gdi[StockMonoBitmap];
    mono.kind = Kind::Bitmap;
    mono.stock = true;
    mono.generation = 1;
    mono.width = mono.height = 1;
    mono.mono = true;
    mono.pixels.assign(1, Black);
    // Slots are emptied but keep their generations, so a handle from before the reset stays invalid.
    for (int i = 0; i < MaxDcs; ++i) {
        const uint16_t generation = s.dcs[i].generation;
        s.dcs[i] = DcObject{};
        s.dcs[i].generation = generation;
    }
    for (int i = 0; i < MaxIcons; ++i)
        s.icons[i].used = false;
    s.desktopDc = -1;
    std::fill(std::begin(s.desktop), std::end(s.desktop), White);
}

Canvas windowCanvas(int slot) {
    Canvas canvas;
    Window& window = state().windows[slot];
    canvas.pixels = window.layer.data();
    canvas.stride = window.layerWidth;
    canvas.width = window.layerWidth;
    canvas.height = window.layerHeight;
    canvas.clip = RECT{0, 0, window.layerWidth, window.layerHeight};
    canvas.screen = true;
    return canvas;
}

Canvas displayCanvas() {
    Canvas canvas;
    canvas.pixels = state().display;
    canvas.stride = canvas.width = DisplayWidth;
    canvas.height = DisplayHeight;
    canvas.clip = RECT{0, 0, DisplayWidth, DisplayHeight};
    return canvas;
}

bool canvasForDc(HDC handle, Canvas* canvas) {
    int slot = dcSlot(handle);
    if (slot < 0) return false;
    State& s = state();
    const DcObject& dc = s.dcs[slot];
    *canvas = Canvas{};
    if (dc.desktop) {
        canvas->pixels = s.desktop;
        canvas->stride = canvas->width = DisplayWidth;
        canvas->height = DisplayHeight;
        canvas->clip = RECT{0, 0, DisplayWidth, DisplayHeight};
        canvas->screen = true;
        return true;
    }
    if (dc.window >= 0) {
        *canvas = windowCanvas(dc.window);
        return true;
    }
    GdiObject& bitmap = s.gdi[dc.bitmap];
    canvas->pixels = bitmap.pixels.data();
    canvas->stride = canvas->width = bitmap.width;
    canvas->height = bitmap.height;
    canvas->clip = RECT{0, 0, bitmap.width, bitmap.height};
    canvas->mono = bitmap.mono;
    return true;
}

void fillRect(const Canvas& canvas, int left, int top, int right, int bottom, uint32_t colour) {
    int64_t l = clamp64(static_cast<int64_t>(left) + canvas.originX, canvas.clip.left, canvas.clip.right);
    int64_t r = clamp64(static_cast<int64_t>(right) + canvas.originX, canvas.clip.left, canvas.clip.right);
    int64_t t = clamp64(static_cast<int64_t>(top) + canvas.originY, canvas.clip.top, canvas.clip.bottom);
    int64_t b = clamp64(static_cast<int64_t>(bottom) + canvas.originY, canvas.clip.top, canvas.clip.bottom);
    if (l >= r || t >= b) return;
    for (int64_t y = t; y < b; ++y) {
        uint32_t* row = canvas.pixels + y * canvas.stride;
        std::fill(row + l, row + r, colour);
    }
    if (canvas.screen) touchDisplay();
}

int brushColour(HBRUSH brush, uint32_t* colour) {
    int slot = gdiSlot(brush, Kind::Brush);
    if (slot < 0) return 0;
    const GdiObject& object = state().gdi[slot];
    if (object.hollow) return 0;
    *colour = object.colour;
    return 1;
}

void releaseWindowDc(int window) {
    State& s = state();
    int dc = s.windows[window].dc;
    if (dc >= 0 && s.dcs[dc].used && s.dcs[dc].window == window) freeDcSlot(dc);
    s.windows[window].dc = -1;
}

int iconSlot(HICON icon) {
    uint32_t generation = 0;
    int slot = handleSlot(icon, Kind::Icon, &generation);
    if (slot < 0 || slot >= MaxIcons) return -1;
    const Icon& object = state().icons[slot];
    if (!object.used || object.generation != generation) return -1;
    return slot;
}

void drawIcon(const Canvas& canvas, int x, int y, int slot) {
    if (slot < 0 || slot >= MaxIcons || !state().icons[slot].used) return;
    const Icon& icon = state().icons[slot];
    for (int j = 0; j < icon.height; ++j) {
        int64_t by = static_cast<int64_t>(y) + j + canvas.originY;
        if (by < canvas.clip.top || by >= canvas.clip.bottom) continue;
        for (int i = 0; i < icon.width; ++i) {
            int64_t bx = static_cast<int64_t>(x) + i + canvas.originX;
            if (bx < canvas.clip.left || bx >= canvas.clip.right) continue;
            uint32_t& pixel = canvas.pixels[by * canvas.stride + bx];
            pixel = (pixel & icon.mask[j * icon.width + i]) ^ icon.colour[j * icon.width + i];
        }
    }
    if (canvas.screen) touchDisplay();
}

}  // namespace plat

using namespace plat;

// ---- The calls --------------------------------------------------------------------------------

HDC GetDC(HWND handle) {
    State& s = state();
    if (!handle) {
        if (s.desktopDc < 0 || !s.dcs[s.desktopDc].used || !s.dcs[s.desktopDc].desktop) {
            int slot = newDcSlot();
            if (slot < 0) return nullptr;
            s.dcs[slot].desktop = true;
            s.desktopDc = slot;
        }
        return dcHandle(s.desktopDc);
    }
    int window = windowSlot(handle);
    if (window < 0) return nullptr;
    Window& w = s.windows[window];
    if (w.kind == WindowKind::Remote || w.kind == WindowKind::MenuBar) return nullptr;
    if (w.dc < 0) {
        int slot = newDcSlot();
        if (slot < 0) return nullptr;
        s.dcs[slot].window = window;
        w.dc = slot;
    }
    return dcHandle(w.dc);
}

int GetDeviceCaps(HDC dc, int index) {
    if (dcSlot(dc) < 0) return 0;
    switch (index) {
        case HORZRES:
            return DisplayWidth;
        case VERTRES:
            return DisplayHeight;
        case BITSPIXEL:
            return 32;
        case PLANES:
            return 1;
        default:
            return 0;
    }
}

HDC CreateCompatibleDC(HDC dc) {
    if (dc && dcSlot(dc) < 0) return nullptr;
    int slot = newDcSlot();
    if (slot < 0) return nullptr;
    return dcHandle(slot);
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
    int slot = dcSlot(dc);
    if (slot < 0) return nullptr;
    if (width < 0 || height < 0) return nullptr;
    if (static_cast<int64_t>(width) * height > MaxBitmapPixels) return nullptr;
    const DcObject& context = state().dcs[slot];
    // Compatible with a memory context that holds a monochrome bitmap means monochrome.
    bool mono = context.window < 0 && !context.desktop && state().gdi[context.bitmap].mono;
    return newBitmap(width, height, mono);
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    int slot = dcSlot(dc);
    if (slot < 0) return nullptr;
    State& s = state();
    DcObject& context = s.dcs[slot];
    int bitmap = gdiSlot(object, Kind::Bitmap);
    if (bitmap >= 0) {
        if (context.window >= 0 || context.desktop) return nullptr;  // a window's context has no bitmap
        GdiObject& target = s.gdi[bitmap];
        if (!target.stock && target.selectedIn >= 0 && target.selectedIn != slot) return nullptr;
        int previous = context.bitmap;
        if (previous >= FirstFreeGdiSlot) s.gdi[previous].selectedIn = -1;
        context.bitmap = bitmap;
        if (!target.stock) target.selectedIn = slot;
        return makeHandle<HBITMAP>(Kind::Bitmap, static_cast<uint32_t>(previous), s.gdi[previous].generation);
    }
    int brush = gdiSlot(object, Kind::Brush);
    if (brush >= 0) {
        int previous = context.brush;
        context.brush = brush;
        return makeHandle<HBRUSH>(Kind::Brush, static_cast<uint32_t>(previous), s.gdi[previous].generation);
    }
    return nullptr;
}

BOOL DeleteObject(HGDIOBJ object) {
    State& s = state();
    int slot = gdiSlot(object, Kind::Bitmap);
    if (slot < 0) slot = gdiSlot(object, Kind::Brush);
    if (slot < 0) return FALSE;
    GdiObject& target = s.gdi[slot];
    if (target.stock) return TRUE;
    if (target.kind == Kind::Bitmap && target.selectedIn >= 0) return FALSE;
    if (target.kind == Kind::Brush) {
        for (int i = 0; i < MaxDcs; ++i) {
            if (s.dcs[i].used && s.dcs[i].brush == slot) return FALSE;
        }
    }
    target.kind = Kind::None;
    target.pixels.clear();
    target.pixels.shrink_to_fit();
    return TRUE;
}

BOOL DeleteDC(HDC dc) {
    int slot = dcSlot(dc);
    if (slot < 0) return FALSE;
    State& s = state();
    if (s.dcs[slot].window >= 0 || s.dcs[slot].desktop) return FALSE;  // only memory contexts
    freeDcSlot(slot);
    return TRUE;
}

int GetObjectW(HGDIOBJ object, int bufferSize, LPVOID buffer) {
    int slot = gdiSlot(object, Kind::Bitmap);
    if (slot < 0) return 0;
    if (!buffer) return static_cast<int>(sizeof(BITMAP));
    if (bufferSize < static_cast<int>(sizeof(BITMAP))) return 0;
    const GdiObject& bitmap = state().gdi[slot];
    BITMAP info{};
    info.bmType = 0;
    info.bmWidth = bitmap.width;
    info.bmHeight = bitmap.height;
    info.bmBitsPixel = static_cast<WORD>(bitmap.mono ? 1 : 32);
    info.bmWidthBytes = bitmap.mono ? ((bitmap.width + 15) / 16) * 2 : bitmap.width * 4;
    info.bmPlanes = 1;
    info.bmBits = nullptr;
    std::memcpy(buffer, &info, sizeof info);
    return static_cast<int>(sizeof(BITMAP));
}

HGDIOBJ GetStockObject(int index) {
    if (index < 0 || index >= StockBrushes) return nullptr;
    return makeHandle<HBRUSH>(Kind::Brush, static_cast<uint32_t>(index), state().gdi[index].generation);
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, DWORD rop) {
    if (rop != SRCCOPY && rop != SRCAND && rop != SRCPAINT) return FALSE;
    Canvas to, from;
    if (!canvasForDc(dest, &to) || !canvasForDc(source, &from)) return FALSE;
    if (width <= 0 || height <= 0) return TRUE;
    // Buffer positions of the two corners, then the part inside both clip rectangles.
    int64_t dx = static_cast<int64_t>(x) + to.originX, dy = static_cast<int64_t>(y) + to.originY;
    int64_t sx = static_cast<int64_t>(sourceX) + from.originX,
            sy = static_cast<int64_t>(sourceY) + from.originY;
    int64_t i0 = std::max<int64_t>({0, to.clip.left - dx, from.clip.left - sx});
    int64_t i1 = std::min<int64_t>({width, to.clip.right - dx, from.clip.right - sx});
    int64_t j0 = std::max<int64_t>({0, to.clip.top - dy, from.clip.top - sy});
    int64_t j1 = std::min<int64_t>({height, to.clip.bottom - dy, from.clip.bottom - sy});
    if (i0 >= i1 || j0 >= j1) return TRUE;
    bool same = to.pixels == from.pixels;
    // Within one bitmap, walk so that no source pixel is overwritten before it is read.
    bool upward = same && dy > sy;
    bool leftward = same && dy == sy && dx > sx;
    // Colour onto monochrome needs each pixel looked at; everything else copies or combines rows.
    const bool toMono = to.mono && !from.mono;
    const size_t count = static_cast<size_t>(i1 - i0);
    for (int64_t n = 0; n < j1 - j0; ++n) {
        int64_t j = upward ? j1 - 1 - n : j0 + n;
        uint32_t* out = to.pixels + (dy + j) * to.stride + dx;
        const uint32_t* in = from.pixels + (sy + j) * from.stride + sx;
        if (!toMono && rop == SRCCOPY) {
            std::memmove(out + i0, in + i0, count * sizeof(uint32_t));
            continue;
        }
        if (!toMono && !same) {
            uint32_t* o = out + i0;
            const uint32_t* p = in + i0;
            if (rop == SRCAND) {
                for (size_t m = 0; m < count; ++m)
                    o[m] &= p[m];
            } else {
                for (size_t m = 0; m < count; ++m)
                    o[m] |= p[m];
            }
            continue;
        }
        for (int64_t m = 0; m < i1 - i0; ++m) {
            int64_t i = leftward ? i1 - 1 - m : i0 + m;
            uint32_t pixel = in[i];
            // Colour onto monochrome: white stays white (1), every other colour is black (0).
            if (to.mono && !from.mono) pixel = pixel == White ? White : Black;
            if (rop == SRCAND) {
                pixel &= out[i];
            } else if (rop == SRCPAINT) {
                pixel |= out[i];
            }
            out[i] = pixel;
        }
    }
    if (to.screen) touchDisplay();
    return TRUE;
}

HBRUSH CreateSolidBrush(COLORREF colour) {
    int slot = newGdiSlot(Kind::Brush);
    if (slot < 0) return nullptr;
    GdiObject& brush = state().gdi[slot];
    brush.colour = fromColorref(colour);
    return makeHandle<HBRUSH>(Kind::Brush, static_cast<uint32_t>(slot), brush.generation);
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
    int slot = dcSlot(dc);
    Canvas canvas;
    if (slot < 0 || !canvasForDc(dc, &canvas)) return FALSE;
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    if (right - static_cast<int64_t>(left) < 1 || bottom - static_cast<int64_t>(top) < 1) return TRUE;
    const GdiObject& brush = state().gdi[state().dcs[slot].brush];
    // The inside takes the brush; the outline, one pixel of the default black pen, lies on the
    // rectangle's own edge pixels; the right and bottom edges are outside.
    if (!brush.hollow) {
        uint32_t colour = brush.colour;
        if (canvas.mono) colour = isWhiteish(colour) ? White : Black;
        fillRect(canvas, left + 1, top + 1, right - 1, bottom - 1, colour);
    }
    fillRect(canvas, left, top, right, top + 1, Black);
    fillRect(canvas, left, bottom - 1, right, bottom, Black);
    fillRect(canvas, left, top, left + 1, bottom, Black);
    fillRect(canvas, right - 1, top, right, bottom, Black);
    return TRUE;
}

HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name) {
    if (!instance || !IS_INTRESOURCE(name)) return nullptr;
    const ResourceEntry* entry =
        findEntry(instance, 2, nullptr, static_cast<uint16_t>(reinterpret_cast<ULONG_PTR>(name)));
    if (!entry) return nullptr;
    DibLayout dib;
    if (!dibLayout(entry->data, entry->size, false, &dib)) return nullptr;
    int slot = newGdiSlot(Kind::Bitmap);
    if (slot < 0) return nullptr;
    GdiObject& bitmap = state().gdi[slot];
    if (!decodeDib(entry->data, entry->size, &bitmap.pixels, &bitmap.width, &bitmap.height, &bitmap.mono)) {
        bitmap.kind = Kind::None;
        return nullptr;
    }
    return makeHandle<HBITMAP>(Kind::Bitmap, static_cast<uint32_t>(slot), bitmap.generation);
}

HICON LoadIconW(HINSTANCE instance, LPCWSTR name) {
    if (!instance || !IS_INTRESOURCE(name)) return nullptr;
    uint16_t id = static_cast<uint16_t>(reinterpret_cast<ULONG_PTR>(name));
    const ResourceEntry* group = findEntry(instance, 14, nullptr, id);
    if (!group || !group->data || group->size < 6) return nullptr;
    const uint8_t* g = group->data;
    if (readU16(g) != 0 || readU16(g + 2) != 1) return nullptr;
    uint32_t count = readU16(g + 4);
    if (6 + static_cast<uint64_t>(count) * 14 > group->size) return nullptr;
    // The standard icon size is 32 x 32: take that image with the most colours, else the first.
    int best = -1, bestBits = -1;
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* e = g + 6 + i * 14;
        int w = e[0] == 0 ? 256 : e[0];
        int bits = readU16(e + 6);
        if (w == 32 && bits > bestBits) {
            best = static_cast<int>(i);
            bestBits = bits;
        }
    }
    if (best < 0 && count > 0) best = 0;
    if (best < 0) return nullptr;
    uint16_t iconId = readU16(g + 6 + static_cast<uint32_t>(best) * 14 + 12);
    const ResourceEntry* image = findEntry(instance, 3, nullptr, iconId);
    if (!image) return nullptr;
    DibLayout dib;
    if (!dibLayout(image->data, image->size, true, &dib)) return nullptr;
    if (dib.width > 32 || dib.height > 32) return nullptr;
    State& s = state();
    // Loaded icons are shared, as on the device: the same icon of the same instance is one handle.
    for (int i = 0; i < MaxIcons; ++i) {
        const Icon& loaded = s.icons[i];
        if (loaded.used && loaded.instance == instance && loaded.resourceId == id) {
            return makeHandle<HICON>(Kind::Icon, static_cast<uint32_t>(i), loaded.generation);
        }
    }
    int slot = -1;
    for (int i = 0; i < MaxIcons; ++i) {
        if (!s.icons[i].used) {
            slot = i;
            break;
        }
    }
    if (slot < 0) return nullptr;
    Icon& icon = s.icons[slot];
    icon.used = true;
    icon.instance = instance;
    icon.resourceId = id;
    icon.generation = nextGeneration(icon.generation);
    icon.width = dib.width;
    icon.height = dib.height;
    const uint8_t* maskRows = dib.rows + static_cast<size_t>(dib.stride) * static_cast<size_t>(dib.height);
    uint32_t maskStride = ((static_cast<uint32_t>(dib.width) + 31) / 32) * 4;
    for (int y = 0; y < dib.height; ++y) {
        const uint8_t* row = dibRow(dib, dib.rows, dib.stride, y);
        const uint8_t* maskRow = dibRow(dib, maskRows, maskStride, y);
        for (int x = 0; x < dib.width; ++x) {
            bool transparent = (maskRow[x >> 3] >> (7 - (x & 7))) & 1u;
            icon.mask[y * dib.width + x] = transparent ? White : Black;
            icon.colour[y * dib.width + x] = dibPixel(row, x, dib.bits, dib.table, dib.tableCount);
        }
    }
    return makeHandle<HICON>(Kind::Icon, static_cast<uint32_t>(slot), icon.generation);
}

int platformBitmapPixels(HBITMAP bitmap, const uint32_t** pixels, int* width, int* height) {
    int slot = gdiSlot(bitmap, Kind::Bitmap);
    if (slot < 0 || !pixels || !width || !height) return 0;
    const GdiObject& object = state().gdi[slot];
    *pixels = object.pixels.data();
    *width = object.width;
    *height = object.height;
    return 1;
}
