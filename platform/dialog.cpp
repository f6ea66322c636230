// Modal dialogs from templates: the dialog's own message loop, its static text, icon and button
// controls, and the shell's Done ("ok") button and full-screen sizing.
#include <algorithm>
#include <cstring>

#include "platform/internal.h"
#include "platform/shell_look.h"

namespace plat {

namespace {

constexpr uint32_t UnboundedTemplate = 64 * 1024;  // a template outside the catalogue
constexpr int CaptionHeight = 22;
constexpr int OkWidth = 26;
constexpr int OkHeight = 18;
constexpr WORD ButtonAtom = 0x0080;
constexpr WORD StaticAtom = 0x0082;

struct Reader {
    const uint8_t* data;
    uint32_t size;
    uint32_t offset = 0;
    bool ok = true;

    uint16_t u16() {
        if (offset + 2 > size) {
            ok = false;
            return 0;
        }
        uint16_t v = static_cast<uint16_t>(data[offset] | (data[offset + 1] << 8));
        offset += 2;
        return v;
    }
    uint32_t u32() {
        uint32_t low = u16();
        return low | (static_cast<uint32_t>(u16()) << 16);
    }
    // A name or number: 0 for none, 0xFFFF then a number, or a NUL-terminated string copied into
    // text (when given). Gives the number, or 0 for a string or none.
    uint16_t nameOrNumber(WCHAR* text, int max, bool* isNumber) {
        *isNumber = false;
        if (text && max > 0) text[0] = 0;
        uint16_t first = u16();
        if (!ok || first == 0) return 0;
        if (first == 0xFFFF) {
            *isNumber = true;
            return u16();
        }
        int n = 0;
        for (WCHAR c = first; ok && c != 0; c = static_cast<WCHAR>(u16())) {
            if (text && n < max - 1) text[n++] = c;
        }
        if (text && max > 0) text[n] = 0;
        return 0;
    }
    void string(WCHAR* text, int max) {
        int n = 0;
        for (WCHAR c = static_cast<WCHAR>(u16()); ok && c != 0; c = static_cast<WCHAR>(u16())) {
            if (text && n < max - 1) text[n++] = c;
        }
        if (text && max > 0) text[n] = 0;
    }
    void align4() { offset = (offset + 3) & ~3u; }
};

bool sameAscii(const WCHAR* a, const char* b) {
    for (;; ++a, ++b) {
        WCHAR ca = *a;
        char cb = *b;
        if (ca >= u'a' && ca <= u'z') ca = static_cast<WCHAR>(ca - 32);
        if (cb >= 'a' && cb <= 'z') cb = static_cast<char>(cb - 32);
        if (ca != static_cast<WCHAR>(cb)) return false;
        if (ca == 0) return true;
    }
}

// Dialog units to pixels, with the font's base units.
int unitsX(int units) {
    return (units * averageCharWidth() + 2) / 4;
}
int unitsY(int units) {
    return (units * LineHeight + 4) / 8;
}

// Removes the '&' that marks a mnemonic; "&&" stands for one '&'.
void stripPrefix(WCHAR* text) {
    int out = 0;
    for (int in = 0; text[in]; ++in) {
        if (text[in] == u'&') {
            if (text[in + 1] != u'&') continue;
            ++in;
        }
        text[out++] = text[in];
    }
    text[out] = 0;
}

int stateOf(int window) {
    State& s = state();
    for (int i = 0; i < s.dialogDepth; ++i) {
        if (s.dialogs[i].window == window) return i;
    }
    return -1;
}

// The "ok" button's display rectangle for dialog level `index`.
bool okRect(int index, RECT* rect) {
    State& s = state();
    const DialogState& d = s.dialogs[index];
    if (!d.doneButton || d.window < 0 || !s.windows[d.window].used) return false;
    const Window& w = s.windows[d.window];
    if (d.fullScreen || w.clientTop == 0) {
        int top = (NavBarHeight - OkHeight) / 2;
        *rect = RECT{DisplayWidth - 4 - OkWidth, top, DisplayWidth - 4, top + OkHeight};
    } else {
        int top = w.rect.top + (CaptionHeight - OkHeight) / 2;
        *rect = RECT{w.rect.right - 4 - OkWidth, top, w.rect.right - 4, top + OkHeight};
    }
    return true;
}

bool inside(const RECT& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// Draws text in the control's rectangle, broken into lines at spaces to fit its width.
void drawWrapped(const Canvas& c, const Control& control) {
    const WCHAR* text = control.text;
    int length = wideLength(text, MaxControlText);
    int width = control.rect.right - control.rect.left;
    int y = control.rect.top;
    int start = 0;
    Canvas clipped = c;
    clipped.clip = RECT{
        std::max<LONG>(c.clip.left, control.rect.left), std::max<LONG>(c.clip.top, control.rect.top),
        std::min<LONG>(c.clip.right, control.rect.right), std::min<LONG>(c.clip.bottom, control.rect.bottom)};
    while (start < length && y < control.rect.bottom) {
        // The longest run of whole words that fits; a single long word is cut.
        int end = start, lastBreak = -1;
        while (end < length && text[end] != u'\n') {
            if (textWidth(text + start, end - start + 1, false) > width) break;
            if (text[end] == u' ') lastBreak = end;
            ++end;
        }
        if (end < length && text[end] != u'\n' && lastBreak > start) end = lastBreak;
        if (end == start) end = start + 1;
        int lineLength = end - start;
        while (lineLength > 0 && text[start + lineLength - 1] == u' ')
            --lineLength;
        int lineWidth = textWidth(text + start, lineLength, false);
        int x = control.rect.left;
        DWORD align = control.style & 0x1F;
        if (align == SS_CENTER) x += (width - lineWidth) / 2;
        if (align == SS_RIGHT) x += width - lineWidth;
        drawText(clipped, x, y, text + start, lineLength, look::Text, false);
        y += LineHeight;
        start = end;
        while (start < length && (text[start] == u' ' || text[start] == u'\n'))
            ++start;
    }
}

void drawButton(const Canvas& c, const Control& control) {
    const RECT& r = control.rect;
    if (control.pressed) {
        fillRect(c, r.left, r.top, r.right, r.bottom, look::DarkShadow);
        fillRect(c, r.left + 1, r.top + 1, r.right - 1, r.bottom - 1, look::Shadow);
        fillRect(c, r.left + 2, r.top + 2, r.right - 1, r.bottom - 1, look::Face);
    } else {
        look::raisedBox(c, r.left, r.top, r.right, r.bottom);
    }
    int length = wideLength(control.text, MaxControlText);
    int x = r.left + (r.right - r.left - textWidth(control.text, length, false)) / 2;
    int y = r.top + (r.bottom - r.top - LineHeight) / 2;
    int shift = control.pressed ? 1 : 0;
    drawText(c, x + shift, y + shift, control.text, length, look::Text, false);
}

int controlAt(const DialogState& d, int x, int y) {
    for (int i = 0; i < d.controlCount; ++i) {
        if (d.controls[i].kind == ControlKind::Button && inside(d.controls[i].rect, x, y)) return i;
    }
    return -1;
}

void callProc(int window, UINT message, WPARAM wParam, LPARAM lParam) {
    State& s = state();
    if (window < 0 || !s.windows[window].used || !s.windows[window].dialogProc) return;
    s.windows[window].dialogProc(windowHandle(window), message, wParam, lParam);
}

void dialogInput(int index, const HostEvent& event) {
    State& s = state();
    DialogState& d = s.dialogs[index];
    int window = d.window;
    if (window < 0 || !s.windows[window].used) return;
    const Window& w = s.windows[window];
    int cx = event.x - w.rect.left, cy = event.y - w.rect.top - w.clientTop;
    RECT ok{};
    bool hasOk = okRect(index, &ok);
    RECT client{w.rect.left, w.rect.top + w.clientTop, w.rect.right, w.rect.bottom};
    switch (event.kind) {
        case HostEventKind::PenDown:
            s.lastPen = POINT{event.x, event.y};
            d.capture = 0;
            if (hasOk && inside(ok, event.x, event.y)) {
                d.capture = 1;
                d.okPressed = true;
                touchDisplay();
            } else if (inside(client, event.x, event.y)) {
                int control = controlAt(d, cx, cy);
                if (control >= 0) {
                    d.capture = 3;
                    d.pressedControl = control;
                    d.controls[control].pressed = true;
                    renderDialog(window);
                } else {
                    d.capture = 2;
                    callProc(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cx, cy));
                }
            }
            return;
        case HostEventKind::PenMove:
        case HostEventKind::PenUp: {
            s.lastPen = POINT{event.x, event.y};
            bool up = event.kind == HostEventKind::PenUp;
            int capture = d.capture;
            if (up) d.capture = 0;
            if (capture == 1) {
                bool in = inside(ok, event.x, event.y);
                d.okPressed = !up && in;
                touchDisplay();
                if (up && in) callProc(window, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
            } else if (capture == 2) {
                callProc(window, up ? WM_LBUTTONUP : WM_MOUSEMOVE, up ? 0 : MK_LBUTTON, MAKELPARAM(cx, cy));
            } else if (capture == 3 && d.pressedControl >= 0) {
                Control& control = d.controls[d.pressedControl];
                bool in = inside(control.rect, cx, cy);
                control.pressed = !up && in;
                renderDialog(window);
                if (up && in) callProc(window, WM_COMMAND, MAKEWPARAM(control.id, 0), 0);
                if (up) d.pressedControl = -1;
            }
            return;
        }
        case HostEventKind::KeyDown:
            if (event.key == 0x0D) callProc(window, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
            if (event.key == 0x1B) callProc(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
            return;
        case HostEventKind::KeyUp:
            return;
        case HostEventKind::Command:
            callProc(window, WM_COMMAND, MAKEWPARAM(event.command, 0), 0);
            return;
        case HostEventKind::Quit:
            d.ended = true;
            d.result = 0;
            routeQuit();
            return;
        case HostEventKind::Restore:
            routeRestore();
            return;
    }
}

// Reads the template's controls into the dialog state; false on malformed data.
bool parseTemplate(const uint8_t* data, uint32_t size, HINSTANCE instance, DialogState* d, Window* w) {
    Reader r{data, size};
    DWORD style = r.u32();
    DWORD exStyle = r.u32();
    uint32_t count = r.u16();
    int x = static_cast<int16_t>(r.u16()), y = static_cast<int16_t>(r.u16());
    int cx = static_cast<int16_t>(r.u16()), cy = static_cast<int16_t>(r.u16());
    if (!r.ok || (style & 0xFFFF0000u) == 0xFFFF0000u) return false;  // the extended form is not read
    bool isNumber = false;
    r.nameOrNumber(nullptr, 0, &isNumber);  // menu
    r.nameOrNumber(nullptr, 0, &isNumber);  // class
    r.string(w->title, MaxTitle);
    if (style & DS_SETFONT) {
        r.u16();
        r.string(nullptr, 0);  // the face; dialogs use the shell's font
    }
    if (!r.ok) return false;
    w->style = style;
    w->exStyle = exStyle;
    d->doneButton = (exStyle & WS_EX_CAPTIONOKBTN) != 0;
    bool captioned = (style & WS_CAPTION) == WS_CAPTION;
    w->clientTop = captioned ? CaptionHeight : 0;
    int width = unitsX(std::max(0, cx)), height = unitsY(std::max(0, cy));
    int left = unitsX(x), top = unitsY(y) + NavBarHeight;
    if (style & DS_CENTER) {
        left = (DisplayWidth - width) / 2;
        top = NavBarHeight + (DisplayHeight - NavBarHeight - height - w->clientTop) / 2;
    }
    w->rect = RECT{left, top, left + width, top + w->clientTop + height};
    d->controlCount = 0;
    for (uint32_t i = 0; i < count; ++i) {
        r.align4();
        DWORD itemStyle = r.u32();
        r.u32();
        int ix = static_cast<int16_t>(r.u16()), iy = static_cast<int16_t>(r.u16());
        int icx = static_cast<int16_t>(r.u16()), icy = static_cast<int16_t>(r.u16());
        WORD id = r.u16();
        WCHAR className[16];
        uint16_t atom = r.nameOrNumber(className, 16, &isNumber);
        bool classIsNumber = isNumber;
        Control control;
        uint16_t titleNumber = r.nameOrNumber(control.text, MaxControlText, &isNumber);
        bool titleIsNumber = isNumber;
        uint32_t extra = r.u16();
        r.offset += extra;
        if (!r.ok || r.offset > size) return false;
        if (d->controlCount >= MaxControls || !(itemStyle & WS_VISIBLE)) continue;
        bool isStatic = classIsNumber ? atom == StaticAtom : sameAscii(className, "STATIC");
        bool isButton = classIsNumber ? atom == ButtonAtom : sameAscii(className, "BUTTON");
        control.style = itemStyle;
        control.id = id;
        control.rect = RECT{unitsX(ix), unitsY(iy), unitsX(ix) + unitsX(std::max(0, icx)),
                            unitsY(iy) + unitsY(std::max(0, icy))};
        if (isStatic && (itemStyle & 0x1F) == SS_ICON) {
            control.kind = ControlKind::Icon;
            if (titleIsNumber) control.icon = iconSlot(LoadIconW(instance, MAKEINTRESOURCEW(titleNumber)));
            control.text[0] = 0;
        } else if (isStatic && (itemStyle & 0x1F) <= SS_RIGHT) {
            control.kind = ControlKind::Text;
        } else if (isButton && (itemStyle & 0x0F) <= BS_DEFPUSHBUTTON) {
            control.kind = ControlKind::Button;
        } else {
            control.kind = ControlKind::Other;
        }
        if (control.kind != ControlKind::Icon && !(itemStyle & SS_NOPREFIX && isStatic))
            stripPrefix(control.text);
        d->controls[d->controlCount++] = control;
    }
    return r.ok;
}

}  // namespace

void renderDialog(int slot) {
    State& s = state();
    int index = stateOf(slot);
    if (index < 0) return;
    Window& w = s.windows[slot];
    resizeLayer(w, w.rect.right - w.rect.left, w.rect.bottom - w.rect.top - w.clientTop);
    Canvas c = windowCanvas(slot);
    fillRect(c, 0, 0, w.layerWidth, w.layerHeight, look::Window);
    const DialogState& d = s.dialogs[index];
    for (int i = 0; i < d.controlCount; ++i) {
        const Control& control = d.controls[i];
        switch (control.kind) {
            case ControlKind::Text:
                drawWrapped(c, control);
                break;
            case ControlKind::Icon:
                drawIcon(c, control.rect.left, control.rect.top, control.icon);
                break;
            case ControlKind::Button:
                drawButton(c, control);
                break;
            case ControlKind::Other:
                break;
        }
    }
    touchDisplay();
}

void composeDialog(const Canvas& display, int index) {
    State& s = state();
    const DialogState& d = s.dialogs[index];
    if (d.window < 0 || !s.windows[d.window].used || !s.windows[d.window].visible) return;
    const Window& w = s.windows[d.window];
    if (!d.fullScreen) {
        // A frame one pixel outside the window, and the caption.
        fillRect(display, w.rect.left - 1, w.rect.top - 1, w.rect.right + 1, w.rect.bottom + 1, look::Text);
        if (w.clientTop > 0) {
            look::caption(display, w.rect.left, w.rect.top, w.rect.right, w.rect.top + w.clientTop, w.title);
            RECT ok;
            if (okRect(index, &ok)) look::okButton(display, ok, d.okPressed);
        }
    }
    showLayer(w, display.pixels);
}

LRESULT dialogSend(int slot, UINT message, WPARAM wParam, LPARAM lParam) {
    Window& w = state().windows[slot];
    if (!w.dialogProc) return 0;
    return w.dialogProc(windowHandle(slot), message, wParam, lParam);
}

void dialogDestroyed(int slot) {
    int index = stateOf(slot);
    if (index < 0) return;
    DialogState& d = state().dialogs[index];
    d.ended = true;
    d.window = -1;
    touchDisplay();
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
    uint32_t size = UnboundedTemplate;
    if (const ResourceEntry* entry = entryContaining(instance, bytes)) {
        size = static_cast<uint32_t>(entry->size - static_cast<uint32_t>(bytes - entry->data));
    }
    int slot = createWindowSlot(WindowKind::Dialog);
    if (slot < 0) return -1;
    int index = s.dialogDepth;
    DialogState& d = s.dialogs[index];
    d = DialogState{};
    d.window = slot;
    d.owner = ownerSlot;
    d.pressedControl = -1;
    Window& w = s.windows[slot];
    w.dialogProc = dialogProc;
    w.instance = instance;
    w.parent = ownerSlot;
    w.dialog = index;
    if (!parseTemplate(bytes, size, instance, &d, &w)) {
        w.used = false;
        return -1;
    }
    w.visible = true;
    ++s.dialogDepth;
    HWND handle = windowHandle(slot);
    uint16_t ownerGeneration = ownerSlot >= 0 ? s.windows[ownerSlot].generation : 0;
    if (ownerSlot >= 0) ++s.windows[ownerSlot].disabled;
    renderDialog(slot);
    clearCapture();
    if (s.popup.open) touchDisplay();
    dialogProc(handle, WM_INITDIALOG, 0, initParam);
    while (!d.ended) {
        beginPass(PassKind::Dialog);
        if (d.ended) break;
        if (s.quitPosted) {
            d.ended = true;
            d.result = 0;
            break;
        }
        MSG msg;
        if (takePosted(&msg)) {
            DispatchMessageW(&msg);
            continue;
        }
        HostEvent event;
        if (popInput(&event)) {
            dialogInput(index, event);
            continue;
        }
        dispatchPaint();
    }
    INT_PTR result = d.result;
    if (windowSlot(handle) >= 0) DestroyWindow(handle);
    if (ownerSlot >= 0 && s.windows[ownerSlot].used && s.windows[ownerSlot].generation == ownerGeneration) {
        --s.windows[ownerSlot].disabled;
    }
    s.dialogs[index] = DialogState{};
    s.dialogDepth = index;
    clearCapture();
    touchDisplay();
    return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    int slot = windowSlot(dialog);
    if (slot < 0) return FALSE;
    int index = stateOf(slot);
    if (index < 0) return FALSE;
    DialogState& d = state().dialogs[index];
    d.ended = true;
    d.result = result;
    return TRUE;
}

BOOL SHInitDialog(PSHINITDLGINFO info) {
    if (!info) return FALSE;
    int slot = windowSlot(info->hDlg);
    int index = slot >= 0 ? stateOf(slot) : -1;
    if (index < 0) return FALSE;
    if (!(info->dwMask & SHIDIM_FLAGS)) return TRUE;
    State& s = state();
    DialogState& d = s.dialogs[index];
    Window& w = s.windows[slot];
    if (info->dwFlags & SHIDIF_DONEBUTTON) d.doneButton = true;
    if (info->dwFlags & (SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIZEDLG)) {
        // Full screen below the navigation bar; the title and "ok" move to the navigation bar.
        d.fullScreen = true;
        w.clientTop = 0;
        int bottom = (info->dwFlags & SHIDIF_SIZEDLGFULLSCREEN) ? DisplayHeight : MenuBarTop;
        w.rect = RECT{0, NavBarHeight, DisplayWidth, bottom};
        renderDialog(slot);
    }
    touchDisplay();
    return TRUE;
}

int platformDialogDepth() {
    return state().dialogDepth;
}

int platformDoneButtonRect(RECT* rect) {
    State& s = state();
    if (!rect || s.dialogDepth == 0) return 0;
    return okRect(s.dialogDepth - 1, rect) ? 1 : 0;
}
