// The platform's state, handles, passes, raw input and the composed display.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "platform/headless.h"
#include "platform/internal.h"

namespace plat {

namespace {

State* instance = nullptr;  // made on first use, lives for the whole process

// A handle's fields, from the top: kind, generation, slot, zero bits. A 32-bit pointer (WebAssembly)
// holds slots up to 1024 over two zero bits, which still leave the low bit to SetForegroundWindow.
constexpr bool WidePointers = sizeof(uintptr_t) >= 8;
constexpr int ZeroBits = WidePointers ? 4 : 2;
constexpr int SlotBits = WidePointers ? 20 : 10;
constexpr int GenerationBits = 16;
constexpr int KindBits = 4;
static_assert(ZeroBits + SlotBits + GenerationBits + KindBits <= static_cast<int>(sizeof(uintptr_t)) * 8);
static_assert(static_cast<int>(Kind::Accel) < (1 << KindBits));
static_assert(MaxGdiObjects <= (1 << SlotBits) && MaxDcs <= (1 << SlotBits));

// Sleeps whole milliseconds until less than one is left before target.
void waitUntil(uint64_t target, const PaceClock& clock) {
    for (uint64_t now = clock.now(); now < target; now = clock.now()) {
        const uint64_t left = (target - now) * 1000 / clock.frequency;
        if (left == 0) return;
        clock.sleep(static_cast<uint32_t>(left));
    }
}

}  // namespace

State& state() {
    if (!instance) {
        instance = new State();
        platformReset();
    }
    return *instance;
}

void touchDisplay() {
    ++state().changes;
}

uintptr_t packHandle(Kind kind, uint32_t slot, uint32_t generation) {
    if (slot >= (1u << SlotBits)) return 0;
    uint64_t value = (static_cast<uint64_t>(kind) << (SlotBits + GenerationBits)) |
                     (static_cast<uint64_t>(generation & 0xFFFF) << SlotBits) | slot;
    return static_cast<uintptr_t>(value << ZeroBits);
}

int handleSlot(const void* handle, Kind kind, uint32_t* generation) {
    auto value = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(handle));
    if (value == 0 || (value & ((1u << ZeroBits) - 1)) != 0) return -1;
    value >>= ZeroBits;
    if ((value >> (SlotBits + GenerationBits)) != static_cast<uint64_t>(kind)) return -1;
    if (generation) *generation = static_cast<uint32_t>((value >> SlotBits) & 0xFFFF);
    return static_cast<int>(value & ((1u << SlotBits) - 1));
}

void beginPass(PassKind kind) {
    State& s = state();
    const PlatformBackend* backend = s.backend;
    // A new minute on the backend's clock face is drawn, and shown, at once.
    if (backend->clockMinutes && backend->clockMinutes() != s.clockMinutes) touchDisplay();
    if (backend->beginPass) {
        const bool changed = s.changes != s.presented;
        const uint32_t* pixels = backend->showsDisplay ? platformDisplay() : nullptr;
        if (pixels) s.presented = s.changes;
        backend->beginPass(pixels, changed);
    }
    readClock();
    ++s.passNumber;
    if (s.hook) s.hook(PassInfo{kind, GetTickCount(), s.passNumber}, s.hookUser);
}

bool popInput(HostEvent* event) {
    State& s = state();
    if (!s.input.pop(event)) return false;
    if (s.inputHook) s.inputHook(*event, s.inputHookUser);
    switch (event->kind) {
        case HostEventKind::PenDown:
        case HostEventKind::PenMove:
        case HostEventKind::PenUp:
            s.lastPen = POINT{event->x, event->y};
            break;
        case HostEventKind::Quit:
            // The active window is asked to close; without one, the program is to end.
            if (int top = topWindow(); top >= 0) {
                postMessage(windowHandle(top), WM_CLOSE, 0, 0);
            } else {
                PostQuitMessage(0);
            }
            break;
        case HostEventKind::Restore:
            // Every visible application window is to be painted again.
            for (Window& w : s.windows) {
                if (w.used && w.kind == WindowKind::App && w.visible) w.needPaint = true;
            }
            touchDisplay();
            break;
        case HostEventKind::KeyDown:
        case HostEventKind::KeyUp:
            s.controlHeld = (event->x & KeyControl) != 0;
            break;
        case HostEventKind::Command:
            break;
    }
    return true;
}

void readClock() {
    state().tick = state().backend->tickCount();
}

void showLayer(const Window& w, const Canvas& display) {
    // The part of the layer on the display.
    const int64_t x0 = w.rect.left, y0 = w.rect.top;
    const int64_t left = std::max<int64_t>(0, -x0),
                  right = std::min<int64_t>(w.layerWidth, DisplayWidth - x0);
    const int64_t top = std::max<int64_t>(0, -y0),
                  bottom = std::min<int64_t>(w.layerHeight, DisplayHeight - y0);
    for (int64_t y = top; y < bottom && left < right; ++y) {
        const uint32_t* from = w.layer.data() + y * w.layerWidth;
        std::copy(from + left, from + right, display.pixels + (y0 + y) * DisplayWidth + x0 + left);
    }
}

}  // namespace plat

using namespace plat;

#if !defined(_WIN32)  // Windows: platform/win32_stdio.cpp
std::FILE* platformCreateFile(const char* path) {
    struct stat info;  // a folder is left to open, which says why not; ENXIO: a pipe without a reader
    const bool other = stat(path, &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
    const int fd = other ? -1 : open(path, O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    const bool regular = fd >= 0 && fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    std::FILE* file = regular && ftruncate(fd, 0) == 0 ? fdopen(fd, "wb") : nullptr;
    if (file) return file;
    const int error = other || (fd >= 0 ? !regular : errno == ENXIO) ? EINVAL : errno;
    if (fd >= 0) close(fd);
    errno = error;
    return nullptr;
}
#endif

int localClockMinutes() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    return localtime_r(&now, &local) ? local.tm_hour * 60 + local.tm_min : 0;
}

SHORT GetKeyState(int key) {
    return key == static_cast<int>(VK_CONTROL) && state().controlHeld ? static_cast<SHORT>(0x8000) : 0;
}

DWORD GetTickCount() {
    return state().tick;
}

int platformPushInput(const HostEvent& event) {
    return state().input.push(event) ? 1 : 0;
}

void platformHostPen(HostEventKind kind, int x, int y) {
    State& s = state();
    const bool onDisplay = x >= 0 && x < DisplayWidth && y >= 0 && y < DisplayHeight;
    if (kind == HostEventKind::PenDown ? s.hostPenDown || !onDisplay : !s.hostPenDown) return;
    if (kind == HostEventKind::PenMove && !onDisplay) return;
    if (onDisplay) s.hostPen = HostEvent{kind, static_cast<int16_t>(x), static_cast<int16_t>(y), 0};
    s.hostPen.kind = kind;
    s.hostPenDown = kind != HostEventKind::PenUp;
    platformPushInput(s.hostPen);
}

int platformInputPending() {
    return state().input.count;
}

int platformPostedPending() {
    return state().queue.count;
}

void platformUseBackend(const PlatformBackend* backend) {
    State& s = state();
    s.backend = backend && backend->tickCount ? backend : headlessBackend();
    readClock();
    s.hostPenDown = false;
    touchDisplay();
}

const PlatformBackend* platformBackend() {
    return state().backend;
}

void platformSetPassHook(PassHook hook, void* user) {
    state().hook = hook;
    state().hookUser = hook ? user : nullptr;
}

void platformSetInputHook(InputHook hook, void* user) {
    state().inputHook = hook;
    state().inputHookUser = hook ? user : nullptr;
}

void platformReset() {
    State& s = state();
    if (s.backend && s.backend->reset) s.backend->reset();
    resetShell();
    emptySlots(s.windows);
    std::fill(std::begin(s.classes), std::end(s.classes), WindowClass{});
    s.zCount = 0;
    resetGdi();
    std::fill(std::begin(s.instances), std::end(s.instances), nullptr);
    s.queue.head = s.queue.count = s.input.head = s.input.count = s.quitCode = 0;
    s.quitPosted = false;
    clearCapture();
    s.lastPen = POINT{0, 0};
    platformSetPassHook(nullptr, nullptr);
    platformSetInputHook(nullptr, nullptr);
    s.passNumber = 0;
    headlessBackend()->reset();
    platformUseBackend(nullptr);
    s.changes = 1;
    s.composed = s.presented = 0;
}

const uint32_t* platformDisplay() {
    State& s = state();
    if (s.composed == s.changes) return s.display;
    std::fill(std::begin(s.display), std::end(s.display), White);
    const Canvas display{s.display, DisplayWidth, RECT{0, 0, DisplayWidth, DisplayHeight}, false};
    // The application windows, bottom first.
    for (int z = 0; z < s.zCount; ++z) {
        const Window& w = s.windows[s.zOrder[z]];
        if (w.visible) showLayer(w, display);
    }
    composeShell(display);
    s.composed = s.changes;
    return s.display;
}

int platformWriteDisplayPng(const char* path) {
    return platformWritePng(path, platformDisplay(), DisplayWidth, DisplayHeight);
}

uint64_t passDue(const Pacer& pacer, uint64_t now) {
    return pacer.nextPass == 0 || now > pacer.nextPass + pacer.period * 4 ? now : pacer.nextPass;
}

void pace(Pacer& pacer, const PaceClock& clock) {
    if (pacer.vsync) {
        if (pacer.lastPass != 0) waitUntil(pacer.lastPass + pacer.period * 9 / 10, clock);
        pacer.nextPass = clock.now();  // a pass without vsync follows a period on
    } else {
        pacer.nextPass = passDue(pacer, clock.now());
        waitUntil(pacer.nextPass, clock);
    }
    pacer.nextPass += pacer.period;
    pacer.lastPass = clock.now();
}

void paceReplay(uint64_t& last, uint32_t step, const PaceClock& clock) {
    const uint64_t now = clock.now();
    uint64_t due = last + std::min<uint64_t>(step, 1000) * clock.frequency / 1000;
    if (last == 0 || now > due + clock.frequency / 10) due = now;
    waitUntil(due, clock);
    last = due;
}
