// State and helpers shared by the platform's own sources. Not for callers of the platform.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/aygshell.h"
#include "platform/host.h"

namespace plat {

// ---- Handles ----------------------------------------------------------------------------------
// A handle is (kind, slot, generation) packed into a pointer-sized value whose low four bits are
// zero, so a stale or foreign handle is recognised instead of being followed.

enum class Kind : uint8_t { None, Bitmap, Brush, Dc, Window, Menu, Icon, Instance, Resource, Accel };

uintptr_t packHandle(Kind kind, uint32_t slot, uint32_t generation);
// Gives the slot, or -1 when the value is not a handle of this kind.
int handleSlot(const void* handle, Kind kind, uint32_t* generation);

template <typename H>
H makeHandle(Kind kind, uint32_t slot, uint32_t generation) {
    return reinterpret_cast<H>(packHandle(kind, slot, generation));
}

// ---- Pixels -----------------------------------------------------------------------------------
// Pixels are 0x00RRGGBB. A monochrome bitmap holds only 0 (black) and 0xFFFFFF (white).

constexpr uint32_t White = 0xFFFFFF;
constexpr uint32_t Black = 0x000000;
inline uint32_t fromColorref(COLORREF c) {
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
inline uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) {
    return (r << 16) | (g << 8) | b;
}

// A view of pixels to draw on: the buffer, and the rectangle of it that may be touched.
struct Canvas {
    uint32_t* pixels = nullptr;
    int stride = 0;  // pixels per row
    int width = 0;
    int height = 0;
    int originX = 0;  // buffer position of logical (0, 0)
    int originY = 0;
    RECT clip{};  // buffer coordinates, right and bottom outside
    bool mono = false;
    bool screen = false;  // drawing here changes the display
};

// ---- Drawing objects --------------------------------------------------------------------------

constexpr int MaxGdiObjects = 1024;
constexpr int MaxDcs = 256;
constexpr int StockBrushes = 6;     // slots 0 to 5: GetStockObject 0 to 5
constexpr int StockMonoBitmap = 6;  // slot 6: the 1 x 1 monochrome bitmap of a new memory context
constexpr int FirstFreeGdiSlot = 7;

struct GdiObject {
    Kind kind = Kind::None;
    uint16_t generation = 0;
    bool stock = false;
    // Bitmap.
    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;
    bool mono = false;
    int selectedIn = -1;  // context slot holding the bitmap, or -1
    // Brush.
    uint32_t colour = 0;
    bool hollow = false;
};

struct DcObject {
    bool used = false;
    uint16_t generation = 0;
    int window = -1;       // window slot for a window's context, -1 for a memory context
    bool desktop = false;  // the whole display (GetDC of no window)
    int bitmap = StockMonoBitmap;
    int brush = WHITE_BRUSH;
};

struct Icon {
    bool used = false;
    uint16_t generation = 0;
    HINSTANCE instance = nullptr;  // where it was loaded from: an icon loads once and is shared
    uint16_t resourceId = 0;
    int width = 0;
    int height = 0;
    uint32_t colour[32 * 32];
    uint32_t mask[32 * 32];  // White where the background shows through
};
constexpr int MaxIcons = 16;

// ---- Windows ----------------------------------------------------------------------------------

enum class WindowKind : uint8_t { App, MenuBar, Dialog, Remote };

constexpr int MaxWindows = 32;
constexpr int MaxClasses = 16;
constexpr int MaxTitle = 100;
constexpr int MaxMenuBarButtons = 4;

struct MenuBarButton {
    WORD command = 0;
    BYTE state = 0;
    BYTE style = 0;
    int submenu = -1;  // menu slot of its popup, or -1
    WCHAR label[32] = {};
    RECT rect{};  // menu bar client coordinates
};

struct WindowClass {
    bool used = false;
    WCHAR name[MaxTitle] = {};
    WNDCLASSW info{};
};

struct Window {
    bool used = false;
    uint16_t generation = 0;
    WindowKind kind = WindowKind::App;
    int windowClass = -1;
    WNDPROC proc = nullptr;
    DLGPROC dialogProc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    int parent = -1;  // owner window slot
    HINSTANCE instance = nullptr;
    WCHAR title[MaxTitle] = {};
    RECT rect{};        // display coordinates
    int clientTop = 0;  // rows of caption above the client area
    bool visible = false;
    bool destroying = false;
    bool needPaint = false;
    bool needErase = false;
    int disabled = 0;             // modal loops holding the window disabled
    std::vector<uint32_t> layer;  // client area pixels
    int layerWidth = 0;
    int layerHeight = 0;
    int dc = -1;
    // Menu bar.
    int menu = -1;
    int buttonCount = 0;
    MenuBarButton buttons[MaxMenuBarButtons];
    int pressedButton = -1;
    // Dialog.
    int dialog = -1;  // slot in the modal dialog stack
};

// ---- Menus ------------------------------------------------------------------------------------

constexpr int MaxMenus = 16;
constexpr int MaxMenuItems = 32;
constexpr int MaxItemText = 48;

struct MenuItem {
    UINT flags = 0;  // MF_CHECKED, MF_GRAYED, MF_DISABLED, MF_SEPARATOR, MF_POPUP
    UINT id = 0;
    WCHAR text[MaxItemText] = {};
    int submenu = -1;
};

struct Menu {
    bool used = false;
    uint16_t generation = 0;
    int count = 0;
    MenuItem items[MaxMenuItems];
};

// ---- Modal loops ------------------------------------------------------------------------------

constexpr int MaxControls = 32;
constexpr int MaxControlText = 128;
constexpr int MaxDialogDepth = 4;

enum class ControlKind : uint8_t { Text, Icon, Button, Other };

struct Control {
    ControlKind kind = ControlKind::Other;
    DWORD style = 0;
    WORD id = 0;
    RECT rect{};  // dialog client coordinates
    WCHAR text[MaxControlText] = {};
    int icon = -1;
    bool pressed = false;
};

struct DialogState {
    int window = -1;
    int owner = -1;
    bool ended = false;
    INT_PTR result = 0;
    bool doneButton = false;  // "ok" in the caption or the navigation bar
    bool fullScreen = false;  // the title and "ok" stand in the navigation bar
    bool okPressed = false;
    int capture = 0;  // 0 none, 1 the "ok" button, 2 the dialog, 3 a push button
    int pressedControl = -1;
    int controlCount = 0;
    Control controls[MaxControls];
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

// ---- The whole platform state -----------------------------------------------------------------

constexpr int MaxInstances = 8;
constexpr int MaxQueue = 512;
constexpr int MaxInput = 1024;

enum class CaptureKind : uint8_t { None, Window, NavBar, Nothing };

struct State {
    const PlatformBackend* backend = nullptr;
    PassHook hook = nullptr;
    void* hookUser = nullptr;
    uint32_t passNumber = 0;

    const ResourceCatalogue* instances[MaxInstances] = {};

    GdiObject gdi[MaxGdiObjects];
    DcObject dcs[MaxDcs];
    Icon icons[MaxIcons];
    int desktopDc = -1;

    WindowClass classes[MaxClasses];
    Window windows[MaxWindows];
    int zOrder[MaxWindows] = {};  // top-level application windows, bottom first
    int zCount = 0;
    Menu menus[MaxMenus];

    MSG queue[MaxQueue] = {};
    int queueHead = 0;
    int queueCount = 0;
    bool quitPosted = false;
    int quitCode = 0;

    HostEvent input[MaxInput] = {};
    int inputHead = 0;
    int inputCount = 0;
    CaptureKind capture = CaptureKind::None;
    int captureWindow = -1;
    POINT lastPen{};

    PopupState popup;
    DialogState dialogs[MaxDialogDepth];
    int dialogDepth = 0;

    uint32_t desktop[DisplayWidth * DisplayHeight] = {};
    uint32_t display[DisplayWidth * DisplayHeight] = {};
    uint64_t changes = 1;   // counts changes to what the display shows
    uint64_t composed = 0;  // `changes` when `display` was last composed
    uint64_t presented = 0;
    int clockMinutes = -1;
};

State& state();
void touchDisplay();  // what the display shows has changed

// ---- Shared operations ------------------------------------------------------------------------

// Drawing (gdi.cpp).
void resetGdi();
bool canvasForDc(HDC dc, Canvas* canvas);
Canvas windowCanvas(int window);  // the window's client area
Canvas displayCanvas();           // the composed display
void fillRect(const Canvas& canvas, int left, int top, int right, int bottom, uint32_t colour);
int brushColour(HBRUSH brush, uint32_t* colour);  // 1 when the brush paints
void releaseWindowDc(int window);
int iconSlot(HICON icon);
void drawIcon(const Canvas& canvas, int x, int y, int icon);
// A device-independent bitmap (resource bytes) decoded to pixels; 1/0.
bool decodeDib(const uint8_t* data, uint32_t size, std::vector<uint32_t>* pixels, int* width, int* height,
               bool* mono);

// Resources (resources.cpp).
const ResourceCatalogue* catalogueOf(HINSTANCE instance);
const ResourceEntry* findEntry(HINSTANCE instance, uint16_t type, const WCHAR* typeName, uint16_t id);
const ResourceEntry* entryContaining(HINSTANCE instance, const void* data);

// Text (font.cpp).
constexpr int LineHeight = 13;
int textWidth(const WCHAR* text, int length, bool bold);
// Draws with the top of the line at y; gives the width drawn.
int drawText(const Canvas& canvas, int x, int y, const WCHAR* text, int length, uint32_t colour, bool bold);
int averageCharWidth();
int wideLength(const WCHAR* text, int max);

// Windows and messages (window.cpp).
int windowSlot(HWND window);
HWND windowHandle(int slot);
bool postMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void beginPass(PassKind kind);
bool takePosted(MSG* msg);
bool popInput(HostEvent* event);
void routeQuit();
void routeRestore();  // every visible application window is to be painted again
void clearCapture();
int topWindow();  // the active top-level application window slot, or -1
int createWindowSlot(WindowKind kind);
void freeWindowSlot(int slot);
void resizeLayer(Window& window, int width, int height);
bool dispatchPaint();       // sends one pending WM_PAINT; true if one was sent
int menuBarOf(int window);  // menu bar window slot owned by this window, or -1

// Copies a window's client layer onto the 240 x 320 display pixels at its place (core.cpp).
void showLayer(const Window& w, uint32_t* display);

// Shell (shell.cpp, dialog.cpp).
void resetShell();
LRESULT menuBarProc(int slot, UINT message, WPARAM wParam, LPARAM lParam);
void destroyMenuBar(int slot);
void freeMenu(int menu);
int menuSlot(HMENU menu);
void composeShell(const Canvas& display);
LRESULT dialogSend(int slot, UINT message, WPARAM wParam, LPARAM lParam);
void dialogDestroyed(int slot);
void renderDialog(int slot);
void composeDialog(const Canvas& display, int index);
void drawNavBar(const Canvas& display);

// Sound (sound.cpp).
void resetSound();

}  // namespace plat
