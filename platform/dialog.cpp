// Modal dialogs from templates: the dialog's own message loop, its static text and icon items,
// and the shell's Done ("ok") button and full-screen sizing.
#include <algorithm>

#include "platform/internal.h"

namespace plat {

namespace {

constexpr uint32_t UnboundedTemplate = 64 * 1024;  // a template outside the catalogue
constexpr int OkWidth = 26;
constexpr int OkHeight = 18;
constexpr WORD StaticAtom = 0x0082;

// A text or a number in a template (0xFFFF then the number; 0 for neither). Gives the number, or -1
// for a text, which goes into text.
int textOrNumber(Reader& r, WCHAR* text, int max) {
    const WCHAR first = static_cast<WCHAR>(r.u16());
    if (first == 0xFFFF) return r.u16();
    r.string(text, max, first);
    return -1;
}

// A rectangle in dialog units as pixels, with the font's base units, moved `down` pixels.
RECT pixelRect(int x, int y, int cx, int cy, int down) {
    auto unitsX = [](int units) { return (units * averageCharWidth() + 2) / 4; };
    auto unitsY = [](int units) { return (units * LineHeight + 4) / 8; };
    const int left = unitsX(x), top = unitsY(y) + down;
    return RECT{left, top, left + unitsX(std::max(0, cx)), top + unitsY(std::max(0, cy))};
}

// The open dialog of this window slot, or null.
DialogState* dialogOf(int slot) {
    State& s = state();
    for (int i = 0; i < s.dialogDepth && slot >= 0; ++i) {
        if (s.dialogs[i].window == slot) return &s.dialogs[i];
    }
    return nullptr;
}

// Draws an icon item, or the item's text on one line, aligned in its rectangle and cut at its edges.
void drawItem(const Canvas& c, const DialogItem& item) {
    const RECT& r = item.rect;
    if (item.icon) return drawIcon(c, r.left, r.top, item.iconSlot);
    int length = wideLength(item.text, MaxItemTitle);
    int room = r.right - r.left - textWidth(item.text, length, false);
    DWORD align = item.style & 0x1F;
    Canvas clipped = c;
    clipped.clip = RECT{std::max(c.clip.left, r.left), std::max(c.clip.top, r.top),
                        std::min(c.clip.right, r.right), std::min(c.clip.bottom, r.bottom)};
    int x = r.left + (align == SS_CENTER ? room / 2 : align == SS_RIGHT ? room : 0);
    drawUiText(clipped, x, r.top, item.text, length, Black, false);
}

// Raw input while the top dialog is open: the "ok" button, and commands for the dialog.
void dialogInput(const HostEvent& event) {
    State& s = state();
    const int index = s.dialogDepth - 1;
    DialogState& d = s.dialogs[index];
    if (d.window < 0 || !s.windows[d.window].used) return;
    auto send = [&d](WORD command) {
        SendMessageW(windowHandle(d.window), WM_COMMAND, MAKEWPARAM(command, 0), 0);
    };
    RECT ok{};
    bool in = okRect(index, &ok) && inside(ok, event.x, event.y);
    switch (event.kind) {
        case HostEventKind::PenDown:
            d.okPressed = d.okCaptured = in;
            if (in) touchDisplay();
            return;
        case HostEventKind::PenMove:
        case HostEventKind::PenUp: {
            if (!d.okCaptured) return;
            bool up = event.kind == HostEventKind::PenUp;
            d.okPressed = !up && in;
            d.okCaptured = !up;
            touchDisplay();
            if (up && in) send(IDOK);
            return;
        }
        case HostEventKind::KeyDown:
            // Enter and Esc are the "ok" button (without Ctrl).
            if (!s.controlHeld && (event.command == VK_RETURN || event.command == VK_ESCAPE)) send(IDOK);
            return;
        case HostEventKind::Command:
            send(event.command);
            return;
        case HostEventKind::Quit:  // the owner has been asked to close; the dialog ends
            EndDialog(windowHandle(d.window), 0);
            return;
        case HostEventKind::KeyUp:
        case HostEventKind::Restore:
            return;
    }
}

// Reads the template's place, title and items into the dialog; false on malformed data. The
// extended form of template is not read.
bool parseTemplate(const uint8_t* data, uint32_t size, HINSTANCE instance, DialogState* d, Window* w) {
    Reader r{data, size};
    DWORD style = r.u32();
    DWORD exStyle = r.u32();
    uint32_t count = r.u16();
    auto s16 = [&r] { return static_cast<int16_t>(r.u16()); };
    int x = s16(), y = s16(), cx = s16(), cy = s16();
    if (!r.ok || (style & 0xFFFF0000u) == 0xFFFF0000u) return false;
    textOrNumber(r, nullptr, 0);  // menu
    textOrNumber(r, nullptr, 0);  // class
    r.string(w->title, MaxTitle, static_cast<WCHAR>(r.u16()));
    if (style & DS_SETFONT) {
        r.u16();
        r.string(nullptr, 0, static_cast<WCHAR>(r.u16()));  // the face; dialogs use the shell's font
    }
    if (!r.ok) return false;
    d->doneButton = (exStyle & WS_EX_CAPTIONOKBTN) != 0;
    w->rect = pixelRect(x, y, cx, cy, NavBarHeight);
    d->itemCount = 0;
    for (uint32_t i = 0; i < count; ++i) {
        r.offset = (r.offset + 3) & ~3u;
        DWORD itemStyle = r.u32();
        r.u32();
        int ix = s16(), iy = s16(), icx = s16(), icy = s16();
        r.u16();  // id
        WCHAR className[16];
        int atom = textOrNumber(r, className, 16);
        DialogItem item;
        int iconId = textOrNumber(r, item.text, MaxItemTitle);
        r.offset += r.u16();  // creation data
        if (!r.ok || r.offset > size) return false;
        // Static text and icons are drawn; other items are not.
        bool isStatic = atom < 0 ? sameName(className, u"STATIC") : atom == StaticAtom;
        DWORD kind = itemStyle & 0x1F;
        if (d->itemCount >= MaxDialogItems || !(itemStyle & WS_VISIBLE) || !isStatic || kind > SS_ICON)
            continue;
        item.style = itemStyle;
        item.rect = pixelRect(ix, iy, icx, icy, 0);
        item.icon = kind == SS_ICON;
        HICON icon = item.icon && iconId >= 0 ? LoadIconW(instance, MAKEINTRESOURCEW(iconId)) : nullptr;
        item.iconSlot = liveSlot(icon, Kind::Icon, state().icons);
        d->items[d->itemCount++] = item;
    }
    return r.ok;
}

}  // namespace

bool okRect(int index, RECT* rect) {
    State& s = state();
    const DialogState& d = s.dialogs[index];
    if (!d.doneButton || d.window < 0 || !s.windows[d.window].used) return false;
    int top = (NavBarHeight - OkHeight) / 2;
    *rect = RECT{DisplayWidth - 4 - OkWidth, top, DisplayWidth - 4, top + OkHeight};
    return true;
}

void renderDialog(int slot) {
    const DialogState* d = dialogOf(slot);
    if (!d) return;
    Window& w = state().windows[slot];
    resizeLayer(w, w.rect.right - w.rect.left, w.rect.bottom - w.rect.top);
    Canvas c = windowCanvas(slot);
    fillPixels(c, 0, 0, w.layerWidth, w.layerHeight, White);
    for (int i = 0; i < d->itemCount; ++i)
        drawItem(c, d->items[i]);
    touchDisplay();
}

void composeDialog(const Canvas& display, int index) {
    State& s = state();
    const DialogState& d = s.dialogs[index];
    if (d.window < 0 || !s.windows[d.window].used || !s.windows[d.window].visible) return;
    const Window& w = s.windows[d.window];
    // A frame one pixel outside the window, unless it fills the screen.
    if (!d.fullScreen)
        fillPixels(display, w.rect.left - 1, w.rect.top - 1, w.rect.right + 1, w.rect.bottom + 1, Black);
    showLayer(w, display);
}

void dialogDestroyed(int slot) {
    if (DialogState* d = dialogOf(slot)) {
        d->ended = true;
        d->window = -1;
        touchDisplay();
    }
}

}  // namespace plat

using namespace plat;

INT_PTR DialogBoxIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dialogTemplate, HWND owner,
                                DLGPROC dialogProc, LPARAM initParam) {
    State& s = state();
    if (!dialogTemplate || !dialogProc || s.dialogDepth >= MaxDialogDepth) return -1;
    int ownerSlot = owner ? windowSlot(owner) : -1;
    if (owner && ownerSlot < 0) return -1;
    // The template's size is known when it is one of the instance's resources.
    const auto* bytes = reinterpret_cast<const uint8_t*>(dialogTemplate);
    const ResourceEntry* entry = entryContaining(instance, bytes);
    const uint32_t size =
        entry ? entry->size - static_cast<uint32_t>(bytes - entry->data) : UnboundedTemplate;
    int slot = createWindowSlot(WindowKind::Dialog);
    if (slot < 0) return -1;
    int index = s.dialogDepth;
    DialogState& d = s.dialogs[index];
    d = DialogState{};
    d.window = slot;
    Window& w = s.windows[slot];
    w.dialogProc = dialogProc;
    w.parent = ownerSlot;
    if (!parseTemplate(bytes, size, instance, &d, &w)) {
        w.used = false;
        return -1;
    }
    w.visible = true;
    ++s.dialogDepth;
    HWND handle = windowHandle(slot);
    renderDialog(slot);
    clearCapture();
    if (s.popup.open) touchDisplay();
    dialogProc(handle, WM_INITDIALOG, 0, initParam);
    modalLoop(
        PassKind::Dialog, [&] { return !d.ended; }, dialogInput);
    INT_PTR result = d.result;
    if (windowSlot(handle) >= 0) DestroyWindow(handle);
    s.dialogs[index] = DialogState{};
    s.dialogDepth = index;
    clearCapture();
    touchDisplay();
    return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    DialogState* d = dialogOf(windowSlot(dialog));
    if (!d) return FALSE;
    d->ended = true;
    d->result = result;
    return TRUE;
}

BOOL SHInitDialog(PSHINITDLGINFO info) {
    int slot = info ? windowSlot(info->hDlg) : -1;
    DialogState* d = dialogOf(slot);
    if (!d) return FALSE;
    if (!(info->dwMask & SHIDIM_FLAGS)) return TRUE;
    if (info->dwFlags & SHIDIF_DONEBUTTON) d->doneButton = true;
    if (info->dwFlags & SHIDIF_SIZEDLGFULLSCREEN) {
        // Full screen below the navigation bar; the title and "ok" stand in the navigation bar.
        d->fullScreen = true;
        state().windows[slot].rect = RECT{0, NavBarHeight, DisplayWidth, DisplayHeight};
        renderDialog(slot);
    }
    touchDisplay();
    return TRUE;
}
