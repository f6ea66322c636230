// The Pocket PC shell as the platform draws it: the navigation bar, the menu bar with its popup
// menu (a modal loop of its own), and the composition of both over the windows.
#include <algorithm>
#include <cstring>

#include "platform/internal.h"
#include "platform/shell_look.h"

namespace plat {

namespace {

constexpr WORD ImageNone = 0xFFFE;  // a text button
constexpr BYTE StyleDropDown = 0x08;
constexpr int ItemHeight = 18;
constexpr int SeparatorHeight = 7;
constexpr int CheckMargin = 16;
constexpr int MaxMenuDepth = 4;

uint16_t nextGeneration(uint16_t g) {
    return static_cast<uint16_t>(g == 0xFFFF ? 1 : g + 1);
}

uint16_t readU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

HMENU menuHandle(int slot) {
    if (slot < 0) return nullptr;
    return makeHandle<HMENU>(Kind::Menu, static_cast<uint32_t>(slot), state().menus[slot].generation);
}

int newMenu() {
    State& s = state();
    for (int i = 0; i < MaxMenus; ++i) {
        Menu& menu = s.menus[i];
        if (menu.used) continue;
        uint16_t generation = nextGeneration(menu.generation);
        menu = Menu{};
        menu.used = true;
        menu.generation = generation;
        return i;
    }
    return -1;
}

// Reads a menu template's items into menu `slot`; gives false on malformed data.
bool parseMenuItems(const uint8_t* data, uint32_t size, uint32_t* offset, int slot, int depth) {
    if (depth > MaxMenuDepth) return false;
    State& s = state();
    for (;;) {
        if (*offset + 2 > size) return false;
        UINT flags = readU16(data + *offset);
        *offset += 2;
        UINT id = 0;
        if (!(flags & MF_POPUP)) {
            if (*offset + 2 > size) return false;
            id = readU16(data + *offset);
            *offset += 2;
        }
        WCHAR text[MaxItemText] = {};
        int length = 0;
        for (;;) {
            if (*offset + 2 > size) return false;
            WCHAR c = static_cast<WCHAR>(readU16(data + *offset));
            *offset += 2;
            if (c == 0) break;
            if (length < MaxItemText - 1) text[length++] = c;
        }
        int submenu = -1;
        if (flags & MF_POPUP) {
            submenu = newMenu();
            if (submenu < 0) return false;
            if (!parseMenuItems(data, size, offset, submenu, depth + 1)) {
                freeMenu(submenu);
                return false;
            }
        }
        Menu& menu = s.menus[slot];
        if (menu.count < MaxMenuItems) {
            MenuItem& item = menu.items[menu.count++];
            item.flags = flags & ~MF_END;
            if (!(flags & MF_POPUP) && id == 0 && length == 0) item.flags |= MF_SEPARATOR;
            item.id = id;
            std::memcpy(item.text, text, sizeof text);
            item.submenu = submenu;
        } else if (submenu >= 0) {
            freeMenu(submenu);
        }
        if (flags & MF_END) return true;
    }
}

int loadMenu(HINSTANCE instance, uint16_t id) {
    const ResourceEntry* entry = findEntry(instance, 4, nullptr, id);
    if (!entry || !entry->data || entry->size < 4) return -1;
    uint16_t version = readU16(entry->data);
    uint32_t offset = 4u + readU16(entry->data + 2);
    if (version != 0) return -1;
    int slot = newMenu();
    if (slot < 0) return -1;
    if (!parseMenuItems(entry->data, entry->size, &offset, slot, 0)) {
        freeMenu(slot);
        return -1;
    }
    return slot;
}

bool selectable(const MenuItem& item) {
    return !(item.flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED | MF_POPUP));
}

// Display rectangle of a menu bar button.
RECT buttonDisplayRect(int bar, int button) {
    const Window& w = state().windows[bar];
    RECT r = w.buttons[button].rect;
    return RECT{r.left + w.rect.left, r.top + w.rect.top, r.right + w.rect.left, r.bottom + w.rect.top};
}

void layoutPopup() {
    State& s = state();
    PopupState& p = s.popup;
    const Menu& menu = s.menus[p.menu];
    int width = 0, height = 2;
    for (int i = 0; i < menu.count; ++i) {
        const MenuItem& item = menu.items[i];
        p.itemTop[i] = height;
        p.itemHeight[i] = (item.flags & MF_SEPARATOR) ? SeparatorHeight : ItemHeight;
        height += p.itemHeight[i];
        width = std::max(width, textWidth(item.text, wideLength(item.text, MaxItemText), false));
    }
    height += 2;
    width = std::max(width + CheckMargin + 14, 64);
    RECT anchor = buttonDisplayRect(p.menuBar, p.button);
    int left = std::min<int>(anchor.left, DisplayWidth - width);
    int bottom = s.windows[p.menuBar].rect.top;
    int top = std::max(0, bottom - height);
    p.rect = RECT{std::max(0, left), top, std::max(0, left) + width, top + height};
}

int popupItemAt(int x, int y) {
    const PopupState& p = state().popup;
    if (x < p.rect.left || x >= p.rect.right || y < p.rect.top || y >= p.rect.bottom) return -1;
    const Menu& menu = state().menus[p.menu];
    int local = y - p.rect.top;
    for (int i = 0; i < menu.count; ++i) {
        if (local >= p.itemTop[i] && local < p.itemTop[i] + p.itemHeight[i])
            return selectable(menu.items[i]) ? i : -1;
    }
    return -1;
}

void closePopup() {
    State& s = state();
    PopupState& p = s.popup;
    if (!p.open) return;
    if (p.menuBar >= 0 && s.windows[p.menuBar].used) s.windows[p.menuBar].pressedButton = -1;
    p.open = false;
    p.highlight = -1;
    touchDisplay();
}

void choose(int item) {
    State& s = state();
    PopupState& p = s.popup;
    UINT id = s.menus[p.menu].items[item].id;
    HWND owner = windowHandle(p.owner);
    closePopup();
    postMessage(owner, WM_COMMAND, MAKEWPARAM(static_cast<int>(id), 0), 0);
}

void moveHighlight(int direction) {
    State& s = state();
    PopupState& p = s.popup;
    const Menu& menu = s.menus[p.menu];
    int i = p.highlight;
    for (int n = 0; n < menu.count; ++n) {
        i = (i + direction + menu.count + (i < 0 && direction < 0 ? 1 : 0)) % menu.count;
        if (selectable(menu.items[i])) {
            p.highlight = i;
            touchDisplay();
            return;
        }
    }
}

void popupInput(const HostEvent& event) {
    State& s = state();
    PopupState& p = s.popup;
    auto setHighlight = [&](int item) {
        if (item != p.highlight) {
            p.highlight = item;
            touchDisplay();
        }
    };
    switch (event.kind) {
        case HostEventKind::PenDown:
            s.lastPen = POINT{event.x, event.y};
            if (event.x >= p.rect.left && event.x < p.rect.right && event.y >= p.rect.top &&
                event.y < p.rect.bottom) {
                p.penDown = true;
                setHighlight(popupItemAt(event.x, event.y));
            } else {
                closePopup();  // a tap elsewhere closes the menu and goes no further
            }
            return;
        case HostEventKind::PenMove:
            s.lastPen = POINT{event.x, event.y};
            if (p.penDown) setHighlight(popupItemAt(event.x, event.y));
            return;
        case HostEventKind::PenUp: {
            s.lastPen = POINT{event.x, event.y};
            if (!p.penDown) return;
            p.penDown = false;
            int item = popupItemAt(event.x, event.y);
            if (item >= 0) {
                choose(item);
            } else {
                setHighlight(-1);
            }
            return;
        }
        case HostEventKind::KeyDown:
            if (event.key == 0x1B) closePopup();                             // Escape
            if (event.key == 0x26) moveHighlight(-1);                        // Up
            if (event.key == 0x28) moveHighlight(1);                         // Down
            if (event.key == 0x0D && p.highlight >= 0) choose(p.highlight);  // Return
            return;
        case HostEventKind::KeyUp:
            return;
        case HostEventKind::Command: {
            HWND owner = windowHandle(p.owner);
            closePopup();
            postMessage(owner, WM_COMMAND, MAKEWPARAM(event.command, 0), 0);
            return;
        }
        case HostEventKind::Quit:
            closePopup();
            routeQuit();
            return;
        case HostEventKind::Restore:
            routeRestore();
            return;
    }
}

// The popup menu's own message loop; returns when the menu closes.
void runPopup(int bar, int button) {
    State& s = state();
    PopupState& p = s.popup;
    Window& w = s.windows[bar];
    int menu = w.buttons[button].submenu;
    if (p.open || menu < 0 || !s.menus[menu].used) return;
    p = PopupState{};
    p.open = true;
    p.menu = menu;
    p.menuBar = bar;
    p.button = button;
    p.owner = w.parent;
    p.highlight = -1;
    p.penDown = true;  // opened by a pen-down on the button; the pen may slide onto an item
    layoutPopup();
    w.pressedButton = button;
    clearCapture();
    touchDisplay();
    while (p.open) {
        beginPass(PassKind::Menu);
        if (!p.open) break;
        if (s.quitPosted) {
            closePopup();
            break;
        }
        MSG msg;
        if (takePosted(&msg)) {
            DispatchMessageW(&msg);
            continue;
        }
        HostEvent event;
        if (popInput(&event)) {
            popupInput(event);
            continue;
        }
        dispatchPaint();
    }
}

// ---- Drawing ----------------------------------------------------------------------------------

void drawCheck(const Canvas& c, int x, int y, uint32_t colour) {
    // A 7 x 7 tick.
    static const char* const Tick[7] = {"......#", ".....##", "#...###", "##.###.",
                                        "#####..", ".###...", "..#...."};
    for (int j = 0; j < 7; ++j) {
        for (int i = 0; i < 7; ++i) {
            if (Tick[j][i] == '#') fillRect(c, x + i, y + j, x + i + 1, y + j + 1, colour);
        }
    }
}

void drawMenuBar(const Canvas& c, int bar) {
    const Window& w = state().windows[bar];
    int x0 = w.rect.left, y0 = w.rect.top, x1 = w.rect.right, y1 = w.rect.bottom;
    fillRect(c, x0, y0, x1, y1, look::Face);
    fillRect(c, x0, y0, x1, y0 + 1, look::Shadow);
    fillRect(c, x0, y0 + 1, x1, y0 + 2, look::Light);
    for (int b = 0; b < w.buttonCount; ++b) {
        const MenuBarButton& button = w.buttons[b];
        RECT r = buttonDisplayRect(bar, b);
        int length = wideLength(button.label, 32);
        int textX = r.left + (r.right - r.left - textWidth(button.label, length, false)) / 2;
        int textY = r.top + (r.bottom - r.top - LineHeight) / 2;
        bool pressed = w.pressedButton == b;
        if (pressed) {
            fillRect(c, r.left, r.top + 3, r.right, r.bottom - 1, look::Navy);
            drawText(c, textX, textY + 1, button.label, length, look::Light, false);
        } else {
            drawText(c, textX, textY + 1, button.label, length, look::Text, false);
        }
    }
}

void drawPopup(const Canvas& c) {
    const State& s = state();
    const PopupState& p = s.popup;
    const Menu& menu = s.menus[p.menu];
    RECT r = p.rect;
    look::raisedBox(c, r.left, r.top, r.right, r.bottom);
    for (int i = 0; i < menu.count; ++i) {
        const MenuItem& item = menu.items[i];
        int top = r.top + p.itemTop[i];
        if (item.flags & MF_SEPARATOR) {
            int y = top + SeparatorHeight / 2 - 1;
            fillRect(c, r.left + 3, y, r.right - 3, y + 1, look::Shadow);
            fillRect(c, r.left + 3, y + 1, r.right - 3, y + 2, look::Light);
            continue;
        }
        bool lit = i == p.highlight;
        bool grey = (item.flags & (MF_GRAYED | MF_DISABLED)) != 0;
        if (lit) fillRect(c, r.left + 3, top, r.right - 3, top + ItemHeight, look::Navy);
        uint32_t ink = lit ? look::Light : look::Text;
        int textY = top + (ItemHeight - LineHeight) / 2;
        int length = wideLength(item.text, MaxItemText);
        if (grey && !lit) {
            drawText(c, r.left + CheckMargin + 1, textY + 1, item.text, length, look::Light, false);
            ink = look::Shadow;
        }
        drawText(c, r.left + CheckMargin, textY, item.text, length, ink, false);
        if (item.flags & MF_CHECKED) drawCheck(c, r.left + 6, top + (ItemHeight - 7) / 2, ink);
    }
}

}  // namespace

void freeMenu(int slot) {
    State& s = state();
    if (slot < 0 || slot >= MaxMenus || !s.menus[slot].used) return;
    Menu& menu = s.menus[slot];
    menu.used = false;
    for (int i = 0; i < menu.count; ++i)
        freeMenu(menu.items[i].submenu);
    menu.count = 0;
}

int menuSlot(HMENU handle) {
    uint32_t generation = 0;
    int slot = handleSlot(handle, Kind::Menu, &generation);
    if (slot < 0 || slot >= MaxMenus) return -1;
    const Menu& menu = state().menus[slot];
    return menu.used && menu.generation == generation ? slot : -1;
}

void resetShell() {
    State& s = state();
    for (auto& menu : s.menus) {
        uint16_t generation = menu.generation;
        menu = Menu{};
        menu.generation = generation;
    }
    s.popup = PopupState{};
    for (auto& d : s.dialogs)
        d = DialogState{};
    s.dialogDepth = 0;
}

LRESULT menuBarProc(int slot, UINT message, WPARAM wParam, LPARAM lParam) {
    (void)wParam;
    State& s = state();
    Window& w = s.windows[slot];
    switch (message) {
        case SHCMBM_GETSUBMENU:
            for (int b = 0; b < w.buttonCount; ++b) {
                if (w.buttons[b].command == LOWORD(static_cast<DWORD_PTR>(lParam)) &&
                    w.buttons[b].submenu >= 0) {
                    return reinterpret_cast<LRESULT>(menuHandle(w.buttons[b].submenu));
                }
            }
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP: {
            int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
            int hit = -1;
            for (int b = 0; b < w.buttonCount; ++b) {
                const RECT& r = w.buttons[b].rect;
                if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) hit = b;
            }
            if (message == WM_LBUTTONDOWN) {
                if (hit < 0) return 0;
                if (w.buttons[hit].submenu >= 0) {
                    runPopup(slot, hit);
                } else {
                    w.pressedButton = hit;
                    touchDisplay();
                }
                return 0;
            }
            if (w.pressedButton >= 0 && w.pressedButton == hit) {
                postMessage(windowHandle(w.parent), WM_COMMAND, MAKEWPARAM(w.buttons[hit].command, 0), 0);
            }
            if (w.pressedButton >= 0) touchDisplay();
            w.pressedButton = -1;
            return 0;
        }
        default:
            return 0;
    }
}

void destroyMenuBar(int slot) {
    State& s = state();
    if (s.popup.open && s.popup.menuBar == slot) closePopup();
    freeMenu(s.windows[slot].menu);
    s.windows[slot].menu = -1;
    for (auto& button : s.windows[slot].buttons)
        button.submenu = -1;
}

void drawNavBar(const Canvas& c) {
    State& s = state();
    look::navBackground(c, 0, 0, DisplayWidth, NavBarHeight);
    look::startFlag(c, 5, 5);
    // The title: the open dialog's, else the active window's.
    const WCHAR* title = u"";
    int dialogWindow = -1;
    if (s.dialogDepth > 0) {
        const DialogState& d = s.dialogs[s.dialogDepth - 1];
        if (d.window >= 0 && s.windows[d.window].used) dialogWindow = d.window;
    }
    int top = topWindow();
    if (dialogWindow >= 0) {
        title = s.windows[dialogWindow].title;
    } else if (top >= 0) {
        title = s.windows[top].title;
    }
    int right = DisplayWidth - 4;
    RECT ok;
    if (platformDoneButtonRect(&ok) && ok.top < NavBarHeight) {
        look::okButton(c, ok, s.dialogs[s.dialogDepth - 1].okPressed);
        right = ok.left - 6;
    }
    // The clock.
    if (s.backend->clockMinutes) s.clockMinutes = s.backend->clockMinutes();
    int minutes = s.clockMinutes < 0 ? 0 : s.clockMinutes % (24 * 60);
    int hour = minutes / 60 % 12;
    if (hour == 0) hour = 12;
    WCHAR clock[8];
    int n = 0;
    if (hour >= 10) clock[n++] = static_cast<WCHAR>(u'0' + hour / 10);
    clock[n++] = static_cast<WCHAR>(u'0' + hour % 10);
    clock[n++] = u':';
    clock[n++] = static_cast<WCHAR>(u'0' + minutes % 60 / 10);
    clock[n++] = static_cast<WCHAR>(u'0' + minutes % 10);
    clock[n++] = minutes < 12 * 60 ? u'a' : u'p';
    int clockWidth = textWidth(clock, n, false);
    drawText(c, right - clockWidth, (NavBarHeight - LineHeight) / 2, clock, n, look::Light, false);
    // The title, cut to the room left.
    int length = wideLength(title, MaxTitle);
    int room = right - clockWidth - 8 - 27;
    while (length > 0 && textWidth(title, length, true) > room)
        --length;
    drawText(c, 27, (NavBarHeight - LineHeight) / 2, title, length, look::Light, true);
}

void composeShell(const Canvas& display) {
    State& s = state();
    int top = topWindow();
    int bar = top >= 0 ? menuBarOf(top) : -1;
    if (bar >= 0 && s.windows[bar].visible) drawMenuBar(display, bar);
    for (int i = 0; i < s.dialogDepth; ++i)
        composeDialog(display, i);
    drawNavBar(display);
    if (s.popup.open) drawPopup(display);
}

}  // namespace plat

using namespace plat;

BOOL SHCreateMenuBar(SHMENUBARINFO* info) {
    if (!info) return FALSE;
    if (info->cbSize != 32 && info->cbSize != sizeof(SHMENUBARINFO)) return FALSE;
    int parent = windowSlot(info->hwndParent);
    State& s = state();
    if (parent < 0 || s.windows[parent].kind != WindowKind::App) return FALSE;
    int menu = -1;
    struct Button {
        WORD command, state, style, label, submenu;
    } buttons[MaxMenuBarButtons] = {};
    int count = 0;
    if (!(info->dwFlags & SHCMBF_EMPTYBAR)) {
        const ResourceEntry* record =
            findEntry(info->hInstRes, 10, nullptr, static_cast<uint16_t>(info->nToolBarId));
        if (!record || !record->data || record->size < 4) return FALSE;
        const uint8_t* d = record->data;
        uint16_t menuId = readU16(d);
        uint32_t buttonCount = readU16(d + 2);
        if (4 + static_cast<uint64_t>(buttonCount) * 14 > record->size) return FALSE;
        menu = loadMenu(info->hInstRes, menuId);
        if (menu < 0) return FALSE;
        for (uint32_t b = 0; b < buttonCount && count < MaxMenuBarButtons; ++b) {
            const uint8_t* e = d + 4 + b * 14;
            if (readU16(e) != ImageNone) continue;  // picture buttons need a bitmap strip
            buttons[count++] =
                Button{readU16(e + 2), readU16(e + 4), readU16(e + 6), readU16(e + 8), readU16(e + 12)};
        }
    }
    int slot = createWindowSlot(WindowKind::MenuBar);
    if (slot < 0) {
        freeMenu(menu);
        return FALSE;
    }
    Window& w = s.windows[slot];
    w.parent = parent;
    w.instance = info->hInstRes;
    w.menu = menu;
    w.rect = RECT{0, MenuBarTop, DisplayWidth, DisplayHeight};
    w.visible = !(info->dwFlags & SHCMBF_HIDDEN);
    w.pressedButton = -1;
    int x = 0;
    for (int b = 0; b < count; ++b) {
        MenuBarButton& button = w.buttons[w.buttonCount++];
        button.command = buttons[b].command;
        button.state = static_cast<BYTE>(buttons[b].state);
        button.style = static_cast<BYTE>(buttons[b].style);
        LoadStringW(info->hInstRes, buttons[b].label, button.label, 32);
        const Menu& top = s.menus[menu];
        if ((button.style & StyleDropDown) && buttons[b].submenu < top.count) {
            button.submenu = top.items[buttons[b].submenu].submenu;
        }
        int width = textWidth(button.label, wideLength(button.label, 32), false) + 16;
        button.rect = RECT{x, 0, x + width, MenuBarHeight};
        x += width;
    }
    info->hwndMB = windowHandle(slot);
    touchDisplay();
    return TRUE;
}

DWORD CheckMenuItem(HMENU handle, UINT item, UINT check) {
    int slot = menuSlot(handle);
    if (slot < 0) return static_cast<DWORD>(-1);
    State& s = state();
    Menu* menu = &s.menus[slot];
    MenuItem* found = nullptr;
    if (check & MF_BYPOSITION) {
        if (item < static_cast<UINT>(menu->count)) found = &menu->items[item];
    } else {
        // By command: this menu first, then its popups.
        int stack[MaxMenus];
        int depth = 0;
        stack[depth++] = slot;
        while (depth > 0 && !found) {
            Menu& m = s.menus[stack[--depth]];
            for (int i = 0; i < m.count && !found; ++i) {
                if (!(m.items[i].flags & (MF_POPUP | MF_SEPARATOR)) && m.items[i].id == item)
                    found = &m.items[i];
                if (m.items[i].submenu >= 0 && depth < MaxMenus) stack[depth++] = m.items[i].submenu;
            }
        }
    }
    if (!found) return static_cast<DWORD>(-1);
    DWORD previous = found->flags & MF_CHECKED;
    found->flags = (found->flags & ~MF_CHECKED) | (check & MF_CHECKED);
    touchDisplay();
    return previous;
}

BOOL SHHandleWMSettingChange(HWND window, WPARAM wParam, LPARAM lParam, PSHACTIVATEINFO info) {
    (void)window;
    (void)wParam;
    (void)lParam;
    (void)info;
    return TRUE;
}

bool platformMenuOpen() {
    return state().popup.open;
}

int platformMenuBarButtonRect(int index, RECT* rect) {
    int top = topWindow();
    int bar = top >= 0 ? menuBarOf(top) : -1;
    if (bar < 0 || !rect || index < 0 || index >= state().windows[bar].buttonCount) return 0;
    *rect = buttonDisplayRect(bar, index);
    return 1;
}

int platformMenuItemRect(UINT commandId, RECT* rect) {
    const State& s = state();
    const PopupState& p = s.popup;
    if (!p.open || !rect) return 0;
    const Menu& menu = s.menus[p.menu];
    for (int i = 0; i < menu.count; ++i) {
        const MenuItem& item = menu.items[i];
        if ((item.flags & (MF_SEPARATOR | MF_POPUP)) || item.id != commandId) continue;
        *rect = RECT{p.rect.left + 3, p.rect.top + p.itemTop[i], p.rect.right - 3,
                     p.rect.top + p.itemTop[i] + p.itemHeight[i]};
        return 1;
    }
    return 0;
}
