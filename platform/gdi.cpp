// Drawing contexts, bitmaps, brushes and icons, drawn in software on 32-bit pixels.
#include <algorithm>
#include <cstring>

#include "platform/internal.h"

namespace plat {

namespace {

constexpr uint32_t StockColours[StockBrushes] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
constexpr int64_t MaxBitmapPixels = 16 * 1024 * 1024;
// The colour table of an icon's mask: 0 black (the icon covers), 1 white (the background shows).
constexpr uint8_t MaskTable[8] = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0};

int dcSlot(HDC dc) {
    return liveSlot(dc, Kind::Dc, state().dcs);
}

// A new bitmap or brush, or -1 when there is no room.
int newGdiSlot(Kind kind) {
    const int slot = takeSlot(state().gdi, FirstFreeGdiSlot);
    if (slot >= 0) state().gdi[slot].kind = kind;
    return slot;
}

void freeDcSlot(int slot) {
    State& s = state();
    DcObject& dc = s.dcs[slot];
    if (dc.bitmap >= FirstFreeGdiSlot) s.gdi[dc.bitmap].selectedIn = -1;
    dc.used = false;
}

// The colour of index `index` in a colour table of `count` entries; black past the table.
uint32_t paletteColour(const uint8_t* table, uint32_t count, uint32_t index) {
    if (index >= count) return Black;
    const uint8_t* q = table + index * 4;
    return rgb(q[2], q[1], q[0]);
}

// The layout of a DIB: header, colour table and rows (for an icon, the mask's rows follow).
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

// Gives false when the bytes do not hold a bitmap of a supported form: uncompressed, 1, 4, 8,
// 24 or 32 bits, every row present.
bool dibLayout(const uint8_t* data, uint32_t size, bool icon, DibLayout* out) {
    if (!data || size < 40) return false;
    uint32_t headerSize = readU32(data);
    if (headerSize < 40 || headerSize > size) return false;
    int32_t width = static_cast<int32_t>(readU32(data + 4));
    int32_t height = static_cast<int32_t>(readU32(data + 8));
    uint16_t bits = readU16(data + 14);
    uint32_t used = readU32(data + 32);
    if (readU16(data + 12) != 1 || readU32(data + 16) != 0) return false;  // one plane, uncompressed
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
    *out = DibLayout{
        width,           static_cast<int>(rows),       bottomUp, bits, data + headerSize, tableCount,
        data + tableEnd, static_cast<uint32_t>(stride)};
    return true;
}

// The DIB's rows as pixels, top row first.
Pixels dibPixels(const DibLayout& dib) {
    Pixels pixels(static_cast<size_t>(dib.width) * static_cast<size_t>(dib.height));
    uint32_t* out = pixels.data();
    for (int y = 0; y < dib.height; ++y) {
        const uint8_t* row =
            dib.rows + static_cast<size_t>(dib.bottomUp ? dib.height - 1 - y : y) * dib.stride;
        for (int x = 0; x < dib.width; ++x) {
            if (dib.bits <= 8) {  // an index into the colour table, leftmost pixel in the high bits
                const int64_t bit = static_cast<int64_t>(x) * dib.bits;
                const uint32_t index = (row[bit / 8] >> (8 - dib.bits - bit % 8)) & ((1u << dib.bits) - 1);
                *out++ = paletteColour(dib.table, dib.tableCount, index);
            } else {  // 24 or 32: blue, green, red
                const uint8_t* p = row + x * (dib.bits / 8);
                *out++ = rgb(p[2], p[1], p[0]);
            }
        }
    }
    return pixels;
}

// A new bitmap of these pixels, or none when there is no room.
HBITMAP newBitmap(int width, int height, Pixels pixels) {
    int slot = newGdiSlot(Kind::Bitmap);
    if (slot < 0) return nullptr;
    GdiObject& bitmap = state().gdi[slot];
    bitmap.pixels = std::move(pixels);
    bitmap.width = width;
    bitmap.height = height;
    return slotHandle<HBITMAP>(Kind::Bitmap, state().gdi, slot);
}

int64_t clamp64(int64_t v, int64_t lo, int64_t hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

// The context's drawing surface: its window's client area, or its bitmap. Gives the context's
// slot, or -1 for no context.
int canvasForDc(HDC handle, Canvas* canvas) {
    const int slot = dcSlot(handle);
    if (slot < 0) return -1;
    const DcObject& dc = state().dcs[slot];
    GdiObject& bitmap = state().gdi[dc.bitmap];
    const Canvas own{bitmap.pixels.data(), bitmap.width, RECT{0, 0, bitmap.width, bitmap.height}, false};
    *canvas = dc.window >= 0 ? windowCanvas(dc.window) : own;
    return slot;
}

}  // namespace

int gdiSlot(const void* handle, Kind kind) {
    const int slot = liveSlot(handle, kind, state().gdi);
    return slot >= 0 && state().gdi[slot].kind == kind ? slot : -1;
}

void resetGdi() {
    State& s = state();
    emptySlots(s.gdi);
    for (int i = 0; i <= DefaultBitmap; ++i) {
        GdiObject& stock = s.gdi[i];
        stock.used = stock.stock = true;
        stock.generation = 1;
        stock.kind = i < StockBrushes ? Kind::Brush : Kind::Bitmap;
        stock.colour = i < StockBrushes ? StockColours[i] : 0;
    }
    GdiObject& bitmap = s.gdi[DefaultBitmap];
    bitmap.width = bitmap.height = 1;
    bitmap.pixels.assign(1, Black);
    emptySlots(s.dcs);
    emptySlots(s.icons);
}

Canvas windowCanvas(int slot) {
    Window& w = state().windows[slot];
    return Canvas{w.layer.data(), w.layerWidth, RECT{0, 0, w.layerWidth, w.layerHeight}, true};
}

void fillPixels(const Canvas& canvas, int left, int top, int right, int bottom, uint32_t colour) {
    const RECT& clip = canvas.clip;
    int64_t l = clamp64(left, clip.left, clip.right), r = clamp64(right, clip.left, clip.right);
    int64_t t = clamp64(top, clip.top, clip.bottom), b = clamp64(bottom, clip.top, clip.bottom);
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
    *colour = state().gdi[slot].colour;
    return 1;
}

void releaseWindowDc(int window) {
    State& s = state();
    int dc = s.windows[window].dc;
    if (dc >= 0 && s.dcs[dc].used && s.dcs[dc].window == window) freeDcSlot(dc);
    s.windows[window].dc = -1;
}

void drawIcon(const Canvas& canvas, int x, int y, int slot) {
    if (slot < 0 || slot >= MaxIcons || !state().icons[slot].used) return;
    const Icon& icon = state().icons[slot];
    for (int j = 0; j < icon.height; ++j) {
        for (int i = 0; i < icon.width; ++i) {
            int64_t bx = static_cast<int64_t>(x) + i, by = static_cast<int64_t>(y) + j;
            if (!inside(canvas.clip, bx, by)) continue;
            uint32_t& pixel = canvas.pixels[by * canvas.stride + bx];
            pixel = (pixel & icon.mask[j * icon.width + i]) ^ icon.colour[j * icon.width + i];
        }
    }
    if (canvas.screen) touchDisplay();
}

}  // namespace plat

using namespace plat;

// A window's own context; there is none for the whole display.
HDC GetDC(HWND handle) {
    State& s = state();
    int window = windowSlot(handle);
    if (window < 0) return nullptr;
    Window& w = s.windows[window];
    if (w.kind == WindowKind::MenuBar) return nullptr;
    if (w.dc < 0) {
        int slot = takeSlot(s.dcs);
        if (slot < 0) return nullptr;
        s.dcs[slot].window = window;
        w.dc = slot;
    }
    return slotHandle<HDC>(Kind::Dc, state().dcs, w.dc);
}

int GetDeviceCaps(HDC dc, int index) {
    if (dcSlot(dc) < 0) return 0;
    return index == HORZRES ? DisplayWidth : index == VERTRES ? DisplayHeight : 0;
}

HDC CreateCompatibleDC(HDC dc) {
    if (dc && dcSlot(dc) < 0) return nullptr;
    int slot = takeSlot(state().dcs);
    return slot < 0 ? nullptr : slotHandle<HDC>(Kind::Dc, state().dcs, slot);
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
    if (dcSlot(dc) < 0 || width < 0 || height < 0) return nullptr;
    if (static_cast<int64_t>(width) * height > MaxBitmapPixels) return nullptr;
    return newBitmap(width, height, Pixels(static_cast<size_t>(width) * static_cast<size_t>(height), Black));
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    int slot = dcSlot(dc);
    if (slot < 0) return nullptr;
    State& s = state();
    DcObject& context = s.dcs[slot];
    int bitmap = gdiSlot(object, Kind::Bitmap);
    if (bitmap >= 0) {
        if (context.window >= 0) return nullptr;  // a window's context has no bitmap
        GdiObject& target = s.gdi[bitmap];
        if (!target.stock && target.selectedIn >= 0 && target.selectedIn != slot) return nullptr;
        int previous = context.bitmap;
        if (previous >= FirstFreeGdiSlot) s.gdi[previous].selectedIn = -1;
        context.bitmap = bitmap;
        if (!target.stock) target.selectedIn = slot;
        return slotHandle<HBITMAP>(Kind::Bitmap, state().gdi, previous);
    }
    int brush = gdiSlot(object, Kind::Brush);
    if (brush < 0) return nullptr;
    int previous = context.brush;
    context.brush = brush;
    return slotHandle<HBRUSH>(Kind::Brush, state().gdi, previous);
}

// A bitmap or brush still selected into a context stays; a stock object is never deleted.
BOOL DeleteObject(HGDIOBJ object) {
    State& s = state();
    int slot = gdiSlot(object, Kind::Bitmap);
    if (slot < 0) slot = gdiSlot(object, Kind::Brush);
    if (slot < 0) return FALSE;
    GdiObject& target = s.gdi[slot];
    if (target.stock) return TRUE;
    auto holds = [slot](const DcObject& dc) { return dc.used && dc.brush == slot; };
    if (target.selectedIn >= 0 || std::any_of(std::begin(s.dcs), std::end(s.dcs), holds)) return FALSE;
    freeSlot(target);
    return TRUE;
}

BOOL DeleteDC(HDC dc) {
    int slot = dcSlot(dc);
    if (slot < 0 || state().dcs[slot].window >= 0) return FALSE;  // only memory contexts
    freeDcSlot(slot);
    return TRUE;
}

int GetObjectW(HGDIOBJ object, int bufferSize, LPVOID buffer) {
    int slot = gdiSlot(object, Kind::Bitmap);
    if (slot < 0 || !buffer || bufferSize < static_cast<int>(sizeof(BITMAP))) return 0;
    const GdiObject& bitmap = state().gdi[slot];
    BITMAP info{0, bitmap.width, bitmap.height, bitmap.width * 4, 1, 32, nullptr};
    std::memcpy(buffer, &info, sizeof info);
    return static_cast<int>(sizeof(BITMAP));
}

HGDIOBJ GetStockObject(int index) {
    if (index < 0 || index >= StockBrushes) return nullptr;
    return slotHandle<HBRUSH>(Kind::Brush, state().gdi, index);
}

namespace {

// Copies `rows` rows of `count` pixels between two different bitmaps. The frames copy many short
// rows (a reel is 24 pixels wide), where calling memcpy for each row costs more than the copy. Here
// a row goes in blocks of 64 bytes, the last block ending at the row's end (overlapping the one
// before it, with the same pixels), so there is no tail to copy piece by piece; each block is one
// move on a processor with 64-byte vectors; the function is built for the widest it has (ELF only).
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && defined(__ELF__)
__attribute__((target_clones("avx512f", "avx2", "default")))
#endif
void copyRows(uint32_t* __restrict out, int64_t outStride, const uint32_t* __restrict in, int64_t inStride,
              size_t count, int64_t rows) {
    constexpr size_t Block = 16;  // pixels
    for (; rows > 0; --rows, out += outStride, in += inStride) {
        if (count < Block) {
            std::memcpy(out, in, count * sizeof(uint32_t));
            continue;
        }
        for (size_t i = 0; i + Block < count; i += Block)
            std::memcpy(out + i, in + i, Block * sizeof(uint32_t));
        std::memcpy(out + count - Block, in + count - Block, Block * sizeof(uint32_t));
    }
}

}  // namespace

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, DWORD rop) {
    if (rop != SRCCOPY && rop != SRCAND && rop != SRCPAINT) return FALSE;
    Canvas to, from;
    if (canvasForDc(dest, &to) < 0 || canvasForDc(source, &from) < 0) return FALSE;
    if (width <= 0 || height <= 0) return TRUE;
    // The two corners, then the part inside both clip rectangles.
    int64_t dx = x, dy = y, sx = sourceX, sy = sourceY;
    int64_t i0 = std::max<int64_t>({0, to.clip.left - dx, from.clip.left - sx});
    int64_t i1 = std::min<int64_t>({width, to.clip.right - dx, from.clip.right - sx});
    int64_t j0 = std::max<int64_t>({0, to.clip.top - dy, from.clip.top - sy});
    int64_t j1 = std::min<int64_t>({height, to.clip.bottom - dy, from.clip.bottom - sy});
    if (i0 >= i1 || j0 >= j1) return TRUE;
    const bool same = to.pixels == from.pixels;
    const size_t count = static_cast<size_t>(i1 - i0);
    if (rop == SRCCOPY && !same) {
        copyRows(to.pixels + (dy + j0) * to.stride + dx + i0, to.stride,
                 from.pixels + (sy + j0) * from.stride + sx + i0, from.stride, count, j1 - j0);
        if (to.screen) touchDisplay();
        return TRUE;
    }
    // Within one bitmap, walk so that no source pixel is overwritten before it is read.
    const bool upward = same && dy > sy, leftward = same && dy == sy && dx > sx;
    for (int64_t n = 0; n < j1 - j0; ++n) {
        const int64_t j = upward ? j1 - 1 - n : j0 + n;
        uint32_t* out = to.pixels + (dy + j) * to.stride + dx + i0;
        const uint32_t* in = from.pixels + (sy + j) * from.stride + sx + i0;
        if (rop == SRCCOPY) {
            std::memmove(out, in, count * sizeof(uint32_t));
        } else if (rop == SRCAND && !leftward) {
            for (size_t i = 0; i < count; ++i)
                out[i] &= in[i];
        } else if (!leftward) {
            for (size_t i = 0; i < count; ++i)
                out[i] |= in[i];
        } else {
            for (size_t i = count; i-- > 0;)
                out[i] = rop == SRCAND ? out[i] & in[i] : out[i] | in[i];
        }
    }
    if (to.screen) touchDisplay();
    return TRUE;
}

HBRUSH CreateSolidBrush(COLORREF colour) {
    int slot = newGdiSlot(Kind::Brush);
    if (slot < 0) return nullptr;
    state().gdi[slot].colour = rgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    return slotHandle<HBRUSH>(Kind::Brush, state().gdi, slot);
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
    Canvas canvas;
    const int slot = canvasForDc(dc, &canvas);
    if (slot < 0) return FALSE;
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    if (right - static_cast<int64_t>(left) < 1 || bottom - static_cast<int64_t>(top) < 1) return TRUE;
    // The inside takes the brush; the outline, one pixel of the default black pen, lies on the
    // rectangle's own edge pixels; the right and bottom edges are outside.
    fillPixels(canvas, left + 1, top + 1, right - 1, bottom - 1, state().gdi[state().dcs[slot].brush].colour);
    fillPixels(canvas, left, top, right, top + 1, Black);
    fillPixels(canvas, left, bottom - 1, right, bottom, Black);
    fillPixels(canvas, left, top, left + 1, bottom, Black);
    fillPixels(canvas, right - 1, top, right, bottom, Black);
    return TRUE;
}

HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name) {
    const ResourceEntry* entry = findEntry(instance, RT_BITMAP, name);
    DibLayout dib;
    if (!entry || !dibLayout(entry->data, entry->size, false, &dib)) return nullptr;
    return newBitmap(dib.width, dib.height, dibPixels(dib));
}

HICON LoadIconW(HINSTANCE instance, LPCWSTR name) {
    const ResourceEntry* group = findEntry(instance, RT_GROUP_ICON, name);
    if (!group || !group->data || group->size < 6) return nullptr;
    const uint8_t* g = group->data;
    if (readU16(g) != 0 || readU16(g + 2) != 1) return nullptr;
    uint32_t count = readU16(g + 4);
    if (count == 0 || 6 + static_cast<uint64_t>(count) * 14 > group->size) return nullptr;
    // The first image of the standard size, 32 x 32, else the first.
    uint32_t best = 0;
    while (best < count && g[6 + best * 14] != 32)
        ++best;
    if (best == count) best = 0;
    const ResourceEntry* image =
        findEntry(instance, RT_ICON, MAKEINTRESOURCEW(readU16(g + 6 + best * 14 + 12)));
    DibLayout dib;
    if (!image || !dibLayout(image->data, image->size, true, &dib)) return nullptr;
    State& s = state();
    // Loaded icons are shared, as on the device: the same icon of the same instance is one handle.
    const uint16_t id = resourceId(name);
    int slot = 0;
    while (slot < MaxIcons &&
           !(s.icons[slot].used && s.icons[slot].instance == instance && s.icons[slot].resourceId == id))
        ++slot;
    if (slot == MaxIcons) {
        slot = takeSlot(s.icons);
        if (slot < 0) return nullptr;
        Icon& icon = s.icons[slot];
        icon.instance = instance;
        icon.resourceId = id;
        icon.width = dib.width;
        icon.height = dib.height;
        icon.colour = dibPixels(dib);
        // The mask's rows follow the colours', one bit a pixel.
        const size_t maskOffset = static_cast<size_t>(dib.stride) * static_cast<size_t>(dib.height);
        const uint32_t maskStride = (static_cast<uint32_t>(dib.width) + 31) / 32 * 4;
        const DibLayout mask{dib.width, dib.height, true, 1, MaskTable, 2, dib.rows + maskOffset, maskStride};
        icon.mask = dibPixels(mask);
    }
    return slotHandle<HICON>(Kind::Icon, s.icons, slot);
}
