// The Pocket PC shell as the platform draws it: the navigation bar, the menu bar with its popup
// menu (a modal loop of its own), and the composition of both over the windows.
#include <algorithm>
#include <cstdio>

#include "platform/internal.h"

namespace plat {

namespace {

// The shell's colours.
constexpr uint32_t Face = 0xD4D0C8;        // grey 3-D face
constexpr uint32_t Light = 0xFFFFFF;       // lit edge, text on navy
constexpr uint32_t Shadow = 0x808080;      // shaded edge, grey text
constexpr uint32_t DarkShadow = 0x404040;  // outer shaded edge
constexpr uint32_t Navy = 0x0A246A;        // selection

constexpr WORD ImageNone = 0xFFFE;  // a text button
constexpr WORD StyleDropDown = 0x08;
constexpr int ItemHeight = 18;
constexpr int SeparatorHeight = 7;
constexpr int CheckMargin = 16;
constexpr int MaxMenuDepth = 4;

void freeMenu(int slot) {
    State& s = state();
    if (slot < 0 || slot >= MaxMenus || !s.menus[slot].used) return;
    Menu& menu = s.menus[slot];
    menu.used = false;
    for (int i = 0; i < menu.count; ++i)
        freeMenu(menu.items[i].submenu);
    menu.count = 0;
}

// Reads a menu template's items into menu `slot`; gives false on malformed data.
bool parseMenuItems(Reader& r, int slot, int depth) {
    State& s = state();
    for (;;) {
        const UINT flags = r.u16();
        MenuItem item;
        item.id = (flags & MF_POPUP) ? 0 : r.u16();
        r.string(item.text, MaxItemText, static_cast<WCHAR>(r.u16()));
        if (!r.ok || depth > MaxMenuDepth) return false;
        if (flags & MF_POPUP) {
            item.submenu = takeSlot(s.menus);
            if (item.submenu < 0 || !parseMenuItems(r, item.submenu, depth + 1)) {
                freeMenu(item.submenu);
                return false;
            }
        }
        item.flags = flags & ~MF_END;
        if (!(flags & MF_POPUP) && item.id == 0 && item.text[0] == 0) item.flags |= MF_SEPARATOR;
        Menu& menu = s.menus[slot];
        if (menu.count < MaxMenuItems) {
            menu.items[menu.count++] = item;
        } else {
            freeMenu(item.submenu);
        }
        if (flags & MF_END) return true;
    }
}

int loadMenu(HINSTANCE instance, uint16_t id) {
    const ResourceEntry* entry = findEntry(instance, RT_MENU, MAKEINTRESOURCEW(id));
    if (!entry || !entry->data || entry->size < 4 || readU16(entry->data) != 0) return -1;
    Reader r{entry->data, entry->size, 4u + readU16(entry->data + 2)};
    int slot = takeSlot(state().menus);
    if (slot >= 0 && !parseMenuItems(r, slot, 0)) {
        freeMenu(slot);
        return -1;
    }
    return slot;
}

bool selectable(const MenuItem& item) {
    return !(item.flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED | MF_POPUP));
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
    int left =
        std::max(0, std::min<int>(s.windows[p.menuBar].buttons[p.button].rect.left, DisplayWidth - width));
    int bottom = s.windows[p.menuBar].rect.top;
    int top = std::max(0, bottom - height);
    p.rect = RECT{left, top, left + width, top + height};
}

int popupItemAt(int x, int y) {
    const PopupState& p = state().popup;
    if (!inside(p.rect, x, y)) return -1;
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

// Closes the menu and sends the command to the menu bar's owner.
void sendCommand(UINT id) {
    HWND owner = windowHandle(state().popup.owner);
    closePopup();
    postMessage(owner, WM_COMMAND, MAKEWPARAM(static_cast<int>(id), 0), 0);
}

// The next item that can be chosen from item `from` on, going by step (1 or -1) and round the
// end; -1 when there is none.
int nextSelectable(int from, int step) {
    const Menu& menu = state().menus[state().popup.menu];
    for (int k = 1; k <= menu.count; ++k) {
        const int i = ((from + step * k) % menu.count + menu.count) % menu.count;
        if (selectable(menu.items[i])) return i;
    }
    return -1;
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
        case HostEventKind::KeyDown:
            // Up and Down move over the items that can be chosen, Enter chooses, Esc (and the keys
            // that open the menu) close it; with Ctrl held a key does nothing here.
            if (s.controlHeld || p.penDown) return;
            if (event.command == VK_UP || event.command == VK_DOWN) {
                const int step = event.command == VK_DOWN ? 1 : -1;
                setHighlight(nextSelectable(p.highlight >= 0 ? p.highlight : (step > 0 ? -1 : 0), step));
            } else if (event.command == VK_RETURN && p.highlight >= 0) {
                sendCommand(s.menus[p.menu].items[p.highlight].id);
            } else if (event.command == VK_ESCAPE || event.command == VK_F10 || event.command == VK_APPS) {
                closePopup();
            }
            return;
        case HostEventKind::PenDown:
            if (inside(p.rect, event.x, event.y)) {
                p.penDown = true;
                setHighlight(popupItemAt(event.x, event.y));
            } else {
                closePopup();  // a tap elsewhere closes the menu and goes no further
            }
            return;
        case HostEventKind::PenMove:
            if (p.penDown) setHighlight(popupItemAt(event.x, event.y));
            return;
        case HostEventKind::PenUp: {
            if (!p.penDown) return;
            p.penDown = false;
            int item = popupItemAt(event.x, event.y);
            if (item >= 0) {
                sendCommand(s.menus[p.menu].items[item].id);
            } else {
                setHighlight(-1);
            }
            return;
        }
        case HostEventKind::Command:
            sendCommand(event.command);
            return;
        case HostEventKind::Quit:
            closePopup();
            return;
        case HostEventKind::KeyUp:
        case HostEventKind::Restore:
            return;
    }
}

// The popup menu's own message loop; returns when the menu closes. Opened by a pen-down on the
// button, the pen may slide onto an item; opened by a key, the first item that can be chosen is
// highlighted.
void runPopup(int bar, int button, bool byKey) {
    State& s = state();
    PopupState& p = s.popup;
    Window& w = s.windows[bar];
    int menu = w.buttons[button].submenu;
    if (p.open || menu < 0 || !s.menus[menu].used) return;
    p = PopupState{true, menu, bar, button, w.parent, -1, !byKey};
    if (byKey) p.highlight = nextSelectable(-1, 1);
    layoutPopup();
    w.pressedButton = button;
    clearCapture();
    touchDisplay();
    modalLoop(
        PassKind::Menu, [&] { return p.open; }, popupInput);
}

// Draws a picture given as rows of characters, top-left at (x, y): '.' is left alone, any other
// character is a pixel of colour(character).
template <typename Colour>
void drawCells(const Canvas& c, int x, int y, const char* const* rows, int height, Colour colour) {
    for (int j = 0; j < height; ++j) {
        for (int i = 0; rows[j][i]; ++i) {
            if (rows[j][i] != '.') fillPixels(c, x + i, y + j, x + i + 1, y + j + 1, colour(rows[j][i]));
        }
    }
}

void drawMenuBar(const Canvas& c, int bar) {
    const Window& w = state().windows[bar];
    int x0 = w.rect.left, y0 = w.rect.top, x1 = w.rect.right, y1 = w.rect.bottom;
    fillPixels(c, x0, y0, x1, y1, Face);
    fillPixels(c, x0, y0, x1, y0 + 1, Shadow);
    fillPixels(c, x0, y0 + 1, x1, y0 + 2, Light);
    for (int b = 0; b < w.buttonCount; ++b) {
        const MenuBarButton& button = w.buttons[b];
        const RECT& r = button.rect;
        int length = wideLength(button.label, MaxLabel);
        int textX = r.left + (r.right - r.left - textWidth(button.label, length, false)) / 2;
        int textY = r.top + (r.bottom - r.top - LineHeight) / 2;
        bool pressed = w.pressedButton == b;
        if (pressed) fillPixels(c, r.left, r.top + 3, r.right, r.bottom - 1, Navy);
        drawUiText(c, textX, textY + 1, button.label, length, pressed ? Light : Black, false);
    }
}

void drawPopup(const Canvas& c) {
    const State& s = state();
    const PopupState& p = s.popup;
    const Menu& menu = s.menus[p.menu];
    const RECT& r = p.rect;
    // A raised box.
    fillPixels(c, r.left, r.top, r.right, r.bottom, DarkShadow);
    fillPixels(c, r.left, r.top, r.right - 1, r.bottom - 1, Face);
    fillPixels(c, r.left + 1, r.top + 1, r.right - 1, r.bottom - 1, Shadow);
    fillPixels(c, r.left + 1, r.top + 1, r.right - 2, r.bottom - 2, Light);
    fillPixels(c, r.left + 2, r.top + 2, r.right - 2, r.bottom - 2, Face);
    for (int i = 0; i < menu.count; ++i) {
        const MenuItem& item = menu.items[i];
        int top = r.top + p.itemTop[i];
        if (item.flags & MF_SEPARATOR) {
            int y = top + SeparatorHeight / 2 - 1;
            fillPixels(c, r.left + 3, y, r.right - 3, y + 1, Shadow);
            fillPixels(c, r.left + 3, y + 1, r.right - 3, y + 2, Light);
            continue;
        }
        bool lit = i == p.highlight;
        bool grey = (item.flags & (MF_GRAYED | MF_DISABLED)) != 0;
        if (lit) fillPixels(c, r.left + 3, top, r.right - 3, top + ItemHeight, Navy);
        uint32_t ink = lit ? Light : grey ? Shadow : Black;
        int textY = top + (ItemHeight - LineHeight) / 2;
        drawUiText(c, r.left + CheckMargin, textY, item.text, wideLength(item.text, MaxItemText), ink, false);
        // A 7 x 7 tick left of a checked item.
        static const char* const Tick[7] = {"......#", ".....##", "#...###", "##.###.",
                                            "#####..", ".###...", "..#...."};
        if (item.flags & MF_CHECKED)
            drawCells(c, r.left + 6, top + (ItemHeight - 7) / 2, Tick, 7, [ink](char) { return ink; });
    }
}

// The navigation bar's blue background, from a lighter blue at the top to navy at the bottom.
void navBackground(const Canvas& c) {
    constexpr int Rows = NavBarHeight;
    for (int y = 0; y < Rows; ++y) {
        int t = y * 255 / (Rows - 1);
        auto mix = [t](int top, int bottom) {
            return static_cast<uint32_t>((top * (255 - t) + bottom * t) / 255);
        };
        fillPixels(c, 0, y, DisplayWidth, y + 1, rgb(mix(58, 10), mix(98, 36), mix(196, 106)));
    }
    fillPixels(c, 0, Rows - 1, DisplayWidth, Rows, Black);
}

// The four-colour Start flag, 15 x 14.
void startFlag(const Canvas& c, int x, int y) {
    static const char* const Flag[14] = {
        "..RRRR.........", ".RRRRRR..GGGG..", ".RRRRRR.GGGGGGG", ".RRRRRR.GGGGGGG", "RRRRRRR.GGGGGGG",
        "RRRRRR.GGGGGGG.", "RRRRRR.GGGGGGG.", "...............", ".BBBB..YYYYYYY.", "BBBBBB.YYYYYYY.",
        "BBBBBB.YYYYYYY.", "BBBBBB.YYYYYY..", "BBBBB..YYYY....", ".BB............",
    };
    drawCells(c, x, y, Flag, 14, [](char cell) -> uint32_t {
        return cell == 'R' ? 0xF65314 : cell == 'G' ? 0x7CBB00 : cell == 'B' ? 0x00A1F1 : 0xFFBB00;
    });
}

// The dialog's "ok" button in the navigation bar.
void okButton(const Canvas& c, const RECT& r, bool pressed) {
    int l = r.left, t = r.top, rt = r.right, b = r.bottom;
    // A rounded outline: the corners are left out.
    fillPixels(c, l + 1, t, rt - 1, t + 1, Light);
    fillPixels(c, l + 1, b - 1, rt - 1, b, Light);
    fillPixels(c, l, t + 1, l + 1, b - 1, Light);
    fillPixels(c, rt - 1, t + 1, rt, b - 1, Light);
    if (pressed) fillPixels(c, l + 1, t + 1, rt - 1, b - 1, Light);
    static const WCHAR Ok[] = u"ok";
    int w = textWidth(Ok, 2, true);
    drawUiText(c, l + (rt - l - w) / 2, t + (b - t - LineHeight) / 2, Ok, 2, pressed ? Navy : Light, true);
}

void drawNavBar(const Canvas& c) {
    State& s = state();
    navBackground(c);
    startFlag(c, 5, 5);
    // The title: the open dialog's, else the active window's.
    int dialog = s.dialogDepth > 0 ? s.dialogs[s.dialogDepth - 1].window : -1;
    int from = dialog >= 0 && s.windows[dialog].used ? dialog : topWindow();
    const WCHAR* title = from >= 0 ? s.windows[from].title : u"";
    int right = DisplayWidth - 4;
    RECT ok;
    if (s.dialogDepth > 0 && okRect(s.dialogDepth - 1, &ok)) {
        okButton(c, ok, s.dialogs[s.dialogDepth - 1].okPressed);
        right = ok.left - 6;
    }
    // The clock.
    if (s.backend->clockMinutes) s.clockMinutes = s.backend->clockMinutes();
    int minutes = s.clockMinutes < 0 ? 0 : s.clockMinutes % (24 * 60);
    char digits[8];
    int n = std::snprintf(digits, sizeof digits, "%d:%02d%c", (minutes / 60 + 11) % 12 + 1, minutes % 60,
                          minutes < 12 * 60 ? 'a' : 'p');
    WCHAR clock[8];
    std::copy(digits, digits + n, clock);
    int clockWidth = textWidth(clock, n, false);
    drawUiText(c, right - clockWidth, (NavBarHeight - LineHeight) / 2, clock, n, Light, false);
    // The title, cut to the room left.
    int length = wideLength(title, MaxTitle);
    int room = right - clockWidth - 8 - 27;
    while (length > 0 && textWidth(title, length, true) > room)
        --length;
    drawUiText(c, 27, (NavBarHeight - LineHeight) / 2, title, length, Light, true);
}

}  // namespace

int commandItem(const Menu& menu, UINT id) {
    for (int i = 0; i < menu.count; ++i) {
        if (!(menu.items[i].flags & (MF_POPUP | MF_SEPARATOR)) && menu.items[i].id == id) return i;
    }
    return -1;
}

void resetShell() {
    State& s = state();
    emptySlots(s.menus);
    s.popup = PopupState{};
    std::fill(std::begin(s.dialogs), std::end(s.dialogs), DialogState{});
    s.dialogDepth = 0;
}

LRESULT menuBarProc(int slot, UINT message, LPARAM lParam) {
    Window& w = state().windows[slot];
    if (message == SHCMBM_GETSUBMENU) {
        for (const MenuBarButton& button : w.buttons) {
            if (button.command != LOWORD(static_cast<DWORD_PTR>(lParam)) || button.submenu < 0) continue;
            return reinterpret_cast<LRESULT>(slotHandle<HMENU>(Kind::Menu, state().menus, button.submenu));
        }
    } else if (message == WM_LBUTTONDOWN) {
        // A button opens its popup menu.
        const int x = w.rect.left + GET_X_LPARAM(lParam), y = w.rect.top + GET_Y_LPARAM(lParam);
        for (int b = 0; b < w.buttonCount; ++b) {
            if (inside(w.buttons[b].rect, x, y)) runPopup(slot, b, false);
        }
    } else if (message == WM_SYSKEYDOWN) {
        // A key opens the first button's menu.
        int b = 0;
        while (b < w.buttonCount && w.buttons[b].submenu < 0)
            ++b;
        if (b < w.buttonCount) runPopup(slot, b, true);
    }
    return 0;
}

void destroyMenuBar(int slot) {
    State& s = state();
    if (s.popup.open && s.popup.menuBar == slot) closePopup();
    freeMenu(s.windows[slot].menu);
}

void composeShell(const Canvas& display) {
    State& s = state();
    int bar = menuBarOf(topWindow());
    if (bar >= 0 && s.windows[bar].visible) drawMenuBar(display, bar);
    for (int i = 0; i < s.dialogDepth; ++i)
        composeDialog(display, i);
    drawNavBar(display);
    if (s.popup.open) drawPopup(display);
}

}  // namespace plat

using namespace plat;

BOOL SHCreateMenuBar(SHMENUBARINFO* info) {
    if (!info || (info->cbSize != 32 && info->cbSize != sizeof(SHMENUBARINFO))) return FALSE;
    int parent = windowSlot(info->hwndParent);
    State& s = state();
    if (parent < 0 || s.windows[parent].kind != WindowKind::App) return FALSE;
    // The record: the menu's id, the number of buttons, then 14 bytes a button (image, command,
    // state, style, label string, unused, popup index in the menu).
    const ResourceEntry* record = findEntry(info->hInstRes, RT_RCDATA, MAKEINTRESOURCEW(info->nToolBarId));
    if (!record || !record->data || record->size < 4) return FALSE;
    const uint8_t* d = record->data;
    uint32_t count = readU16(d + 2);
    if (4 + static_cast<uint64_t>(count) * 14 > record->size) return FALSE;
    int menu = loadMenu(info->hInstRes, readU16(d));
    if (menu < 0) return FALSE;
    int slot = createWindowSlot(WindowKind::MenuBar);
    if (slot < 0) {
        freeMenu(menu);
        return FALSE;
    }
    Window& w = s.windows[slot];
    w.parent = parent;
    w.menu = menu;
    w.rect = RECT{0, MenuBarTop, DisplayWidth, DisplayHeight};
    w.visible = true;
    int x = 0;
    for (uint32_t b = 0; b < count && w.buttonCount < MaxMenuBarButtons; ++b) {
        const uint8_t* e = d + 4 + b * 14;
        if (readU16(e) != ImageNone) continue;  // picture buttons need a bitmap strip
        MenuBarButton& button = w.buttons[w.buttonCount++];
        button.command = readU16(e + 2);
        LoadStringW(info->hInstRes, readU16(e + 8), button.label, MaxLabel);
        const Menu& top = s.menus[menu];
        if ((readU16(e + 6) & StyleDropDown) && readU16(e + 12) < top.count)
            button.submenu = top.items[readU16(e + 12)].submenu;
        int width = textWidth(button.label, wideLength(button.label, MaxLabel), false) + 16;
        button.rect = RECT{x, MenuBarTop, x + width, DisplayHeight};
        x += width;
    }
    info->hwndMB = windowHandle(slot);
    touchDisplay();
    return TRUE;
}

// Sets or clears the check mark of the menu's item with this command.
DWORD CheckMenuItem(HMENU handle, UINT item, UINT check) {
    int slot = liveSlot(handle, Kind::Menu, state().menus);
    int i = slot < 0 ? -1 : commandItem(state().menus[slot], item);
    if (i < 0) return static_cast<DWORD>(-1);
    MenuItem& found = state().menus[slot].items[i];
    DWORD previous = found.flags & MF_CHECKED;
    found.flags = (found.flags & ~MF_CHECKED) | (check & MF_CHECKED);
    touchDisplay();
    return previous;
}

BOOL SHHandleWMSettingChange(HWND, WPARAM, LPARAM, PSHACTIVATEINFO) {
    return TRUE;
}
