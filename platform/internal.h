// State and helpers shared by the platform's own sources. Not for callers of the platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "platform/aygshell.h"
#include "platform/host.h"

namespace plat {

// Little-endian values in resource data.
inline uint16_t readU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t readU32(const uint8_t* p) {
    return readU16(p) | (static_cast<uint32_t>(readU16(p + 2)) << 16);
}

// Reads resource data word by word; past the end it gives 0 and marks the read failed.
struct Reader {
    const uint8_t* data;
    uint32_t size;
    uint32_t offset = 0;
    bool ok = true;

    uint16_t u16() {
        ok = ok && offset + 2 <= size;
        offset += 2;
        return ok ? readU16(data + offset - 2) : 0;
    }
    uint32_t u32() {
        uint32_t low = u16();
        return low | (static_cast<uint32_t>(u16()) << 16);
    }
    // A NUL-terminated UTF-16 text that starts with `first`, copied into text (when given) and
    // cut to max characters with its NUL.
    void string(WCHAR* text, int max, WCHAR first) {
        int n = 0;
        for (WCHAR c = first; ok && c != 0; c = static_cast<WCHAR>(u16())) {
            if (text && n < max - 1) text[n++] = c;
        }
        if (text) text[n] = 0;
    }
};

// Whether two NUL-terminated names are equal, ignoring the case of ASCII letters.
inline bool sameName(const WCHAR* a, const WCHAR* b) {
    auto upper = [](WCHAR c) { return c >= u'a' && c <= u'z' ? static_cast<WCHAR>(c - 32) : c; };
    for (; upper(*a) == upper(*b); ++a, ++b) {
        if (*a == 0) return true;
    }
    return false;
}

// The number of a resource named by number (MAKEINTRESOURCEW).
inline uint16_t resourceId(LPCWSTR name) {
    return static_cast<uint16_t>(reinterpret_cast<ULONG_PTR>(name));
}

inline bool inside(const RECT& r, int64_t x, int64_t y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// Pixels are 0x00RRGGBB, in buffers that start on a page, as a DIB section's bits do. Two bitmaps
// of one width then line up, so a copy between them never has its loads held behind stores to an
// unrelated address at the same offset in a page: that cost a copy up to 17 %, varying from run to
// run with where the allocator put each bitmap.
template <typename T>
struct PageAligned {
    using value_type = T;
    static constexpr std::align_val_t Page{4096};
    PageAligned() = default;
    template <typename U>
    PageAligned(const PageAligned<U>&) {}
    T* allocate(size_t n) { return static_cast<T*>(::operator new(n * sizeof(T), Page)); }
    void deallocate(T* p, size_t) { ::operator delete(p, Page); }
    bool operator==(const PageAligned&) const = default;
};
using Pixels = std::vector<uint32_t, PageAligned<uint32_t>>;

constexpr uint32_t White = 0xFFFFFF;
constexpr uint32_t Black = 0x000000;
inline uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) {
    return (r << 16) | (g << 8) | b;
}

// A view of pixels to draw on: the buffer, and the rectangle of it that may be touched.
struct Canvas {
    uint32_t* pixels = nullptr;
    int stride = 0;       // pixels per row
    RECT clip{};          // right and bottom outside
    bool screen = false;  // drawing here changes the display
};

// What every table of handle objects keeps in a slot: whether it is taken, and its generation.
struct Slot {
    bool used = false;
    uint16_t generation = 0;
};

// A handle is (kind, slot, generation) packed into a pointer-sized value whose low bits are zero
// (four of them, two with 32-bit pointers), so a stale or foreign handle is recognised instead of
// being followed. A slot's generation moves on each time it is taken, and is never 0. A slot past
// what a handle holds gets no handle (0).

enum class Kind : uint8_t { None, Bitmap, Brush, Dc, Window, Menu, Icon, Instance, Resource, Accel };

uintptr_t packHandle(Kind kind, uint32_t slot, uint32_t generation);
// Gives the slot, or -1 when the value is not a handle of this kind.
int handleSlot(const void* handle, Kind kind, uint32_t* generation);

template <typename H>
H makeHandle(Kind kind, uint32_t slot, uint32_t generation) {
    return reinterpret_cast<H>(packHandle(kind, slot, generation));
}

// The slot a handle names when the object there is in use and of the handle's generation, or -1.
template <typename T, size_t N>
int liveSlot(const void* handle, Kind kind, const T (&objects)[N]) {
    uint32_t generation = 0;
    const int slot = handleSlot(handle, kind, &generation);
    if (slot < 0 || slot >= static_cast<int>(N)) return -1;
    return objects[slot].used && objects[slot].generation == generation ? slot : -1;
}

// The handle of an object in a table, of the object's generation.
template <typename H, typename T, size_t N>
H slotHandle(Kind kind, const T (&objects)[N], int slot) {
    return makeHandle<H>(kind, static_cast<uint32_t>(slot), objects[slot].generation);
}

// Takes the first free slot from `first` on: emptied, in use, of a new generation; or -1.
template <typename T, size_t N>
int takeSlot(T (&objects)[N], int first = 0) {
    for (int i = first; i < static_cast<int>(N); ++i) {
        if (objects[i].used) continue;
        const uint16_t old = objects[i].generation;
        const auto generation = static_cast<uint16_t>(old == 0xFFFF ? 1 : old + 1);
        objects[i] = T{};
        objects[i].used = true;
        objects[i].generation = generation;
        return i;
    }
    return -1;
}

// Empties a slot but keeps its generation, so a handle from before stays invalid.
template <typename T>
void freeSlot(T& object) {
    const uint16_t generation = object.generation;
    object = T{};
    object.generation = generation;
}
template <typename T, size_t N>
void emptySlots(T (&objects)[N]) {
    for (T& object : objects)
        freeSlot(object);
}

// A queue of fixed room, oldest first.
template <typename T, int N>
struct Ring {
    T items[N] = {};
    int head = 0, count = 0;

    bool push(const T& item) {
        if (count >= N) return false;
        items[(head + count++) % N] = item;
        return true;
    }
    bool pop(T* item) {
        if (count == 0) return false;
        *item = items[head];
        head = (head + 1) % N;
        --count;
        return true;
    }
};

constexpr int MaxGdiObjects = 1024;
constexpr int MaxDcs = 256;
constexpr int StockBrushes = 5;   // slots 0 to 4: GetStockObject 0 to 4
constexpr int DefaultBitmap = 5;  // slot 5: the 1 x 1 bitmap of a new memory context
constexpr int FirstFreeGdiSlot = 6;

struct GdiObject : Slot {
    Kind kind = Kind::None;
    bool stock = false;
    // Bitmap.
    Pixels pixels;
    int width = 0, height = 0;
    int selectedIn = -1;  // context slot holding the bitmap, or -1
    // Brush.
    uint32_t colour = 0;
};

struct DcObject : Slot {
    int window = -1;  // window slot for a window's context, -1 for a memory context
    int bitmap = DefaultBitmap;
    int brush = WHITE_BRUSH;
};

struct Icon : Slot {
    HINSTANCE instance = nullptr;  // where it was loaded from: an icon loads once and is shared
    uint16_t resourceId = 0;
    int width = 0, height = 0;
    Pixels colour;
    Pixels mask;  // White where the background shows through
};
constexpr int MaxIcons = 16;

enum class WindowKind : uint8_t { App, MenuBar, Dialog };

constexpr int MaxWindows = 32;
constexpr int MaxClasses = 16;
constexpr int MaxTitle = 100;
constexpr int MaxMenuBarButtons = 4;
constexpr int MaxLabel = 32;

struct MenuBarButton {
    WORD command = 0;
    int submenu = -1;  // menu slot of its popup, or -1
    WCHAR label[MaxLabel] = {};
    RECT rect{};  // display coordinates
};

struct WindowClass {
    bool used = false;
    WCHAR name[MaxTitle] = {};
    WNDCLASSW info{};
};

struct Window : Slot {
    WindowKind kind = WindowKind::App;
    int windowClass = -1;
    WNDPROC proc = nullptr;
    DLGPROC dialogProc = nullptr;
    int parent = -1;  // owner window slot
    WCHAR title[MaxTitle] = {};
    RECT rect{};  // display coordinates
    bool visible = false, destroying = false;
    bool needPaint = false, needErase = false;
    Pixels layer;  // client area pixels
    int layerWidth = 0, layerHeight = 0;
    int dc = -1;
    // Menu bar.
    int menu = -1;
    int buttonCount = 0;
    MenuBarButton buttons[MaxMenuBarButtons];
    int pressedButton = -1;
};

constexpr int MaxMenus = 16;
constexpr int MaxMenuItems = 32;
constexpr int MaxItemText = 48;

struct MenuItem {
    UINT flags = 0;  // MF_CHECKED, MF_GRAYED, MF_DISABLED, MF_SEPARATOR, MF_POPUP
    UINT id = 0;
    WCHAR text[MaxItemText] = {};
    int submenu = -1;
};

struct Menu : Slot {
    int count = 0;
    MenuItem items[MaxMenuItems];
};

constexpr int MaxDialogItems = 32;
constexpr int MaxItemTitle = 128;
constexpr int MaxDialogDepth = 4;

// A dialog item the platform draws: static text, or a static icon.
struct DialogItem {
    bool icon = false;
    DWORD style = 0;
    RECT rect{};  // dialog client coordinates
    WCHAR text[MaxItemTitle] = {};
    int iconSlot = -1;
};

struct DialogState {
    int window = -1;
    bool ended = false;
    INT_PTR result = 0;
    bool doneButton = false;  // an "ok" in the navigation bar
    bool fullScreen = false;  // below the navigation bar, without a frame
    bool okCaptured = false;  // the pen went down on "ok" and is still down
    bool okPressed = false;   // ... and is on it
    int itemCount = 0;
    DialogItem items[MaxDialogItems];
};

struct PopupState {
    bool open = false;
    int menu = -1;
    int menuBar = -1;  // window slot of the menu bar that opened it
    int button = -1;
    int owner = -1;  // window that receives WM_COMMAND
    int highlight = -1;
    bool penDown = false;
    RECT rect{};  // display coordinates
    int itemTop[MaxMenuItems] = {};
    int itemHeight[MaxMenuItems] = {};
};

constexpr int MaxInstances = 8;
constexpr int MaxQueue = 512;
constexpr int MaxInput = 1024;

struct State {
    const PlatformBackend* backend = nullptr;
    PassHook hook = nullptr;
    void* hookUser = nullptr;
    InputHook inputHook = nullptr;
    void* inputHookUser = nullptr;
    uint32_t passNumber = 0;

    const ResourceCatalogue* instances[MaxInstances] = {};

    GdiObject gdi[MaxGdiObjects];
    DcObject dcs[MaxDcs];
    Icon icons[MaxIcons];

    WindowClass classes[MaxClasses];
    Window windows[MaxWindows];
    int zOrder[MaxWindows] = {};  // top-level application windows, bottom first
    int zCount = 0;
    Menu menus[MaxMenus];

    Ring<MSG, MaxQueue> queue;  // posted messages
    bool quitPosted = false;
    int quitCode = 0;

    Ring<HostEvent, MaxInput> input;  // raw input from the host
    int captureWindow = -1;           // the window the pen went down on, which has its moves and lift
    POINT lastPen{};
    bool hostPenDown = false;  // the host's pen (platformHostPen): down, and its last event on the
    HostEvent hostPen{};       // display
    bool controlHeld = false;  // Ctrl, as of the last key event taken

    PopupState popup;
    DialogState dialogs[MaxDialogDepth];
    int dialogDepth = 0;

    uint32_t display[DisplayWidth * DisplayHeight] = {};
    uint64_t changes = 1;    // counts changes to what the display shows
    uint64_t composed = 0;   // `changes` when `display` was last composed
    uint64_t presented = 0;  // `changes` when the backend was last handed the display
    int clockMinutes = -1;   // as the navigation bar last showed it
    DWORD tick = 0;          // the backend's clock as this pass began (GetTickCount)
};

State& state();
void touchDisplay();  // what the display shows has changed
void readClock();     // GetTickCount from now until the next pass: the backend's clock now

inline int windowSlot(HWND window) {
    return liveSlot(window, Kind::Window, state().windows);
}

// Drawing (gdi.cpp).
void resetGdi();
Canvas windowCanvas(int window);  // the window's client area
void fillPixels(const Canvas& canvas, int left, int top, int right, int bottom, uint32_t colour);
int brushColour(HBRUSH brush, uint32_t* colour);  // 1/0
void releaseWindowDc(int window);
void drawIcon(const Canvas& canvas, int x, int y, int icon);

// Resources (resources.cpp).
// The resource of this type (a number, or a name such as u"WAVE") and number; none for a named one.
const ResourceEntry* findEntry(HINSTANCE instance, LPCWSTR type, LPCWSTR name);
const ResourceEntry* entryContaining(HINSTANCE instance, const void* data);

// Text in the shell's font (font.cpp).
constexpr int LineHeight = 13;
int textWidth(const WCHAR* text, int length, bool bold);
// Draws with the top of the line at y.
void drawUiText(const Canvas& canvas, int x, int y, const WCHAR* text, int length, uint32_t colour,
                bool bold);
int averageCharWidth();
int wideLength(const WCHAR* text, int max);

// Windows, messages and input (window.cpp, core.cpp).
HWND windowHandle(int slot);
bool postMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void beginPass(PassKind kind);
// Takes one raw input event. A pen event moves the pen's last place; a quit request and a restore
// are carried out here (WM_CLOSE for the active window, repaints) and still given to the caller.
bool popInput(HostEvent* event);
void clearCapture();
int topWindow();  // the active top-level application window slot, or -1
int createWindowSlot(WindowKind kind);
void resizeLayer(Window& window, int width, int height);
bool dispatchPaint();       // sends one pending WM_PAINT; true if one was sent
int menuBarOf(int window);  // menu bar window slot owned by this window (none for -1), or -1
// Copies a window's client layer onto the display at its place.
void showLayer(const Window& w, const Canvas& display);

// A modal loop (the popup menu's, a dialog's), pass after pass while open() holds: each pass
// dispatches one posted message, else hands one raw input event to input(), else sends one
// pending paint. A posted quit ends the loop: input() has it as the host's quit request.
template <typename Open, typename Input>
void modalLoop(PassKind kind, Open open, Input input) {
    while (open()) {
        beginPass(kind);
        if (!open()) break;
        if (state().quitPosted) {
            input(HostEvent{HostEventKind::Quit, 0, 0, 0});
            break;
        }
        MSG msg;
        HostEvent event;
        if (state().queue.pop(&msg)) {
            DispatchMessageW(&msg);
        } else if (popInput(&event)) {
            input(event);
        } else {
            dispatchPaint();
        }
    }
}

// Shell (shell.cpp, dialog.cpp).
void resetShell();
LRESULT menuBarProc(int slot, UINT message, LPARAM lParam);
void destroyMenuBar(int slot);
void composeShell(const Canvas& display);
void dialogDestroyed(int slot);
void composeDialog(const Canvas& display, int index);
int gdiSlot(const void* handle, Kind kind);  // the slot of a live drawing object of that kind, or -1
int commandItem(const Menu& menu, UINT id);  // the index of the menu's item with this command, or -1
bool okRect(int index, RECT* rect);          // the "ok" button of dialog level `index`, in the navigation bar

}  // namespace plat
